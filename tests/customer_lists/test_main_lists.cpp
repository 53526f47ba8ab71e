// The two lists and the visit view reached from the real main window: the
// top bar's "客户资料" and "药膳记录", a row's "AI辨识" making the customer
// current, "膳食方案" opening the one visit view.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

#include "customer/customer_frm.h"
#include "customer/customer_rcd_frm.h"
#include "customer/customer_strip.h"
#include "customer/pat_list_frame.h"
#include "customer/pat_med_frm.h"
#include "entry/identify_page.h"
#include "list_rows.h"
#include "login/login_state.h"
#include "main_frm.h"
#include "test_support.h"
#include "ui_kit.h"

using namespace tcm;
using namespace tcm::test;
using namespace tcm::ui;

namespace {

class MainLists : public ::testing::TestWithParam<RemoteKind> {};

TEST_P(MainLists, FromTheTopBarToTheVisitView) {
  DataFolder folder(GetParam());
  TCM_REQUIRE_FOLDER(folder);
  RecordingMessages messages;
  auto dm = folder.server(&messages);
  loginState().clear();
  loginState().ShopId = "1";
  const QString today = day(QDate::currentDate());
  QList<qint32> pats;
  for (int i = 0; i < 14; ++i) {
    pats << addCustomer(*dm, {1, QStringLiteral("顾客%1").arg(i), i % 2 ? QStringLiteral("女") : QStringLiteral("男"),
                              QString::number(30 + i), QStringLiteral("1360000%1").arg(5000 + i),
                              QStringLiteral("莫干山路%1号").arg(i), today + " 10:00:00", ""});
    ASSERT_GT(pats.last(), 0);
  }
  NewVisit v;
  v.patId = pats[12];
  v.bl = QStringLiteral("口干，乏力");
  v.food = QStringLiteral("山药粥 1份");
  v.herb = QStringLiteral("黄芪 10g");
  v.foodPrice = 12.5;
  v.herbPrice = 30;
  v.wrDate = today + " 11:00:00";
  const qint32 visit = addVisit(*dm, v);
  ASSERT_GT(visit, 0);

  auto main = std::make_unique<TMainFrm>(*dm, messages);
  QSignalSpy loaded(main.get(), &TMainFrm::loadingFinished);
  main->show();
  ASSERT_TRUE(loaded.wait(10000));

  QTest::mouseClick(main->lblMember, Qt::LeftButton);
  TCustomerFrm* list = main->customerFrm();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(main->pgMain->currentWidget(), main->tsCustomer);
  QTest::mouseClick(list->pnl20, Qt::LeftButton);
  list->finishListing();
  EXPECT_EQ(list->lblTotalPage->text(), QStringLiteral("14条"));
  list->cbbTotalPage->setCurrentIndex(1);
  if (!qEnvironmentVariableIsEmpty("TCM_SHOT_DIR"))
    main->grab().save(qEnvironmentVariable("TCM_SHOT_DIR") + QStringLiteral("/main_customer_list.png"));
  TPatListFrame* row = list->arrPatList[2];
  ASSERT_EQ(row->lblPatName->text(), QStringLiteral("顾客12"));

  // "AI辨识": the strip holds the customer, no visit number is made, the identification page shows.
  QTest::mouseClick(row->Label1, Qt::LeftButton);
  EXPECT_EQ(main->pgMain->currentWidget(), main->tsAI);
  EXPECT_EQ(main->currentPatId(), QString::number(pats[12]));
  EXPECT_EQ(main->tsAI->customer->edtPatName->text(), QStringLiteral("顾客12"));
  EXPECT_EQ(main->tsAI->customer->edtTel->text(), "13600005012");
  EXPECT_TRUE(main->currentMZNO().isEmpty());

  // Back on the list the page starts afresh; "膳食方案" opens the customer's visits.
  QTest::mouseClick(main->lblMember, Qt::LeftButton);
  EXPECT_EQ(list->lstPatObj.size(), 0);
  list->edtPatName->setText("5012");
  list->pnlSearchClick();
  list->finishListing();
  ASSERT_EQ(list->lstPatObj.size(), 1);
  QTest::mouseClick(list->arrPatList[0]->lblView, Qt::LeftButton);
  TPatMedFrm& view = main->patMedFrm();
  EXPECT_TRUE(view.isVisible());
  view.tmr1Timer();
  EXPECT_EQ(TPatMedFrm::entryMedId(view.arrLblDt[0]), visit);
  EXPECT_EQ(view.edtMed->toPlainText(), QStringLiteral("口干，乏力\n山药粥 1份\n黄芪 10g"));
  view.imgCloseClick();

  // "药膳记录": the visit with its amount, opening exactly that visit.
  QTest::mouseClick(main->imgMedRcd, Qt::LeftButton);
  TCustomerRcdFrm* visits = main->customerRcdFrm();
  ASSERT_NE(visits, nullptr);
  EXPECT_EQ(main->pgMain->currentWidget(), main->tsCustomerRcd);
  QTest::mouseClick(visits->pnl20, Qt::LeftButton);
  visits->finishListing();
  ASSERT_EQ(visits->lstPatObj.size(), 1);
  EXPECT_EQ(visits->arrPatList[0]->lblAddress->text(), "42.5");
  EXPECT_EQ(visits->arrPatList[0]->lblPatName->text(), QStringLiteral("顾客12"));
  QTest::mouseClick(visits->arrPatList[0]->lblView, Qt::LeftButton);
  EXPECT_EQ(view.MedId, visit);
  view.tmr1Timer();
  EXPECT_EQ(view.arrLblDt[0]->text(), today + " 11:00:00");
  EXPECT_TRUE(view.arrPnlDt[1]->isHidden());
  if (!qEnvironmentVariableIsEmpty("TCM_SHOT_DIR"))
    main->grab().save(qEnvironmentVariable("TCM_SHOT_DIR") + QStringLiteral("/main_visit_list.png"));
  EXPECT_TRUE(messages.dbErrors.isEmpty()) << messages.dbErrors.join(",").toStdString();
  main.reset();
  loginState().clear();
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(BothDatabases, MainLists, ::testing::Values(RemoteKind::Sqlite, RemoteKind::Postgres),
                         remoteKindName);

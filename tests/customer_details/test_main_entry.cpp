// The customer window, the visit view and the diabetes window opened from the
// real main window: the strip's buttons and links, choosing and adding a
// customer, the assessment of the current customer, and clearing.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include "customer/customer_strip.h"
#include "customer/dm_risk.h"
#include "customer/dm_test_frm.h"
#include "customer/pat_info_frm.h"
#include "customer/pat_med_frm.h"
#include "details_fixture.h"
#include "entry/identify_page.h"
#include "login/login_state.h"
#include "main_frm.h"
#include "result/result_panel.h"
#include "ui_kit.h"

using namespace tcm;
using namespace tcm::test;
using namespace tcm::ui;

namespace {

class MainEntry : public DetailsFixture {
 protected:
  void SetUp() override {
    DetailsFixture::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    loginState().clear();
    loginState().ShopId = "1";
    main = std::make_unique<TMainFrm>(*dm, messages);
    QSignalSpy loaded(main.get(), &TMainFrm::loadingFinished);
    main->show();
    ASSERT_TRUE(loaded.wait(10000));
    strip = main->tsAI->customer;
  }
  void TearDown() override {
    main.reset();
    loginState().clear();
  }
  // The customer window the last click opened (a fresh one each time).
  TPatInfoFrm* openedDetails() {
    TPatInfoFrm* shown = nullptr;
    for (TPatInfoFrm* w : main->findChildren<TPatInfoFrm*>())
      if (w->isVisible()) shown = w;
    return shown;
  }

  std::unique_ptr<TMainFrm> main;
  TCustomerStrip* strip = nullptr;
};

TEST_P(MainEntry, ChooseAddAndAssessTheCurrentCustomer) {
  const qint64 chen = addCustomer(1, QStringLiteral("陈二"), QStringLiteral("女"), "45", "13900001234");

  // "+选择": search by phone ending and choose; the customer becomes current with a visit number.
  QTest::mouseClick(strip->lbl3, Qt::LeftButton);
  TPatInfoFrm* frm = openedDetails();
  ASSERT_NE(frm, nullptr);
  EXPECT_EQ(frm->FromType, 1);
  frm->edtPatName->setText("1234");
  frm->pnlSearchClick();
  frm->sgPatDblClick(0);
  EXPECT_FALSE(frm->isVisible());
  EXPECT_EQ(main->currentPatId(), QString::number(chen));
  EXPECT_EQ(strip->edtPatName->text(), QStringLiteral("陈二"));
  EXPECT_EQ(main->currentGender(), QStringLiteral("女"));
  EXPECT_EQ(strip->edtTel->text(), "13900001234");
  const QString firstVisit = main->currentMZNO();
  EXPECT_EQ(firstVisit.size(), 19);
  EXPECT_EQ(main->tsAI->Gender, "2");  // the strip's gender reaches the inquiry pages
  ASSERT_TRUE(main->tsAI->result->pnlViewMore->isVisibleTo(main->tsAI->result));
  // "历史药膳 >" opens the visit view for this customer.
  Q_EMIT main->tsAI->result->viewMoreClicked();
  EXPECT_TRUE(main->patMedFrm().isVisible());
  EXPECT_EQ(main->patMedFrm().patId, static_cast<int>(chen));
  // Choosing again while the visit is open keeps its number.
  QTest::mouseClick(strip->pnlAdd, Qt::LeftButton);
  frm = openedDetails();
  ASSERT_NE(frm, nullptr);
  frm->edtPatName->setText(QStringLiteral("陈"));
  frm->pnlSearchClick();
  frm->sgPatDblClick(0);
  EXPECT_EQ(main->currentMZNO(), firstVisit);

  // The assessment opens for the current customer with its gender and age, and stores the class.
  QTest::mouseClick(strip->lbl9, Qt::LeftButton);
  TDMTestFrm& dmFrm = main->dmTestFrm();
  EXPECT_TRUE(dmFrm.isVisible());
  EXPECT_EQ(dmFrm.patId, QString::number(chen));
  EXPECT_EQ(dmFrm.FromForm, 1);
  EXPECT_TRUE(dmFrm.rb2->isChecked());
  EXPECT_EQ(dmFrm.edtAge->text(), main->currentAge());
  dmFrm.edtHeight->setText("160");
  dmFrm.edtWeight->setText("70");
  dmFrm.edtWaistline->setText("92");
  dmFrm.pnl17Click();
  const QString stored = dmFrm.lblLevel->text();
  EXPECT_EQ(patRow(chen, "dm"), QStringList{stored});
  EXPECT_EQ(messages.messages.last(), QStringLiteral("保存成功"));
  dmFrm.imgCloseClick();

  // "选择" then the add tab: the new customer becomes current, the visit number stays as it was.
  const QString visit = main->currentMZNO();
  QTest::mouseClick(strip->pnlAdd, Qt::LeftButton);
  frm = openedDetails();
  ASSERT_NE(frm, nullptr);
  EXPECT_EQ(frm->FromType, 0);
  frm->pgcMain->setCurrentWidget(frm->tsAdd);
  frm->edtName->setText(QStringLiteral("新客"));
  frm->cbbGender->setCurrentText(QStringLiteral("男"));
  frm->edtAge->setText("61");
  frm->edtTel->setText("13500002468");
  QTest::mouseClick(frm->pnl4, Qt::LeftButton);
  EXPECT_EQ(messages.messages.last(), QStringLiteral("保存成功"));
  EXPECT_TRUE(frm->isVisible());
  EXPECT_EQ(main->currentPatId(), frm->editPatId);
  EXPECT_NE(main->currentPatId(), QString::number(chen));
  EXPECT_EQ(strip->edtPatName->text(), QStringLiteral("新客"));
  EXPECT_EQ(main->currentAge(), "61");
  EXPECT_EQ(main->currentMZNO(), visit);
  EXPECT_EQ(patRow(frm->editPatId.toLongLong(), "Name,tel1"), (QStringList{QStringLiteral("新客"), "2468"}));
  frm->imgCloseClick();

  // Clearing leaves no customer: id "0", no visit, no link.
  main->tsAI->ClearSym();
  EXPECT_EQ(main->currentPatId(), "0");
  EXPECT_TRUE(main->currentMZNO().isEmpty());
  EXPECT_FALSE(main->tsAI->result->pnlViewMore->isVisibleTo(main->tsAI->result));
  EXPECT_TRUE(messages.dbErrors.isEmpty()) << messages.dbErrors.join(",").toStdString();
}

INSTANTIATE_TEST_SUITE_P(BothDatabases, MainEntry, ::testing::Values(RemoteKind::Sqlite, RemoteKind::Postgres),
                         remoteKindName);

}  // namespace

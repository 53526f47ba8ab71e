// The ways from the main window into the customer windows, and the strip as
// the one owner of the current customer they all read and write.
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include "crypto/aes_hex.h"
#include "customer/customer_frm.h"
#include "customer/customer_rcd_frm.h"
#include "customer/customer_strip.h"
#include "customer/dm_test_frm.h"
#include "customer/pat_info_frm.h"
#include "customer/pat_med_frm.h"
#include "entry/identify_page.h"
#include "login/login_state.h"
#include "main_frm.h"
#include "result/result_panel.h"
#include "test_support.h"
#include "ui_kit.h"

using namespace tcm;
using namespace tcm::test;
using namespace tcm::ui;

namespace {

class CustomerEntry : public ::testing::Test {
 protected:
  void SetUp() override {
    TCM_REQUIRE_FOLDER(folder);
    loginState().clear();
    loginState().ShopId = "1";
    dm = folder.server(&messages);
    ASSERT_TRUE(dm->ExecSql(Sql(QStringLiteral("insert into pat(shopId,Name,Gender,Age,Tel,tel1,Address,wrDate) "
                                               "values(1,?,?,?,?,5678,'',?)"),
                                {QStringLiteral("柳青"), QStringLiteral("女"), "41", *encryptText("13912345678"),
                                 QDate::currentDate().toString(Qt::ISODate)}),
                            true));
    main = std::make_unique<TMainFrm>(*dm, messages);
    QSignalSpy loaded(main.get(), &TMainFrm::loadingFinished);
    main->show();
    ASSERT_TRUE(loaded.wait(5000));
    strip = main->tsAI->customer;
  }
  void TearDown() override {
    main.reset();
    loginState().clear();
  }

  // The customer window the strip's last click opened.
  TPatInfoFrm* openedDetails() {
    const QList<TPatInfoFrm*> open = main->findChildren<TPatInfoFrm*>();
    for (TPatInfoFrm* w : open)
      if (w->isVisible()) return w;
    return nullptr;
  }

  DataFolder folder{RemoteKind::Sqlite};
  RecordingMessages messages;
  std::unique_ptr<TDMServer> dm;
  std::unique_ptr<TMainFrm> main;
  TCustomerStrip* strip = nullptr;
};

TEST_F(CustomerEntry, TopBarDocksEachListOnceAndMarksTheActiveItem) {
  struct Case {
    TPanel* button;
    QWidget* page;
  };
  const Case cases[] = {{main->lblMember, main->tsCustomer}, {main->imgMedRcd, main->tsCustomerRcd},
                        {main->imgAI, main->tsAI}};
  for (const Case& c : cases) {
    QTest::mouseClick(c.button, Qt::LeftButton);
    EXPECT_EQ(main->pgMain->currentWidget(), c.page) << c.button->text().toStdString();
    for (TPanel* other : {main->imgAI, main->imgMedRcd, main->lblMember})
      EXPECT_EQ(other->palette().color(QPalette::Window) == QColor(0x02, 0x5E, 0x51), other == c.button)
          << other->text().toStdString() << " while " << c.button->text().toStdString();
  }
  TCustomerFrm* list = main->customerFrm();
  TCustomerRcdFrm* visits = main->customerRcdFrm();
  ASSERT_TRUE(list && visits);
  EXPECT_EQ(list->parentWidget(), main->tsCustomer);
  QTest::mouseClick(main->lblMember, Qt::LeftButton);
  QTest::mouseClick(main->imgMedRcd, Qt::LeftButton);
  EXPECT_EQ(main->customerFrm(), list);  // created once, shown again
  EXPECT_EQ(main->customerRcdFrm(), visits);
}

TEST_F(CustomerEntry, ChoosingInTheCustomerWindowMakesTheCustomerCurrentForEveryWindow) {
  // "选择" opens a plain window, "+选择" one searching for the main window; each a fresh window.
  QTest::mouseClick(strip->pnlAdd, Qt::LeftButton);
  TPatInfoFrm* plain = openedDetails();
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->FromType, 0);
  plain->imgCloseClick();
  QTest::mouseClick(strip->lbl3, Qt::LeftButton);
  TPatInfoFrm* search = openedDetails();
  ASSERT_TRUE(search);
  EXPECT_EQ(search->FromType, 1);

  search->edtPatName->setText("5678");
  search->pnlSearchClick();
  ASSERT_EQ(search->sgPat->item(0, 1)->text(), QStringLiteral("柳青"));
  search->sgPatDblClick(0);
  EXPECT_FALSE(search->isVisible());
  EXPECT_EQ(strip->edtPatName->text(), QStringLiteral("柳青"));
  EXPECT_EQ(strip->edtTel->text(), "13912345678");
  EXPECT_EQ(main->tsAI->Gender, "2");  // the strip's gender reaches the inquiry pages
  const QString patId = strip->PatId;
  ASSERT_TRUE(strip->hasCustomer());
  EXPECT_EQ(main->currentPatId(), patId);
  const QString visit = strip->MZNO;
  EXPECT_EQ(visit.size(), 19);
  EXPECT_TRUE(main->tsAI->result->pnlViewMore->isVisibleTo(main->tsAI->result));

  // Choosing again while a visit is open keeps its number.
  QTest::mouseClick(strip->pnlAdd, Qt::LeftButton);
  TPatInfoFrm* again = openedDetails();
  ASSERT_TRUE(again);
  again->edtPatName->setText(QStringLiteral("柳"));
  again->pnlSearchClick();
  again->sgPatDblClick(0);
  EXPECT_EQ(strip->MZNO, visit);

  // "历史药膳 >" and "中国糖尿病风险评估表" open their windows for this customer.
  Q_EMIT main->tsAI->result->viewMoreClicked();
  EXPECT_TRUE(main->patMedFrm().isVisible());
  EXPECT_EQ(main->patMedFrm().patId, patId.toInt());
  QTest::mouseClick(strip->lbl9, Qt::LeftButton);
  TDMTestFrm& dmTest = main->dmTestFrm();
  EXPECT_TRUE(dmTest.isVisible());
  EXPECT_EQ(dmTest.patId, patId);
  EXPECT_EQ(dmTest.FromForm, 1);
  EXPECT_TRUE(dmTest.rb2->isChecked());
  EXPECT_EQ(dmTest.edtAge->text(), strip->edtAge->text());

  // Clearing leaves no customer: id "0", no visit, no link.
  main->tsAI->ClearSym();
  EXPECT_EQ(main->currentPatId(), "0");
  EXPECT_TRUE(main->currentMZNO().isEmpty());
  EXPECT_FALSE(main->tsAI->result->pnlViewMore->isVisibleTo(main->tsAI->result));
  EXPECT_TRUE(messages.dbErrors.isEmpty()) << messages.dbErrors.join(",").toStdString();
}

}  // namespace

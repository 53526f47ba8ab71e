// The top bar's "药膳记录" and "客户资料": each list is docked once into its
// page, and the active item is marked.
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

#include "customer/customer_frm.h"
#include "customer/customer_rcd_frm.h"
#include "entry/identify_page.h"
#include "login/login_state.h"
#include "main_frm.h"
#include "test_support.h"
#include "ui_kit.h"

using namespace tcm;
using namespace tcm::test;
using namespace tcm::ui;

namespace {

class TopBar : public ::testing::Test {
 protected:
  void SetUp() override {
    TCM_REQUIRE_FOLDER(folder);
    loginState().clear();
    loginState().ShopId = "1";
    dm = folder.server(&messages);
    main = std::make_unique<TMainFrm>(*dm, messages);
    QSignalSpy loaded(main.get(), &TMainFrm::loadingFinished);
    main->show();
    ASSERT_TRUE(loaded.wait(5000));
  }
  void TearDown() override {
    main.reset();
    loginState().clear();
  }

  DataFolder folder{RemoteKind::Sqlite};
  RecordingMessages messages;
  std::unique_ptr<TDMServer> dm;
  std::unique_ptr<TMainFrm> main;
};

TEST_F(TopBar, DocksEachListOnceAndMarksTheActiveItem) {
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
  EXPECT_EQ(visits->parentWidget(), main->tsCustomerRcd);
  QTest::mouseClick(main->lblMember, Qt::LeftButton);
  QTest::mouseClick(main->imgMedRcd, Qt::LeftButton);
  EXPECT_EQ(main->customerFrm(), list);  // created once, shown again
  EXPECT_EQ(main->customerRcdFrm(), visits);
}

}  // namespace

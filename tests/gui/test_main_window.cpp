// The main window's loading after login, its retry, its message and help
// windows, its two size states and the top bar's pages.
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "customer/customer_frm.h"
#include "customer/customer_rcd_frm.h"
#include "entry/identify_page.h"
#include "help_frm.h"
#include "login/login_state.h"
#include "load_panel.h"
#include "main_frm.h"
#include "msg_box_frm.h"
#include "test_support.h"
#include "ui_kit.h"
#include "window_helpers.h"

using namespace tcm;
using namespace tcm::test;
using namespace tcm::ui;

namespace {

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    TCM_REQUIRE_FOLDER(folder);
    loginState().clear();
    loginState().ShopId = "1";
    dm = folder.server(&messages);
    ASSERT_TRUE(dm->ExecLstSql({Sql("insert into herb_shop(shopId,id,name,price) values(1,1,?,0.8)", {"人参"}),
                                Sql("insert into herb_shop(shopId,id,name,price) values(2,1,?,0.9)", {"人参"}),
                                Sql("insert into syn_food(ID,Name,IsOpen) values(1,?,1)", {"心气虚"})},
                               true));
    main = std::make_unique<TMainFrm>(*dm, messages);
  }
  void TearDown() override { loginState().clear(); }
  void showAndLoad() {
    QSignalSpy loaded(main.get(), &TMainFrm::loadingFinished);
    main->show();
    ASSERT_TRUE(loaded.wait(2000));
  }
  DataFolder folder;
  RecordingMessages messages;
  std::unique_ptr<TDMServer> dm;
  std::unique_ptr<TMainFrm> main;
};

// "药膳记录" and "客户资料" dock their list into its page once; the active item is marked.
TEST_F(MainWindow, TopBarDocksEachListOnceAndMarksTheActiveItem) {
  showAndLoad();
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

TEST_F(MainWindow, LoadsKnowledgeAndTheShopsPrices) {
  showAndLoad();
  EXPECT_EQ(main->windowTitle(), QStringLiteral("亚健康中医辨识和康养系统"));
  EXPECT_EQ(dm->knowledge()->MaxId(), 1);
  ASSERT_EQ(main->LstHerbPrice.size(), 1);
  EXPECT_DOUBLE_EQ(GetHerbPriceById(main->LstHerbPrice, "1"), 0.8);
  EXPECT_TRUE(main->pnlLoadData->isHidden());
  EXPECT_FALSE(main->loadFailed());
  EXPECT_TRUE(messages.messages.isEmpty());
}

TEST_F(MainWindow, FailedKnowledgeLoadOffersRetryAndRetryReplacesPrices) {
  // The rows query fails on a table that lacks its columns.
  ASSERT_TRUE(dm->ExecMSSql(Sql("drop table syn_food")));
  ASSERT_TRUE(dm->ExecMSSql(Sql("create table syn_food (id integer, IsOpen integer)")));
  ASSERT_TRUE(dm->ExecMSSql(Sql("insert into syn_food values(1,1)")));
  showAndLoad();
  EXPECT_TRUE(main->loadFailed());
  EXPECT_TRUE(main->pnlLoadData->isVisible());
  EXPECT_EQ(main->loadCaption(), QStringLiteral("  请重新读取数据"));
  EXPECT_EQ(main->lblReload->text(), QStringLiteral("[重新读取]"));
  EXPECT_EQ(messages.messages, QStringList{"读取数据时出错，请检查网络是否正常"});
  EXPECT_EQ(main->LstHerbPrice.size(), 0);

  // A retry that fails again shows its own message.
  main->lblReloadClick();
  EXPECT_EQ(messages.messages.last(), "读取系统数据时出错，请检查网络是否正常");
  EXPECT_TRUE(main->loadFailed());

  // Mend the table; the retry succeeds, hides the panel and replaces the prices
  // (an earlier row would hide a price changed since).
  ASSERT_TRUE(dm->ExecMSSql(Sql("drop table syn_food")));
  ASSERT_TRUE(dm->ExecMSSql(Sql("create table syn_food (ID integer, Name text, [OR] text, Weight text, SymIdStr text, "
                                "DifferentialDiagnosisIdStr text, CardinalSymptomIdStr text, SymModIdStr text, Dep1 "
                                "text, Dep2 text, HintContent text, NegativeSymIdStr text, DecWeightSymIdStr text, "
                                "MatchModFlag text, ModPreIdStr text, Tre text, Pre text, AcuId integer, "
                                "notRecommendFood text, recommendFood text, IsOpen integer)")));
  main->LstHerbPrice.append(AliasItem{"earlier", TAliease{}});
  main->lblReloadClick();
  EXPECT_FALSE(main->loadFailed());
  EXPECT_TRUE(main->pnlLoadData->isHidden());
  ASSERT_EQ(main->LstHerbPrice.size(), 1);
  EXPECT_EQ(main->LstHerbPrice[0].text, QStringLiteral("人参"));
}

TEST_F(MainWindow, MessageBoxIsReusedAndShowsEveryTextWhole) {
  main->show();
  // Short, long without a break, several lines, and a failure with a path in it:
  // each on as many lines as it needs, the box never wider and never cut.
  const QStringList texts = {
      QStringLiteral("保存成功"),
      QString(200, QChar(0x957F)),
      QStringLiteral("今天的数据备份没有完成：无法创建备份目录 /home/shop/data-dir/backup/20260314-083000：Permission "
                     "denied\n请检查数据目录的磁盘空间与权限，详情见 backup.log。"),
      QStringLiteral("辛辣燥热、煎炸烧烤、浓茶咖啡、烈酒，少食过酸过甜之物。") + QString(60, QChar(0x5403)),
  };
  TMsgBoxFrm* first = nullptr;
  int shown = 0;
  for (const QString& text : texts) {
    QTimer::singleShot(0, [&] {
      keepPicture(main->msgBox(), QStringLiteral("msg_box_%1").arg(shown++));
      TMsgBoxFrm* box = main->msgBox();
      if (!first) first = box;
      EXPECT_EQ(box, first);
      QLabel* label = box->lblMsg;
      EXPECT_EQ(label->text(), text);
      EXPECT_TRUE(label->wordWrap());
      EXPECT_EQ(box->width(), 420);
      // Tall enough for every wrapped line, and no line wider than the label.
      const QRect needed = label->fontMetrics().boundingRect(QRect(0, 0, label->width(), 10000),
                                                             Qt::TextWordWrap | Qt::AlignCenter, text);
      EXPECT_GE(label->height(), needed.height()) << text.toStdString();
      EXPECT_LE(needed.width(), label->width()) << text.toStdString();
      EXPECT_GE(box->height(), 190);
      box->pnlViewMoreClick();
    });
    main->ShowMessage(text);
  }
  // The box shrinks back for a one-line message after a long one.
  QTimer::singleShot(0, [&] {
    EXPECT_EQ(main->msgBox()->height(), 190);
    main->msgBox()->pnlBaseCloseClick();
  });
  main->ShowMessage(QStringLiteral("保存成功"));
  EXPECT_FALSE(main->msgBox()->isVisible());
  EXPECT_EQ(main->msgBox()->windowTitle(), QStringLiteral("提示"));
}

TEST_F(MainWindow, HelpShowsOneTextAtATime) {
  main->show();
  main->Image1Click();
  THelpFrm* help = main->helpFrm();
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->memTZ->isVisible());
  EXPECT_FALSE(help->memJB->isVisible());
  EXPECT_TRUE(help->memTZ->toPlainText().startsWith(QStringLiteral("体质辨识包括11类49种中医体质及药膳方案\n\n气虚型：")));
  EXPECT_TRUE(help->memTZ->toPlainText().endsWith(QStringLiteral("特禀型：特禀鼻鼽/特禀瘾疹\n\n平和型：平和质")));
  main->Image2Click();
  EXPECT_EQ(main->helpFrm(), help);
  EXPECT_FALSE(help->memTZ->isVisible());
  EXPECT_TRUE(help->memJB->isVisible());
  EXPECT_EQ(help->memJB->toPlainText(), QStringLiteral("疾病调理\n\n选择一个疾病，选择症状，查找适合的方案"));
}

TEST_F(MainWindow, SizeStatesToggleBetweenFullAndReduced) {
  showAndLoad();
  EXPECT_EQ(main->sizeTag(), 1);
  EXPECT_EQ(main->maxTag(), 1);
  EXPECT_TRUE(main->imgNoraml->isVisible());
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  main->imgNoramlClick();
  EXPECT_EQ(main->sizeTag(), 0);
  EXPECT_EQ(main->maxTag(), 2);
  EXPECT_TRUE(main->imgMax->isVisible());
  EXPECT_FALSE(main->imgNoraml->isVisible());
  // Four fifths of the screen, whatever the window's usual minimum.
  EXPECT_EQ(main->size(), QSize(screen.width() * 8 / 10, screen.height() * 8 / 10));
  main->imgMaxClick();
  EXPECT_EQ(main->sizeTag(), 1);
  EXPECT_EQ(main->maxTag(), 1);
  EXPECT_EQ(main->pos(), QPoint(1, 1));
  EXPECT_TRUE(main->imgNoraml->isVisible());
}

TEST_F(MainWindow, ClosingTheWindowByTheWindowManagerEndsTheProgram) {
  main->show();
  // A close that did not end the program would leave this loop to the guard's exit code.
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(7); });
  guard.start(3000);
  QTimer::singleShot(0, [&] { main->close(); });  // what Alt+F4 asks of the window
  EXPECT_EQ(QCoreApplication::exec(), 0);
  EXPECT_FALSE(main->isVisible());
}

TEST_F(MainWindow, MessageBoxClosesOnEnter) {
  main->show();
  for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
    QTimer::singleShot(0, [&] { QTest::keyClick(main->msgBox(), key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier); });
    main->ShowMessage(QStringLiteral("用户名或密码错误"));  // returns only when the key closed the box
    EXPECT_FALSE(main->msgBox()->isVisible());
  }
}

TEST_F(MainWindow, MenuButtonOffersHelpSettingsAndExit) {
  main->show();
  main->Panel1Click();
  auto* menu = main->findChild<QMenu*>();
  ASSERT_NE(menu, nullptr);
  QStringList captions;
  for (QAction* a : menu->actions())
    if (!a->isSeparator()) captions << a->text();
  EXPECT_EQ(captions, (QStringList{"体质辨识说明", "疾病调理说明", "设置", "退出"}));
  menu->actions().first()->trigger();
  ASSERT_NE(main->helpFrm(), nullptr);
  EXPECT_TRUE(main->helpFrm()->memTZ->isVisible());
  menu->close();
}

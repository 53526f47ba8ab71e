// The gear of the main window's top bar opens the settings window, which
// loads the shop card, picture and herb tree and saves prices the editors use.
#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

#include "login/login_state.h"
#include "main_frm.h"
#include "settings/set_param_frm.h"
#include "shop/shop_settings.h"
#include "test_support.h"
#include "ui_kit.h"

using namespace tcm;
using namespace tcm::test;
using namespace tcm::ui;

namespace {

class SettingsWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    TCM_REQUIRE_FOLDER(folder);
    loginState().clear();
    loginState().ShopId = "1";
    loginState().loginName = "13800000001";
    loginState().loginPassword = "731526";
    dm = folder.server(&messages);
    ASSERT_TRUE(dm->ExecLstSql(
        {Sql("insert into herb(id,name) values(1,?),(2,?),(3,?)", {"人参", "党参", "太子参"}),
         Sql("insert into herb_shop(shopId,id,name,price,stock) values(1,1,?,0.8,2000),(1,2,?,0.12,1500)", {"人参", "党参"}),
         Sql("insert into tbltree(tblname,tree) values('her',?)", {QStringLiteral("补气药\n\t人参\n\t党参\n\t太子参\n补血药\n\t当归")})},
        true));
    main = std::make_unique<TMainFrm>(*dm, messages);
    QSignalSpy loaded(main.get(), &TMainFrm::loadingFinished);
    main->show();
    ASSERT_TRUE(loaded.wait(3000));
  }
  void TearDown() override { loginState().clear(); }
  // Clicks the gear and waits for the window's deferred load.
  TSetParamFrm* openByGear() {
    QTest::mouseClick(main->imgSet, Qt::LeftButton);
    TSetParamFrm* w = main->setParamFrm();
    if (!w) return nullptr;
    QSignalSpy loaded(w, &TSetParamFrm::loaded);
    if (!loaded.wait(2000)) return nullptr;
    return w;
  }
  QTreeWidgetItem* herbItem(TSetParamFrm* w, const QString& name) {
    const auto found = w->tvDrug->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
  }
  DataFolder folder;
  RecordingMessages messages;
  std::unique_ptr<TDMServer> dm;
  std::unique_ptr<TMainFrm> main;
};

QColor background(QWidget* w) { return w->palette().color(QPalette::Window); }

}  // namespace

TEST_F(SettingsWindow, GearOpensOneWindowThatLoadsAtEveryShowing) {
  ASSERT_TRUE(main->imgSet->isVisible());
  EXPECT_EQ(main->imgSet->toolTip(), QStringLiteral("设置"));
  // Hover colours of the top-bar buttons.
  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
  QApplication::sendEvent(main->imgSet, &enter);
  EXPECT_EQ(background(main->imgSet), QColor(0x00, 0x48, 0x48));
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(main->imgSet, &leave);
  EXPECT_EQ(background(main->imgSet), QColor(0x07, 0xC1, 0x60));

  // The shop's picture is shown when it exists.
  ASSERT_TRUE(QDir().mkpath(folder.settings().pictureDir()));
  QImage picture(120, 80, QImage::Format_RGB32);
  picture.fill(Qt::darkGreen);
  ASSERT_TRUE(picture.save(folder.settings().pictureDir() + "/1.png"));

  TSetParamFrm* w = openByGear();
  ASSERT_TRUE(w);
  EXPECT_TRUE(w->isVisible());
  EXPECT_FALSE(w->isModal());
  EXPECT_EQ(w->lblTitle->text(), QStringLiteral("设置"));
  EXPECT_EQ(w->pgcSet->tabText(0), QStringLiteral("修改密码"));
  EXPECT_EQ(w->pgcSet->tabText(1), QStringLiteral("医疗机构地址"));
  EXPECT_EQ(w->pgcSet->tabText(2), QStringLiteral("中药价格维护"));
  EXPECT_EQ(w->edtName->text(), QStringLiteral("Orlemo经方示范店"));
  EXPECT_EQ(w->edtContactName->text(), QStringLiteral("张明"));
  EXPECT_TRUE(w->hasPicture());
  ASSERT_EQ(w->tvDrug->topLevelItemCount(), 2);
  EXPECT_EQ(w->tvDrug->topLevelItem(0)->childCount(), 3);

  // A card that may not be stored says why and writes nothing, the picture neither.
  const QString picturePath = folder.settings().pictureDir() + "/1.png";
  ASSERT_TRUE(QFile::remove(picturePath));
  w->edtName->clear();
  w->edtTel->setText(QStringLiteral("0571-88880009"));
  QTest::mouseClick(w->pnl6, Qt::LeftButton);
  EXPECT_EQ(messages.messages, QStringList{QStringLiteral("机构名称没有填写")});
  EXPECT_EQ(w->edtTel->text(), QStringLiteral("0571-88880009"));  // left as typed to be mended
  EXPECT_FALSE(QFile::exists(picturePath));
  EXPECT_EQ(loadShopCard(*dm, "1")->tel, QStringLiteral("0571-88880001"));

  // The card's "保存" stores the edited boxes, trimmed, and writes the picture back.
  w->edtName->setText(QStringLiteral(" Orlemo经方示范店 "));
  w->edtAddress->setText(QStringLiteral("浙江省杭州市西湖区文三路202号  "));
  QTest::mouseClick(w->pnl6, Qt::LeftButton);
  EXPECT_EQ(messages.messages.last(), QStringLiteral("保存成功"));
  EXPECT_EQ(w->edtName->text(), QStringLiteral("Orlemo经方示范店"));
  EXPECT_EQ(w->edtAddress->text(), QStringLiteral("浙江省杭州市西湖区文三路202号"));
  const std::optional<ShopCard> card = loadShopCard(*dm, "1");
  ASSERT_TRUE(card);
  EXPECT_EQ(card->address, QStringLiteral("浙江省杭州市西湖区文三路202号"));
  EXPECT_EQ(card->tel, QStringLiteral("0571-88880009"));
  EXPECT_EQ(card->contactName, QStringLiteral("张明"));
  EXPECT_FALSE(QImage(picturePath).isNull());

  // Closed and opened again: the same window, loaded again (an edit not saved is
  // gone, the saved address stays); without the picture the frame is empty.
  QTest::mouseClick(w->imgClose, Qt::LeftButton);
  EXPECT_FALSE(w->isVisible());
  ASSERT_TRUE(QFile::remove(picturePath));
  w->edtName->setText(QStringLiteral("改过的名字"));
  EXPECT_EQ(openByGear(), w);
  EXPECT_EQ(w->edtName->text(), QStringLiteral("Orlemo经方示范店"));
  EXPECT_EQ(w->edtAddress->text(), QStringLiteral("浙江省杭州市西湖区文三路202号"));
  EXPECT_FALSE(w->hasPicture());
  EXPECT_TRUE(w->imgBusinessLicense->pixmap().isNull());
  EXPECT_EQ(messages.messages.size(), 2) << messages.messages.join(",").toStdString();
  EXPECT_TRUE(messages.dbErrors.isEmpty());
}

TEST_F(SettingsWindow, PricesSavedHereAreTheEditorsNextPrices) {
  TSetParamFrm* w = openByGear();
  ASSERT_TRUE(w);
  w->pgcSet->setCurrentWidget(w->ts3);
  // A group node chooses nothing.
  w->tvDrugClick(w->tvDrug->topLevelItem(0));
  EXPECT_FALSE(w->chosenHerb().chosen());
  w->tvDrugClick(herbItem(w, QStringLiteral("人参")));
  EXPECT_EQ(w->edtHerName->text(), QStringLiteral("人参"));
  EXPECT_EQ(w->edtPrice->text(), "0.80");
  EXPECT_EQ(w->edtStock->text(), "2000.00");
  EXPECT_TRUE(w->pnlLst->isHidden());  // text put in by the tree does not search

  w->edtPrice->setText("1.25");
  QTest::mouseClick(w->pnl10, Qt::LeftButton);
  EXPECT_EQ(messages.messages.last(), "保存成功");
  EXPECT_DOUBLE_EQ(GetHerbPriceById(main->LstHerbPrice, "1"), 1.25);

  // Another name typed over the chosen herb is refused.
  w->edtHerName->setText(QStringLiteral("党参"));
  w->edtPrice->setText("9");
  QTest::mouseClick(w->pnl10, Qt::LeftButton);
  EXPECT_EQ(messages.messages.last(), "未选择一个中药");
  EXPECT_DOUBLE_EQ(GetHerbPriceById(main->LstHerbPrice, "2"), 0.12);

  // Typing searches the catalogue: two or more matches give the drop-down.
  w->activateWindow();
  w->edtHerName->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return w->edtHerName->hasFocus(); }, 1000));
  w->edtHerName->clear();
  w->edtHerName->insert(QStringLiteral("太子"));
  EXPECT_TRUE(w->pnlLst->isHidden());
  w->edtHerName->clear();
  w->edtHerName->insert(QStringLiteral("参"));
  ASSERT_TRUE(w->pnlLst->isVisible());
  EXPECT_EQ(w->sgHerb->item(2, 1)->text(), QStringLiteral("太子参"));
  EXPECT_FALSE(w->sgHerb->item(3, 1));
  w->sgHerbClick(3);  // an empty row does nothing
  EXPECT_TRUE(w->pnlLst->isVisible());
  // 太子参 has no row for this shop: shown as 0.00, created by the save.
  w->sgHerbClick(2);
  EXPECT_TRUE(w->pnlLst->isHidden());
  EXPECT_EQ(w->edtHerName->text(), QStringLiteral("太子参"));
  EXPECT_EQ(w->edtPrice->text(), "0.00");
  w->edtPrice->setText("2.5");
  w->edtStock->setText("100");
  QTest::mouseClick(w->pnl10, Qt::LeftButton);
  EXPECT_EQ(messages.messages.last(), "保存成功");
  EXPECT_DOUBLE_EQ(GetHerbPriceById(main->LstHerbPrice, "3"), 2.5);
  EXPECT_TRUE(messages.dbErrors.isEmpty());
}

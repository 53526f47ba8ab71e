#pragma once
// The shop settings window "设置": the login password, the shop card with its
// picture, and the shop's herb prices and stock. One instance, hidden on close
// and reloaded at every showing.
#include <QImage>
#include <QPixmap>
#include <QTimer>
#include "tool_window.h"

#include "shop/shop_settings.h"

class QFrame;
class QLabel;
class QLineEdit;
class QTabWidget;
class QTableWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace tcm {
class TDMServer;
class Messages;
}  // namespace tcm

namespace tcm::ui {

class TPanel;

// The gear of the main window's top bar, drawn in `color`.
QPixmap gearPicture(const QColor& color, int size = 20);

class TSetParamFrm : public TToolWindow {
  Q_OBJECT
 public:
  TSetParamFrm(TDMServer& dm, Messages& messages, QWidget* parent = nullptr);

  // Title bar: caption, close picture; dragged by it.
  QTabWidget* pgcSet = nullptr;
  QWidget* ts1 = nullptr;  // "修改密码"
  QWidget* ts2 = nullptr;  // "医疗机构地址"
  QWidget* ts3 = nullptr;  // "中药价格维护"
  // Password
  QLineEdit* edtPwd_old = nullptr;
  QLineEdit* edtPwd_new = nullptr;
  TPanel* pnl2 = nullptr;
  // Shop card
  QLineEdit* edtName = nullptr;
  QLineEdit* edtAddress = nullptr;
  QLineEdit* edtContactName = nullptr;
  QLineEdit* edtTel = nullptr;
  QLabel* imgBusinessLicense = nullptr;
  TPanel* pnl6 = nullptr;
  // Herb prices
  QTreeWidget* tvDrug = nullptr;
  QLineEdit* edtHerName = nullptr;
  QLineEdit* edtPrice = nullptr;
  QLineEdit* edtStock = nullptr;
  TPanel* pnl10 = nullptr;
  QFrame* pnlLst = nullptr;
  QTableWidget* sgHerb = nullptr;
  TPanel* lblCloseHerb = nullptr;
  // The deferred load (10 ms, one shot), started at every showing.
  QTimer tmr1;

  const ChosenHerb& chosenHerb() const { return chosen_; }
  bool hasPicture() const { return !picture_.isNull(); }
  // Shows the window centred over `other` without blocking it.
  void showCenteredOver(const QWidget* other);

 public Q_SLOTS:
  void tmr1Timer();
  void pnl2Click();
  void pnl6Click();
  void tvDrugClick(QTreeWidgetItem* item);
  void edtHerNameChange();
  void sgHerbClick(int row);
  void lblCloseHerbClick();
  void ts3Click();
  void pnl10Click();
  void imgCloseClick();

 Q_SIGNALS:
  // A price was saved: the editors' price list takes it.
  void herbPriceSaved(const QString& id, const QString& name, double price);
  // The picture, the shop card and the tree have been loaded.
  void loaded();

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  QWidget* buildPasswordTab();
  QWidget* buildShopTab();
  QWidget* buildHerbTab();
  void loadPicture();
  void fillShopCard();
  void fillTree();
  void takeChoice(const HerbChoice& choice);
  void placeDropDown();
  QString picturePath() const;

  TDMServer& dm_;
  Messages& messages_;
  ChosenHerb chosen_;
  QImage picture_;
};

}  // namespace tcm::ui

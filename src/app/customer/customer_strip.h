#pragma once
// The customer strip of the identification screen: the current customer's
// boxes, the name search with its pop-up list, and the ways into the customer
// window. It is the one owner of the current customer (PatId, visit number,
// boxes); every other window asks it through CustomerHost.
#include <QFrame>

#include "customer/customer_host.h"

class QComboBox;
class QLineEdit;
class QTableWidget;

namespace tcm {
class TDMServer;
}

namespace tcm::ui {

class TPanel;

class TCustomerStrip : public QFrame {
  Q_OBJECT
 public:
  // The pop-up list floats over `popupParent` (the screen the strip sits on).
  TCustomerStrip(TDMServer& dm, QWidget* popupParent, QWidget* parent);

  QLineEdit* edtPatName = nullptr;
  QComboBox* edtGender = nullptr;
  QLineEdit* edtAge = nullptr;
  QLineEdit* edtTel = nullptr;
  TPanel* pnlAdd = nullptr;  // "选择"
  TPanel* lbl3 = nullptr;    // "+选择"
  TPanel* pnlClear = nullptr;
  TPanel* lbl9 = nullptr;  // "中国糖尿病风险评估表", underlined while hovered
  TPanel* lblTZ = nullptr;  // "体质问卷", underlined while hovered
  QFrame* pnlLst = nullptr;
  QTableWidget* sgPat = nullptr;
  TPanel* lblClosePatLst = nullptr;
  TPanel* lbl24 = nullptr;  // "+ 添加"

  // "" before any pick, "0" after clearing.
  QString PatId;
  QString MZNO;

  void makeCurrent(const CustomerPick& c, CustomerHost::Visit visit);
  // Gives the visit a number when it has none; returns it.
  QString ensureMZNO();
  // Back to no customer: id "0", no visit number, empty boxes.
  void clear();
  bool hasCustomer() const;

  void sgPatDblClick(int row);
  void lblClosePatLstClick();

 Q_SIGNALS:
  // The gender box or the age box changed (typed or set).
  void genderChanged();
  void ageChanged();
  // A customer became current (picked here or chosen in another window).
  void customerChosen();
  // "选择" and "+ 添加" ask for the customer window with 0, "+选择" with 1.
  void detailsRequested(int fromType);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildPopup(QWidget* popupParent);
  void edtPatNameChange();

  TDMServer& dm_;
  QWidget* popupParent_;
};

}  // namespace tcm::ui

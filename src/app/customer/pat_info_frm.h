#pragma once
// The customer window "查询/添加客户资料": the search tab finds a customer of
// the shop by name or phone ending and makes the chosen one current; the
// add/edit tab registers a new customer or corrects one from the customer list.
#include "tool_window.h"

#include <optional>

#include "customer/customer_record.h"
#include "customer/pat_list.h"

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QTabWidget;
class QTableWidget;

namespace tcm {
class TDMServer;
class Messages;
}  // namespace tcm

namespace tcm::ui {

class CustomerHost;
class TPanel;

class TPatInfoFrm : public TToolWindow {
  Q_OBJECT
 public:
  TPatInfoFrm(TDMServer& dm, Messages& messages, CustomerHost& host, QWidget* parent = nullptr);

  // 0 plain, 1 search for the main window, 2 add from the customer list, 3 edit from the customer list.
  int FromType = 0;
  // The customer the add/edit tab stores into; empty for a new customer.
  QString editPatId;

  void openPlain();          // main window "选择" and "+ 添加"
  void openForMainSearch();  // main window "+选择"
  void openForAdd();         // customer list "添加新客户": the add tab alone
  void openForEdit(const tcm::TPatList& row);  // customer list "修改": the row's details

  QTabWidget* pgcMain = nullptr;
  QWidget* tsSearch = nullptr;  // "客户查询"
  QWidget* tsAdd = nullptr;     // "添加新客户"
  QLineEdit* edtPatName = nullptr;
  TPanel* pnlSearch = nullptr;
  QTableWidget* sgPat = nullptr;
  QLineEdit* edtName = nullptr;
  QComboBox* cbbGender = nullptr;
  QLineEdit* edtAge = nullptr;
  QLineEdit* edtTel = nullptr;
  QLineEdit* edtAddress = nullptr;
  QLabel* lblSaveTarget = nullptr;  // which customer "保 存" will write: a new one or the one named
  TPanel* pnl4 = nullptr;

 public Q_SLOTS:
  void pnlSearchClick();
  void sgPatDblClick(int row);
  void pnl4Click();
  // Close with reset: the edited customer and the boxes (not the gender) are
  // cleared, the opening goes back to plain.
  void imgCloseClick();

 Q_SIGNALS:
  // Only after a save that succeeded: the customer's id and details as stored.
  void customerSaved(int fromType, const tcm::TPatList& saved);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* buildSearchTab();
  QWidget* buildAddTab();
  void openOn(int fromType, QWidget* tab, const QString& title);
  void clearBoxes();
  void showSaveTarget();

  TDMServer& dm_;
  Messages& messages_;
  CustomerHost& host_;
  tcm::TPatList editedRow_;  // opening 3: the list row being corrected
  std::optional<tcm::CustomerForm> justSaved_;  // the customer the last save here stored, as stored
};

}  // namespace tcm::ui

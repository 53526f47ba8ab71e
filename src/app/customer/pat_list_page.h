#pragma once
// What the customer list and the visit-record list share: the filter bar
// ("时间段" pickers, the "姓名/电话后4位" box, the search and the quick ranges),
// the header and ten rows, the count, the page chooser, the loading notice and
// the kept rows of the last listing. A listing shows its first page at once
// and reads the rest in steps between turns of the event loop; paging only
// reads the kept rows.
#include <QDate>
#include <QList>
#include <QTimer>
#include <QWidget>

#include "customer/customer_list.h"

class QComboBox;
class QDateEdit;
class QHBoxLayout;
class QLabel;
class QLineEdit;

namespace tcm {
class TDMServer;
class Messages;
}  // namespace tcm

namespace tcm::ui {

class CustomerHost;
class TPanel;
class TPatListFrame;

class TPatListPage : public QWidget {
  Q_OBJECT
 public:
  TPatListPage(ListingKind kind, TDMServer& dm, Messages& messages, CustomerHost& host, QWidget* parent);

  QDateEdit* dt1 = nullptr;
  QDateEdit* dt2 = nullptr;
  QLineEdit* edtPatName = nullptr;
  TPanel* searchButton = nullptr;  // "查询"
  TPanel* pnl20 = nullptr;         // "今日"
  TPanel* pnl27 = nullptr;         // "本周"
  TPanel* pnl29 = nullptr;         // "一个月"
  TPatListFrame* header = nullptr;
  QList<TPatListFrame*> arrPatList;  // the ten rows
  QLabel* lblTotalPage = nullptr;    // "n条"
  QComboBox* cbbTotalPage = nullptr;
  QLabel* pnlLoadData = nullptr;
  KeptPatList lstPatObj;

  // The page the rows show (0 before any listing); how often rows were filled
  // for a page (a listing or a page change fills them once).
  int currentPage() const { return currentPage_; }
  int pageFills() const { return pageFills_; }
  // True when the last listing has been read to its end.
  bool listingDone() const { return reader_.done(); }
  // Reads the rest of the listing now (tests; the window reads it in steps).
  void finishListing();

 public Q_SLOTS:
  void FormShow();
  void pnl20Click();
  void pnl27Click();
  void pnl29Click();
  void searchClick();
  void cbbTotalPageChange(int index);

 protected:
  // Fills one row from a kept row as shown.
  virtual void fillRow(TPatListFrame* row, const TPatList& r) = 0;
  // Shows the kept rows of the current page again (after a row changed).
  void refreshRows();
  QHBoxLayout* filterBar() const { return filterBar_; }
  void showEvent(QShowEvent* e) override;
  void hideEvent(QHideEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

  TDMServer& dm_;
  Messages& messages_;
  CustomerHost& host_;

 private:
  void GetPatLstByDate(int daysBack);
  // False when the listing failed (the gateway has shown why).
  bool list(const ListingFilter& filter);
  void readStep();
  void showPage(int page);
  void refillChooser();
  void showCount();
  void showLoading(bool on);
  void listingFailed();

  ListingKind kind_;
  QHBoxLayout* filterBar_ = nullptr;
  PatListingReader reader_;
  QTimer readTimer_;
  QString countBefore_;
  int currentPage_ = 0;
  int pageFills_ = 0;
};

}  // namespace tcm::ui

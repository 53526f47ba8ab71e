#include "customer/pat_list_page.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QHideEvent>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "customer/customer_filter.h"
#include "customer/pat_list_frame.h"
#include "login/login_state.h"
#include "messages.h"
#include "ui_kit.h"

namespace tcm::ui {
namespace {

constexpr int kFirstRows = 100;  // the first step: the first ten pages
constexpr int kStepRows = 2000;  // every later step, between two turns of the event loop

const QColor kStripe(0xF4, 0xF4, 0xF4);

TPanel* barButton(const QString& caption, const QString& name, QWidget* parent, bool strong = false) {
  auto* b = new TPanel(caption, parent);
  b->setObjectName(name);
  b->setFixedSize(strong ? 96 : 64, 30);
  if (strong) {
    b->setHoverColors(QColor(0x03, 0x7C, 0x6A), Qt::white, QColor(0x07, 0xC1, 0x60), Qt::white);
  } else {
    b->setHoverColors(QColor(0xE0, 0xF2, 0xEE), QColor(0x03, 0x7C, 0x6A), Qt::white, QColor(0x03, 0x7C, 0x6A));
    b->setFrameShape(QFrame::Box);
  }
  return b;
}

QDateEdit* datePicker(const QString& name, QWidget* parent) {
  auto* d = new QDateEdit(parent);
  d->setObjectName(name);
  d->setCalendarPopup(true);
  d->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
  d->setFixedSize(120, 30);
  return d;
}

}  // namespace

TPatListPage::TPatListPage(ListingKind kind, TDMServer& dm, Messages& messages, CustomerHost& host, QWidget* parent)
    : QWidget(parent), dm_(dm), messages_(messages), host_(host), kind_(kind) {
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::white);
  setPalette(pal);
  auto* root = new QVBoxLayout(this);
  root->setContentsMargins(16, 12, 16, 12);
  root->setSpacing(8);

  filterBar_ = new QHBoxLayout;
  filterBar_->setSpacing(8);
  filterBar_->addWidget(new QLabel(QStringLiteral("时间段"), this));
  dt1 = datePicker(QStringLiteral("dt1"), this);
  dt2 = datePicker(QStringLiteral("dt2"), this);
  filterBar_->addWidget(dt1);
  filterBar_->addWidget(new QLabel(QStringLiteral("-"), this));
  filterBar_->addWidget(dt2);
  edtPatName = new QLineEdit(this);
  edtPatName->setObjectName(QStringLiteral("edtPatName"));
  edtPatName->setPlaceholderText(QStringLiteral("姓名/电话后4位"));
  edtPatName->setFixedSize(150, 30);
  filterBar_->addWidget(edtPatName);
  searchButton = barButton(QStringLiteral("查询"), QStringLiteral("pnlSearch"), this, true);
  filterBar_->addWidget(searchButton);
  filterBar_->addSpacing(12);
  pnl20 = barButton(QStringLiteral("今日"), QStringLiteral("pnl20"), this);
  pnl27 = barButton(QStringLiteral("本周"), QStringLiteral("pnl27"), this);
  pnl29 = barButton(QStringLiteral("一个月"), QStringLiteral("pnl29"), this);
  for (TPanel* b : {pnl20, pnl27, pnl29}) filterBar_->addWidget(b);
  filterBar_->addStretch(1);
  root->addLayout(filterBar_);

  header = new TPatListFrame(this);
  header->setObjectName(QStringLiteral("pnlHeader"));
  QPalette hp = header->palette();
  hp.setColor(QPalette::Window, QColor(0xE6, 0xF2, 0xEF));
  header->setPalette(hp);
  header->lblView->setText(QString());
  header->lblView->setCursor(Qt::ArrowCursor);
  root->addWidget(header);

  // The rows stand one pixel apart below the header.
  auto* rows = new QVBoxLayout;
  rows->setSpacing(1);
  root->addLayout(rows);
  for (int n = 1; n <= kRowsPerPage; ++n) {
    auto* row = new TPatListFrame(this);
    row->setObjectName(QStringLiteral("PatListFrame%1").arg(n));
    row->Init();
    QPalette rp = row->palette();
    rp.setColor(QPalette::Window, n % 2 == 0 ? kStripe : QColor(Qt::white));
    row->setPalette(rp);
    row->hide();
    arrPatList << row;
    rows->addWidget(row);
  }
  root->addStretch(1);

  auto* foot = new QHBoxLayout;
  foot->addStretch(1);
  lblTotalPage = new QLabel(QStringLiteral("0条"), this);
  lblTotalPage->setObjectName(QStringLiteral("lblTotalPage"));
  lblTotalPage->setMinimumWidth(110);
  lblTotalPage->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  foot->addWidget(lblTotalPage);
  foot->addSpacing(16);
  foot->addWidget(new QLabel(QStringLiteral("第"), this));
  cbbTotalPage = new QComboBox(this);
  cbbTotalPage->setObjectName(QStringLiteral("cbbTotalPage"));
  cbbTotalPage->setFixedWidth(80);
  foot->addWidget(cbbTotalPage);
  foot->addWidget(new QLabel(QStringLiteral("页"), this));
  root->addLayout(foot);

  pnlLoadData = new QLabel(QStringLiteral("正在读取数据... ..."), this);
  pnlLoadData->setObjectName(QStringLiteral("pnlLoadData"));
  pnlLoadData->setAlignment(Qt::AlignCenter);
  pnlLoadData->setFixedSize(240, 56);
  pnlLoadData->setStyleSheet(QStringLiteral("background: #FFF8DC; border: 1px solid #037C6A; font-size: 15px;"));
  pnlLoadData->hide();

  readTimer_.setSingleShot(true);
  readTimer_.setInterval(0);
  connect(&readTimer_, &QTimer::timeout, this, &TPatListPage::readStep);
  connect(pnl20, &TPanel::clicked, this, &TPatListPage::pnl20Click);
  connect(pnl27, &TPanel::clicked, this, &TPatListPage::pnl27Click);
  connect(pnl29, &TPanel::clicked, this, &TPatListPage::pnl29Click);
  connect(searchButton, &TPanel::clicked, this, &TPatListPage::searchClick);
  connect(edtPatName, &QLineEdit::returnPressed, this, &TPatListPage::searchClick);
  connect(cbbTotalPage, &QComboBox::currentIndexChanged, this, &TPatListPage::cbbTotalPageChange);
  FormShow();
}

void TPatListPage::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  // Coming back to the page starts afresh; a restored minimised window does not.
  if (!e->spontaneous()) FormShow();
}

void TPatListPage::hideEvent(QHideEvent* e) {
  QWidget::hideEvent(e);
  // Leaving the page ends its reading (coming back starts afresh); a
  // minimised window reads on.
  if (!e->spontaneous()) readTimer_.stop();
}

void TPatListPage::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  pnlLoadData->move((width() - pnlLoadData->width()) / 2, (height() - pnlLoadData->height()) / 2);
}

void TPatListPage::FormShow() {
  readTimer_.stop();
  lstPatObj.clear();
  for (TPatListFrame* row : arrPatList) row->hide();
  currentPage_ = 0;
  const QDate today = QDate::currentDate();
  dt1->setDate(today.addDays(-7));
  dt2->setDate(today);
}

void TPatListPage::pnl20Click() { GetPatLstByDate(0); }
void TPatListPage::pnl27Click() { GetPatLstByDate(7); }
void TPatListPage::pnl29Click() { GetPatLstByDate(30); }

void TPatListPage::GetPatLstByDate(int daysBack) { list(quickRangeFilter(daysBack, QDate::currentDate())); }

void TPatListPage::searchClick() {
  const std::optional<ListingFilter> filter = searchFilter(kind_, edtPatName->text(), dt1->date(), dt2->date());
  if (!filter) return;
  if (list(*filter) && lstPatObj.isEmpty() && reader_.done()) messages_.showMessage(kNothingFound);
}

void TPatListPage::showLoading(bool on) {
  pnlLoadData->setVisible(on);
  if (on) {
    pnlLoadData->raise();
    pnlLoadData->repaint();
  }
}

bool TPatListPage::list(const ListingFilter& filter) {
  showLoading(true);
  readTimer_.stop();
  for (TPatListFrame* row : arrPatList) row->hide();
  countBefore_ = lblTotalPage->text();
  currentPage_ = 0;
  if (!reader_.start(kind_, dm_, loginState().ShopId.toLongLong(), filter, &lstPatObj, kFirstRows)) {
    listingFailed();
    showLoading(false);
    return false;
  }
  refillChooser();
  showPage(lstPatObj.isEmpty() ? 0 : 1);
  showCount();
  showLoading(false);
  if (!reader_.done()) readTimer_.start();
  return true;
}

void TPatListPage::readStep() {
  const int before = lstPatObj.size();
  if (!reader_.readMore(kStepRows)) {
    listingFailed();
    return;
  }
  refillChooser();
  // The last page shown may have been short of rows that arrived now.
  if (pageSlice(currentPage_, before).count < kRowsPerPage && currentPage_ > 0) refreshRows();
  showCount();
  if (!reader_.done()) readTimer_.start();
}

void TPatListPage::finishListing() {
  while (!reader_.done()) {
    readTimer_.stop();
    readStep();
  }
  readTimer_.stop();
}

void TPatListPage::listingFailed() {
  // A listing is never shown in part: no rows, no pages, the count as it was.
  readTimer_.stop();
  lstPatObj.clear();
  for (TPatListFrame* row : arrPatList) row->hide();
  currentPage_ = 0;
  const QSignalBlocker block(cbbTotalPage);
  cbbTotalPage->clear();
  lblTotalPage->setText(countBefore_);
}

void TPatListPage::refillChooser() {
  // Refilling the chooser is no page change: the rows shown stay as they are.
  const QSignalBlocker block(cbbTotalPage);
  const int pages = pageCount(lstPatObj.size());
  if (cbbTotalPage->count() > pages) cbbTotalPage->clear();
  for (int p = cbbTotalPage->count() + 1; p <= pages; ++p) cbbTotalPage->addItem(QString::number(p));
  cbbTotalPage->setCurrentIndex(currentPage_ > 0 ? currentPage_ - 1 : (pages > 0 ? 0 : -1));
}

void TPatListPage::showCount() {
  lblTotalPage->setText(QStringLiteral("%1条").arg(lstPatObj.size()) +
                        (reader_.done() ? QString() : QStringLiteral("…")));
}

void TPatListPage::cbbTotalPageChange(int index) {
  if (index < 0) return;
  showPage(index + 1);
}

void TPatListPage::showPage(int page) {
  currentPage_ = page;
  ++pageFills_;
  refreshRows();
}

void TPatListPage::refreshRows() {
  const PageSlice slice = pageSlice(currentPage_, lstPatObj.size());
  for (int k = 0; k < arrPatList.size(); ++k) {
    TPatListFrame* row = arrPatList[k];
    if (k >= slice.count) {
      row->hide();
      continue;
    }
    row->keptIndex = slice.first + k;
    fillRow(row, lstPatObj.at(slice.first + k));
    row->show();
  }
}

}  // namespace tcm::ui

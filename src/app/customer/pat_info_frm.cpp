#include "customer/pat_info_frm.h"

#include <QComboBox>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "customer/customer_filter.h"
#include "customer/customer_host.h"
#include "customer/customer_record.h"
#include "login/login_state.h"
#include "messages.h"
#include "ui_kit.h"

namespace tcm::ui {
namespace {

constexpr int kRowHeight = 24;
const QString kPlainTitle = QStringLiteral("查询/添加客户资料");

const QString kBoxStyle = QStringLiteral(
    "QLineEdit, QComboBox { border: 1px solid #C5D3D0; border-radius: 3px; padding: 3px 6px; font-size: 14px;"
    " min-height: 22px; }"
    "QLineEdit:focus, QComboBox:focus { border-color: #037C6A; }");

QLabel* caption(const QString& text, QWidget* parent) {
  auto* l = new QLabel(text, parent);
  l->setStyleSheet(QStringLiteral("color: #333; font-size: 14px;"));
  return l;
}

QLineEdit* box(QWidget* parent, const QString& name, int width) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  e->setFixedWidth(width);
  return e;
}

QString cell(const QTableWidget* grid, int row, int column) {
  const QTableWidgetItem* item = grid->item(row, column);
  return item ? item->text() : QString();
}

}  // namespace

TPatInfoFrm::TPatInfoFrm(TDMServer& dm, Messages& messages, CustomerHost& host, QWidget* parent)
    : TToolWindow(QStringLiteral("PatInfoFrm"), kPlainTitle, QSize(600, 590), parent), dm_(dm), messages_(messages), host_(host) {
  setStyleSheet(kBoxStyle);

  pgcMain = addPages(QStringLiteral("pgcMain"));
  tsSearch = buildSearchTab();
  tsAdd = buildAddTab();
  pgcMain->addTab(tsSearch, QStringLiteral("客户查询"));
  pgcMain->addTab(tsAdd, QStringLiteral("添加新客户"));

  connect(imgClose, &TPanel::clicked, this, &TPatInfoFrm::imgCloseClick);
}

QWidget* TPatInfoFrm::buildSearchTab() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("tsSearch"));
  auto* v = new QVBoxLayout(page);
  v->setContentsMargins(16, 14, 16, 10);
  v->setSpacing(10);

  auto* row = new QHBoxLayout;
  row->setSpacing(10);
  row->addWidget(caption(QStringLiteral("姓名/电话后4位"), page));
  edtPatName = box(page, QStringLiteral("edtPatName"), 220);
  row->addWidget(edtPatName);
  pnlSearch = actionButton(QStringLiteral("查 询"), QStringLiteral("pnlSearch"), page);
  pnlSearch->setFixedSize(90, 30);
  row->addWidget(pnlSearch);
  row->addStretch(1);
  v->addLayout(row);

  sgPat = new QTableWidget(kCustomerDetailRows, 5, page);
  sgPat->setObjectName(QStringLiteral("sgPat"));
  sgPat->setHorizontalHeaderLabels(
      {QString(), QStringLiteral("姓名"), QStringLiteral("性别"), QStringLiteral("年龄"), QStringLiteral("电话")});
  sgPat->verticalHeader()->hide();
  sgPat->verticalHeader()->setDefaultSectionSize(kRowHeight);
  sgPat->horizontalHeader()->setMinimumSectionSize(0);
  sgPat->horizontalHeader()->setFixedHeight(28);
  sgPat->setColumnWidth(0, 2);  // the customer id: kept, not seen
  sgPat->setColumnWidth(1, 170);
  sgPat->setColumnWidth(2, 70);
  sgPat->setColumnWidth(3, 70);
  sgPat->horizontalHeader()->setStretchLastSection(true);
  sgPat->setEditTriggers(QAbstractItemView::NoEditTriggers);
  sgPat->setSelectionBehavior(QAbstractItemView::SelectRows);
  sgPat->setSelectionMode(QAbstractItemView::SingleSelection);
  sgPat->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  sgPat->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  sgPat->setFixedHeight(28 + kCustomerDetailRows * kRowHeight + 2);
  sgPat->setStyleSheet(QStringLiteral(
      "QTableWidget { border: 1px solid #DCE8E5; gridline-color: #E6EEEC; font-size: 14px; }"
      "QHeaderView::section { background: #F3F6F5; color: #333; border: none; border-right: 1px solid #DCE8E5;"
      " font-size: 14px; }"
      "QTableWidget::item:selected { background: #037C6A; color: white; }"));
  v->addWidget(sgPat);

  auto* note = new QLabel(QStringLiteral("提示：双击添加客户"), page);
  note->setObjectName(QStringLiteral("lblNote"));
  note->setStyleSheet(QStringLiteral("color: #C0504D; font-size: 13px;"));
  v->addWidget(note);
  v->addStretch(1);

  connect(pnlSearch, &TPanel::clicked, this, &TPatInfoFrm::pnlSearchClick);
  connect(sgPat, &QTableWidget::cellDoubleClicked, this, [this](int r) { sgPatDblClick(r); });
  edtPatName->installEventFilter(this);
  sgPat->installEventFilter(this);
  return page;
}

QWidget* TPatInfoFrm::buildAddTab() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("tsAdd"));
  auto* f = new QFormLayout;
  f->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
  f->setHorizontalSpacing(14);
  f->setVerticalSpacing(18);
  edtName = box(page, QStringLiteral("edtName"), 280);
  cbbGender = new QComboBox(page);
  cbbGender->setObjectName(QStringLiteral("cbbGender"));
  cbbGender->addItems({QStringLiteral("男"), QStringLiteral("女")});
  cbbGender->setFixedWidth(100);
  edtAge = box(page, QStringLiteral("edtAge"), 100);
  edtTel = box(page, QStringLiteral("edtTel"), 280);
  edtAddress = box(page, QStringLiteral("edtAddress"), 280);
  f->addRow(caption(QStringLiteral("姓名"), page), edtName);
  f->addRow(caption(QStringLiteral("性别"), page), cbbGender);
  f->addRow(caption(QStringLiteral("年龄"), page), edtAge);
  f->addRow(caption(QStringLiteral("电话"), page), edtTel);
  f->addRow(caption(QStringLiteral("地址"), page), edtAddress);
  lblSaveTarget = new QLabel(page);
  lblSaveTarget->setObjectName(QStringLiteral("lblSaveTarget"));
  lblSaveTarget->setStyleSheet(QStringLiteral("color: #037C6A; font-size: 13px;"));
  f->addRow(QString(), lblSaveTarget);
  pnl4 = actionButton(QStringLiteral("保 存"), QStringLiteral("pnl4"), page);
  f->addRow(QString(), pnl4);

  placeFormCentred(page, f);
  connect(pnl4, &TPanel::clicked, this, &TPatInfoFrm::pnl4Click);
  return page;
}

void TPatInfoFrm::openOn(int fromType, QWidget* tab, const QString& title) {
  FromType = fromType;
  lblTitle->setText(title);
  setWindowTitle(title);
  pgcMain->tabBar()->setVisible(fromType < 2);
  pgcMain->setCurrentWidget(tab);
  showSaveTarget();
  showCentredOver(this, parentWidget());
  (tab == tsSearch ? edtPatName : edtName)->setFocus();
}

void TPatInfoFrm::openPlain() { openOn(0, tsSearch, kPlainTitle); }

void TPatInfoFrm::openForMainSearch() { openOn(1, tsSearch, kPlainTitle); }

void TPatInfoFrm::openForAdd() {
  editPatId.clear();
  justSaved_.reset();
  editedRow_ = {};
  clearBoxes();
  openOn(2, tsAdd, QStringLiteral("添加新客户"));
}

void TPatInfoFrm::openForEdit(const tcm::TPatList& row) {
  justSaved_.reset();
  editedRow_ = row;
  editPatId = QString::number(row.PatId);
  edtName->setText(row.Name);
  const int gender = cbbGender->findText(row.Gender.trimmed());
  if (gender >= 0) cbbGender->setCurrentIndex(gender);
  edtAge->setText(row.Age);
  edtTel->setText(row.Tel);
  edtAddress->setText(row.Address);
  openOn(3, tsAdd, QStringLiteral("修改客户资料"));
}

void TPatInfoFrm::pnlSearchClick() {
  const std::optional<QList<CustomerRow>> rows =
      searchCustomerDetails(dm_, loginState().ShopId, edtPatName->text(), QDate::currentDate());
  // Rows of an earlier search never stay as if they matched this one.
  sgPat->clearContents();
  if (!rows || rows->isEmpty()) {
    messages_.showMessage(kNothingFound);
    return;
  }
  for (int r = 0; r < rows->size() && r < kCustomerDetailRows; ++r) {
    const CustomerRow& c = rows->at(r);
    const QStringList cells = {c.patId, c.name, c.gender, c.age, c.tel};
    for (int col = 0; col < cells.size(); ++col) sgPat->setItem(r, col, new QTableWidgetItem(cells[col]));
  }
  if (!rows->isEmpty()) sgPat->setCurrentCell(0, 1);
}

void TPatInfoFrm::sgPatDblClick(int row) {
  if (row < 0 || row >= sgPat->rowCount() || cell(sgPat, row, 1).isEmpty()) return;
  const CustomerPick pick{cell(sgPat, row, 0), cell(sgPat, row, 1), cell(sgPat, row, 2), cell(sgPat, row, 3),
                          cell(sgPat, row, 4)};
  host_.makeCurrent(pick, CustomerHost::Visit::NewIfNone);
  imgCloseClick();
}

void TPatInfoFrm::pnl4Click() {
  const CustomerForm form{edtName->text(), cbbGender->currentText(), edtAge->text(), edtTel->text(),
                          edtAddress->text()};
  // A later save corrects the customer just added, but a different name is
  // most often the next customer typed over the boxes: ask, adding by default.
  if (!editPatId.isEmpty() && justSaved_ && customerFormError(form).isEmpty() &&
      namesAnotherPerson(*justSaved_, form)) {
    const int choice = messages_.askChoice(
        QStringLiteral("提示"),
        QStringLiteral("刚才保存的客户是“%1”，现在填写的姓名是“%2”。\n要添加一位新客户，还是更正“%1”的资料？")
            .arg(justSaved_->name, form.name.trimmed()),
        {QStringLiteral("添加新客户"), QStringLiteral("更正“%1”").arg(justSaved_->name), QStringLiteral("取消")}, 0);
    if (choice == 0) {
      editPatId.clear();
    } else if (choice != 1) {
      return;  // cancelled: nothing is stored, the boxes stay as typed
    }
  }
  const CustomerSave r = saveCustomer(dm_, loginState().ShopId, editPatId, form, QDate::currentDate());
  messages_.showMessage(r.message);
  if (!r.ok) return;  // the window keeps what was typed

  editPatId = r.patId;  // a further save here corrects this customer
  justSaved_ = r.stored;
  showSaveTarget();
  const CustomerPick pick{r.patId, r.stored.name, r.stored.gender, r.ageToday, r.stored.tel};
  if (r.inserted || host_.currentPatId() == r.patId) host_.makeCurrent(pick, CustomerHost::Visit::Keep);

  tcm::TPatList saved = FromType == 3 ? editedRow_ : tcm::TPatList{};
  saved.PatId = r.patId.toInt();
  saved.Name = r.stored.name;
  saved.Gender = r.stored.gender;
  saved.Age = r.stored.age;
  saved.Tel = r.stored.tel;
  saved.Address = r.stored.address;
  const int fromType = FromType;
  if (fromType != 0) imgCloseClick();
  Q_EMIT customerSaved(fromType, saved);
}

void TPatInfoFrm::clearBoxes() {
  for (QLineEdit* e : {edtName, edtAge, edtAddress, edtTel}) e->clear();
}

void TPatInfoFrm::showSaveTarget() {
  if (editPatId.isEmpty()) {
    lblSaveTarget->setText(QStringLiteral("保存将添加一位新客户"));
    return;
  }
  const QString name = justSaved_ ? justSaved_->name : editedRow_.Name;
  lblSaveTarget->setText(QStringLiteral("保存将修改客户“%1”的资料").arg(name));
}

void TPatInfoFrm::imgCloseClick() {
  editPatId.clear();
  justSaved_.reset();
  editedRow_ = {};
  clearBoxes();
  FromType = 0;
  lblTitle->setText(kPlainTitle);
  setWindowTitle(kPlainTitle);
  pgcMain->tabBar()->setVisible(true);
  close();
}

bool TPatInfoFrm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (watched == edtPatName) {
      if (enter) {
        pnlSearchClick();
        return true;
      }
      if (key == Qt::Key_Down && !cell(sgPat, 0, 0).isEmpty()) {
        sgPat->setFocus();
        if (sgPat->currentRow() < 0) sgPat->setCurrentCell(0, 1);
        return true;
      }
    } else if (watched == sgPat && enter) {
      sgPatDblClick(sgPat->currentRow());
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace tcm::ui

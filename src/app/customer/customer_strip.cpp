#include "customer/customer_strip.h"

#include <QComboBox>
#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QVBoxLayout>

#include "customer/customer_search.h"
#include "login/login_state.h"
#include "ui_kit.h"

namespace tcm::ui {
namespace {

constexpr int kCustomerRows = 16;

QLabel* caption(const QString& text, QWidget* parent) {
  auto* l = new QLabel(text, parent);
  l->setStyleSheet(QStringLiteral("color: #333; font-size: 14px;"));
  return l;
}

TPanel* greenButton(const QString& text, QWidget* parent, const QString& name) {
  auto* b = new TPanel(text, parent);
  b->setObjectName(name);
  b->setFixedSize(76, 30);
  b->setHoverColors(QColor(0x21, 0x73, 0x46), Qt::white, QColor(0x07, 0xC1, 0x60), Qt::white);
  return b;
}

TPanel* link(const QString& text, QWidget* parent, const QString& name) {
  auto* l = new TPanel(text, parent);
  l->setObjectName(name);
  l->setCursor(Qt::PointingHandCursor);
  l->setStyleSheet(QStringLiteral("color: #1E63A7; background: transparent; font-size: 14px;"));
  return l;
}

void setUnderline(QWidget* w, bool on) {
  QFont f = w->font();
  f.setUnderline(on);
  w->setFont(f);
}

}  // namespace

TCustomerStrip::TCustomerStrip(TDMServer& dm, QWidget* popupParent, QWidget* parent)
    : QFrame(parent), dm_(dm), popupParent_(popupParent) {
  setObjectName(QStringLiteral("customerStrip"));
  setStyleSheet(QStringLiteral("#customerStrip { background: white; border: 1px solid #DCE8E5; border-radius: 6px; }"
                               "QLineEdit, QComboBox { border: 1px solid #CCD6D4; border-radius: 3px; padding: 2px 4px; "
                               "font-size: 14px; background: white; }"));
  auto* g = new QGridLayout(this);
  g->setContentsMargins(10, 8, 10, 8);
  g->setHorizontalSpacing(6);
  g->setVerticalSpacing(6);
  edtPatName = new QLineEdit(this);
  edtPatName->setObjectName(QStringLiteral("edtPatName"));
  edtPatName->setPlaceholderText(QStringLiteral("输入姓名查找客户"));
  edtPatName->setMaxLength(40);
  edtGender = new QComboBox(this);
  edtGender->setObjectName(QStringLiteral("edtGender"));
  edtGender->setEditable(true);
  edtGender->addItems({QString(), QStringLiteral("男"), QStringLiteral("女")});
  edtGender->setFixedWidth(64);
  edtAge = new QLineEdit(this);
  edtAge->setObjectName(QStringLiteral("edtAge"));
  edtAge->setFixedWidth(56);
  edtAge->setMaxLength(3);
  edtTel = new QLineEdit(this);
  edtTel->setObjectName(QStringLiteral("edtTel"));
  edtTel->setMaxLength(20);
  lbl3 = link(QStringLiteral("+选择"), this, QStringLiteral("lbl3"));
  lbl3->setToolTip(QStringLiteral("查询客户，选中后即为当前客户"));
  pnlAdd = greenButton(QStringLiteral("选择"), this, QStringLiteral("pnlAdd"));
  pnlAdd->setToolTip(QStringLiteral("查询或添加客户资料"));
  pnlClear = greenButton(QStringLiteral("清 除"), this, QStringLiteral("pnlClear"));
  auto* nameRow = new QHBoxLayout;
  nameRow->setSpacing(6);
  nameRow->addWidget(edtPatName, 1);
  nameRow->addWidget(lbl3);
  g->addWidget(caption(QStringLiteral("姓名"), this), 0, 0);
  g->addLayout(nameRow, 0, 1);
  g->addWidget(caption(QStringLiteral("性别"), this), 0, 2);
  g->addWidget(edtGender, 0, 3);
  g->addWidget(caption(QStringLiteral("年龄"), this), 0, 4);
  g->addWidget(edtAge, 0, 5);
  g->addWidget(caption(QStringLiteral("电话"), this), 1, 0);
  g->addWidget(edtTel, 1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(6);
  buttons->addWidget(pnlAdd);
  buttons->addWidget(pnlClear);
  g->addLayout(buttons, 1, 2, 1, 4, Qt::AlignRight);
  lbl9 = link(QStringLiteral("中国糖尿病风险评估表"), this, QStringLiteral("lbl9"));
  connect(lbl9, &TPanel::entered, this, [this] { setUnderline(lbl9, true); });
  connect(lbl9, &TPanel::left, this, [this] { setUnderline(lbl9, false); });
  lblTZ = link(QStringLiteral("体质问卷"), this, QStringLiteral("lblTZ"));
  connect(lblTZ, &TPanel::entered, this, [this] { setUnderline(lblTZ, true); });
  connect(lblTZ, &TPanel::left, this, [this] { setUnderline(lblTZ, false); });
  auto* links = new QHBoxLayout;
  links->setSpacing(18);
  links->addWidget(lbl9);
  links->addWidget(lblTZ);
  links->addStretch(1);
  g->addLayout(links, 2, 1, 1, -1, Qt::AlignLeft);
  g->setColumnStretch(1, 1);

  connect(edtPatName, &QLineEdit::textChanged, this, [this] { edtPatNameChange(); });
  edtPatName->installEventFilter(this);
  connect(edtGender, &QComboBox::currentTextChanged, this, &TCustomerStrip::genderChanged);
  connect(edtAge, &QLineEdit::textChanged, this, &TCustomerStrip::ageChanged);
  connect(pnlAdd, &TPanel::clicked, this, [this] { Q_EMIT detailsRequested(0); });
  connect(lbl3, &TPanel::clicked, this, [this] { Q_EMIT detailsRequested(1); });
  buildPopup(popupParent);
}

void TCustomerStrip::buildPopup(QWidget* popupParent) {
  pnlLst = new QFrame(popupParent);
  pnlLst->setObjectName(QStringLiteral("pnlLst"));
  pnlLst->setStyleSheet(QStringLiteral("#pnlLst { background: white; border: 1px solid #037C6A; }"));
  auto* lv = new QVBoxLayout(pnlLst);
  lv->setContentsMargins(2, 2, 2, 2);
  sgPat = new QTableWidget(kCustomerRows, 2, pnlLst);
  sgPat->setObjectName(QStringLiteral("sgPat"));
  sgPat->horizontalHeader()->hide();
  sgPat->verticalHeader()->hide();
  sgPat->horizontalHeader()->setMinimumSectionSize(0);
  sgPat->setColumnWidth(0, 2);  // the id column is kept but not seen
  sgPat->horizontalHeader()->setStretchLastSection(true);
  sgPat->setEditTriggers(QAbstractItemView::NoEditTriggers);
  sgPat->setSelectionBehavior(QAbstractItemView::SelectRows);
  sgPat->setSelectionMode(QAbstractItemView::SingleSelection);
  sgPat->setShowGrid(false);
  sgPat->verticalHeader()->setDefaultSectionSize(24);
  lbl24 = link(QStringLiteral("+ 添加"), pnlLst, QStringLiteral("lbl24"));
  lblClosePatLst = link(QStringLiteral("关闭"), pnlLst, QStringLiteral("lblClosePatLst"));
  auto* foot = new QHBoxLayout;
  foot->setContentsMargins(4, 0, 4, 0);
  foot->addWidget(lbl24);
  foot->addStretch(1);
  foot->addWidget(lblClosePatLst);
  lv->addWidget(sgPat);
  lv->addLayout(foot);
  pnlLst->resize(260, kCustomerRows * 24 + 36);
  pnlLst->hide();
  connect(sgPat, &QTableWidget::cellDoubleClicked, this, [this](int row) { sgPatDblClick(row); });
  sgPat->installEventFilter(this);
  connect(lblClosePatLst, &TPanel::clicked, this, &TCustomerStrip::lblClosePatLstClick);
  connect(lbl24, &TPanel::clicked, this, [this] {
    lblClosePatLstClick();
    Q_EMIT detailsRequested(0);
  });
}

void TCustomerStrip::edtPatNameChange() {
  if (!edtPatName->hasFocus()) return;
  sgPat->clearContents();
  const QList<CustomerRow> found =
      searchCustomersByName(dm_, loginState().ShopId, edtPatName->text(), kCustomerRows, QDate::currentDate());
  for (qsizetype r = 0; r < found.size(); ++r) {
    const CustomerRow& c = found[r];
    auto* idItem = new QTableWidgetItem(c.patId);
    auto* nameItem = new QTableWidgetItem(QStringLiteral("%1　%2　%3岁").arg(c.name, c.gender, c.age));
    nameItem->setData(Qt::UserRole, QStringList{c.patId, c.name, c.gender, c.age, c.tel});
    sgPat->setItem(static_cast<int>(r), 0, idItem);
    sgPat->setItem(static_cast<int>(r), 1, nameItem);
  }
  pnlLst->move(edtPatName->mapTo(popupParent_, QPoint(0, edtPatName->height())));
  pnlLst->show();
  pnlLst->raise();
}

void TCustomerStrip::sgPatDblClick(int row) {
  QTableWidgetItem* item = sgPat->item(row, 1);
  if (!item) return;
  const QStringList data = item->data(Qt::UserRole).toStringList();
  if (data.size() < 5 || data[1].isEmpty()) return;
  MZNO.clear();  // a pick in the strip always starts a new visit
  makeCurrent({data[0], data[1], data[2], data[3], data[4]}, CustomerHost::Visit::NewIfNone);
  lblClosePatLstClick();
}

void TCustomerStrip::lblClosePatLstClick() {
  pnlLst->hide();
  sgPat->clearContents();
}

void TCustomerStrip::makeCurrent(const CustomerPick& c, CustomerHost::Visit visit) {
  PatId = c.patId;
  edtPatName->blockSignals(true);
  edtPatName->setText(c.name);
  edtPatName->blockSignals(false);
  edtGender->setCurrentText(c.gender);
  edtAge->setText(c.age);
  edtTel->setText(c.tel);
  if (visit == CustomerHost::Visit::NewIfNone) ensureMZNO();
  Q_EMIT customerChosen();
}

QString TCustomerStrip::ensureMZNO() {
  if (MZNO.isEmpty()) MZNO = GetMZNO(QDateTime::currentDateTime(), loginState().ShopId);
  return MZNO;
}

void TCustomerStrip::clear() {
  MZNO.clear();
  edtPatName->blockSignals(true);
  edtPatName->clear();
  edtPatName->blockSignals(false);
  edtAge->clear();
  edtGender->setCurrentText(QString());
  edtTel->clear();
  PatId = QStringLiteral("0");
}

bool TCustomerStrip::hasCustomer() const {
  const QString id = PatId.trimmed();
  return !id.isEmpty() && id != QLatin1String("0");
}

bool TCustomerStrip::eventFilter(QObject* watched, QEvent* event) {
  if (watched == edtPatName && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Down) {
    if (pnlLst->isVisible() && sgPat->item(0, 1)) {
      sgPat->setFocus();
      sgPat->setCurrentCell(0, 1);
    }
    return true;
  }
  if (watched == sgPat && event->type() == QEvent::KeyPress) {
    auto* ke = static_cast<QKeyEvent*>(event);
    if (ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) {
      sgPatDblClick(sgPat->currentRow());
      return true;
    }
  }
  return QFrame::eventFilter(watched, event);
}

}  // namespace tcm::ui

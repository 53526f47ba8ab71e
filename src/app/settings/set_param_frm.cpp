#include "settings/set_param_frm.h"

#include <QFile>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtMath>

#include "db/gateway.h"
#include "login/login_state.h"
#include "messages.h"
#include "ui_kit.h"

namespace tcm::ui {
namespace {

const QColor kFrameColor(0x03, 0x7C, 0x6A);
const QColor kButtonHover(0x02, 0x5E, 0x51);
constexpr int kHerbRows = 15;
constexpr int kHerbRowHeight = 20;

const QString kBoxStyle = QStringLiteral(
    "QLineEdit { border: 1px solid #C5D3D0; border-radius: 3px; padding: 3px 6px; font-size: 14px;"
    " lineedit-password-character: 42; }"
    "QLineEdit:focus { border-color: #037C6A; }");

TPanel* saveButton(const QString& caption, QWidget* parent, const QString& name) {
  auto* b = new TPanel(caption, parent);
  b->setObjectName(name);
  b->setFixedSize(110, 34);
  b->setStyleSheet(QStringLiteral("font-size: 15px; font-weight: bold;"));
  b->setHoverColors(kButtonHover, Qt::white, kFrameColor, Qt::white);
  return b;
}

QLineEdit* box(QWidget* parent, const QString& name, int width) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  e->setFixedWidth(width);
  e->setStyleSheet(kBoxStyle);
  return e;
}

QLabel* caption(const QString& text, QWidget* parent) {
  auto* l = new QLabel(text, parent);
  l->setStyleSheet(QStringLiteral("color: #333; font-size: 14px;"));
  return l;
}

QFormLayout* form() {
  auto* f = new QFormLayout;
  f->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
  f->setHorizontalSpacing(12);
  f->setVerticalSpacing(16);
  return f;
}

void addTreeNodes(QTreeWidgetItem* parent, QTreeWidget* tree, const QList<HerbTreeNode>& nodes) {
  for (const HerbTreeNode& n : nodes) {
    auto* item = parent ? new QTreeWidgetItem(parent, QStringList{n.text}) : new QTreeWidgetItem(tree, QStringList{n.text});
    addTreeNodes(item, tree, n.children);
  }
}

}  // namespace

QPixmap gearPicture(const QColor& color, int size) {
  QPixmap pm(size, size);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  const QPointF c(size / 2.0, size / 2.0);
  const double outer = size * 0.48, inner = size * 0.34, hole = size * 0.15;
  QPainterPath gear;
  constexpr int kTeeth = 8;
  for (int i = 0; i < kTeeth * 4; ++i) {
    // Each tooth: up, top, down, bottom.
    const double a = (i - 0.5) * M_PI / (kTeeth * 2);
    const double r = (i % 4 == 1 || i % 4 == 2) ? outer : inner;
    const QPointF pt = c + QPointF(r * qCos(a), r * qSin(a));
    if (i == 0)
      gear.moveTo(pt);
    else
      gear.lineTo(pt);
  }
  gear.closeSubpath();
  gear.addEllipse(c, hole, hole);
  gear.setFillRule(Qt::OddEvenFill);
  p.fillPath(gear, color);
  return pm;
}

TSetParamFrm::TSetParamFrm(TDMServer& dm, Messages& messages, QWidget* parent)
    : TToolWindow(QStringLiteral("SetParamFrm"), QStringLiteral("设置"), QSize(780, 540), parent), dm_(dm), messages_(messages) {

  pgcSet = addPages(QStringLiteral("pgcSet"));
  ts1 = buildPasswordTab();
  ts2 = buildShopTab();
  ts3 = buildHerbTab();
  pgcSet->addTab(ts1, QStringLiteral("修改密码"));
  pgcSet->addTab(ts2, QStringLiteral("医疗机构地址"));
  pgcSet->addTab(ts3, QStringLiteral("中药价格维护"));

  tmr1.setSingleShot(true);
  tmr1.setInterval(10);
  connect(&tmr1, &QTimer::timeout, this, &TSetParamFrm::tmr1Timer);
  connect(imgClose, &TPanel::clicked, this, &TSetParamFrm::imgCloseClick);
  connect(pgcSet->tabBar(), &QTabBar::tabBarClicked, this, [this](int index) {
    if (pgcSet->widget(index) == ts3) ts3Click();
  });
}

QWidget* TSetParamFrm::buildPasswordTab() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("ts1"));
  auto* f = form();
  edtPwd_old = box(page, QStringLiteral("edtPwd_old"), 240);
  edtPwd_new = box(page, QStringLiteral("edtPwd_new"), 240);
  for (QLineEdit* e : {edtPwd_old, edtPwd_new}) e->setEchoMode(QLineEdit::Password);
  f->addRow(caption(QStringLiteral("旧密码"), page), edtPwd_old);
  f->addRow(caption(QStringLiteral("新密码"), page), edtPwd_new);
  pnl2 = saveButton(QStringLiteral("保存"), page, QStringLiteral("pnl2"));
  f->addRow(QString(), pnl2);
  placeFormCentred(page, f);
  connect(pnl2, &TPanel::clicked, this, &TSetParamFrm::pnl2Click);
  return page;
}

QWidget* TSetParamFrm::buildShopTab() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("ts2"));
  auto* f = form();
  edtName = box(page, QStringLiteral("edtName"), 300);
  edtAddress = box(page, QStringLiteral("edtAddress"), 300);
  edtContactName = box(page, QStringLiteral("edtContactName"), 300);
  edtTel = box(page, QStringLiteral("edtTel"), 300);
  f->addRow(caption(QStringLiteral("机构名称"), page), edtName);
  f->addRow(caption(QStringLiteral("地址"), page), edtAddress);
  f->addRow(caption(QStringLiteral("联系人"), page), edtContactName);
  f->addRow(caption(QStringLiteral("电话"), page), edtTel);
  pnl6 = saveButton(QStringLiteral("保存"), page, QStringLiteral("pnl6"));
  f->addRow(QString(), pnl6);
  imgBusinessLicense = new QLabel(page);
  imgBusinessLicense->setObjectName(QStringLiteral("imgBusinessLicense"));
  imgBusinessLicense->setFixedSize(280, 210);
  imgBusinessLicense->setAlignment(Qt::AlignCenter);
  imgBusinessLicense->setStyleSheet(QStringLiteral("#imgBusinessLicense { border: 1px solid #9BB7B2; background: #FAFCFB; }"));
  auto* outer = new QHBoxLayout(page);
  outer->setContentsMargins(30, 40, 30, 20);
  outer->setSpacing(30);
  outer->addLayout(f);
  outer->addWidget(imgBusinessLicense, 0, Qt::AlignTop);
  outer->addStretch(1);
  connect(pnl6, &TPanel::clicked, this, &TSetParamFrm::pnl6Click);
  return page;
}

QWidget* TSetParamFrm::buildHerbTab() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("ts3"));
  tvDrug = new QTreeWidget(page);
  tvDrug->setObjectName(QStringLiteral("tvDrug"));
  tvDrug->setHeaderHidden(true);
  tvDrug->setFixedWidth(240);
  tvDrug->setStyleSheet(QStringLiteral(
      "QTreeWidget { border: 1px solid #DCE8E5; font-size: 14px; }"
      "QTreeWidget::item { height: 24px; }"
      "QTreeWidget::item:selected { background: #037C6A; color: white; }"));
  auto* f = form();
  edtHerName = box(page, QStringLiteral("edtHerName"), 220);
  edtPrice = box(page, QStringLiteral("edtPrice"), 220);
  edtStock = box(page, QStringLiteral("edtStock"), 220);
  f->addRow(caption(QStringLiteral("中药名"), page), edtHerName);
  f->addRow(caption(QStringLiteral("售价"), page), edtPrice);
  f->addRow(caption(QStringLiteral("库存(克)"), page), edtStock);
  pnl10 = saveButton(QStringLiteral("保存"), page, QStringLiteral("pnl10"));
  f->addRow(QString(), pnl10);
  auto* outer = new QHBoxLayout(page);
  outer->setContentsMargins(12, 12, 12, 12);
  outer->setSpacing(40);
  outer->addWidget(tvDrug);
  auto* right = new QVBoxLayout;
  right->setContentsMargins(0, 28, 0, 0);
  right->addLayout(f);
  right->addStretch(1);
  outer->addLayout(right);
  outer->addStretch(1);

  // The drop-down under the name box.
  pnlLst = new QFrame(page);
  pnlLst->setObjectName(QStringLiteral("pnlLst"));
  pnlLst->setStyleSheet(QStringLiteral("#pnlLst { background: white; border: 1px solid #037C6A; }"));
  auto* lv = new QVBoxLayout(pnlLst);
  lv->setContentsMargins(1, 1, 1, 1);
  lv->setSpacing(0);
  sgHerb = new QTableWidget(kHerbRows, 2, pnlLst);
  sgHerb->setObjectName(QStringLiteral("sgHerb"));
  sgHerb->horizontalHeader()->hide();
  sgHerb->verticalHeader()->hide();
  sgHerb->horizontalHeader()->setMinimumSectionSize(0);
  sgHerb->setColumnWidth(0, 2);  // the herb id, kept but not seen
  sgHerb->horizontalHeader()->setStretchLastSection(true);
  sgHerb->verticalHeader()->setDefaultSectionSize(kHerbRowHeight);
  sgHerb->setEditTriggers(QAbstractItemView::NoEditTriggers);
  sgHerb->setSelectionBehavior(QAbstractItemView::SelectRows);
  sgHerb->setSelectionMode(QAbstractItemView::SingleSelection);
  sgHerb->setShowGrid(false);
  sgHerb->setFrameShape(QFrame::NoFrame);
  sgHerb->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  sgHerb->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  sgHerb->setStyleSheet(QStringLiteral("QTableWidget { font-size: 14px; }"
                                       "QTableWidget::item:selected { background: #037C6A; color: white; }"));
  lblCloseHerb = new TPanel(QStringLiteral("关闭"), pnlLst);
  lblCloseHerb->setObjectName(QStringLiteral("lblCloseHerb"));
  lblCloseHerb->setStyleSheet(QStringLiteral("color: #1E63A7; background: transparent; padding: 2px 8px;"));
  lv->addWidget(sgHerb);
  lv->addWidget(lblCloseHerb, 0, Qt::AlignRight);
  pnlLst->resize(220, kHerbRows * kHerbRowHeight + 30);
  pnlLst->hide();

  connect(tvDrug, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { tvDrugClick(item); });
  connect(edtHerName, &QLineEdit::textChanged, this, &TSetParamFrm::edtHerNameChange);
  connect(sgHerb, &QTableWidget::cellClicked, this, [this](int row) { sgHerbClick(row); });
  connect(lblCloseHerb, &TPanel::clicked, this, &TSetParamFrm::lblCloseHerbClick);
  connect(pnl10, &TPanel::clicked, this, &TSetParamFrm::pnl10Click);
  return page;
}

void TSetParamFrm::showCenteredOver(const QWidget* other) { showCentredOver(this, other); }

void TSetParamFrm::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  tmr1.start();
}

QString TSetParamFrm::picturePath() const {
  return shopPicturePath(dm_.settings().pictureDir(), loginState().ShopId);
}

void TSetParamFrm::tmr1Timer() {
  tmr1.stop();
  loadPicture();
  fillShopCard();
  fillTree();
  Q_EMIT loaded();
}

void TSetParamFrm::loadPicture() {
  // A missing or unreadable picture leaves the frame empty.
  picture_ = QFile::exists(picturePath()) ? QImage(picturePath()) : QImage();
  if (picture_.isNull()) {
    imgBusinessLicense->clear();
    return;
  }
  imgBusinessLicense->setPixmap(QPixmap::fromImage(picture_).scaled(
      imgBusinessLicense->size() - QSize(4, 4), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void TSetParamFrm::fillShopCard() {
  // Without the shop's row the boxes keep their texts.
  const std::optional<ShopCard> card = loadShopCard(dm_, loginState().ShopId);
  if (!card) return;
  edtName->setText(card->name);
  edtContactName->setText(card->contactName);
  edtTel->setText(card->tel);
  edtAddress->setText(card->address);
}

void TSetParamFrm::fillTree() {
  // A failed query leaves the tree as it was.
  const std::optional<QList<HerbTreeNode>> tree = loadHerbTree(dm_);
  if (!tree) return;
  tvDrug->clear();
  addTreeNodes(nullptr, tvDrug, *tree);
  tvDrug->expandAll();
}

void TSetParamFrm::pnl2Click() {
  const SettingsOutcome r = changePassword(dm_, &loginState(), edtPwd_old->text(), edtPwd_new->text());
  messages_.showMessage(r.message);
}

void TSetParamFrm::pnl6Click() {
  const ShopCard card{edtName->text(), edtAddress->text(), edtContactName->text(), edtTel->text()};
  // A card that may not be stored writes nothing, the picture neither.
  if (const QString refusal = checkShopCard(card); !refusal.isEmpty()) {
    messages_.showMessage(refusal);
    return;
  }
  if (!picture_.isNull()) {
    QSaveFile file(picturePath());
    if (!file.open(QIODevice::WriteOnly) || !picture_.save(&file, "PNG") || !file.commit()) {
      messages_.showMessage(QStringLiteral("保存失败"));
      return;
    }
  }
  const SettingsOutcome r = saveShopCard(dm_, loginState().ShopId, card);
  // The boxes show what the row now holds; a failed save leaves them as typed.
  if (r.ok) fillShopCard();
  messages_.showMessage(r.message);
}

void TSetParamFrm::takeChoice(const HerbChoice& choice) {
  chosen_ = choice.herb;
  if (choice.stock) {
    edtPrice->setText(choice.stock->price);
    edtStock->setText(choice.stock->stock);
  } else {
    // No price to show for a name the catalogue does not know.
    edtPrice->clear();
    edtStock->clear();
  }
  if (!choice.message.isEmpty()) messages_.showMessage(choice.message);
}

void TSetParamFrm::tvDrugClick(QTreeWidgetItem* item) {
  if (!item || !item->parent()) return;  // a group node
  edtHerName->setText(item->text(0));
  takeChoice(chooseHerbByName(dm_, loginState().ShopId, item->text(0)));
}

void TSetParamFrm::placeDropDown() {
  const QPoint below = edtHerName->mapTo(ts3, QPoint(0, edtHerName->height()));
  pnlLst->setFixedWidth(edtHerName->width());
  pnlLst->move(below);
}

void TSetParamFrm::edtHerNameChange() {
  const QString text = edtHerName->text();
  // Text put in by a choice does not search, nor does a text with "'" or Latin letters.
  if (!edtHerName->hasFocus() || !herbSearchAllowed(text)) return;
  sgHerb->clearContents();
  const std::optional<QList<HerbMatch>> found = searchHerbCatalogue(dm_, text);
  if (!found) return;
  for (qsizetype r = 0; r < found->size() && r < kHerbRows; ++r) {
    sgHerb->setItem(static_cast<int>(r), 0, new QTableWidgetItem((*found)[r].id));
    sgHerb->setItem(static_cast<int>(r), 1, new QTableWidgetItem((*found)[r].name));
  }
  if (!herbDropDownWanted(found->size())) {
    pnlLst->hide();
    return;
  }
  placeDropDown();
  // The panel shows the filled rows and its close label.
  int rowsHeight = 0;
  for (int r = 0; r < found->size() && r < kHerbRows; ++r) rowsHeight += sgHerb->rowHeight(r);
  pnlLst->setFixedHeight(rowsHeight + lblCloseHerb->sizeHint().height() + 4);
  pnlLst->show();
  pnlLst->raise();
}

void TSetParamFrm::sgHerbClick(int row) {
  QTableWidgetItem* id = sgHerb->item(row, 0);
  QTableWidgetItem* name = sgHerb->item(row, 1);
  if (!id || id->text().isEmpty() || !name) return;
  const HerbMatch match{id->text(), name->text()};
  edtHerName->setText(match.name);
  takeChoice(chooseHerb(dm_, loginState().ShopId, match));
  pnlLst->hide();
}

void TSetParamFrm::lblCloseHerbClick() { pnlLst->hide(); }

void TSetParamFrm::ts3Click() { pnlLst->hide(); }

void TSetParamFrm::pnl10Click() {
  const PriceSaveOutcome r =
      saveHerbPrice(dm_, loginState().ShopId, chosen_, edtHerName->text(), edtPrice->text(), edtStock->text());
  if (r.ok) Q_EMIT herbPriceSaved(chosen_.id, chosen_.name, r.price);
  messages_.showMessage(r.message);
}

void TSetParamFrm::imgCloseClick() {
  pnlLst->hide();
  close();
}

}  // namespace tcm::ui

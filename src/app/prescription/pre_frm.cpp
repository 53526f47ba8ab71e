#include "prescription/pre_frm.h"

#include <QComboBox>
#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QShowEvent>
#include <QToolButton>

#include "customer/customer_search.h"
#include "customer/customer_strip.h"
#include "customer/visit_note.h"
#include "entry/identify_page.h"
#include "login/login_state.h"
#include "main_frm.h"
#include "messages.h"
#include "prescription/print_rp_frm.h"
#include "prescription/saved_prescription.h"
#include "prescription/visit_save.h"
#include "result/result_panel.h"
#include "ui_kit.h"

namespace tcm::ui {
namespace {


constexpr int kSlotWidth = 240;
constexpr int kSlotHeight = 44;
constexpr int kDosageLeft = 90;  // the dosage box's place in its slot
constexpr int kSearchRows = 8;   // herbs the search list shows without scrolling

QPointer<TPreFrm>& instance() {
  static QPointer<TPreFrm> frm;
  return frm;
}

}  // namespace

PrescriptionFoot buildPrescriptionFoot(QWidget* parent) {
  PrescriptionFoot f;
  f.layout = new QHBoxLayout;
  auto* lblSum = new QLabel(QStringLiteral("合计："), parent);
  lblSum->setStyleSheet(QStringLiteral("font-size: 16px;"));
  f.lblPrice = new QLabel(QStringLiteral("0"), parent);
  f.lblPrice->setObjectName(QStringLiteral("lblPrice"));
  f.lblPrice->setStyleSheet(QStringLiteral("color: #C0392B; font-size: 20px; font-weight: bold;"));
  f.lblPrice->setMinimumWidth(200);  // room for any total without waiting for a relayout
  f.lblSaved = new QLabel(kShowsSavedPrescription, parent);
  f.lblSaved->setObjectName(QStringLiteral("lblSaved"));
  f.lblSaved->setStyleSheet(QStringLiteral("color: #037C6A; font-size: 13px;"));
  f.lblSaved->hide();
  f.pnlRestore = actionButton(QStringLiteral("恢复原方"), QStringLiteral("pnlRestore"), parent);
  f.pnlRestore->setToolTip(QStringLiteral("回到原方的药味和剂量"));
  QSizePolicy keep = f.pnlRestore->sizePolicy();
  keep.setRetainSizeWhenHidden(true);  // the foot does not jump when it comes and goes
  f.pnlRestore->setSizePolicy(keep);
  f.pnlRestore->hide();
  f.pnlSave = actionButton(QStringLiteral("保存"), QStringLiteral("pnlSave"), parent);
  f.pnlPRT = actionButton(QStringLiteral("打印"), QStringLiteral("pnlPRT"), parent);
  f.layout->addWidget(lblSum);
  f.layout->addWidget(f.lblPrice);
  f.layout->addWidget(f.lblSaved);
  f.layout->addStretch(1);
  f.layout->addWidget(f.pnlRestore);
  f.layout->addSpacing(12);
  f.layout->addWidget(f.pnlSave);
  f.layout->addSpacing(12);
  f.layout->addWidget(f.pnlPRT);
  return f;
}

std::optional<SavedVisitTexts> savedTextsOfCurrentVisit(TMainFrm* mainFrm, TDMServer& dm) {
  const TCustomerStrip* customer = mainFrm->tsAI->customer;
  std::optional<SavedVisitTexts> visit;
  if (!customer->hasCustomer() ||
      !readSavedVisit(dm, loginState().ShopId, customer->PatId, customer->MZNO, &visit))
    return std::nullopt;  // a failed read has been shown by the gateway
  return visit;
}

bool mayLeaveEditor(Messages& messages, bool unsaved, const std::function<bool()>& save) {
  if (!unsaved) return true;
  const int choice =
      messages.askChoice(QStringLiteral("提示"), QStringLiteral("方剂已修改，尚未保存。是否保存？"),
                         {QStringLiteral("保存"), QStringLiteral("不保存"), QStringLiteral("取消")}, 0);
  if (choice == 0) return save();
  return choice == 1;
}

TPreHerFra::TPreHerFra(QWidget* parent) : QFrame(parent) {
  setFixedSize(kSlotWidth, kSlotHeight);
  setFocusPolicy(Qt::ClickFocus);
  QSizePolicy keep = sizePolicy();
  keep.setRetainSizeWhenHidden(true);  // a hidden slot keeps its place in the grid
  setSizePolicy(keep);
  shp1 = new QFrame(this);
  shp1->setObjectName(QStringLiteral("shp1"));
  shp1->setGeometry(0, 0, kSlotWidth, kSlotHeight);
  lblName = new QLabel(this);
  lblName->setObjectName(QStringLiteral("lblName"));
  lblName->setGeometry(6, 14, kDosageLeft - 8, 24);
  lblName->setStyleSheet(QStringLiteral("color: #1F3B36; font-size: 15px;"));
  lblName->setCursor(Qt::PointingHandCursor);
  lblName->installEventFilter(this);
  lblMark = new QLabel(this);
  lblMark->setObjectName(QStringLiteral("lblMark"));
  lblMark->setGeometry(6, 1, kDosageLeft - 8, 14);
  lblMark->setStyleSheet(QStringLiteral("font-size: 11px;"));
  edtDosage = new QLineEdit(this);
  edtDosage->setObjectName(QStringLiteral("edtDosage"));
  edtDosage->setAlignment(Qt::AlignCenter);
  edtDosage->setStyleSheet(QStringLiteral("QLineEdit { font-size: 15px; border: 1px solid #9CCFC2; border-radius: 3px; "
                                          "background: white; }"));
  lblUnit = new QLabel(this);
  lblUnit->setObjectName(QStringLiteral("lblUnit"));
  lblUnit->setText(QStringLiteral("g"));
  lblUnit->setStyleSheet(QStringLiteral("color: #555; font-size: 14px;"));
  cbbNote = new QComboBox(this);
  cbbNote->setObjectName(QStringLiteral("cbbNote"));
  cbbNote->addItem(QString());
  cbbNote->addItems(dispensingNotes());
  cbbNote->setToolTip(QStringLiteral("脚注（煎法）"));
  cbbNote->setStyleSheet(QStringLiteral("QComboBox { font-size: 13px; color: #8E44AD; }"));
  btnRemove = new QToolButton(this);
  btnRemove->setObjectName(QStringLiteral("btnRemove"));
  btnRemove->setText(QStringLiteral("×"));
  btnRemove->setToolTip(QStringLiteral("去掉这味药"));
  btnRemove->setAutoRaise(true);
  btnRemove->setFocusPolicy(Qt::NoFocus);
  imgChange = new QLabel(QStringLiteral("↻"), this);
  imgChange->setGeometry(kSlotWidth - 40, 2, 18, 18);
  imgChange->hide();
  placeDosageBox();
  setMarks(SlotChange::Same, PregnancyMark::None);
  connect(edtDosage, &QLineEdit::textChanged, this, [this] { Q_EMIT dosageChanged(this); });
  connect(edtDosage, &QLineEdit::editingFinished, this, [this] { Q_EMIT dosageLeft(this); });
  connect(cbbNote, &QComboBox::currentTextChanged, this, [this] { Q_EMIT noteChanged(this); });
  connect(btnRemove, &QToolButton::clicked, this, [this] { Q_EMIT removeRequested(this); });
}

void TPreHerFra::placeDosageBox() {
  edtDosage->setGeometry(kDosageLeft, 9, 48, 26);
  lblUnit->setGeometry(kDosageLeft + 51, 10, 14, 24);
  cbbNote->setGeometry(kDosageLeft + 66, 9, 62, 26);
  btnRemove->setGeometry(kSlotWidth - 20, 12, 18, 20);
}

void TPreHerFra::fill(const QString& herbId, const QString& name, const QString& dosage, const QString& unit,
                      double unitPrice) {
  id = herbId;
  price = unitPrice;
  lblName->setText(name);
  lblName->setToolTip(QStringLiteral("%1（点击替换）").arg(name));
  {
    const QSignalBlocker quiet(edtDosage);
    edtDosage->setText(dosage);
  }
  const UnitNote un = splitUnitNote(unit);
  lblUnit->setText(un.unit);
  {
    const QSignalBlocker quiet(cbbNote);
    const int at = cbbNote->findText(un.note);
    cbbNote->setCurrentIndex(at < 0 ? 0 : at);
  }
  imgChange->hide();
  show();
}

void TPreHerFra::empty() {
  hide();
  lblName->clear();
}

void TPreHerFra::setMarks(SlotChange change, PregnancyMark pregnancy) {
  QString border = QStringLiteral("#BFE3D8"), mark;
  switch (change) {
    case SlotChange::Added:
      border = QStringLiteral("#27AE60");
      mark = QStringLiteral("<span style='color:#27AE60'>加</span>");
      break;
    case SlotChange::DoseChanged:
      border = QStringLiteral("#E67E22");
      mark = QStringLiteral("<span style='color:#E67E22'>改量</span>");
      break;
    case SlotChange::NoteChanged:
      mark = QStringLiteral("<span style='color:#8E44AD'>改注</span>");
      break;
    case SlotChange::Same:
      break;
  }
  if (pregnancy != PregnancyMark::None)
    mark += QStringLiteral(" <span style='color:#C0392B'>孕%1</span>").arg(pregnancyMarkText(pregnancy).left(1));
  lblMark->setText(mark);
  shp1->setStyleSheet(
      QStringLiteral("#shp1 { background: #F2FAF7; border: 1px solid %1; border-radius: 5px; }").arg(border));
}

void TPreHerFra::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Delete) {
    Q_EMIT removeRequested(this);
    return;
  }
  QFrame::keyPressEvent(e);
}

bool TPreHerFra::eventFilter(QObject* watched, QEvent* e) {
  if (watched == lblName && e->type() == QEvent::MouseButtonRelease) {
    Q_EMIT replaceRequested(this);
    return true;
  }
  return QFrame::eventFilter(watched, e);
}

THerbSearch::THerbSearch(QWidget* window, QWidget* boxParent) : QObject(window), window_(window) {
  edtHerb = new QLineEdit(boxParent);
  edtHerb->setObjectName(QStringLiteral("edtHerb"));
  edtHerb->setPlaceholderText(QStringLiteral("加药：药名或拼音首字母"));
  edtHerb->setFixedWidth(220);
  edtHerb->setStyleSheet(QStringLiteral("QLineEdit { font-size: 14px; border: 1px solid #9CCFC2; border-radius: 3px; "
                                        "padding: 2px 4px; background: white; }"));
  lstHerb = new QListWidget(window);
  lstHerb->setObjectName(QStringLiteral("lstHerb"));
  lstHerb->setStyleSheet(QStringLiteral("QListWidget { font-size: 14px; border: 1px solid #037C6A; background: white; }"));
  lstHerb->setFocusPolicy(Qt::NoFocus);
  lstHerb->hide();
  edtHerb->installEventFilter(this);
  connect(edtHerb, &QLineEdit::textEdited, this, &THerbSearch::search);
  connect(edtHerb, &QLineEdit::returnPressed, this, [this] { pickRow(lstHerb->currentRow() < 0 ? 0 : lstHerb->currentRow()); });
  connect(lstHerb, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { pickRow(lstHerb->row(item)); });
}

void THerbSearch::reset() {
  edtHerb->clear();
  lstHerb->clear();
  lstHerb->hide();
  rules_.reset();
}

void THerbSearch::search(const QString& text) {
  if (!catalogue_) return;
  const SearchOutcome out = rules_.search(catalogue_->searchList(), text, QStringLiteral("0"));
  if (out.action == SearchAction::KeepList) return;
  lstHerb->clear();
  if (out.action == SearchAction::HidePopup || out.hits.isEmpty()) {
    lstHerb->hide();
    return;
  }
  for (const SearchHit& hit : out.hits) {
    auto* item = new QListWidgetItem(hit.name, lstHerb);
    item->setData(Qt::UserRole, hit.entry.id);
  }
  lstHerb->setCurrentRow(0);
  const QPoint below = edtHerb->mapTo(window_, QPoint(0, edtHerb->height()));
  const int rowHeight = lstHerb->sizeHintForRow(0);
  lstHerb->setGeometry(below.x(), below.y() + 1, edtHerb->width(),
                       rowHeight * std::min<int>(kSearchRows, static_cast<int>(out.hits.size())) + 4);
  lstHerb->show();
  lstHerb->raise();
}

void THerbSearch::pickRow(int row) {
  if (!lstHerb->isVisible() || row < 0 || row >= lstHerb->count()) return;
  const QString id = lstHerb->item(row)->data(Qt::UserRole).toString();
  reset();
  Q_EMIT picked(id);
}

bool THerbSearch::eventFilter(QObject* watched, QEvent* e) {
  if (watched != edtHerb || e->type() != QEvent::KeyPress) return QObject::eventFilter(watched, e);
  const auto* key = static_cast<QKeyEvent*>(e);
  const int n = lstHerb->count();
  if (key->key() == Qt::Key_Down && lstHerb->isVisible() && n > 0) {
    lstHerb->setCurrentRow((lstHerb->currentRow() + 1) % n);
    return true;
  }
  if (key->key() == Qt::Key_Up && lstHerb->isVisible() && n > 0) {
    lstHerb->setCurrentRow((lstHerb->currentRow() + n - 1) % n);
    return true;
  }
  if (key->key() == Qt::Key_Escape) {
    // Escape leaves the search first; the window closes on the next one.
    const bool busy = lstHerb->isVisible() || !edtHerb->text().isEmpty() || replacing;
    reset();
    Q_EMIT cancelled();
    if (busy) return true;
  }
  return QObject::eventFilter(watched, e);
}

TPreFrm::TPreFrm(TMainFrm* mainFrm, TDMServer& dm, Messages& messages)
    : TBaseFrm(QStringLiteral("汤方"), mainFrm), mainFrm_(mainFrm), dm_(dm), messages_(messages) {
  setObjectName(QStringLiteral("PreFrm"));
  setWindowTitle(QStringLiteral("治疗方剂"));
  imgClose = pnlBaseClose;

  auto* head = new QHBoxLayout;
  lblPre = new QLabel(QStringLiteral("方剂："), pnlBaseCenter);
  lblPre->setObjectName(QStringLiteral("lblPre"));
  lblPre->setStyleSheet(QStringLiteral("color: #037C6A; font-size: 18px; font-weight: bold;"));
  auto* lblTea = new QLabel(QStringLiteral("剂数"), pnlBaseCenter);
  lblTea->setStyleSheet(QStringLiteral("font-size: 15px;"));
  cbbTea = new QComboBox(pnlBaseCenter);
  cbbTea->setObjectName(QStringLiteral("cbbTea"));
  cbbTea->setEditable(true);
  for (int i = 1; i <= 15; ++i) cbbTea->addItem(QString::number(i));
  cbbTea->setCurrentIndex(5);
  cbbTea->setFixedWidth(72);
  search = new THerbSearch(this, pnlBaseCenter);
  search->setCatalogue(&catalogue_);
  lblTip = new QLabel(pnlBaseCenter);
  lblTip->setObjectName(QStringLiteral("lblTip"));
  lblTip->setStyleSheet(QStringLiteral("color: #E67E22; font-size: 13px;"));
  lblTip->setFixedWidth(210);
  head->addWidget(lblPre, 1);
  head->addWidget(search->edtHerb);
  head->addWidget(lblTip);
  head->addWidget(lblTea);
  head->addWidget(cbbTea);
  centerLayout()->addLayout(head);

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(10);
  grid->setVerticalSpacing(8);
  for (int i = 0; i < HerbPrescription::kSlots; ++i) {
    auto* slot = new TPreHerFra(pnlBaseCenter);
    slot->setObjectName(QStringLiteral("Her%1").arg(i + 1));
    ArrHer[static_cast<size_t>(i)] = slot;
    grid->addWidget(slot, i / 4, i % 4);
    connect(slot, &TPreHerFra::dosageChanged, this, &TPreFrm::Her1edtDosageChange);
    connect(slot, &TPreHerFra::dosageLeft, this, &TPreFrm::slotDosageLeft);
    connect(slot, &TPreHerFra::noteChanged, this, &TPreFrm::slotNoteChanged);
    connect(slot, &TPreHerFra::removeRequested, this, [this](TPreHerFra* s) { removeSlot(indexOfSlot(s)); });
    connect(slot, &TPreHerFra::replaceRequested, this, [this](TPreHerFra* s) { startReplace(indexOfSlot(s)); });
  }
  centerLayout()->addLayout(grid);
  lblChanges = new QLabel(pnlBaseCenter);
  lblChanges->setObjectName(QStringLiteral("lblChanges"));
  lblChanges->setStyleSheet(QStringLiteral("color: #E67E22; font-size: 13px;"));
  lblWarn = new QLabel(pnlBaseCenter);
  lblWarn->setObjectName(QStringLiteral("lblWarn"));
  lblWarn->setWordWrap(true);
  lblWarn->setStyleSheet(QStringLiteral("color: #C0392B; font-size: 14px;"));
  lblWarn->setFixedHeight(6 * 19);  // six warnings without moving the foot; all of them in the hint
  lblWarn->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  centerLayout()->addWidget(lblChanges);
  centerLayout()->addWidget(lblWarn);
  connect(search, &THerbSearch::picked, this, &TPreFrm::addHerb);
  connect(search, &THerbSearch::cancelled, this, [this] {
    replacing_ = -1;
    search->replacing = false;
    lblTip->clear();
  });

  const PrescriptionFoot foot = buildPrescriptionFoot(pnlBaseCenter);
  lblPrice = foot.lblPrice;
  lblSaved = foot.lblSaved;
  pnlRestore = foot.pnlRestore;
  pnlSave = foot.pnlSave;
  pnlPRT = foot.pnlPRT;
  centerLayout()->addSpacing(6);
  centerLayout()->addLayout(foot.layout);
  centerLayout()->setContentsMargins(16, 12, 16, 14);
  setFixedSize(sizeHint());

  tmr1.setSingleShot(true);
  tmr1.setInterval(1);
  connect(&tmr1, &QTimer::timeout, this, &TPreFrm::tmr1Timer);
  connect(cbbTea, &QComboBox::currentTextChanged, this, &TPreFrm::cbbTeaChange);
  connect(pnlSave, &TPanel::clicked, this, &TPreFrm::pnlSaveClick);
  connect(pnlPRT, &TPanel::clicked, this, &TPreFrm::pnlPRTClick);
  connect(pnlRestore, &TPanel::clicked, this, &TPreFrm::pnlRestoreClick);
}

QString TPreFrm::preHint() const { return lblPre->toolTip(); }

void TPreFrm::showEvent(QShowEvent* e) {
  TBaseFrm::showEvent(e);
  if (!e->spontaneous()) FormShow();
}

void TPreFrm::FormShow() {
  for (TPreHerFra* slot : ArrHer) {
    slot->hide();
    slot->placeDosageBox();
  }
  pre_.clear();  // a hidden slot holds no herb
  textbookHerbs_.clear();
  textbook_.clear();
  visitIds_.clear();
  visitFoodHerbs_.clear();
  replacing_ = -1;
  search->reset();
  search->replacing = false;
  lblTip->clear();
  // The catalogue is read afresh with each showing; a failed read leaves the
  // search empty and the checks without rules (the gateway has said why).
  HerbCatalogue read;
  if (loadHerbCatalogue(dm_, &read)) catalogue_ = std::move(read);
  search->setCatalogue(&catalogue_);
  loadedIds_ = currentIdsText();
  showRestoreState();
}

// The textbook form first; when the current visit has saved this prescription,
// what was saved (herbs, dosages, doses) replaces it.
void TPreFrm::tmr1Timer() {
  tmr1.stop();
  GetPreHerb(SynId, SynName, PreId, PreName, 0);
  textbookHerbs_ = herbPrintLine(pre_, QString()).FoodHer;
  visitIds_.clear();
  visitFoodHerbs_ = foodHerbsOfVisit();
  if (loadSavedOfVisit()) visitIds_ = currentIdsText();
  cbbTeaChange();
  loadedIds_ = currentIdsText();
  showRestoreState();
}

QStringList TPreFrm::foodHerbsOfVisit() {
  QStringList names;
  const std::optional<SavedVisitTexts> visit = savedTextsOfCurrentVisit(mainFrm_, dm_);
  if (!visit) return names;
  for (const SavedFoodSection& section : parseSavedFood(visit->foodIds, visit->foodText))
    for (const HerbItem& item : parseHerbList(section.herbList)) names << item.name;
  return names;
}

bool TPreFrm::loadSavedOfVisit() {
  const std::optional<SavedVisitTexts> visit = savedTextsOfCurrentVisit(mainFrm_, dm_);
  if (!visit) return false;
  const std::optional<SavedHerbal> saved = parseSavedHerbal(visit->herbIds);
  if (!saved || saved->preName != preHint()) return false;
  ClearPreItem();
  SetPreItem(saved->preName, saved->herbList);
  cbbTea->setCurrentText(saved->doses);
  return true;
}

QString TPreFrm::currentIdsText() const { return herbIdsText(pre_, cbbTea->currentText().trimmed(), preHint()); }

bool TPreFrm::hasUnsavedChanges() const { return currentIdsText() != loadedIds_; }

void TPreFrm::showRestoreState() {
  pnlRestore->setVisible(!textbookHerbs_.isEmpty() && herbPrintLine(pre_, QString()).FoodHer != textbookHerbs_);
  lblSaved->setVisible(!visitIds_.isEmpty() && currentIdsText() == visitIds_);
  refreshChecks();
}

bool TPreFrm::childBearing() const {
  const TCustomerStrip* customer = mainFrm_->tsAI->customer;
  return childBearingAge(customer->edtGender->currentText(), customer->edtAge->text());
}

QList<SafetyWarning> TPreFrm::checkNow(const QStringList& foodHerbs) const {
  SafetyInput in;
  for (const HerbSlot& s : pre_.slots())
    if (!s.removed()) in.herbs << CheckedHerb{s.name, s.dosage};
  in.otherSide = foodHerbs;
  in.childBearing = childBearing();
  return checkPrescriptionSafety(catalogue_, in);
}

// The marks of every slot, the textbook herbs taken out and the warnings, as
// the prescription stands.
void TPreFrm::refreshChecks() {
  const Tailoring t = textbook_.slots().isEmpty() ? Tailoring{} : compareWithTextbook(pre_, textbook_);
  const bool pregnancy = childBearing();
  for (qsizetype i = 0; i < pre_.slots().size() && i < HerbPrescription::kSlots; ++i) {
    const HerbRule* rule = catalogue_.byName(pre_.slots()[i].name);
    ArrHer[static_cast<size_t>(i)]->setMarks(t.slots.value(i, SlotChange::Same),
                                             pregnancy && rule ? rule->pregnancy : PregnancyMark::None);
  }
  lblChanges->setText(t.removed.isEmpty() ? QString()
                                          : QStringLiteral("原方已去：") + t.removed.join(QStringLiteral("、")));
  warnings_ = checkNow(visitFoodHerbs_);
  QStringList lines;
  for (const SafetyWarning& w : warnings_) lines << QStringLiteral("⚠ ") + w.text;
  lblWarn->setText(lines.join(QLatin1Char('\n')));
  lblWarn->setToolTip(lblWarn->text());
}

int TPreFrm::indexOfSlot(const TPreHerFra* slot) const {
  const auto at = std::find(ArrHer.cbegin(), ArrHer.cend(), slot);
  return static_cast<int>(at - ArrHer.cbegin());
}

// Every slot shows what the prescription holds, in order; the rest are hidden.
void TPreFrm::showSlots() {
  for (int i = 0; i < HerbPrescription::kSlots; ++i) {
    TPreHerFra* slot = ArrHer[static_cast<size_t>(i)];
    if (i < pre_.slots().size()) {
      const HerbSlot& s = pre_.slots()[i];
      slot->fill(s.id, s.name, s.dosage, s.unit, GetHerbPriceById(mainFrm_->LstHerbPrice, s.id));
    } else {
      slot->empty();
    }
  }
  reprice();
  showRestoreState();
}

void TPreFrm::addHerb(const QString& herbId) {
  const HerbRule* rule = catalogue_.byId(herbId);
  if (!rule) return;
  const NewHerb herb{rule->id, rule->name, rule->usualDose.isEmpty() ? QStringLiteral("10") : rule->usualDose,
                     QStringLiteral("g"), rule->note};
  int at = -1;
  const int replacing = replacing_;
  replacing_ = -1;
  search->replacing = false;
  const TailorResult r = replacing >= 0 ? pre_.replace(replacing, herb, mainFrm_->LstHerbPrice, &at)
                                        : pre_.add(herb, mainFrm_->LstHerbPrice, &at);
  switch (r) {
    case TailorResult::Done:
      lblTip->clear();
      showSlots();
      break;
    case TailorResult::AlreadyPresent:
      lblTip->setText(QStringLiteral("处方中已有%1").arg(rule->name));
      break;
    case TailorResult::Full:
      lblTip->clear();
      messages_.showMessage(QStringLiteral("处方最多%1味药，不能再加").arg(HerbPrescription::kSlots));
      return;
    case TailorResult::NoSuchSlot:
      return;
  }
  if (at >= 0 && at < HerbPrescription::kSlots) {
    QLineEdit* dose = ArrHer[static_cast<size_t>(at)]->edtDosage;
    dose->setFocus();
    dose->selectAll();
  }
}

void TPreFrm::removeSlot(int slot) {
  if (slot < 0 || slot >= pre_.slots().size()) return;
  pre_.remove(slot);
  if (replacing_ == slot) {
    replacing_ = -1;
    search->replacing = false;
    lblTip->clear();
  } else if (replacing_ > slot) {
    --replacing_;
  }
  showSlots();
}

void TPreFrm::startReplace(int slot) {
  if (slot < 0 || slot >= pre_.slots().size()) return;
  replacing_ = slot;
  search->replacing = true;
  lblTip->setText(QStringLiteral("替换%1为：").arg(pre_.slots()[slot].name));
  search->edtHerb->setFocus();
  search->edtHerb->selectAll();
}

// A dose left empty or at 0 takes the herb out.
void TPreFrm::slotDosageLeft(TPreHerFra* slot) {
  const int index = indexOfSlot(slot);
  if (index < pre_.slots().size() && slot->isVisible() && pre_.slots()[index].removed()) removeSlot(index);
}

void TPreFrm::slotNoteChanged(TPreHerFra* slot) {
  const int index = indexOfSlot(slot);
  if (index >= pre_.slots().size()) return;
  pre_.setNote(index, slot->cbbNote->currentText());
  showRestoreState();
}

void TPreFrm::pnlRestoreClick() {
  GetPreHerb(SynId, SynName, PreId, preHint(), 0);
  showRestoreState();
}

bool TPreFrm::mayLeave() {
  return mayLeaveEditor(messages_, hasUnsavedChanges(), [this] { return save(); });
}

void TPreFrm::reject() {
  if (mayLeave()) TBaseFrm::reject();
}

void TPreFrm::GetPreHerb(const QString& synId, const QString& synName, const QString& preId, const QString& preName,
                         int /*fromType*/) {
  Q_UNUSED(synName);
  lblPre->setText(preName);
  lblPre->setToolTip(preName);
  SynId = synId;
  PreId = preId;
  ClearPreItem();
  textbook_.clear();
  QList<std::pair<QString, QString>> rows;
  if (!loadPrescriptionRows(dm_, preId, &rows)) return;
  for (const auto& [name, herbIds] : rows) SetPreItem(name, herbIds);
  // The textbook form carries the catalogue's dispensing notes.
  for (int i = 0; i < pre_.slots().size(); ++i) {
    const HerbRule* rule = catalogue_.byName(pre_.slots()[i].name);
    if (rule && !rule->note.isEmpty() && pre_.slots()[i].note().isEmpty()) pre_.setNote(i, rule->note);
  }
  textbook_ = pre_;
  showSlots();
}

void TPreFrm::SetPreItem(const QString& /*preName*/, const QString& herbIds) {
  const qsizetype before = pre_.slots().size();
  if (pre_.fill(herbIds, mainFrm_->LstHerbPrice) == 0) return;
  for (qsizetype i = before; i < pre_.slots().size(); ++i) {
    const HerbSlot& s = pre_.slots()[i];
    ArrHer[static_cast<size_t>(i)]->fill(s.id, s.name, s.dosage, s.unit, GetHerbPriceById(mainFrm_->LstHerbPrice, s.id));
  }
  reprice();
}

void TPreFrm::ClearPreItem() {
  for (TPreHerFra* slot : ArrHer) slot->empty();
  pre_.clear();
}

void TPreFrm::CalaFee(int day) {
  lblPrice->setText(pre_.fee(day).toText1());
  lblPre->setText(herbPreCaption(preHint(), pre_.weight()));
}

void TPreFrm::reprice() { CalaFee(parseDoses(cbbTea->currentText()).value_or(0)); }

void TPreFrm::cbbTeaChange() {
  reprice();
  showRestoreState();
}

// Every change of a dosage reprices, a cleared dosage or a 0 as well.
void TPreFrm::Her1edtDosageChange(TPreHerFra* slot) {
  const int index = indexOfSlot(slot);
  if (index >= pre_.slots().size()) return;
  pre_.setDosage(index, slot->edtDosage->text());
  reprice();
  showRestoreState();
}

void TPreFrm::pnlSaveClick() { [[maybe_unused]] const bool saved = save(); }

bool TPreFrm::save() {
  TIdentifyPage* page = mainFrm_->tsAI;
  TCustomerStrip* customer = page->customer;
  if (!customer->hasCustomer()) {
    messages_.showMessage(visitSaveMessage(VisitSaveResult::NoCustomer));
    return false;
  }
  const QString doses = cbbTea->currentText().trimmed();
  const QString problem = herbSaveProblem(pre_, doses);
  if (!problem.isEmpty()) {
    messages_.showMessage(problem);
    return false;
  }
  // The checks run against what the visit holds now; a warning that must be
  // confirmed and is not stops the save before anything is written.
  visitFoodHerbs_ = foodHerbsOfVisit();
  refreshChecks();
  const QString question = safetyQuestion(warnings_);
  if (!question.isEmpty() && !messages_.askOkCancel(QStringLiteral("用药提示"), question)) return false;
  VisitPrescription p;
  p.shopId = loginState().ShopId;
  p.patId = customer->PatId;
  p.mzno = customer->ensureMZNO();
  p.side = PrescriptionSide::Herb;
  page->GetMed(&p.disease, &p.med, &p.symIds);
  p.displayText = herbDisplayText(pre_, doses);
  p.idsText = herbIdsText(pre_, doses, preHint());
  p.priceText = lblPrice->text();
  p.today = QDate::currentDate();
  const VisitSaveResult r = saveVisitPrescription(dm_, p);
  const QString message = visitSaveMessage(r, &dm_);
  if (!message.isEmpty()) messages_.showMessage(message);
  if (r != VisitSaveResult::Saved) return false;
  loadedIds_ = visitIds_ = p.idsText;
  showRestoreState();
  // The warnings shown and confirmed stay with the visit; a save without any
  // takes away what an earlier save of this side left.
  if (!saveVisitNote(dm_, p.shopId, p.patId, p.mzno, kHerbNoteSide, safetyNote(warnings_)))
    messages_.showMessage(QStringLiteral("方剂已保存，用药提示未能记入就诊记录"));
  return true;
}

void TPreFrm::pnlPRTClick() {
  TPerFood line = herbPrintLine(pre_, preHint());
  line.Dosage = cbbTea->currentText().trimmed();  // the doses the amount is for
  // For a woman of child-bearing age the sheet says which herbs pregnancy forbids or cautions.
  if (childBearing()) {
    QStringList names;
    for (const HerbSlot& s : pre_.slots())
      if (!s.removed()) names << s.name;
    line.Useway = pregnancyCautionLine(catalogue_, names);
  }
  ShowPrintRPFrm(PrintList{line}, lblPrice->text(), mainFrm_->tsAI->result->lblSyn->text(), loginState().ShopName,
                 QStringLiteral("处方"));
}

void TPreFrm::imgCloseClick() { close(); }

TPreFrm* openPreFrm(TMainFrm* mainFrm, TDMServer& dm, Messages& messages, const QString& synName,
                    const QString& preId, const QString& preName) {
  QPointer<TPreFrm>& frm = instance();
  if (!frm) frm = new TPreFrm(mainFrm, dm, messages);
  if (frm->isVisible() && !frm->mayLeave()) return frm;  // the changes on screen stay
  frm->SynName = synName;
  frm->PreId = preId;
  frm->PreName = preName;
  if (!frm->isVisible()) frm->centerOver(mainFrm);
  frm->show();
  frm->raise();
  frm->activateWindow();
  frm->tmr1.start();
  return frm;
}

TPreFrm* preFrm() { return instance(); }

}  // namespace tcm::ui

#include "prescription/food_pre_frm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QShowEvent>
#include <QVBoxLayout>

#include "customer/customer_strip.h"
#include "customer/visit_note.h"
#include "entry/identify_page.h"
#include "login/login_state.h"
#include "main_frm.h"
#include "messages.h"
#include "prescription/pre_frm.h"
#include "prescription/print_rp_frm.h"
#include "result/result_panel.h"
#include "ui_kit.h"

namespace tcm::ui {
namespace {


// The section kinds and the object names of their controls.
struct SectionNames {
  const char* kind;
  const char* panel;
  const char* title;
  const char* check;
  const char* combo;
  const char* slot;
};
constexpr SectionNames kNames[FoodPrescription::kSections] = {
    {"汤", "pnlTang", "lblTang", "chkTang", "cbbTang", "Tang"},
    {"粥", "pnlZHou", "lblZhou", "chkZhou", "cbbZhou", "ZHou"},
    {"饮", "pnlTea", "lblTea", "chkTea", "cbbTea", "Tea"},
};

QPointer<TFoodPreFrm>& instance() {
  static QPointer<TFoodPreFrm> frm;
  return frm;
}

}  // namespace

TFoodPreFrm::TFoodPreFrm(TMainFrm* mainFrm, TDMServer& dm, Messages& messages)
    : TBaseFrm(QStringLiteral("药膳方"), mainFrm), mainFrm_(mainFrm), dm_(dm), messages_(messages) {
  setObjectName(QStringLiteral("FoodPreFrm"));
  setWindowTitle(QStringLiteral("治疗方剂"));
  imgClose = pnlBaseClose;

  centerLayout()->setContentsMargins(16, 10, 16, 14);
  centerLayout()->setSpacing(6);
  for (int s = 0; s < FoodPrescription::kSections; ++s) centerLayout()->addWidget(buildSection(s));

  const PrescriptionFoot foot = buildPrescriptionFoot(pnlBaseCenter);
  lblPrice = foot.lblPrice;
  lblSaved = foot.lblSaved;
  pnlRestore = foot.pnlRestore;
  pnlSave = foot.pnlSave;
  pnlPRT = foot.pnlPRT;
  centerLayout()->addSpacing(4);
  centerLayout()->addLayout(foot.layout);
  // The window follows its panels as the porridge and drink sections open and close.
  layout()->setSizeConstraint(QLayout::SetFixedSize);

  pnlLoadData = new QFrame(this);
  pnlLoadData->setObjectName(QStringLiteral("pnlLoadData"));
  pnlLoadData->setFixedSize(320, 70);
  pnlLoadData->setStyleSheet(QStringLiteral(
      "#pnlLoadData { background: white; border: 2px solid #037C6A; border-radius: 6px; }"));
  auto* loadLayout = new QVBoxLayout(pnlLoadData);
  auto* lblLoad = new QLabel(QStringLiteral("正在读取数据... ..."), pnlLoadData);
  lblLoad->setAlignment(Qt::AlignCenter);
  lblLoad->setStyleSheet(QStringLiteral("font-size: 16px; color: #037C6A; border: none;"));
  loadLayout->addWidget(lblLoad);
  pnlLoadData->hide();

  tmr1.setSingleShot(true);
  tmr1.setInterval(1);
  connect(&tmr1, &QTimer::timeout, this, &TFoodPreFrm::tmr1Timer);
  connect(pnlSave, &TPanel::clicked, this, &TFoodPreFrm::pnlSaveClick);
  connect(pnlPRT, &TPanel::clicked, this, &TFoodPreFrm::pnlPRTClick);
  connect(pnlRestore, &TPanel::clicked, this, &TFoodPreFrm::pnlRestoreClick);
  // The "×" closes through the window base, which asks about unsaved changes.
  collapsePanels();
  CalaFee();
  adjustSize();
}

QFrame* TFoodPreFrm::buildSection(int s) {
  const SectionNames& n = kNames[s];
  SectionControls& c = sections[static_cast<size_t>(s)];
  c.pnl = new QFrame(pnlBaseCenter);
  c.pnl->setObjectName(QLatin1String(n.panel));
  c.pnl->setStyleSheet(QStringLiteral("#%1 { border-top: 1px solid #DCE8E5; }").arg(QLatin1String(n.panel)));
  c.pnl->setFixedHeight(kOpenHeight);
  auto* v = new QVBoxLayout(c.pnl);
  v->setContentsMargins(0, 6, 0, 4);
  v->setSpacing(6);

  auto* head = new QHBoxLayout;
  c.chk = new QCheckBox(c.pnl);
  c.chk->setObjectName(QLatin1String(n.check));
  c.chk->setEnabled(false);  // a section without a prescription has nothing to count
  auto* kind = new QLabel(QString::fromUtf8(n.kind), c.pnl);
  kind->setFixedSize(26, 26);
  kind->setAlignment(Qt::AlignCenter);
  kind->setStyleSheet(QStringLiteral("background: #037C6A; color: white; font-size: 15px; border-radius: 13px;"));
  c.lblTitle = new QLabel(c.pnl);
  c.lblTitle->setObjectName(QLatin1String(n.title));
  c.lblTitle->setStyleSheet(QStringLiteral("color: #037C6A; font-size: 18px; font-weight: bold;"));
  auto* caption = new QLabel(foodQuantityCaption(s), c.pnl);
  caption->setStyleSheet(QStringLiteral("font-size: 15px;"));
  c.cbb = new QComboBox(c.pnl);
  c.cbb->setObjectName(QLatin1String(n.combo));
  c.cbb->setEditable(true);
  for (int i = 1; i <= 15; ++i) c.cbb->addItem(QString::number(i));
  c.cbb->setCurrentIndex(5);
  c.cbb->setFixedWidth(72);
  c.cbb->setStyleSheet(QStringLiteral("QComboBox { font-size: 15px; }"));
  head->addWidget(c.chk);
  head->addWidget(kind);
  head->addWidget(c.lblTitle, 1);
  head->addWidget(caption);
  head->addWidget(c.cbb);
  v->addLayout(head);

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(10);
  grid->setVerticalSpacing(8);
  for (int i = 0; i < FoodPrescription::kSlots; ++i) {
    auto* slot = new TPreHerFra(c.pnl);
    slot->setObjectName(QStringLiteral("%1%2").arg(QLatin1String(n.slot)).arg(i + 1));
    slot->hide();
    c.slots[static_cast<size_t>(i)] = slot;
    grid->addWidget(slot, i / 4, i % 4);
    connect(slot, &TPreHerFra::dosageChanged, this, &TFoodPreFrm::Tang1edtDosageChange);
    // A recipe's herbs carry no dispensing note; the remove control, Delete
    // and a dose left empty or at 0 take a herb out.
    slot->cbbNote->hide();
    connect(slot, &TPreHerFra::removeRequested, this, &TFoodPreFrm::removeHerb);
    connect(slot, &TPreHerFra::dosageLeft, this, [this](TPreHerFra* left) {
      const std::optional<Decimal> d = parseDecimal(left->edtDosage->text());
      if (left->isVisible() && (left->edtDosage->text().trimmed().isEmpty() || (d && d->isZero()))) removeHerb(left);
    });
  }
  v->addLayout(grid);
  v->addStretch(1);

  connect(c.chk, &QCheckBox::toggled, this, [this, s] { chkClick(s); });
  connect(c.cbb, &QComboBox::currentTextChanged, this, [this, s] { cbbTangChange(s); });
  pre_.setQuantity(s, c.cbb->currentText());
  return c.pnl;
}

void TFoodPreFrm::showEvent(QShowEvent* e) {
  TBaseFrm::showEvent(e);
  if (!e->spontaneous()) FormShow();
}

void TFoodPreFrm::hideEvent(QHideEvent* e) {
  TBaseFrm::hideEvent(e);
  if (!e->spontaneous()) collapsePanels();
}

void TFoodPreFrm::FormShow() {
  HerbCatalogue read;
  catalogue_ = loadHerbCatalogue(dm_, &read) ? std::move(read) : HerbCatalogue();
  for (SectionControls& c : sections)
    for (TPreHerFra* slot : c.slots) slot->placeDosageBox();
  textbookForm_.clear();
  visitForm_.clear();
  ClearPreItem();  // a hidden slot holds no herb
  loadedForm_ = formText();
}

void TFoodPreFrm::collapsePanels() {
  sections[FoodPrescription::Porridge].pnl->setFixedHeight(1);
  sections[FoodPrescription::Drink].pnl->setFixedHeight(1);
  refit();
}

// The window takes the height of its panels at once, not at the next turn of the event loop.
void TFoodPreFrm::refit() {
  centerLayout()->invalidate();
  pnlBaseCenter->updateGeometry();
  layout()->activate();
  keepInsideScreen();
}

// The textbook sections first; when the current visit has saved some of the
// same prescriptions, what was saved replaces them.
void TFoodPreFrm::tmr1Timer() {
  tmr1.stop();
  loadTextbook();
  visitForm_.clear();
  if (loadSavedOfVisit()) visitForm_ = formText();
  loadedForm_ = formText();
  showRestoreState();
}

void TFoodPreFrm::loadTextbook() {
  GetPreHerb(SynName, PreName, PreId, symIds, QString::number(FromType));
  textbookForm_ = formText();
}

bool TFoodPreFrm::loadSavedOfVisit() {
  const std::optional<SavedVisitTexts> visit = savedTextsOfCurrentVisit(mainFrm_, dm_);
  if (!visit) return false;
  const QList<SavedFoodSection> saved = parseSavedFood(visit->foodIds, visit->foodText);
  std::array<const SavedFoodSection*, FoodPrescription::kSections> match{};
  bool any = false;
  for (int s = 0; s < FoodPrescription::kSections; ++s) {
    const FoodSection& sec = pre_.section(s);
    for (const SavedFoodSection& c : saved)
      if (sec.placed && c.title == sec.title) match[static_cast<size_t>(s)] = &c;
    any = any || match[static_cast<size_t>(s)];
  }
  if (!any) return false;  // the visit holds other diet prescriptions: the textbook ones stay
  const auto priceOf = [this](const QString& id) { return GetHerbPriceById(mainFrm_->LstHerbPrice, id); };
  for (int s = 0; s < FoodPrescription::kSections; ++s) {
    SectionControls& c = sections[static_cast<size_t>(s)];
    if (const SavedFoodSection* m = match[static_cast<size_t>(s)]) {
      pre_.restore(s, *m, priceOf);
      const QSignalBlocker quiet(c.cbb);
      c.cbb->setCurrentText(pre_.section(s).quantity);
    } else {
      pre_.setTicked(s, false);  // offered, but not saved with this visit
    }
    showSection(s);
  }
  CalaFee();
  return true;
}

QString TFoodPreFrm::formText() const { return pre_.idsText() + QLatin1Char('\n') + pre_.displayText(); }

bool TFoodPreFrm::hasUnsavedChanges() const { return formText() != loadedForm_; }

void TFoodPreFrm::showRestoreState() {
  pnlRestore->setVisible(!textbookForm_.isEmpty() && formText() != textbookForm_);
  lblSaved->setVisible(!visitForm_.isEmpty() && formText() == visitForm_);
}

void TFoodPreFrm::pnlRestoreClick() {
  loadTextbook();
  showRestoreState();
}

bool TFoodPreFrm::mayLeave() {
  return mayLeaveEditor(messages_, hasUnsavedChanges(), [this] { return save(); });
}

void TFoodPreFrm::reject() {
  if (mayLeave()) TBaseFrm::reject();
}

void TFoodPreFrm::GetPreHerb(const QString& /*synName*/, const QString& /*preName*/, const QString& preId,
                             const QString& /*symIdsText*/, const QString& /*fromType*/) {
  PreId = preId;
  pnlLoadData->move((width() - pnlLoadData->width()) / 2, (height() - pnlLoadData->height()) / 2);
  pnlLoadData->show();
  pnlLoadData->raise();
  pnlLoadData->repaint();
  ClearPreItem();
  QList<KnowledgePrescription> rows;
  QString error;
  const FoodLoadResult r = loadFoodPrescriptions(dm_, preId, &rows, &error);
  if (r == FoodLoadResult::BadIds) messages_.showMessage(error);
  for (const KnowledgePrescription& row : rows) SetPreItem(row.name, row.herbIds);
  pnlLoadData->hide();
  Q_EMIT loadFinished();
}

void TFoodPreFrm::SetPreItem(const QString& preName, const QString& herbIds) {
  const int s = pre_.place(preName, herbIds, [this](const QString& id) {
    return GetHerbPriceById(mainFrm_->LstHerbPrice, id);
  });
  if (s < 0) return;
  showSection(s);
  CalaFee();
}

// Shows what the model holds for section `s`.
void TFoodPreFrm::showSection(int s) {
  const FoodSection& sec = pre_.section(s);
  SectionControls& c = sections[static_cast<size_t>(s)];
  c.lblTitle->setText(sec.title);
  c.chk->setEnabled(sec.placed);
  {
    const QSignalBlocker quiet(c.chk);
    c.chk->setChecked(sec.ticked);
  }
  for (int i = 0; i < FoodPrescription::kSlots; ++i) {
    TPreHerFra* slot = c.slots[static_cast<size_t>(i)];
    if (i < sec.herbs.size()) {
      const FoodHerb& h = sec.herbs[i];
      slot->fill(h.id, h.name, h.dosage, h.unit, h.price);
    } else {
      slot->empty();
    }
  }
  const int height = sec.placed ? kOpenHeight : 1;
  if (s != FoodPrescription::Soup && c.pnl->maximumHeight() != height) {
    c.pnl->setFixedHeight(height);
    refit();
  }
}

bool TFoodPreFrm::locate(const TPreHerFra* slot, int* s, int* i) const {
  for (int k = 0; k < FoodPrescription::kSections; ++k) {
    const auto& arr = sections[static_cast<size_t>(k)].slots;
    const auto at = std::find(arr.cbegin(), arr.cend(), slot);
    if (at == arr.cend()) continue;
    *s = k;
    *i = static_cast<int>(at - arr.cbegin());
    return true;
  }
  return false;
}

void TFoodPreFrm::removeHerb(TPreHerFra* slot) {
  int s = 0, i = 0;
  if (!locate(slot, &s, &i) || i >= pre_.section(s).herbs.size()) return;
  pre_.removeHerb(s, i);
  showSection(s);
  CalaFee();
}

void TFoodPreFrm::ClearPreItem() {
  pre_.clear();
  for (int s = 0; s < FoodPrescription::kSections; ++s) showSection(s);
  CalaFee();
}

void TFoodPreFrm::CalaFee() {
  lblPrice->setText(pre_.totalText());
  showRestoreState();
}

void TFoodPreFrm::Tang1edtDosageChange(TPreHerFra* slot) {
  for (int s = 0; s < FoodPrescription::kSections; ++s) {
    const auto& arr = sections[static_cast<size_t>(s)].slots;
    const auto at = std::find(arr.cbegin(), arr.cend(), slot);
    if (at == arr.cend()) continue;
    pre_.setDosage(s, static_cast<int>(at - arr.cbegin()), slot->edtDosage->text());
    CalaFee();
    return;
  }
}

void TFoodPreFrm::cbbTangChange(int section) {
  pre_.setQuantity(section, sections[static_cast<size_t>(section)].cbb->currentText());
  CalaFee();
}

// Ticking or unticking a section reprices at once, so the total always covers
// exactly the sections that are saved and printed.
void TFoodPreFrm::chkClick(int section) {
  pre_.setTicked(section, sections[static_cast<size_t>(section)].chk->isChecked());
  CalaFee();
}

void TFoodPreFrm::pnlSaveClick() { [[maybe_unused]] const bool saved = save(); }

bool TFoodPreFrm::save() {
  TIdentifyPage* page = mainFrm_->tsAI;
  FoodSaveVisit visit;
  visit.shopId = loginState().ShopId;
  visit.patId = page->customer->PatId;
  visit.mzno = page->customer->MZNO;
  visit.now = QDateTime::currentDateTime();
  for (const int s : pre_.dropEmptyDoses()) showSection(s);
  CalaFee();
  // The recipes' herbs against each other and against the visit's herbal
  // prescription; pregnancy marks for a woman of child-bearing age.
  QList<SafetyWarning> warnings;
  if (page->customer->hasCustomer()) {
    if (catalogue_.isEmpty() && !loadHerbCatalogue(dm_, &catalogue_)) return false;
    SafetyInput in;
    for (const QString& name : pre_.countedHerbNames()) in.herbs << CheckedHerb{name, QString()};
    if (const std::optional<SavedVisitTexts> saved = savedTextsOfCurrentVisit(mainFrm_, dm_))
      if (const std::optional<SavedHerbal> herbal = parseSavedHerbal(saved->herbIds))
        for (const HerbItem& item : parseHerbList(herbal->herbList)) in.otherSide << item.name;
    in.side = kFoodNoteSide;
    in.otherSideName = kHerbNoteSide;
    in.checkDoses = false;
    in.childBearing = childBearingAge(page->customer->edtGender->currentText(), page->customer->edtAge->text());
    warnings = checkPrescriptionSafety(catalogue_, in);
    const QString question = safetyQuestion(warnings);
    if (!question.isEmpty() && !messages_.askOkCancel(QStringLiteral("用药提示"), question)) return false;
  }
  page->GetMed(&visit.disease, &visit.med, &visit.symIds);
  symIds = visit.symIds;
  const QString message = saveFoodPrescription(dm_, pre_, &visit);
  page->customer->MZNO = visit.mzno;  // a visit number made by this save stays the visit's
  if (!message.isEmpty()) messages_.showMessage(message);
  if (message != foodSaveMessage(VisitSaveResult::Saved)) return false;
  loadedForm_ = visitForm_ = formText();
  showRestoreState();
  if (!saveVisitNote(dm_, visit.shopId, visit.patId, visit.mzno, kFoodNoteSide, safetyNote(warnings)))
    messages_.showMessage(QStringLiteral("方剂已保存，用药提示未能记入就诊记录"));
  return true;
}

void TFoodPreFrm::pnlPRTClick() {
  const PrintList list = pre_.printList(recommend, notRecommend);
  if (list.isEmpty()) return;
  ShowPrintRPFrm(list, lblPrice->text(), mainFrm_->tsAI->result->lblSyn->text(), loginState().ShopName,
                 QStringLiteral("药膳方"));
}

void TFoodPreFrm::imgCloseClick() { close(); }

TFoodPreFrm* openFoodPreFrm(TMainFrm* mainFrm, TDMServer& dm, Messages& messages, const QString& preIds,
                            const QString& syn, const QString& recommend, const QString& notRecommend) {
  QPointer<TFoodPreFrm>& frm = instance();
  if (!frm) frm = new TFoodPreFrm(mainFrm, dm, messages);
  if (frm->isVisible() && !frm->mayLeave()) return frm;  // the changes on screen stay
  if (!frm->isVisible()) frm->centerOver(mainFrm);
  frm->show();
  frm->raise();
  frm->activateWindow();
  frm->ClearPreItem();
  frm->PreId = preIds;
  frm->Syn = syn;
  frm->recommend = recommend;
  frm->notRecommend = notRecommend;
  frm->tmr1.start();
  return frm;
}

TFoodPreFrm* foodPreFrm() { return instance(); }

}  // namespace tcm::ui

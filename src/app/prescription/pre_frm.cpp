#include "prescription/pre_frm.h"

#include <QComboBox>
#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>

#include "customer/customer_search.h"
#include "customer/customer_strip.h"
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


constexpr int kSlotWidth = 200;
constexpr int kSlotHeight = 40;
constexpr int kDosageLeft = 90;  // the dosage box's place in its slot

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
  QSizePolicy keep = sizePolicy();
  keep.setRetainSizeWhenHidden(true);  // a hidden slot keeps its place in the grid
  setSizePolicy(keep);
  shp1 = new QFrame(this);
  shp1->setObjectName(QStringLiteral("shp1"));
  shp1->setGeometry(0, 0, kSlotWidth, kSlotHeight);
  shp1->setStyleSheet(QStringLiteral("#shp1 { background: #F2FAF7; border: 1px solid #BFE3D8; border-radius: 5px; }"));
  lblName = new QLabel(this);
  lblName->setObjectName(QStringLiteral("lblName"));
  lblName->setGeometry(8, 8, kDosageLeft - 12, 24);
  lblName->setStyleSheet(QStringLiteral("color: #1F3B36; font-size: 15px;"));
  edtDosage = new QLineEdit(this);
  edtDosage->setObjectName(QStringLiteral("edtDosage"));
  edtDosage->setAlignment(Qt::AlignCenter);
  edtDosage->setStyleSheet(QStringLiteral("QLineEdit { font-size: 15px; border: 1px solid #9CCFC2; border-radius: 3px; "
                                          "background: white; }"));
  lblUnit = new QLabel(this);
  lblUnit->setObjectName(QStringLiteral("lblUnit"));
  lblUnit->setText(QStringLiteral("g"));
  lblUnit->setStyleSheet(QStringLiteral("color: #555; font-size: 14px;"));
  imgChange = new QLabel(QStringLiteral("↻"), this);
  imgChange->setGeometry(kSlotWidth - 22, 2, 18, 18);
  imgChange->hide();
  placeDosageBox();
  connect(edtDosage, &QLineEdit::textChanged, this, [this] { Q_EMIT dosageChanged(this); });
}

void TPreHerFra::placeDosageBox() {
  edtDosage->setGeometry(kDosageLeft, 7, 60, 26);
  lblUnit->setGeometry(kDosageLeft + 66, 8, 40, 24);
}

void TPreHerFra::fill(const QString& herbId, const QString& name, const QString& dosage, const QString& unit,
                      double unitPrice) {
  id = herbId;
  price = unitPrice;
  lblName->setText(name);
  lblName->setToolTip(name);
  {
    const QSignalBlocker quiet(edtDosage);
    edtDosage->setText(dosage);
  }
  lblUnit->setText(unit);
  imgChange->hide();
  show();
}

void TPreHerFra::empty() {
  hide();
  lblName->clear();
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
  head->addWidget(lblPre, 1);
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
  }
  centerLayout()->addLayout(grid);

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
  visitIds_.clear();
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
  if (loadSavedOfVisit()) visitIds_ = currentIdsText();
  cbbTeaChange();
  loadedIds_ = currentIdsText();
  showRestoreState();
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
  QList<std::pair<QString, QString>> rows;
  if (!loadPrescriptionRows(dm_, preId, &rows)) return;
  for (const auto& [name, herbIds] : rows) SetPreItem(name, herbIds);
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
  const auto at = std::find(ArrHer.cbegin(), ArrHer.cend(), slot);
  const int index = static_cast<int>(at - ArrHer.cbegin());
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
  return true;
}

void TPreFrm::pnlPRTClick() {
  TPerFood line = herbPrintLine(pre_, preHint());
  line.Dosage = cbbTea->currentText().trimmed();  // the doses the amount is for
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

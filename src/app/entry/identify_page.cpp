#include "entry/identify_page.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "customer/customer_strip.h"
#include "db/gateway.h"
#include "engine/identification.h"
#include "result/recommendations.h"
#include "entry/chip_row.h"
#include "entry/finding_search_popup.h"
#include "entry/inquiry_column.h"
#include "entry/sel_sym_fra.h"
#include "entry/sym_option_frm.h"
#include "login/login_state.h"
#include "main_frm.h"
#include "messages.h"
#include "result/pre_name_frame.h"
#include "result/result_panel.h"
#include "text/item_list.h"
#include "ui_kit.h"

namespace tcm::ui {
namespace {

const QString kGreen = QStringLiteral("#037C6A");
const QString kSearchBoxStyle =
    QStringLiteral("QLineEdit { border: none; border-bottom: 1px solid #9BB7B2; font-size: 14px; background: transparent; }");
constexpr int kPromptWidth = 300;
constexpr int kBoxWidth = 70;

}  // namespace

TIdentifyPage::TIdentifyPage(TDMServer& dm, Messages& messages, const AliasList& vocabulary, TMainFrm* mainFrm,
                             QWidget* parent)
    : QWidget(parent), dm_(dm), messages_(messages), vocabulary_(vocabulary), mainFrm_(mainFrm) {
  setObjectName(QStringLiteral("tsAI"));
  setStyleSheet(QStringLiteral("#tsAI { background: #F3F6F5; }"));
  setAttribute(Qt::WA_StyledBackground);
  auto* columns = new QHBoxLayout(this);
  columns->setContentsMargins(10, 10, 10, 10);
  columns->setSpacing(10);
  inquiry = new TInquiryColumn(*this, this);
  pgSym = inquiry->pgSym;
  connect(inquiry, &TInquiryColumn::modeClicked, this, [this](int mode) { mode == 2 ? pnlMod2Click() : pnlMod1Click(); });
  connect(inquiry, &TInquiryColumn::helpClicked, this, [this](int mode) {
    if (mainFrm_) mode == 1 ? mainFrm_->Image1Click() : mainFrm_->Image2Click();
  });
  columns->addWidget(inquiry, 40);
  columns->addWidget(buildEntryColumn(), 38);
  auto* resultScroll = new QScrollArea(this);
  resultScroll->setWidgetResizable(true);
  resultScroll->setFrameShape(QFrame::NoFrame);
  resultScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  result = new TResultPanel(messages_, resultScroll);
  resultScroll->setWidget(result);
  resultScroll->setMinimumWidth(250);
  resultScroll->setStyleSheet(QStringLiteral("QScrollArea, #pnlResult { background: transparent; }"));
  resultScroll->viewport()->setAutoFillBackground(false);
  columns->addWidget(resultScroll, 22);
  pnlSearch = new TFindingSearchPopup(this);
  LstSym = pnlSearch->LstSym;
  lblCloseSrc = pnlSearch->lblCloseSrc;
  edtSymName = pnlSearch->edtSymName;
  connect(pnlSearch, &TFindingSearchPopup::lineChosen, this, &TIdentifyPage::LstSymDblClick);
  // Whatever changes the findings (a pick, an answer, a hint, the chip menu, a
  // mark, clearing), the result shown is the one they give now.
  set_.setChangeHandler([this] { findingsChanged(); });

  connect(result, &TResultPanel::classicPrescriptionClicked, this, [this](TPreNameFrame* slot) {
    Q_EMIT classicPrescriptionRequested(result->lblSyn->text(), slot->preId(), slot->lblName->text());
  });
  connect(result, &TResultPanel::dietPrescriptionClicked, this, [this](TPreNameFrame* slot) {
    Q_EMIT dietPrescriptionRequested(result->dietPrescriptionIds(slot), result->lblSyn->text(),
                                     result->lblRecommendTitle->text() + QStringLiteral("：") + result->recommendFull(),
                                     result->lblNotRecommendTitle->text() + QStringLiteral("：") +
                                         result->notRecommendFull());
  });
  connect(result, &TResultPanel::viewMoreClicked, this, [this] {
    if (!customer->hasCustomer()) {
      messages_.showMessage(QStringLiteral("未选择客户"));
      return;
    }
    Q_EMIT visitRecordsRequested(customer->PatId.toInt());
  });
}

TIdentifyPage::~TIdentifyPage() = default;

// ---------------------------------------------------------------- layout

QWidget* TIdentifyPage::buildEntryColumn() {
  auto* column = new QWidget(this);
  auto* v = new QVBoxLayout(column);
  v->setContentsMargins(0, 0, 0, 0);
  v->setSpacing(10);
  customer = new TCustomerStrip(dm_, this, column);
  v->addWidget(customer);
  connect(customer, &TCustomerStrip::genderChanged, this, &TIdentifyPage::edtGenderOrAgeChange);
  // Only the gender box sets the inquiry gender code; the age only decides the gynaecology tab.
  connect(customer, &TCustomerStrip::ageChanged, this, &TIdentifyPage::SetGynecology);
  connect(customer->pnlClear, &TPanel::clicked, this, &TIdentifyPage::ClearSym);
  connect(customer, &TCustomerStrip::customerChosen, this, [this] { result->pnlViewMore->show(); });
  connect(customer, &TCustomerStrip::detailsRequested, this, &TIdentifyPage::customerDetailsRequested);

  pnlEntry = new QFrame(column);
  pnlEntry->setObjectName(QStringLiteral("pnlEntry"));
  pnlEntry->setStyleSheet(QStringLiteral("#pnlEntry { background: white; border: 1px solid #DCE8E5; border-radius: 6px; }"));
  auto* ev = new QVBoxLayout(pnlEntry);
  ev->setContentsMargins(10, 6, 10, 10);
  ev->setSpacing(0);

  auto* hints = new QHBoxLayout;
  hints->setSpacing(10);
  lblHintTitle = new QLabel(QStringLiteral("提示："), pnlEntry);
  lblHintTitle->setObjectName(QStringLiteral("lblHintTitle"));
  lblHintTitle->setStyleSheet(QStringLiteral("color: #C07A00; font-size: 14px;"));
  lblHintTitle->hide();
  hints->addWidget(lblHintTitle);
  for (size_t k = 0; k < ArrLblSym.size(); ++k) {
    ArrLblSym[k] = new TPanel(QString(), pnlEntry);
    ArrLblSym[k]->setObjectName(QStringLiteral("lblSym%1").arg(k + 1));
    ArrLblSym[k]->setStyleSheet(QStringLiteral("color: #1E63A7; font-size: 14px; background: transparent; text-decoration: underline;"));
    ArrLblSym[k]->hide();
    hints->addWidget(ArrLblSym[k]);
    connect(ArrLblSym[k], &TPanel::clicked, this, [this, k] {
      TPanel* l = ArrLblSym[k];
      if (set_.GetMutexSym(l->property("mutex").toString())) return;
      AddSelSym(QStringLiteral("0"), l->property("symid").toString(), l->text(), QStringLiteral("3"));
    });
  }
  hints->addStretch(1);
  auto* hintStrip = new QWidget(pnlEntry);
  hintStrip->setFixedHeight(30);
  hintStrip->setLayout(hints);
  hints->setContentsMargins(0, 0, 0, 0);
  ev->addWidget(hintStrip);

  static const char* const names[] = {"pnlSym", "pnlTongue", "pnlPulse", "pnlDisease"};
  static const char* const boxNames[] = {"edtSearch", "edtSearcTongue", "edtSearchPulse", "edtSearchDisease"};
  for (size_t i = 0; i < rows.size(); ++i) {
    auto* line = new QHBoxLayout;
    line->setSpacing(4);
    auto* cap = new QLabel(QString::fromUtf8(categories()[i].caption), pnlEntry);
    cap->setFixedWidth(52);
    cap->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    cap->setContentsMargins(0, 14, 0, 0);
    cap->setStyleSheet(QStringLiteral("color: #037C6A; font-size: 15px; font-weight: bold;"));
    cap->setCursor(Qt::PointingHandCursor);
    cap->installEventFilter(this);
    cap->setProperty("row", static_cast<int>(i));
    rows[i] = new TChipRow(pnlEntry);
    rows[i]->setObjectName(QString::fromLatin1(names[i]));
    line->addWidget(cap);
    line->addWidget(rows[i], 1);
    ev->addLayout(line);
    if (i + 1 < rows.size()) {
      auto* rule = new QFrame(pnlEntry);
      rule->setFixedHeight(1);
      rule->setStyleSheet(QStringLiteral("background: #EEF2F1;"));
      ev->addWidget(rule);
    }
    auto* box = new QLineEdit(rows[i]);
    box->setObjectName(QString::fromLatin1(boxNames[i]));
    box->setProperty("tag", QString::fromLatin1(categories()[i].classId));
    box->setFixedSize(kBoxWidth, 28);
    box->setMaxLength(100);
    box->setStyleSheet(kSearchBoxStyle);
    box->installEventFilter(this);
    connect(box, &QLineEdit::textChanged, this, [this, box] { edtSymNameChange(box); });
    searchBoxes[i] = box;
    box->setVisible(i == 0);
    connect(rows[i], &TChipRow::clicked, this, [this, i] { pnlRowClick(static_cast<Category>(i)); });
  }
  QLineEdit* prompt = searchBoxes[0];
  prompt->setFixedWidth(kPromptWidth);
  prompt->setText(QStringLiteral("输入汉字或拼音查询症状/病名/舌苔"));
  prompt->setStyleSheet(prompt->styleSheet() + QStringLiteral("QLineEdit { color: #999; }"));
  for (size_t i = 0; i < rows.size(); ++i) relayoutRow(static_cast<Category>(i));
  ev->addStretch(1);
  v->addWidget(pnlEntry, 1);
  return column;
}

// ---------------------------------------------------------------- selected findings

QList<TSelSymFra*> TIdentifyPage::chips(Category c) const { return chipWidgets_[static_cast<size_t>(c)]; }

void TIdentifyPage::relayoutRow(Category c) {
  const size_t i = static_cast<size_t>(c);
  QLineEdit* box = searchBoxes[i];
  rows[i]->layoutChips(chipWidgets_[i], box->isVisible() || box == EdtTmp ? box : nullptr);
}

void TIdentifyPage::findingsChanged() {
  if (set_.isEmpty()) {
    result->ClearResult();
    return;
  }
  Ai(set_.primaryId());
}

bool TIdentifyPage::categoryFull(const QString& classId) {
  const QString message = set_.fullMessage(classId);
  if (message.isEmpty()) return false;
  messages_.showMessage(message);
  return true;
}

bool TIdentifyPage::AddSelSym(const QString& classId, const QString& id, const QString& name, const QString& gender,
                              const QString& ids) {
  Category c;
  if (!categoryOf(classId, &c)) return false;
  if (categoryFull(classId)) return false;
  if (EdtTmp) {
    EdtTmp->clear();
    if (EdtTmp->width() != kBoxWidth) EdtTmp->setFixedWidth(kBoxWidth);
  }
  if (set_.AddSelSym(classId, id, name, gender, ids) != AddResult::Added) return false;
  const ChosenFinding& f = set_.items(c).last();
  const size_t i = static_cast<size_t>(c);
  auto* chip = new TSelSymFra(rows[i]);
  chip->setObjectName(QStringLiteral("gb%1").arg(f.serial));
  chip->id = id;
  chip->ids = ids;
  chip->gender = gender;
  chip->classId = classId;
  chip->setCaption(name);
  chip->setPrimaryLook(f.primary);
  chip->enableDeleteMenu();
  // Only the caption toggles the mark; the chip's padding does nothing.
  connect(chip, &TSelSymFra::captionClicked, this, &TIdentifyPage::chipCaptionClicked);
  connect(chip, &TSelSymFra::deleteRequested, this, &TIdentifyPage::chipDeleteRequested);
  if (c == Category::Disease) {
    chip->setAddIconVisible(true);
    connect(chip, &TSelSymFra::addClicked, this, [this](TSelSymFra* ch) { SelectOption(ch->id); });
  }
  chipWidgets_[i] << chip;
  relayoutRow(c);
  if (c == Category::Disease) SelectOption(id);
  return true;
}

bool TIdentifyPage::Del(Category c, const QString& id) {
  const size_t i = static_cast<size_t>(c);
  if (!set_.Del(c, id)) return false;
  for (qsizetype k = 0; k < chipWidgets_[i].size(); ++k) {
    if (chipWidgets_[i][k]->id == id) {
      chipWidgets_[i].takeAt(k)->deleteLater();
      break;
    }
  }
  relayoutRow(c);
  return true;
}

bool TIdentifyPage::addFinding(const QString& classId, const QString& id, const QString& name, const QString& gender) {
  Category c;
  if (categoryOf(classId, &c)) EdtTmp = searchBoxes[static_cast<size_t>(c)];
  return AddSelSym(classId, id, name, gender);
}

bool TIdentifyPage::removeFinding(const QString& classId, const QString& id) {
  Category c;
  return categoryOf(classId, &c) && Del(c, id);
}

void TIdentifyPage::chipDeleteRequested(TSelSymFra* chip) {
  Category c;
  if (!categoryOf(chip->classId, &c)) return;
  const QString id = chip->id;
  Del(c, id);
  inquiry->forEachInquiry([&id](TSymOptionFrm* w) { w->unselectAnswer(id); });
}

void TIdentifyPage::chipCaptionClicked(TSelSymFra* chip) {
  Category c;
  if (!categoryOf(chip->classId, &c) || (c != Category::Symptom && c != Category::Disease)) return;
  // The toggled mark is a change of the set: it clears the panel and runs with
  // the primary finding the marks now give.
  (void)set_.togglePrimary(c, chip->id);
  for (Category k : {Category::Symptom, Category::Disease}) {
    const auto& items = set_.items(k);
    const auto& widgets = chipWidgets_[static_cast<size_t>(k)];
    for (qsizetype n = 0; n < items.size() && n < widgets.size(); ++n) widgets[n]->setPrimaryLook(items[n].primary);
  }
}

void TIdentifyPage::ClearSym() {
  result->pnlViewMore->hide();
  // The hints came from the previous customer's answers.
  ClearHintSym();
  set_.clear();
  for (auto& list : chipWidgets_) {
    qDeleteAll(list);
    list.clear();
  }
  inquiry->forEachInquiry([](TSymOptionFrm* w) { w->clearSelection(); });
  customer->clear();
  result->ClearResult();
  for (size_t i = 0; i < rows.size(); ++i) searchBoxes[i]->setVisible(i == 0);
  leavePrompt();
  for (size_t i = 0; i < rows.size(); ++i) relayoutRow(static_cast<Category>(i));
}

void TIdentifyPage::GetMed(QString* Disease, QString* Med, QString* SymIds) const {
  *Disease = result->lblSyn->text();
  *Med = set_.shownText();
  *SymIds = set_.findingListText();
}

void TIdentifyPage::SetHintSym(const QList<HintRow>& hints) {
  for (qsizetype k = 0; k < hints.size() && k < static_cast<qsizetype>(ArrLblSym.size()); ++k) {
    TPanel* l = ArrLblSym[static_cast<size_t>(k)];
    l->setText(hints[k].name);
    l->setProperty("symid", hints[k].symid);
    l->setProperty("mutex", hints[k].mutex);
    l->show();
    lblHintTitle->show();
  }
}

void TIdentifyPage::ClearHintSym() {
  lblHintTitle->hide();
  for (TPanel* l : ArrLblSym) l->hide();
}

void TIdentifyPage::pnlRowClick(Category c) {
  const size_t i = static_cast<size_t>(c);
  for (size_t k = 0; k < searchBoxes.size(); ++k) searchBoxes[k]->setVisible(k == i);
  QLineEdit* box = searchBoxes[i];
  if (c == Category::Symptom) edtSearchClick();
  EdtTmp = box;
  for (size_t k = 0; k < rows.size(); ++k) relayoutRow(static_cast<Category>(k));
  box->setFocus();
}

void TIdentifyPage::edtSearchClick() {
  QLineEdit* prompt = searchBoxes[0];
  if (prompt->width() != kPromptWidth) return;
  // The first click on the prompt box shrinks it and clears the prompt.
  leavePrompt();
  EdtTmp = prompt;
  relayoutRow(Category::Symptom);
}

void TIdentifyPage::leavePrompt() {
  QLineEdit* box = searchBoxes[0];
  box->setFixedWidth(kBoxWidth);
  box->clear();
  box->setStyleSheet(kSearchBoxStyle);
}

// ---------------------------------------------------------------- search

void TIdentifyPage::edtSymNameChange(QLineEdit* box) {
  if (box == searchBoxes[0] && box->width() == kPromptWidth) return;  // the prompt text is not a search
  EdtTmp = box;
  const SearchOutcome out = search_.search(vocabulary_, box->text(), box->property("tag").toString());
  if (out.action == SearchAction::HidePopup) {
    pnlSearch->hide();
    return;
  }
  if (out.action == SearchAction::KeepList) return;
  pnlSearch->showHits(out.hits);
  placeSearchPopup(box);
}

void TIdentifyPage::placeSearchPopup(QLineEdit* box) {
  pnlSearch->placeUnder(box->mapTo(this, QPoint(0, box->height())),
                        QRect(pnlEntry->mapTo(this, QPoint(0, 0)), pnlEntry->size()));
}

void TIdentifyPage::edtSymKeyUp(QLineEdit* box, int key) {
  if (box->text().isEmpty()) return;
  if (key == Qt::Key_Delete || key == Qt::Key_Backspace) return;
  if (key >= Qt::Key_1 && key <= Qt::Key_9) return;
  if (key >= Qt::Key_F1 && key <= Qt::Key_F11) return;
  // Escape has just closed the pop-up: it stays closed.
  if (key == Qt::Key_Escape) return;
  if (box == searchBoxes[0] && box->width() == kPromptWidth) return;  // the prompt box has no results
  placeSearchPopup(box);
}

void TIdentifyPage::closeSearchPopup() { pnlSearch->closePopup(); }

void TIdentifyPage::LstSymDblClick() {
  const std::optional<OfferedFinding> line = pnlSearch->currentLine();
  if (!line) {
    // Nothing chosen: the run goes on with what is selected.
    Ai(QString());
    return;
  }
  if (set_.GetMutexSym(line->mutex)) return;
  if (categoryFull(line->classId)) return;
  const bool added = AddSelSym(line->classId, line->id, line->name, QString());
  pnlSearch->clearAndHide();
  search_.reset();
  if (EdtTmp) {
    EdtTmp->clear();
    EdtTmp->setFocus();
  }
  // A pick runs without a chief complaint, whatever mark a chip carries. An
  // added finding has run already with the marks' primary finding, which is
  // the same run while no chip is marked.
  if (!added || !set_.primaryId().isEmpty()) Ai(QString());
}

void TIdentifyPage::edtGenderOrAgeChange() {
  Gender = inquiryGender(customer->edtGender->currentText());
  SetGynecology();
}

void TIdentifyPage::SetGynecology() {
  inquiry->showGynecologyTab(gynecologyAllowed(customer->edtGender->currentText(), customer->edtAge->text()));
}

bool TIdentifyPage::gynecologyTabShown() const { return inquiry->gynecologyTabShown(); }

// ---------------------------------------------------------------- modes and inquiry

void TIdentifyPage::pnlMod1Click() {
  inquiry->showMode(1);
  ClearSym();
  SetGynecology();
}

void TIdentifyPage::pnlMod2Click() {
  inquiry->showMode(2);
  ClearSym();
}

void TIdentifyPage::createFirstInquiryPage() { inquiry->createFirstInquiryPage(); }

void TIdentifyPage::SelectOption(const QString& diseaseId) { inquiry->openDiseaseInquiry(diseaseId); }

void TIdentifyPage::wheelEvent(QWheelEvent* e) {
  if (TSymOptionFrm* w = inquiry->activeInquiry()) w->wheelTurn(e->angleDelta().y());
  e->accept();
}

void TIdentifyPage::showLoading(const QString& caption) {
  if (mainFrm_) mainFrm_->showLoadingCaption(caption);
}

void TIdentifyPage::hideLoading() {
  if (mainFrm_) mainFrm_->hideLoadingUnlessFailed();
}

// ---------------------------------------------------------------- the run

void TIdentifyPage::prepareKnowledge() { (void)indexCache_.indexFor(dm_.knowledge()); }

void TIdentifyPage::showDietResult(int id, const QString& name, const QString& pre) {
  result->SetName(id, name, pre, QString(), QString());
}

void TIdentifyPage::Ai(const QString& primaryId) {
  result->ClearResult();
  IdentificationInput input;
  input.codes = set_.GetCodeList();
  input.primaryId = primaryId;
  input.genderBox = customer->edtGender->currentText();
  input.ageBox = customer->edtAge->text();
  // A matching diet rule of the primary finding shows its own result first.
  const DietRuleStep dietRules = [this](const QString& primaryCode, const QString& symIds) {
    const std::optional<DietRuleMatch> rule = GetFoodGrp(dm_, primaryCode, symIds);
    if (!rule) return QString();
    showDietResult(rule->id, rule->synName, rule->pre);
    return rule->pre;
  };
  const auto index = indexCache_.indexFor(dm_.knowledge());
  const Identification run = tcm::Ai(*index, dm_, input, dietRules);
  if (run.outcome == IdentificationOutcome::Failed && run.error != lastRunError_) {
    // A knowledge row that cannot be read is reported once; the screen stays usable.
    lastRunError_ = run.error;
    messages_.showMessage(QStringLiteral("辨识出错：%1").arg(run.error));
  }
  for (const TIll& r : run.shown) result->SetName(r.Id, r.Name, r.Pre, r.notRecommendFood, r.recommendFood);
}

// ---------------------------------------------------------------- events

bool TIdentifyPage::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease && watched->property("row").isValid()) {
    pnlRowClick(static_cast<Category>(watched->property("row").toInt()));
    return true;
  }
  auto* box = qobject_cast<QLineEdit*>(watched);
  const bool isSearchBox = box && std::find(searchBoxes.begin(), searchBoxes.end(), box) != searchBoxes.end();
  if (isSearchBox && event->type() == QEvent::MouseButtonPress && box == searchBoxes[0]) edtSearchClick();
  if (isSearchBox && event->type() == QEvent::KeyPress) {
    auto* ke = static_cast<QKeyEvent*>(event);
    if (box->hasSelectedText() && (ke->text() == QLatin1String(".") || ke->key() == Qt::Key_Backspace)) return true;
    if (ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) {
      if (pnlSearch->lineCount() == 0) {
        const QString free = edtSymName->text();
        if (!free.isEmpty()) {
          EdtTmp->setText(EdtTmp->text().isEmpty() ? free : EdtTmp->text() + QStringLiteral("，") + free);
          edtSymName->clear();
        }
      } else if (LstSym->item(0)->text() == edtSymName->text()) {
        LstSym->setCurrentRow(0);
        LstSymDblClick();
        return true;
      }
    }
    if (ke->key() == Qt::Key_Down || ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) {
      if (pnlSearch->isVisible()) pnlSearch->focusFirstLine();
      return true;
    }
    if (ke->key() == Qt::Key_Escape) {
      closeSearchPopup();
      return true;
    }
  }
  if (isSearchBox && event->type() == QEvent::KeyRelease) edtSymKeyUp(box, static_cast<QKeyEvent*>(event)->key());
  return QWidget::eventFilter(watched, event);
}

}  // namespace tcm::ui

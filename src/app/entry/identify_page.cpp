#include "entry/identify_page.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollArea>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "customer/customer_strip.h"
#include "db/gateway.h"
#include "engine/identification.h"
#include "result/recommendations.h"
#include "entry/chip_row.h"
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

QLabel* helpIcon(QWidget* parent) {
  auto* l = new QLabel(QStringLiteral("?"), parent);
  l->setFixedSize(18, 18);
  l->setAlignment(Qt::AlignCenter);
  l->setCursor(Qt::PointingHandCursor);
  l->setStyleSheet(QStringLiteral("background: #9BB7B2; color: white; border-radius: 9px; font-size: 12px; font-weight: bold;"));
  return l;
}

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
  columns->addWidget(buildInquiryColumn(), 40);
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
  buildSearchPopup();
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

TIdentifyPage::~TIdentifyPage() {
  if (DisOptionFrm) delete DisOptionFrm.data();
}

// ---------------------------------------------------------------- layout

QWidget* TIdentifyPage::buildInquiryColumn() {
  auto* column = new QFrame(this);
  column->setObjectName(QStringLiteral("inquiryColumn"));
  column->setStyleSheet(QStringLiteral("#inquiryColumn { background: white; border: 1px solid #DCE8E5; border-radius: 6px; }"));
  auto* v = new QVBoxLayout(column);
  v->setContentsMargins(8, 6, 8, 8);
  v->setSpacing(4);
  auto* modes = new QHBoxLayout;
  modes->setSpacing(4);
  pnlMod1 = new TPanel(QStringLiteral("体质辨识"), column);
  pnlMod2 = new TPanel(QStringLiteral("疾病调理"), column);
  Image1 = helpIcon(column);
  Image2 = helpIcon(column);
  for (TPanel* p : {pnlMod1, pnlMod2}) {
    p->setFixedHeight(34);
    p->setMinimumWidth(84);
    p->setAutoFillBackground(false);
  }
  modes->addWidget(pnlMod1);
  modes->addWidget(Image1);
  modes->addSpacing(24);
  modes->addWidget(pnlMod2);
  modes->addWidget(Image2);
  modes->addStretch(1);
  v->addLayout(modes);

  pgSym = new QTabWidget(column);
  pgSym->setObjectName(QStringLiteral("pgSym"));
  pgSym->setDocumentMode(true);
  pgSym->setStyleSheet(QStringLiteral(
      "QTabBar::tab { height: 30px; width: 100px; font-size: 14px; color: #555; background: #EEF3F2; margin-right: 2px; }"
      "QTabBar::tab:selected { color: white; background: #037C6A; }"));
  tsSymptom = new QWidget(pgSym);
  tsTongue = new QWidget(pgSym);
  tsGynecology = new QWidget(pgSym);
  tsDisease = new QWidget(pgSym);
  for (QWidget* t : {tsSymptom, tsTongue, tsGynecology, tsDisease}) {
    auto* l = new QVBoxLayout(t);
    l->setContentsMargins(0, 4, 0, 0);
  }
  pgSym->addTab(tsSymptom, QStringLiteral("症状"));
  pgSym->addTab(tsTongue, QStringLiteral("舌脉"));
  pgSym->addTab(tsGynecology, QStringLiteral("妇科"));
  pgSym->addTab(tsDisease, QStringLiteral("疾病"));
  pgSym->setTabVisible(2, false);
  pgSym->setTabVisible(3, false);
  v->addWidget(pgSym, 1);

  connect(pnlMod1, &TPanel::clicked, this, &TIdentifyPage::pnlMod1Click);
  connect(pnlMod2, &TPanel::clicked, this, &TIdentifyPage::pnlMod2Click);
  Image1->installEventFilter(this);
  Image2->installEventFilter(this);
  connect(pgSym, &QTabWidget::currentChanged, this, &TIdentifyPage::inquiryTabChanged);
  styleModeCaptions();
  return column;
}

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

void TIdentifyPage::buildSearchPopup() {
  pnlSearch = new QFrame(this);
  pnlSearch->setObjectName(QStringLiteral("pnlSearch"));
  pnlSearch->setStyleSheet(QStringLiteral("#pnlSearch { background: white; border: 1px solid #037C6A; border-radius: 4px; }"
                                          "QListWidget { border: none; font-size: 14px; }"
                                          "QListWidget::item { height: 26px; }"
                                          "QListWidget::item:selected { background: #037C6A; color: white; }"));
  auto* v = new QVBoxLayout(pnlSearch);
  v->setContentsMargins(2, 2, 2, 2);
  v->setSpacing(0);
  edtSymName = new QLineEdit(pnlSearch);  // the free-text box lies under the list
  edtSymName->setObjectName(QStringLiteral("edtSymName"));
  edtSymName->hide();
  LstSym = new QListWidget(pnlSearch);
  LstSym->setObjectName(QStringLiteral("LstSym"));
  lblCloseSrc = new TPanel(QStringLiteral("关闭"), pnlSearch);
  lblCloseSrc->setObjectName(QStringLiteral("lblCloseSrc"));
  lblCloseSrc->setStyleSheet(QStringLiteral("color: #1E63A7; background: transparent; padding: 2px 6px;"));
  v->addWidget(LstSym, 1);
  v->addWidget(lblCloseSrc, 0, Qt::AlignRight);
  pnlSearch->resize(220, 300);
  pnlSearch->hide();
  connect(LstSym, &QListWidget::itemDoubleClicked, this, [this] { LstSymDblClick(); });
  LstSym->installEventFilter(this);
  connect(lblCloseSrc, &TPanel::clicked, this, &TIdentifyPage::closeSearchPopup);
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
  forEachInquiry([&id](TSymOptionFrm* w) { w->unselectAnswer(id); });
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
  forEachInquiry([](TSymOptionFrm* w) { w->clearSelection(); });
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
  LstSym->clear();
  for (const SearchHit& hit : out.hits) {
    auto* item = new QListWidgetItem(hit.name, LstSym);
    item->setData(Qt::UserRole, hit.entry.id);
    item->setData(Qt::UserRole + 1, hit.entry.classId);
    item->setData(Qt::UserRole + 2, hit.entry.mutex);
  }
  placeSearchPopup(box);
}

void TIdentifyPage::placeSearchPopup(QLineEdit* box) {
  const QPoint boxBottom = box->mapTo(this, QPoint(0, box->height()));
  const QRect area(pnlEntry->mapTo(this, QPoint(0, 0)), pnlEntry->size());
  int left = boxBottom.x() + 40;
  if (left + pnlSearch->width() > area.right() - 5) left = area.right() - pnlSearch->width();
  pnlSearch->move(left, boxBottom.y());
  pnlSearch->show();
  pnlSearch->raise();
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

void TIdentifyPage::closeSearchPopup() {
  edtSymName->clear();
  pnlSearch->hide();
}

void TIdentifyPage::LstSymDblClick() {
  QListWidgetItem* item = LstSym->currentItem();
  if (!item) {
    // Nothing chosen: the run goes on with what is selected.
    Ai(QString());
    return;
  }
  const QString id = item->data(Qt::UserRole).toString();
  const QString classId = item->data(Qt::UserRole + 1).toString();
  const QString mutex = item->data(Qt::UserRole + 2).toString();
  const QString name = item->text();
  if (set_.GetMutexSym(mutex)) return;
  if (categoryFull(classId)) return;
  const bool added = AddSelSym(classId, id, name, QString());
  LstSym->clear();
  search_.reset();
  pnlSearch->hide();
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
  // In "疾病调理" the tab strip is gone and only the disease page is reachable:
  // turning to "症状" there would leave the clerk on a page of the other mode
  // with no way back but a mode click, which clears the customer. The tabs
  // follow the customer again when "体质辨识" is chosen (it calls this anew).
  if (mode_ != 1) return;
  pgSym->setTabVisible(2, gynecologyAllowed(customer->edtGender->currentText(), customer->edtAge->text()));
  pgSym->setCurrentIndex(0);
}

bool TIdentifyPage::gynecologyTabShown() const { return pgSym->isTabVisible(2); }

// ---------------------------------------------------------------- modes and inquiry

void TIdentifyPage::styleModeCaptions() {
  // The active caption is green and bold with a short bar under it.
  const QString active = QStringLiteral("color: #037C6A; font-weight: bold; font-size: 16px; border-bottom: 3px solid #037C6A;");
  const QString inactive = QStringLiteral("color: #222; font-size: 16px;");
  pnlMod1->setStyleSheet(mode_ == 1 ? active : inactive);
  pnlMod2->setStyleSheet(mode_ == 2 ? active : inactive);
}

void TIdentifyPage::pnlMod1Click() {
  mode_ = 1;
  styleModeCaptions();
  pgSym->tabBar()->show();
  pgSym->setTabVisible(0, true);
  pgSym->setTabVisible(1, true);
  pgSym->setTabVisible(3, false);
  pgSym->setCurrentIndex(0);
  ClearSym();
  SetGynecology();
}

void TIdentifyPage::pnlMod2Click() {
  mode_ = 2;
  styleModeCaptions();
  pgSym->setTabVisible(3, true);
  pgSym->setCurrentIndex(3);
  for (int t : {0, 1, 2}) pgSym->setTabVisible(t, false);
  pgSym->tabBar()->hide();
  ClearSym();
}

TSymOptionFrm* TIdentifyPage::createDockedInquiry(QWidget* tab, const QString& title) {
  auto* w = new TSymOptionFrm(*this, tab);
  tab->layout()->addWidget(w);
  w->CurrTabTitle = title;
  w->show();
  w->tmr1->start();
  return w;
}

void TIdentifyPage::createFirstInquiryPage() {
  if (!SymptomOptionFrm) SymptomOptionFrm = createDockedInquiry(tsSymptom, QStringLiteral("基础问诊"));
}

void TIdentifyPage::inquiryTabChanged(int index) {
  if (index == 1 && !TongueOptionFrm) TongueOptionFrm = createDockedInquiry(tsTongue, QStringLiteral("舌脉"));
  if (index == 2 && !GynecologyOptionFrm) GynecologyOptionFrm = createDockedInquiry(tsGynecology, QStringLiteral("妇科"));
  if (index == 3 && !DiseaseOptionFrm) DiseaseOptionFrm = createDockedInquiry(tsDisease, QStringLiteral("疾病"));
}

void TIdentifyPage::SelectOption(const QString& diseaseId) {
  if (!DisOptionFrm) DisOptionFrm = new TSymOptionFrm(*this, window(), TSymOptionFrm::Mode::Floating);
  DisOptionFrm->showCenteredOver(window());
  DisOptionFrm->GetSymptomHint(QString(), diseaseId);
}

TSymOptionFrm* TIdentifyPage::activeInquiry() const {
  switch (pgSym->currentIndex()) {
    case 0:
      return SymptomOptionFrm;
    case 1:
      return TongueOptionFrm;
    case 2:
      return GynecologyOptionFrm;
    case 3:
      return DiseaseOptionFrm;
    default:
      return nullptr;
  }
}

void TIdentifyPage::wheelEvent(QWheelEvent* e) {
  if (TSymOptionFrm* w = activeInquiry()) w->wheelTurn(e->angleDelta().y());
  e->accept();
}

void TIdentifyPage::forEachInquiry(const std::function<void(TSymOptionFrm*)>& f) {
  for (TSymOptionFrm* w : {SymptomOptionFrm.data(), TongueOptionFrm.data(), GynecologyOptionFrm.data(),
                           DiseaseOptionFrm.data(), DisOptionFrm.data()})
    if (w) f(w);
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
  if ((watched == Image1 || watched == Image2) && event->type() == QEvent::MouseButtonRelease) {
    if (mainFrm_) (watched == Image1) ? mainFrm_->Image1Click() : mainFrm_->Image2Click();
    return true;
  }
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
      if (LstSym->count() == 0) {
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
      if (pnlSearch->isVisible()) {
        LstSym->setFocus();
        if (LstSym->count() > 0) LstSym->setCurrentRow(0);
      }
      return true;
    }
    if (ke->key() == Qt::Key_Escape) {
      closeSearchPopup();
      return true;
    }
  }
  if (isSearchBox && event->type() == QEvent::KeyRelease) edtSymKeyUp(box, static_cast<QKeyEvent*>(event)->key());
  if (watched == LstSym && event->type() == QEvent::KeyPress) {
    auto* ke = static_cast<QKeyEvent*>(event);
    if (ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) {
      LstSymDblClick();
      return true;
    }
    if (ke->key() == Qt::Key_Escape) {
      closeSearchPopup();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace tcm::ui

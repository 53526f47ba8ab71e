#include "entry/sym_option_frm.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>

#include "entry/sel_sym_fra.h"
#include "entry/sym_option_host.h"
#include "messages.h"
#include "ui_kit.h"

namespace tcm::ui {
namespace {

const QColor kFrameColor(0x03, 0x7C, 0x6A);
constexpr int kFloatingWidth = 800;
constexpr int kFloatingHeight = 500;
constexpr int kBorder = 2;
constexpr int kScrollStep = 15;
constexpr int kHeadingHeight = 26;

const QString kLoadingCaption = QStringLiteral("  正在读取【问诊】数据");
const QString kGenderConflict = QStringLiteral("性别与症状矛盾，不能添加");
const QString kNoticeCaption = QStringLiteral("提示");
const QString kDiseaseCaption = QStringLiteral("选择症状");

bool isCountedCategory(const QString& classId) {
  return classId == QLatin1String("0") || classId == QLatin1String("5") || classId == QLatin1String("6");
}

}  // namespace

TSymOptionFrm::TSymOptionFrm(SymOptionHost& host, QWidget* parent, Mode mode) : QWidget(parent), host_(host) {
  // Topic captions in the order of the topic buttons ("妇科" appears twice).
  for (const char* caption : {"基础问诊", "舌脉", "脉", "面部", "眼部", "耳部", "鼻部", "口腔", "咽部", "颈肩背腰", "胸部",
                              "上腹", "下腹", "上肢", "妇科", "疾病", "男科", "妇科"})
    arrPnl << QString::fromUtf8(caption);

  auto* root = new QVBoxLayout(this);
  root->setContentsMargins(0, 0, 0, 0);
  root->setSpacing(0);

  const TitleStrip title = buildTitleStrip(this, kDiseaseCaption, QStringLiteral("img1"));
  pnlTitle = title.panel;
  lblTitle = title.caption;
  img1 = title.close;
  connect(img1, &TPanel::clicked, this, &TSymOptionFrm::img1Click);
  pnlTitle->hide();
  root->addWidget(pnlTitle);

  cbSelSym = new QScrollArea(this);
  cbSelSym->setObjectName(QStringLiteral("cbSelSym"));
  cbSelSym->setFrameShape(QFrame::NoFrame);
  cbSelSym->setWidgetResizable(false);
  cbSelSym->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  cbSelSym->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  cbSelSym->verticalScrollBar()->setSingleStep(kScrollStep);
  cbSelSym->setStyleSheet(QStringLiteral(
      "QScrollArea#cbSelSym { background: white; border: none; }"
      "QScrollBar:vertical { background: #F4F6F5; width: 8px; margin: 0; }"
      "QScrollBar::handle:vertical { background: #C5D3D0; border-radius: 4px; min-height: 30px; }"
      "QScrollBar::handle:vertical:hover { background: #037C6A; }"
      "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
      "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }"));
  cbSelSym->viewport()->setAutoFillBackground(true);
  QPalette vp = cbSelSym->viewport()->palette();
  vp.setColor(QPalette::Window, Qt::white);
  cbSelSym->viewport()->setPalette(vp);
  cbSelSym->viewport()->installEventFilter(this);
  cbSelSym->verticalScrollBar()->installEventFilter(this);

  pnlOptions = new QWidget;
  pnlOptions->setObjectName(QStringLiteral("pnlOptions"));
  pnlOptions->setAutoFillBackground(true);
  pnlOptions->setPalette(vp);
  cbSelSym->setWidget(pnlOptions);
  root->addWidget(cbSelSym, 1);

  tmr1 = new QTimer(this);
  tmr1->setObjectName(QStringLiteral("tmr1"));
  tmr1->setSingleShot(true);
  tmr1->setInterval(10);
  connect(tmr1, &QTimer::timeout, this, &TSymOptionFrm::tmr1Timer);

  if (mode == Mode::Floating) makeFloating();
}

TSymOptionFrm::~TSymOptionFrm() = default;

void TSymOptionFrm::makeFloating() {
  mode_ = Mode::Floating;
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  setFixedSize(kFloatingWidth, kFloatingHeight);
  layout()->setContentsMargins(kBorder, 0, kBorder, kBorder);
  pnlTitle->show();
}

void TSymOptionFrm::showCenteredOver(const QWidget* other) { showCentredOver(this, other); }

void TSymOptionFrm::paintEvent(QPaintEvent* e) {
  QPainter p(this);
  p.fillRect(rect(), Qt::white);
  if (mode_ == Mode::Floating) {
    p.setPen(Qt::NoPen);
    p.setBrush(kFrameColor);
    p.drawRect(0, 0, kBorder, height());
    p.drawRect(width() - kBorder, 0, kBorder, height());
    p.drawRect(0, height() - kBorder, width(), kBorder);
  }
  QWidget::paintEvent(e);
}

bool TSymOptionFrm::eventFilter(QObject* watched, QEvent* event) {
  // A wheel turn over the answers or their scroll bar moves them by one step,
  // not by the platform's three lines.
  if ((watched == cbSelSym->viewport() || watched == cbSelSym->verticalScrollBar()) &&
      event->type() == QEvent::Wheel) {
    wheelTurn(static_cast<QWheelEvent*>(event)->angleDelta().y());
    return true;
  }
  // The answers flow with the width of the area: lay them out again when it changes.
  if (watched == cbSelSym->viewport() && event->type() == QEvent::Resize && !ArrSelSym.isEmpty() &&
      cbSelSym->viewport()->width() != laidOutWidth_) {
    relayout();
  }
  return QWidget::eventFilter(watched, event);
}

void TSymOptionFrm::CreateSelSym() {
  if (!ArrSelSym.isEmpty()) return;
  ArrSelSym.reserve(kInquiryAnswerSlots);
  for (int i = 1; i <= kInquiryAnswerSlots; ++i) {
    auto* b = new TSelSymFra(pnlOptions);
    b->setObjectName(QStringLiteral("SelSymFra_%1").arg(i));
    b->setSelected(false);
    b->hide();
    // Style sheets apply at polish time; the caption is measured with the real font.
    b->ensurePolished();
    connect(b, &TSelSymFra::captionClicked, this, [this](TSelSymFra* chip) { AddSelSym(chip); });
    // The answer's blank padding is the answer panel itself: it only runs the identification again.
    connect(b, &TSelSymFra::panelClicked, this, [this] { AddSelSym(nullptr); });
    ArrSelSym.append(b);
  }
  arrLblSelSym.reserve(kInquiryHeadingSlots);
  for (int i = 1; i <= kInquiryHeadingSlots; ++i) {
    auto* l = new QLabel(pnlOptions);
    l->setObjectName(QStringLiteral("lblSelSym%1").arg(i));
    l->setStyleSheet(QStringLiteral("QLabel { color: #037C6A; font-weight: bold; font-size: 15px; "
                                    "border-left: 4px solid #037C6A; padding-left: 8px; background: transparent; }"));
    l->setFixedHeight(kHeadingHeight);
    l->hide();
    arrLblSelSym.append(l);
  }
}

void TSymOptionFrm::GetCurrTab(const QString& Title) {
  if (!arrPnl.contains(Title)) return;
  GetSign(Title);
}

void TSymOptionFrm::GetSign(const QString& topic) {
  CreateSelSym();
  clearPage(true);
  showRows(loadTopicRows(host_.database(), topic));
}

void TSymOptionFrm::GetSymptomHint(const QString& title, const QString& fid) {
  Q_UNUSED(title);
  CreateSelSym();
  clearPage(false);
  lblTitle->setText(kDiseaseCaption);
  showRows(loadDiseaseRows(host_.database(), fid));
}

void TSymOptionFrm::clearPage(bool clearHelp) {
  ++pageGeneration_;
  for (QLabel* l : arrLblSelSym) {
    l->hide();
    l->clear();
  }
  for (TSelSymFra* b : ArrSelSym) {
    b->hide();
    b->setAddIconVisible(false);
    if (clearHelp) b->imgHelp->hide();
    b->setCaption(QString());
    b->setSelected(false);
    b->id.clear();
    b->childTag.clear();
    b->classId.clear();
    b->gender.clear();
    b->mutex.clear();
  }
  rows_.clear();
  layout_ = InquiryLayout{};
  cbSelSym->verticalScrollBar()->setValue(0);
}

void TSymOptionFrm::showRows(const QList<InquiryRow>& rows) {
  rows_ = rows;
  relayout();
  Q_EMIT pageLoaded();
}

InquiryMetrics TSymOptionFrm::metrics() const {
  InquiryMetrics m;
  m.areaWidth = cbSelSym->viewport()->width();
  m.headingHeight = kHeadingHeight;
  m.answerHeight = ArrSelSym.isEmpty() ? 30 : ArrSelSym.first()->height();
  return m;
}

void TSymOptionFrm::relayout() {
  if (ArrSelSym.isEmpty()) return;
  const InquiryMetrics m = metrics();
  laidOutWidth_ = m.areaWidth;
  layout_ = layoutInquiry(rows_, m, [this](int slot, const InquiryRow& row) {
    TSelSymFra* b = ArrSelSym[slot];
    if (b->caption() != row.name) b->setCaption(row.name);
    return b->width();
  });
  for (const PlacedHeading& h : layout_.headings) {
    QLabel* l = arrLblSelSym[h.slot];
    l->setText(rows_[h.row].title);
    l->setGeometry(h.rect);
    l->show();
  }
  for (const PlacedAnswer& a : layout_.answers) {
    const InquiryRow& row = rows_[a.row];
    TSelSymFra* b = ArrSelSym[a.slot];
    b->classId = row.classId;
    b->gender = row.gender;
    b->mutex = row.mutex;
    SetSelSym(b, row.id(), a.rect.left(), a.rect.top(), row.childTag, row.name);
  }
  pnlOptions->resize(m.areaWidth, std::max(layout_.contentHeight, cbSelSym->viewport()->height()));
}

void TSymOptionFrm::SetSelSym(TSelSymFra* SelSymFra, const QString& id, int Left, int Top, const QString& childTag,
                              const QString& name) {
  SelSymFra->id = id;
  SelSymFra->childTag = childTag;
  if (SelSymFra->caption() != name) SelSymFra->setCaption(name);
  SelSymFra->move(Left, Top);
  SelSymFra->show();
}

void TSymOptionFrm::AddSelSym(TSelSymFra* Obj) {
  bool changed = false;
  if (Obj) {
    host_.clearHints();
    const QString id = Obj->id;
    const QString mutex = Obj->mutex;
    const QString name = Obj->caption();
    const QString gender = Obj->gender;
    if (host_.hasMutexConflict(mutex)) return;
    const QString customer = host_.inquiryGenderCode();
    if (!answerGenderAllowed(gender, customer)) {
      // The refusal comes in the platform's plain box, not in the main window's.
      host_.messageSink().showCaptioned(kNoticeCaption, kGenderConflict);
      return;
    }
    if (Obj->childTag == QLatin1String("1")) {
      QList<InquiryHint> hints;
      if (loadFollowUpHints(host_.database(), id, customer, &hints)) {
        QList<HintRow> rows;
        rows.reserve(hints.size());
        for (const InquiryHint& h : hints) rows.append(HintRow{h.name, h.symid, h.mutex});
        host_.showHints(rows);
      }
    }
    const QString classId = Obj->classId;
    if (isCountedCategory(classId) || classId == QLatin1String("8")) {
      if (Obj->isSelected()) {
        Obj->setSelected(false);
        changed = host_.removeFinding(classId, id);
      } else {
        // A disease has no capacity test of its own here: the add shows "疾病只能选择1个".
        if (isCountedCategory(classId) && host_.categoryFull(classId)) return;
        const int generation = pageGeneration_;
        changed = host_.addFinding(classId, id, name, gender);
        // Adding a disease may reload this very window (the disease questions); the
        // button then belongs to the new page and keeps its fresh look.
        if (generation == pageGeneration_) Obj->setSelected(true);
      }
    }
  }
  // A changed set has been identified again by the screen itself; a refused add
  // or a click beside the answers runs on what is selected.
  if (!changed) host_.runIdentification(host_.derivedPrimaryId());
}

void TSymOptionFrm::clearSelection() {
  for (TSelSymFra* b : ArrSelSym) b->setSelected(false);
}

void TSymOptionFrm::unselectAnswer(const QString& id) {
  for (TSelSymFra* b : ArrSelSym)
    if (!b->isHidden() && b->id == id) b->setSelected(false);
}

void TSymOptionFrm::scrollStep(bool down) {
  QScrollBar* sb = cbSelSym->verticalScrollBar();
  sb->setValue(sb->value() + (down ? sb->singleStep() : -sb->singleStep()));
}

void TSymOptionFrm::wheelTurn(int angleDelta) {
  // One notch of a wheel is 120; finer wheels and touchpads add up to a notch.
  constexpr int kNotch = 120;
  wheelRest_ += angleDelta;
  for (; wheelRest_ >= kNotch; wheelRest_ -= kNotch) scrollStep(false);
  for (; wheelRest_ <= -kNotch; wheelRest_ += kNotch) scrollStep(true);
}

TSelSymFra* TSymOptionFrm::answerById(const QString& id) const {
  for (TSelSymFra* b : ArrSelSym)
    if (!b->isHidden() && b->id == id) return b;
  return nullptr;
}

void TSymOptionFrm::tmr1Timer() {
  tmr1->stop();
  host_.showLoading(kLoadingCaption);
  CreateSelSym();
  GetCurrTab(CurrTabTitle);
  host_.hideLoading();
}

void TSymOptionFrm::img1Click() { hide(); }

}  // namespace tcm::ui

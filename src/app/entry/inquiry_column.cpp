#include "entry/inquiry_column.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "entry/sym_option_frm.h"
#include "ui_kit.h"

namespace tcm::ui {
namespace {

QLabel* helpIcon(QWidget* parent) {
  auto* l = new QLabel(QStringLiteral("?"), parent);
  l->setFixedSize(18, 18);
  l->setAlignment(Qt::AlignCenter);
  l->setCursor(Qt::PointingHandCursor);
  l->setStyleSheet(QStringLiteral("background: #9BB7B2; color: white; border-radius: 9px; font-size: 12px; font-weight: bold;"));
  return l;
}

}  // namespace

TInquiryColumn::TInquiryColumn(SymOptionHost& host, QWidget* parent) : QFrame(parent), host_(host) {
  setObjectName(QStringLiteral("inquiryColumn"));
  setStyleSheet(QStringLiteral("#inquiryColumn { background: white; border: 1px solid #DCE8E5; border-radius: 6px; }"));
  auto* v = new QVBoxLayout(this);
  v->setContentsMargins(8, 6, 8, 8);
  v->setSpacing(4);
  auto* modes = new QHBoxLayout;
  modes->setSpacing(4);
  pnlMod1 = new TPanel(QStringLiteral("体质辨识"), this);
  pnlMod2 = new TPanel(QStringLiteral("疾病调理"), this);
  Image1 = helpIcon(this);
  Image2 = helpIcon(this);
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

  pgSym = new QTabWidget(this);
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

  connect(pnlMod1, &TPanel::clicked, this, [this] { Q_EMIT modeClicked(1); });
  connect(pnlMod2, &TPanel::clicked, this, [this] { Q_EMIT modeClicked(2); });
  Image1->installEventFilter(this);
  Image2->installEventFilter(this);
  connect(pgSym, &QTabWidget::currentChanged, this, &TInquiryColumn::tabChanged);
  styleModeCaptions();
}

TInquiryColumn::~TInquiryColumn() {
  // The floating inquiry is a window of its own, not a child of the column.
  if (DisOptionFrm) delete DisOptionFrm.data();
}

void TInquiryColumn::styleModeCaptions() {
  // The active caption is green and bold with a short bar under it.
  const QString active = QStringLiteral("color: #037C6A; font-weight: bold; font-size: 16px; border-bottom: 3px solid #037C6A;");
  const QString inactive = QStringLiteral("color: #222; font-size: 16px;");
  pnlMod1->setStyleSheet(mode_ == 1 ? active : inactive);
  pnlMod2->setStyleSheet(mode_ == 2 ? active : inactive);
}

void TInquiryColumn::showMode(int mode) {
  mode_ = mode == 2 ? 2 : 1;
  styleModeCaptions();
  if (mode_ == 1) {
    pgSym->tabBar()->show();
    pgSym->setTabVisible(0, true);
    pgSym->setTabVisible(1, true);
    pgSym->setTabVisible(3, false);
    pgSym->setCurrentIndex(0);
  } else {
    pgSym->setTabVisible(3, true);
    pgSym->setCurrentIndex(3);
    for (int t : {0, 1, 2}) pgSym->setTabVisible(t, false);
    pgSym->tabBar()->hide();
  }
}

void TInquiryColumn::showGynecologyTab(bool shown) {
  // In "疾病调理" the tab strip is gone and only the disease page is reachable:
  // turning to "症状" there would leave the clerk on a page of the other mode
  // with no way back but a mode click, which clears the customer. The tabs
  // follow the customer again when "体质辨识" is chosen.
  if (mode_ != 1) return;
  pgSym->setTabVisible(2, shown);
  pgSym->setCurrentIndex(0);
}

bool TInquiryColumn::gynecologyTabShown() const { return pgSym->isTabVisible(2); }

TSymOptionFrm* TInquiryColumn::createDockedInquiry(QWidget* tab, const QString& title) {
  auto* w = new TSymOptionFrm(host_, tab);
  tab->layout()->addWidget(w);
  w->CurrTabTitle = title;
  w->show();
  w->tmr1->start();
  return w;
}

void TInquiryColumn::createFirstInquiryPage() {
  if (!SymptomOptionFrm) SymptomOptionFrm = createDockedInquiry(tsSymptom, QStringLiteral("基础问诊"));
}

void TInquiryColumn::tabChanged(int index) {
  if (index == 1 && !TongueOptionFrm) TongueOptionFrm = createDockedInquiry(tsTongue, QStringLiteral("舌脉"));
  if (index == 2 && !GynecologyOptionFrm) GynecologyOptionFrm = createDockedInquiry(tsGynecology, QStringLiteral("妇科"));
  if (index == 3 && !DiseaseOptionFrm) DiseaseOptionFrm = createDockedInquiry(tsDisease, QStringLiteral("疾病"));
}

void TInquiryColumn::openDiseaseInquiry(const QString& diseaseId) {
  if (!DisOptionFrm) DisOptionFrm = new TSymOptionFrm(host_, window(), TSymOptionFrm::Mode::Floating);
  DisOptionFrm->showCenteredOver(window());
  DisOptionFrm->GetSymptomHint(QString(), diseaseId);
}

TSymOptionFrm* TInquiryColumn::activeInquiry() const {
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

void TInquiryColumn::forEachInquiry(const std::function<void(TSymOptionFrm*)>& f) {
  for (TSymOptionFrm* w : {SymptomOptionFrm.data(), TongueOptionFrm.data(), GynecologyOptionFrm.data(),
                           DiseaseOptionFrm.data(), DisOptionFrm.data()})
    if (w) f(w);
}

bool TInquiryColumn::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == Image1 || watched == Image2) && event->type() == QEvent::MouseButtonRelease) {
    Q_EMIT helpClicked(watched == Image1 ? 1 : 2);
    return true;
  }
  return QFrame::eventFilter(watched, event);
}

}  // namespace tcm::ui

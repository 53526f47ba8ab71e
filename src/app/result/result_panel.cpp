#include "result/result_panel.h"

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "messages.h"
#include "result/pre_name_frame.h"
#include "ui_kit.h"

namespace tcm::ui {
namespace {

// A titled white box with a green heading strip.
QFrame* box(const QString& title, const QString& subtitle, QWidget* parent, QVBoxLayout** content) {
  auto* frame = new QFrame(parent);
  frame->setObjectName(QStringLiteral("resultBox"));
  frame->setStyleSheet(QStringLiteral("#resultBox { background: white; border: 1px solid #DCE8E5; border-radius: 6px; }"));
  auto* v = new QVBoxLayout(frame);
  v->setContentsMargins(12, 8, 12, 10);
  v->setSpacing(4);
  auto* heading = new QLabel(frame);
  heading->setText(subtitle.isEmpty() ? title
                                      : QStringLiteral("%1  <span style='color:#888; font-size:12px; font-weight:normal'>%2</span>")
                                            .arg(title, subtitle));
  heading->setTextFormat(Qt::RichText);
  heading->setStyleSheet(QStringLiteral("color: #037C6A; font-size: 15px; font-weight: bold; border: none;"));
  v->addWidget(heading);
  *content = v;
  return frame;
}

}  // namespace

TResultPanel::TResultPanel(Messages& messages, QWidget* parent) : QFrame(parent), messages_(messages) {
  setObjectName(QStringLiteral("pnlResult"));
  auto* v = new QVBoxLayout(this);
  v->setContentsMargins(0, 0, 0, 0);
  v->setSpacing(10);

  QVBoxLayout* c = nullptr;
  v->addWidget(box(QStringLiteral("体质类型"), QStringLiteral("中医亚健康体质"), this, &c));
  lblSyn = new QLabel(this);
  lblSyn->setObjectName(QStringLiteral("lblSyn"));
  lblSyn->setMinimumHeight(40);
  lblSyn->setAlignment(Qt::AlignCenter);
  lblSyn->setStyleSheet(QStringLiteral("color: #C0392B; font-size: 24px; font-weight: bold; border: none;"));
  lblScore = new QLabel(this);
  lblScore->hide();
  c->addWidget(lblSyn);

  v->addWidget(box(QStringLiteral("药膳推荐"), QString(), this, &c));
  for (size_t i = 0; i < ArrPreFoodName.size(); ++i) {
    ArrPreFoodName[i] = new TPreNameFrame(true, this);
    ArrPreFoodName[i]->setObjectName(QStringLiteral("PreFoodName%1").arg(i + 1));
    c->addWidget(ArrPreFoodName[i]);
    connect(ArrPreFoodName[i], &TPreNameFrame::nameClicked, this, &TResultPanel::dietPrescriptionClicked);
  }

  v->addWidget(box(QStringLiteral("饮食禁忌"), QString(), this, &c));
  pnlNotRecommend = c->parentWidget() ? qobject_cast<QFrame*>(c->parentWidget()) : nullptr;
  auto adviceLabel = [this](const QString& name, bool title) {
    auto* l = new QLabel(this);
    l->setObjectName(name);
    l->setWordWrap(!title);
    l->setStyleSheet(title ? QStringLiteral("color: #037C6A; font-weight: bold; border: none;")
                           : QStringLiteral("color: #444; border: none;"));
    if (!title) {
      l->setCursor(Qt::PointingHandCursor);
      l->installEventFilter(this);
    }
    return l;
  };
  lblNotRecommendTitle = adviceLabel(QStringLiteral("lblNotRecommendTitle"), true);
  lblNotRecommend = adviceLabel(QStringLiteral("lblNotRecommend"), false);
  pnlLine2 = new QFrame(this);
  pnlLine2->setFixedHeight(1);
  pnlLine2->setStyleSheet(QStringLiteral("background: #DCE8E5; border: none;"));
  pnlLine2->hide();
  lblRecommendTitle = adviceLabel(QStringLiteral("lblRecommendTitle"), true);
  lblRecommend = adviceLabel(QStringLiteral("lblRecommend"), false);
  for (QWidget* w : {static_cast<QWidget*>(lblNotRecommendTitle), static_cast<QWidget*>(lblNotRecommend),
                     static_cast<QWidget*>(pnlLine2), static_cast<QWidget*>(lblRecommendTitle),
                     static_cast<QWidget*>(lblRecommend)})
    c->addWidget(w);

  v->addWidget(box(QStringLiteral("经方参考"), QString(), this, &c));
  for (size_t i = 0; i < ArrPreHerName.size(); ++i) {
    ArrPreHerName[i] = new TPreNameFrame(false, this);
    ArrPreHerName[i]->setObjectName(QStringLiteral("PreHerName%1").arg(i + 1));
    c->addWidget(ArrPreHerName[i]);
    connect(ArrPreHerName[i], &TPreNameFrame::nameClicked, this, &TResultPanel::classicPrescriptionClicked);
  }

  pnlViewMore = new TPanel(QStringLiteral("历史药膳 >"), this);
  pnlViewMore->setObjectName(QStringLiteral("pnlViewMore"));
  pnlViewMore->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  pnlViewMore->setStyleSheet(QStringLiteral("color: #1E63A7; font-size: 14px; background: transparent;"));
  pnlViewMore->hide();
  connect(pnlViewMore, &TPanel::clicked, this, &TResultPanel::viewMoreClicked);
  v->addWidget(pnlViewMore);
  v->addStretch(1);
}

void TResultPanel::ClearResult() {
  lblSyn->clear();
  lblScore->clear();
  for (QLabel* l : {lblNotRecommendTitle, lblNotRecommend, lblRecommendTitle, lblRecommend}) l->clear();
  notRecommendFull_.clear();
  recommendFull_.clear();
  pnlLine2->hide();
  for (TPreNameFrame* s : ArrPreHerName) s->Clear();
  for (TPreNameFrame* s : ArrPreFoodName) s->Clear();
}

void TResultPanel::showAdvice(QLabel* title, QLabel* text, QString* full, const QString& advice) {
  if (advice.isEmpty()) return;
  const DietAdvice a = parseDietAdvice(advice);
  title->setText(a.title);
  *full = a.full;
  text->setText(a.shortText());
  text->setToolTip(a.full);
}

void TResultPanel::SetName(int id, const QString& name, const QString& pre, const QString& notRecommendFood,
                           const QString& recommendFood) {
  if (!notRecommendFood.isEmpty() || !recommendFood.isEmpty()) {
    showAdvice(lblNotRecommendTitle, lblNotRecommend, &notRecommendFull_, notRecommendFood);
    showAdvice(lblRecommendTitle, lblRecommend, &recommendFull_, recommendFood);
    pnlLine2->show();
  }
  lblSyn->setText(name);
  lblScore->hide();
  fillSlots(parsePrescriptionList(pre), id, name);
}

void TResultPanel::fillSlots(const PrescriptionSlots& slots, int id, const QString& name) {
  for (qsizetype i = 0; i < slots.classic.size(); ++i)
    ArrPreHerName[static_cast<size_t>(i)]->fill(slots.classic[i].id, slots.classic[i].name, QString::number(id), name,
                                                 slots.classic[i].remark);
  for (qsizetype i = 0; i < slots.diet.size(); ++i)
    ArrPreFoodName[static_cast<size_t>(i)]->fill(slots.diet[i].id, slots.diet[i].name, QString::number(id), name,
                                                 slots.diet[i].remark);
}

QString TResultPanel::dietPrescriptionIds(const TPreNameFrame* clicked) const {
  QStringList ids;
  for (const TPreNameFrame* s : ArrPreFoodName)
    if (s->isVisibleTo(this) && s->chk->isChecked()) ids << s->preId();
  if (ids.isEmpty() && clicked) ids << clicked->preId();
  return ids.join(QLatin1Char(','));
}

bool TResultPanel::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == lblNotRecommend || watched == lblRecommend) && event->type() == QEvent::MouseButtonRelease) {
    const QString& full = watched == lblNotRecommend ? notRecommendFull_ : recommendFull_;
    if (!full.isEmpty()) messages_.showWholeText(full);
    return true;
  }
  if ((watched == lblNotRecommend || watched == lblRecommend) &&
      (event->type() == QEvent::Enter || event->type() == QEvent::Leave)) {
    auto* l = static_cast<QLabel*>(watched);
    QFont f = l->font();
    f.setUnderline(event->type() == QEvent::Enter);
    l->setFont(f);
  }
  return QFrame::eventFilter(watched, event);
}

}  // namespace tcm::ui

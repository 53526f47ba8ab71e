#include "customer/pat_list_frame.h"

#include <QHBoxLayout>
#include <QLabel>

#include "ui_kit.h"

namespace tcm::ui {
namespace {

QLabel* plainLabel(const QString& name, int width, QWidget* parent) {
  auto* l = new QLabel(parent);
  l->setObjectName(name);
  if (width > 0) l->setFixedWidth(width);
  l->setTextFormat(Qt::PlainText);  // customers' texts are never markup
  return l;
}

TPanel* actionLabel(const QString& name, const QString& caption, int width, QWidget* parent) {
  auto* l = new TPanel(caption, parent);
  l->setObjectName(name);
  l->setFixedWidth(width);
  l->setTextFormat(Qt::PlainText);
  l->setAutoFillBackground(false);
  l->setStyleSheet(QStringLiteral("color: #037C6A;"));
  return l;
}

}  // namespace

TPatListFrame::TPatListFrame(QWidget* parent) : QFrame(parent) {
  setFixedHeight(36);
  setAutoFillBackground(true);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(10, 0, 10, 0);
  row->setSpacing(6);
  lblPatName = plainLabel(QStringLiteral("lblPatName"), 110, this);
  lblGender = plainLabel(QStringLiteral("lblGender"), 36, this);
  // Wide enough for the caption "登记年龄".
  lblBirthday = plainLabel(QStringLiteral("lblBirthday"), 64, this);
  lblTel = plainLabel(QStringLiteral("lblTel"), 110, this);
  lblBodyType = plainLabel(QStringLiteral("lblBodyType"), 100, this);
  lblDisease = actionLabel(QStringLiteral("lblDisease"), QString(), 130, this);
  lblDisease->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  lblDisease->setStyleSheet(QString());
  lblDisease->setCursor(Qt::ArrowCursor);
  lblAddress = plainLabel(QStringLiteral("lblAddress"), 0, this);
  lblAddress->setMinimumWidth(120);
  lblDate = plainLabel(QStringLiteral("lblDate"), 90, this);
  lblView = actionLabel(QStringLiteral("lblView"), QStringLiteral("药膳方案"), 70, this);
  lblVIP = plainLabel(QStringLiteral("lblVIP"), 0, this);
  lblVIP->hide();
  Label1 = actionLabel(QStringLiteral("Label1"), QStringLiteral("AI辨识"), 60, this);
  Label2 = actionLabel(QStringLiteral("Label2"), QStringLiteral("修改"), 40, this);
  Label1->hide();
  Label2->hide();
  for (QLabel* l : labels()) row->addWidget(l, l == lblAddress ? 1 : 0);
  wide_ = lblAddress;

  for (TPanel* action : {lblView, Label1, Label2}) {
    connect(action, &TPanel::entered, this, &TPatListFrame::lblViewMouseEnter);
    connect(action, &TPanel::left, this, &TPatListFrame::lblViewMouseLeave);
  }
  connect(lblView, &TPanel::clicked, this, [this] { Q_EMIT viewClicked(this); });
  connect(Label1, &TPanel::clicked, this, [this] { Q_EMIT aiClicked(this); });
  connect(Label2, &TPanel::clicked, this, [this] { Q_EMIT editClicked(this); });
  connect(lblDisease, &TPanel::clicked, this, [this] { Q_EMIT diseaseClicked(this); });
}

QList<QLabel*> TPatListFrame::labels() const {
  return {lblPatName, lblGender, lblBirthday, lblTel, lblBodyType, lblDisease,
          lblAddress, lblDate,   lblView,     lblVIP, Label1,      Label2};
}

void TPatListFrame::Init() {
  for (QLabel* l : labels()) l->setAlignment((l->alignment() & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter);
}

void TPatListFrame::setWideColumn(QLabel* wide, int fixedWidth) {
  auto* row = static_cast<QHBoxLayout*>(layout());
  row->setStretchFactor(wide_, 0);
  wide_->setFixedWidth(fixedWidth);
  wide->setMinimumWidth(wide->width());
  wide->setMaximumWidth(QWIDGETSIZE_MAX);
  row->setStretchFactor(wide, 1);
  wide_ = wide;
}

void TPatListFrame::setUnderline(QObject* label, bool on) {
  auto* l = qobject_cast<QLabel*>(label);
  if (!l) return;
  QFont f = l->font();
  f.setUnderline(on);
  l->setFont(f);
}

void TPatListFrame::lblViewMouseEnter() { setUnderline(sender(), true); }

void TPatListFrame::lblViewMouseLeave() { setUnderline(sender(), false); }

}  // namespace tcm::ui

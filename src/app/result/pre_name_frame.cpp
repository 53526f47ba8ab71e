#include "result/pre_name_frame.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>

namespace tcm::ui {

TPreNameFrame::TPreNameFrame(bool withCheckBox, QWidget* parent) : QFrame(parent) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(8, 2, 8, 2);
  row->setSpacing(6);
  chk = new QCheckBox(this);
  chk->setChecked(true);
  chk->setVisible(withCheckBox);
  lblName = new QLabel(this);
  lblName->setObjectName(QStringLiteral("lblName"));
  lblName->setCursor(Qt::PointingHandCursor);
  lblName->setStyleSheet(QStringLiteral("QLabel { color: #1E63A7; font-size: 15px; }"));
  lblName->installEventFilter(this);
  lblScore = new QLabel(this);
  lblHerCount = new QLabel(this);
  pnl20 = new QFrame(this);
  for (QWidget* w : {static_cast<QWidget*>(lblScore), static_cast<QWidget*>(lblHerCount), static_cast<QWidget*>(pnl20)})
    w->hide();
  row->addWidget(chk);
  row->addWidget(lblName, 1);
  hide();
}

void TPreNameFrame::fill(const QString& preId, const QString& name, const QString& synId, const QString& syn,
                         const QString& remark) {
  hint_ = preId;
  lblName->setText(name);
  lblName->show();
  SynId = synId;
  Syn = syn;
  FType = remark;
  show();
}

void TPreNameFrame::Clear() {
  lblName->clear();
  lblScore->clear();
  lblHerCount->clear();
  SynId.clear();
  Id.clear();
  FromType = 0;
  hint_.clear();
  hide();
}

bool TPreNameFrame::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lblName) {
    QFont f = lblName->font();
    if (event->type() == QEvent::Enter) {
      f.setUnderline(true);
      lblName->setFont(f);
    } else if (event->type() == QEvent::Leave) {
      f.setUnderline(false);
      lblName->setFont(f);
    } else if (event->type() == QEvent::MouseButtonRelease &&
               static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
      Q_EMIT nameClicked(this);
      return true;
    }
  }
  return QFrame::eventFilter(watched, event);
}

}  // namespace tcm::ui

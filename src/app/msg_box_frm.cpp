#include "msg_box_frm.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

#include "ui_kit.h"

namespace tcm::ui {

TMsgBoxFrm::TMsgBoxFrm(QWidget* parent) : TBaseFrm(QStringLiteral("提示"), parent, 40, QColor(0x21, 0x73, 0x46)) {
  setObjectName(QStringLiteral("MsgBoxFrm"));
  setFixedSize(420, 190);
  setModal(true);
  lblMsg = new QLabel(pnlBaseCenter);
  lblMsg->setObjectName(QStringLiteral("lblMsg"));
  lblMsg->setAlignment(Qt::AlignCenter);
  lblMsg->setWordWrap(true);
  // A long text adds lines, never width.
  lblMsg->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  lblMsg->setMinimumWidth(0);
  QFont f = lblMsg->font();
  f.setPixelSize(16);
  lblMsg->setFont(f);

  pnlViewMore = new TPanel(QStringLiteral("确定"), pnlBaseCenter);
  pnlViewMore->setObjectName(QStringLiteral("pnlViewMore"));
  pnlViewMore->setFixedSize(96, 34);
  pnlViewMore->setHoverColors(QColor(0x00, 0x48, 0x48), Qt::white, QColor(0x21, 0x73, 0x46), Qt::white);

  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(pnlViewMore);
  row->addStretch();
  centerLayout()->setContentsMargins(16, 16, 16, 16);
  centerLayout()->addWidget(lblMsg, 1);
  centerLayout()->addLayout(row);

  connect(pnlViewMore, &TPanel::clicked, this, &TMsgBoxFrm::pnlViewMoreClick);
}

void TMsgBoxFrm::setMessage(const QString& text) {
  lblMsg->setText(text);
  // The label's width stays; the box grows by the lines beyond the first.
  const int textWidth = width() - 2 * 16 - 4;
  const QFontMetrics fm = lblMsg->fontMetrics();
  const QRect area(0, 0, textWidth, 1 << 20);
  const int flags = Qt::TextWordWrap | Qt::AlignCenter;
  const int needed = fm.boundingRect(area, flags, text).height();
  const int oneLine = fm.boundingRect(area, flags, QStringLiteral("提示")).height();  // Chinese line height
  setFixedSize(420, 190 + std::max(0, needed - oneLine));
}

void TMsgBoxFrm::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
    pnlViewMoreClick();
    return;
  }
  TBaseFrm::keyPressEvent(e);
}

void TMsgBoxFrm::pnlViewMoreClick() { accept(); }

}  // namespace tcm::ui

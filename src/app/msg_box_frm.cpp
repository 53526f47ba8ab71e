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
  lblMsg->setWordWrap(false);
  // A long text is cut off rather than widening the box.
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

void TMsgBoxFrm::setMessage(const QString& text, bool whole) {
  lblMsg->setText(text);
  lblMsg->setWordWrap(whole);
  if (!whole) {
    setFixedSize(420, 190);
    return;
  }
  // The label's width stays; the box grows by the lines the wrapped text needs.
  const int textWidth = width() - 2 * 16 - 4;
  const int needed = lblMsg->heightForWidth(textWidth);
  const int oneLine = lblMsg->fontMetrics().height();
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

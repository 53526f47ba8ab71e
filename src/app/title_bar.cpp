#include "title_bar.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

#include "settings/set_param_frm.h"
#include "ui_kit.h"

namespace tcm::ui {
namespace {

const QColor kGreen(0x07, 0xC1, 0x60);
const QColor kDarkTeal(0x00, 0x48, 0x48);
const QColor kMaxPictureHover(0x21, 0x73, 0x46);
const QColor kTopBar(0x03, 0x7C, 0x6A);
const QColor kActivePage(0x02, 0x5E, 0x51);
const QColor kInactivePageText(0xD8, 0xEF, 0xEA);

// The two pictures of the maximise button, drawn in white.
QPixmap sizePicture(bool restore) {
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setPen(QPen(Qt::white, 1.5));
  if (restore) {
    p.drawRect(QRectF(4.5, 1.5, 10, 10));
    p.fillRect(QRectF(1.5, 4.5, 10, 10), kGreen);
    p.drawRect(QRectF(1.5, 4.5, 10, 10));
  } else {
    p.drawRect(QRectF(2.5, 2.5, 11, 11));
  }
  return pm;
}

TPanel* windowButton(const QString& caption, QWidget* parent, const QString& name) {
  auto* b = new TPanel(caption, parent);
  b->setObjectName(name);
  b->setFixedSize(46, 34);
  QFont f = b->font();
  f.setPixelSize(16);
  b->setFont(f);
  b->setHoverColors(kDarkTeal, Qt::white, kGreen, Qt::white);
  return b;
}

TPanel* pageButton(const QString& caption, QWidget* parent, const QString& name) {
  auto* b = new TPanel(caption, parent);
  b->setObjectName(name);
  b->setFixedSize(96, 48);
  b->setStyleSheet(QStringLiteral("font-size: 16px; font-weight: bold;"));
  b->setColors(kTopBar, kInactivePageText);
  return b;
}

}  // namespace

TTitleBar::TTitleBar(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("pnlTop"));
  setFixedHeight(48);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, kTopBar);
  pal.setColor(QPalette::WindowText, Qt::white);
  setPalette(pal);
  layout_ = new QHBoxLayout(this);
  layout_->setContentsMargins(16, 0, 8, 0);
  layout_->setSpacing(2);
  lblTitle = new QLabel(QStringLiteral("亚健康中医体质辨识与药膳系统"), this);
  lblTitle->setObjectName(QStringLiteral("lblTitle"));
  lblTitle->setStyleSheet(QStringLiteral("color: white; font-size: 20px; font-weight: bold;"));
  lblUser = new QLabel(this);
  lblUser->setObjectName(QStringLiteral("lblUser"));
  lblUser->setStyleSheet(QStringLiteral("color: white; font-size: 14px; padding-right: 12px;"));
  imgSet = windowButton(QString(), this, QStringLiteral("imgSet"));
  imgSet->setPixmap(gearPicture(Qt::white));
  imgSet->setToolTip(QStringLiteral("设置"));
  Panel1 = windowButton(QStringLiteral("☰"), this, QStringLiteral("Panel1"));
  pnlMin = windowButton(QStringLiteral("─"), this, QStringLiteral("pnlMin"));
  pnlMAx = windowButton(QString(), this, QStringLiteral("pnlMAx"));
  auto* maxLayout = new QHBoxLayout(pnlMAx);
  maxLayout->setContentsMargins(0, 0, 0, 0);
  imgMax = new QLabel(pnlMAx);
  imgMax->setObjectName(QStringLiteral("imgMax"));
  imgMax->setPixmap(sizePicture(false));
  imgNoraml = new QLabel(pnlMAx);
  imgNoraml->setObjectName(QStringLiteral("imgNoraml"));
  imgNoraml->setPixmap(sizePicture(true));
  for (QLabel* img : {imgMax, imgNoraml}) {
    img->setAlignment(Qt::AlignCenter);
    maxLayout->addWidget(img);
    img->installEventFilter(this);  // the picture under the mouse colours pnlMAx #217346
  }
  imgMax->hide();
  pnlClose = windowButton(QStringLiteral("╳"), this, QStringLiteral("pnlClose"));
  pnlClose->setHoverColors(QColor(0xFF, 0x00, 0x00), QColor(0xF5, 0xF5, 0xF5), kGreen, Qt::white);
  imgAI = pageButton(QStringLiteral("AI辨识"), this, QStringLiteral("imgAI"));
  imgMedRcd = pageButton(QStringLiteral("药膳记录"), this, QStringLiteral("imgMedRcd"));
  lblMember = pageButton(QStringLiteral("客户资料"), this, QStringLiteral("lblMember"));
  layout_->addWidget(lblTitle);
  layout_->addSpacing(40);
  for (TPanel* b : {imgAI, imgMedRcd, lblMember}) layout_->addWidget(b);
  pageButtonsEnd_ = layout_->count();
  layout_->addStretch(1);
  layout_->addWidget(lblUser);
  for (TPanel* b : {imgSet, Panel1, pnlMin, pnlMAx, pnlClose}) layout_->addWidget(b);
}

TPanel* TTitleBar::addPageButton(const QString& caption, const QString& name) {
  TPanel* b = pageButton(caption, this, name);
  layout_->insertWidget(pageButtonsEnd_++, b);
  return b;
}

void TTitleBar::setActivePage(TPanel* active) {
  for (TPanel* b : {imgAI, imgMedRcd, lblMember}) {
    if (b == active)
      b->setColors(kActivePage, Qt::white);
    else
      b->setColors(kTopBar, kInactivePageText);
  }
}

void TTitleBar::showFullState(bool full) {
  imgNoraml->setVisible(full);
  imgMax->setVisible(!full);
}

bool TTitleBar::eventFilter(QObject* watched, QEvent* event) {
  if (watched == imgMax || watched == imgNoraml) {
    if (event->type() == QEvent::Enter) pnlMAx->setColors(kMaxPictureHover, Qt::white);
    if (event->type() == QEvent::Leave) pnlMAx->setColors(pnlMAx->underMouse() ? kDarkTeal : kGreen, Qt::white);
  }
  return QFrame::eventFilter(watched, event);
}

}  // namespace tcm::ui

#include "base_frm.h"

#include <algorithm>

#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

#include "ui_kit.h"

namespace tcm::ui {

TBaseFrm::TBaseFrm(const QString& title, QWidget* parent, int titleHeight, const QColor& frameColor)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::Dialog) {
  setWindowTitle(title);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, frameColor);
  setPalette(pal);

  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(2, 0, 2, 2);  // pnlBaseLeft, pnlBaseRight, pnlBaseBtm
  outer->setSpacing(0);

  auto* top = new QFrame(this);
  top->setFixedHeight(titleHeight);
  auto* topLayout = new QHBoxLayout(top);
  topLayout->setContentsMargins(10, 0, 0, 0);
  topLayout->setSpacing(0);
  pnlLogo = new QLabel(top);
  pnlLogo->hide();
  pnlBaseTop = new QLabel(title, top);
  pnlBaseTop->setObjectName(QStringLiteral("pnlBaseTop"));
  pnlBaseTop->setStyleSheet(QStringLiteral("color: white; font-weight: bold; font-size: 15px;"));
  pnlBaseClose = new TPanel(QStringLiteral("×"), top);
  pnlBaseClose->setObjectName(QStringLiteral("pnlBaseClose"));
  pnlBaseClose->setFixedSize(titleHeight + 6, titleHeight);
  QFont f = pnlBaseClose->font();
  f.setPixelSize(22);
  pnlBaseClose->setFont(f);
  // The "×" is red under the mouse and #05A68D otherwise.
  pnlBaseClose->setHoverColors(QColor(0xFF, 0x00, 0x00), Qt::white, QColor(0x05, 0xA6, 0x8D), Qt::white);
  topLayout->addWidget(pnlLogo);
  topLayout->addWidget(pnlBaseTop, 1);
  topLayout->addWidget(pnlBaseClose);
  outer->addWidget(top);
  installTitleDrag(pnlBaseTop, this);

  pnlBaseCenter = new QFrame(this);
  pnlBaseCenter->setObjectName(QStringLiteral("pnlBaseCenter"));
  pnlBaseCenter->setAutoFillBackground(true);
  QPalette white = pnlBaseCenter->palette();
  white.setColor(QPalette::Window, Qt::white);
  white.setColor(QPalette::WindowText, QColor(0x33, 0x33, 0x33));
  pnlBaseCenter->setPalette(white);
  centerLayout_ = new QVBoxLayout(pnlBaseCenter);
  outer->addWidget(pnlBaseCenter, 1);

  connect(pnlBaseClose, &TPanel::clicked, this, &TBaseFrm::pnlBaseCloseClick);
}

void TBaseFrm::pnlBaseCloseClick() { close(); }

void TBaseFrm::centerOver(const QWidget* other) {
  const QRect area = other && other->isVisible() ? other->frameGeometry()
                                                 : QGuiApplication::primaryScreen()->availableGeometry();
  move(area.center() - QPoint(width() / 2, height() / 2));
  keepInsideScreen();
}

void TBaseFrm::keepInsideScreen() {
  // Never past the screen's work area: the buttons at the bottom stay reachable.
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  QPoint at = pos();
  at.setX(std::max(screen.left(), std::min(at.x(), screen.right() + 1 - width())));
  at.setY(std::max(screen.top(), std::min(at.y(), screen.bottom() + 1 - height())));
  if (at != pos()) move(at);
}

}  // namespace tcm::ui

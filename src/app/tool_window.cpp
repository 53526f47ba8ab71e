#include "tool_window.h"

#include <QPainter>
#include <QTabWidget>
#include <QVBoxLayout>

#include "ui_kit.h"

namespace tcm::ui {
namespace {

const QColor kFrameColor(0x03, 0x7C, 0x6A);
constexpr int kBorder = 2;

}  // namespace

TToolWindow::TToolWindow(const QString& objectName, const QString& title, QSize size, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
  setObjectName(objectName);
  setWindowTitle(title);
  setFixedSize(size);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::white);
  setPalette(pal);
  body_ = new QVBoxLayout(this);
  body_->setContentsMargins(kBorder, 0, kBorder, kBorder);
  body_->setSpacing(0);
  const TitleStrip strip = buildTitleStrip(this, title, QStringLiteral("imgClose"));
  pnlTitle = strip.panel;
  lblTitle = strip.caption;
  imgClose = strip.close;
  body_->addWidget(pnlTitle);
}

QTabWidget* TToolWindow::addPages(const QString& objectName) {
  auto* pages = new QTabWidget(this);
  pages->setObjectName(objectName);
  pages->setStyleSheet(QStringLiteral(
      "QTabWidget::pane { border: none; border-top: 1px solid #DCE8E5; background: white; }"
      "QTabBar::tab { min-width: 120px; height: 32px; font-size: 14px; color: #333; background: #F3F6F5;"
      " border: 1px solid #DCE8E5; border-bottom: none; margin-right: 2px; }"
      "QTabBar::tab:selected { color: white; background: #037C6A; font-weight: bold; }"));
  body_->addWidget(pages, 1);
  return pages;
}

void TToolWindow::paintEvent(QPaintEvent* e) {
  QWidget::paintEvent(e);
  QPainter p(this);
  p.setPen(QPen(kFrameColor, kBorder));
  p.drawRect(QRectF(kBorder / 2.0, kBorder / 2.0, width() - kBorder, height() - kBorder));
}

}  // namespace tcm::ui

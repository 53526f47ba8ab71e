#include "ui_kit.h"

#include <QEnterEvent>
#include <QFontDatabase>
#include <QMouseEvent>
#include <QWindow>

namespace tcm::ui {

TPanel::TPanel(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
  setAlignment(Qt::AlignCenter);
  setCursor(Qt::PointingHandCursor);
  setAutoFillBackground(true);
}

void TPanel::setColors(const QColor& bg, const QColor& fg) {
  QPalette p = palette();
  p.setColor(QPalette::Window, bg);
  p.setColor(QPalette::WindowText, fg);
  setPalette(p);
}

void TPanel::setHoverColors(const QColor& enterBg, const QColor& enterFg, const QColor& leaveBg,
                            const QColor& leaveFg) {
  enterBg_ = enterBg;
  enterFg_ = enterFg;
  leaveBg_ = leaveBg;
  leaveFg_ = leaveFg;
  if (hover_)
    setColors(enterBg_, enterFg_);
  else
    setColors(leaveBg_, leaveFg_);
}

TPanel* actionButton(const QString& caption, const QString& name, QWidget* parent) {
  auto* b = new TPanel(caption, parent);
  b->setObjectName(name);
  b->setFixedSize(100, 36);
  QFont f = b->font();
  f.setPixelSize(16);
  f.setBold(true);
  b->setFont(f);
  b->setHoverColors(QColor(0x03, 0x7C, 0x6A), Qt::white, QColor(0x07, 0xC1, 0x60), Qt::white);
  return b;
}

void TPanel::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) Q_EMIT clicked();
  QLabel::mouseReleaseEvent(e);
}

void TPanel::enterEvent(QEnterEvent* e) {
  hover_ = true;
  if (enterBg_.isValid()) setColors(enterBg_, enterFg_);
  Q_EMIT entered();
  QLabel::enterEvent(e);
}

void TPanel::leaveEvent(QEvent* e) {
  hover_ = false;
  if (leaveBg_.isValid()) setColors(leaveBg_, leaveFg_);
  Q_EMIT left();
  QLabel::leaveEvent(e);
}

namespace {

class TitleDragFilter : public QObject {
 public:
  TitleDragFilter(QWidget* window, std::function<bool()> enabled, QObject* parent)
      : QObject(parent), window_(window), enabled_(std::move(enabled)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonPress && (!enabled_ || enabled_())) {
      if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
      if (QWindow* handle = window_->windowHandle()) {
        if (!handle->startSystemMove()) {
          // Without a window manager move, follow the mouse ourselves.
          auto* me = static_cast<QMouseEvent*>(event);
          pressOffset_ = me->globalPosition().toPoint() - window_->pos();
          manual_ = true;
        }
      }
      return true;
    }
    if (manual_ && event->type() == QEvent::MouseMove) {
      auto* me = static_cast<QMouseEvent*>(event);
      window_->move(me->globalPosition().toPoint() - pressOffset_);
      return true;
    }
    if (event->type() == QEvent::MouseButtonRelease) manual_ = false;
    return QObject::eventFilter(watched, event);
  }

 private:
  QWidget* window_;
  std::function<bool()> enabled_;
  QPoint pressOffset_;
  bool manual_ = false;
};

}  // namespace

void installTitleDrag(QWidget* area, QWidget* window, std::function<bool()> enabled) {
  area->installEventFilter(new TitleDragFilter(window, std::move(enabled), area));
}

QString uiFontFamily() {
  static const QString family = [] {
    const QStringList wanted = {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Serif CJK SC"),
                                QStringLiteral("SimSun")};
    const QStringList have = QFontDatabase::families();
    for (const QString& w : wanted)
      if (have.contains(w)) return w;
    return QString();
  }();
  return family;
}

}  // namespace tcm::ui

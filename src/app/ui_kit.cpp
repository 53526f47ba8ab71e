#include "ui_kit.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QPainter>
#include <QHBoxLayout>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QMouseEvent>
#include <QTranslator>
#include <QVBoxLayout>
#include <QWindow>

namespace tcm::ui {

Q_LOGGING_CATEGORY(lcTiming, "tcm.timing", QtWarningMsg)

QTranslator* useChineseLocale() {
  const QLocale chinese(QLocale::Chinese, QLocale::China);
  QLocale::setDefault(chinese);
  auto* qtTexts = new QTranslator(QCoreApplication::instance());
  if (!qtTexts->load(chinese, QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
      !QCoreApplication::installTranslator(qtTexts)) {
    delete qtTexts;
    return nullptr;
  }
  return qtTexts;
}

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

namespace {

QPixmap closePicture() {
  QPixmap pm(14, 14);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(2, 2), QPointF(12, 12));
  p.drawLine(QPointF(12, 2), QPointF(2, 12));
  return pm;
}

}  // namespace

TitleStrip buildTitleStrip(QWidget* window, const QString& caption, const QString& closeName) {
  const QColor frame(0x03, 0x7C, 0x6A);
  TitleStrip t;
  t.panel = new QFrame(window);
  t.panel->setObjectName(QStringLiteral("pnlTitle"));
  t.panel->setFixedHeight(35);
  t.panel->setStyleSheet(QStringLiteral("#pnlTitle { background: #037C6A; }"));
  auto* row = new QHBoxLayout(t.panel);
  row->setContentsMargins(14, 0, 6, 0);
  t.caption = new QLabel(caption, t.panel);
  t.caption->setObjectName(QStringLiteral("lblTitle"));
  t.caption->setStyleSheet(QStringLiteral("color: white; font-weight: bold; font-size: 15px; background: transparent;"));
  t.close = new TPanel(QString(), t.panel);
  t.close->setObjectName(closeName);
  t.close->setPixmap(closePicture());
  t.close->setFixedSize(28, 28);
  t.close->setToolTip(QStringLiteral("关闭"));
  t.close->setHoverColors(QColor(0xFF, 0x00, 0x00), Qt::white, frame, Qt::white);
  row->addWidget(t.caption);
  row->addStretch(1);
  row->addWidget(t.close);
  installTitleDrag(t.panel, window);
  return t;
}

void showCentredOver(QWidget* window, const QWidget* other) {
  if (other) {
    const QRect frame = other->window()->frameGeometry();
    window->move(frame.left() + (frame.width() - window->width()) / 2, frame.top() + (frame.height() - window->height()) / 2);
  }
  window->show();
  window->raise();
  window->activateWindow();
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
  dropHover();
  Q_EMIT left();
  QLabel::leaveEvent(e);
}

void TPanel::dropHover() {
  hover_ = false;
  if (leaveBg_.isValid()) setColors(leaveBg_, leaveFg_);
}

// Only a hover look is dropped: colours a window set for a state of its own stay.
void TPanel::showEvent(QShowEvent* e) {
  if (hover_) dropHover();
  QLabel::showEvent(e);
}

void TPanel::hideEvent(QHideEvent* e) {
  if (hover_) dropHover();
  QLabel::hideEvent(e);
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

void placeFormCentred(QWidget* page, QLayout* form) {
  auto* outer = new QVBoxLayout(page);
  outer->setContentsMargins(0, 50, 0, 0);
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  row->addLayout(form);
  row->addStretch(1);
  outer->addLayout(row);
  outer->addStretch(1);
}

}  // namespace tcm::ui

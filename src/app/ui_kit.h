#pragma once
// Small pieces the borderless windows are built from.
#include <QColor>
#include <QFrame>
#include <QLabel>
#include <QLoggingCategory>
#include <functional>

class QTranslator;

namespace tcm::ui {

// Start-up and login timings ("[timing] …" at info level): silent unless asked
// for, e.g. QT_LOGGING_RULES="tcm.timing.info=true".
Q_DECLARE_LOGGING_CATEGORY(lcTiming)

// The client speaks Chinese whatever the machine's locale: the default locale
// becomes zh_CN (calendars, dates, numbers of Qt's widgets) and Qt's own texts
// (standard buttons, print and file dialogs, calendar navigation) are loaded from
// Qt's Chinese translation. Returns the installed translator (owned by the
// application), or nullptr when Qt's translation file is missing; the locale is
// set either way.
QTranslator* useChineseLocale();

// A label that acts as a button: click signal and hover colours.
class TPanel : public QLabel {
  Q_OBJECT
 public:
  explicit TPanel(const QString& caption = {}, QWidget* parent = nullptr);
  // Background and text colours when the mouse is over it and when it leaves.
  void setHoverColors(const QColor& enterBg, const QColor& enterFg, const QColor& leaveBg, const QColor& leaveFg);
  void setColors(const QColor& bg, const QColor& fg);

 Q_SIGNALS:
  void clicked();
  void entered();
  void left();

 protected:
  void mouseReleaseEvent(QMouseEvent* e) override;
  void enterEvent(QEnterEvent* e) override;
  void leaveEvent(QEvent* e) override;
  // A panel hidden under the mouse gets no leave: showing or hiding it drops the hover look.
  void showEvent(QShowEvent* e) override;
  void hideEvent(QHideEvent* e) override;

 private:
  void dropHover();

  QColor enterBg_, enterFg_, leaveBg_, leaveFg_;
  bool hover_ = false;
};

// A green action button of the small windows ("保存", "打印"): 100 × 36, bold,
// teal under the mouse.
TPanel* actionButton(const QString& caption, const QString& name, QWidget* parent);

// The title strip of the borderless windows that draw their own: the caption
// on the left, the close picture ("关闭") on the right, and the title drag.
struct TitleStrip {
  QFrame* panel = nullptr;
  QLabel* caption = nullptr;
  TPanel* close = nullptr;
};
TitleStrip buildTitleStrip(QWidget* window, const QString& caption, const QString& closeName);

// Shows `window` centred on the window of `other` (where it stands when null), in front and active.
void showCentredOver(QWidget* window, const QWidget* other);

// A press of any mouse button on `area` hands `window` to the platform's
// interactive move, when `enabled` allows it.
void installTitleDrag(QWidget* area, QWidget* window, std::function<bool()> enabled = {});

// Lays `form` out on `page`: centred across, 50 pixels below the top (the
// forms of the small windows' tabs).
void placeFormCentred(QWidget* page, QLayout* form);

// The program's font family for Chinese text ("宋体" is substituted).
QString uiFontFamily();

}  // namespace tcm::ui

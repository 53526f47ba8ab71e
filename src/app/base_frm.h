#pragma once
// The borderless window base of the small dialogs: a title bar with its
// caption and "×", 2-pixel borders in the frame colour, a white content area.
#include <QDialog>

class QFrame;
class QLabel;
class QVBoxLayout;

namespace tcm::ui {

class TPanel;

class TBaseFrm : public QDialog {
  Q_OBJECT
 public:
  explicit TBaseFrm(const QString& title, QWidget* parent = nullptr, int titleHeight = 35,
                    const QColor& frameColor = QColor(0x03, 0x7C, 0x6A));

  QLabel* pnlBaseTop = nullptr;
  TPanel* pnlBaseClose = nullptr;
  QLabel* pnlLogo = nullptr;
  QFrame* pnlBaseCenter = nullptr;

  // Where a derived window puts its controls.
  QVBoxLayout* centerLayout() const { return centerLayout_; }
  // Places the window centred over `other` (or the screen when null).
  void centerOver(const QWidget* other);
  // Moves the window back inside the screen's work area when it grew past it.
  void keepInsideScreen();

 public Q_SLOTS:
  void pnlBaseCloseClick();

 private:
  QVBoxLayout* centerLayout_ = nullptr;
};

}  // namespace tcm::ui

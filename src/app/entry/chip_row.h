#pragma once
// One category row of the selected findings: chips placed one after the
// other, wrapping onto new lines, with the row's search box after the last.
#include <QFrame>
#include <QList>
#include <QPointer>

class QLineEdit;

namespace tcm::ui {

class TSelSymFra;

class TChipRow : public QFrame {
  Q_OBJECT
 public:
  explicit TChipRow(QWidget* parent = nullptr);

  // Places `chips` in order and the search box (when shown) after the last one;
  // grows the row to 15 px below the last chip (at least 50 px).
  void layoutChips(const QList<TSelSymFra*>& chips, QLineEdit* searchBox);
  // The next chip's position after `chips` for a chip of `width`.
  static QPoint nextPosition(const QList<QRect>& placed, int width, int rowWidth, int searchBoxWidth);

 Q_SIGNALS:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  QList<QPointer<TSelSymFra>> chips_;
  QPointer<QLineEdit> box_;
};

}  // namespace tcm::ui

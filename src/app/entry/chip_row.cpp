#include "entry/chip_row.h"

#include <QLineEdit>
#include <QMouseEvent>

#include "entry/sel_sym_fra.h"

namespace tcm::ui {
namespace {
constexpr int kGap = 10;
constexpr int kFirstLeft = 5;
constexpr int kFirstTop = 15;
constexpr int kMinHeight = 50;
}  // namespace

TChipRow::TChipRow(QWidget* parent) : QFrame(parent) {
  setMinimumHeight(kMinHeight);
  setCursor(Qt::IBeamCursor);
}

QPoint TChipRow::nextPosition(const QList<QRect>& placed, int width, int rowWidth, int searchBoxWidth) {
  if (placed.isEmpty()) return {kFirstLeft, kFirstTop};
  const QRect last = placed.last();
  const int x = last.right() + 1 + kGap;
  if (rowWidth - searchBoxWidth < x + width) return {kGap, last.bottom() + 1 + kGap};
  return {x, last.top()};
}

void TChipRow::layoutChips(const QList<TSelSymFra*>& chips, QLineEdit* searchBox) {
  chips_.clear();
  for (TSelSymFra* c : chips) chips_ << c;
  box_ = searchBox;
  const int boxWidth = searchBox && searchBox->isVisible() ? searchBox->width() : 0;
  QList<QRect> placed;
  for (TSelSymFra* chip : chips) {
    const QPoint p = nextPosition(placed, chip->width(), width(), boxWidth);
    chip->move(p);
    chip->show();
    placed << QRect(p, chip->size());
  }
  int bottom = kMinHeight;
  if (!placed.isEmpty()) bottom = std::max(kMinHeight, placed.last().bottom() + 1 + 15);
  if (searchBox && searchBox->parentWidget() == this) {
    QPoint p(kGap, (kMinHeight - searchBox->height()) / 2);
    if (!placed.isEmpty()) {
      const QRect last = placed.last();
      p = QPoint(last.right() + 1 + kGap, last.top() + (last.height() - searchBox->height()) / 2);
      if (p.x() + searchBox->width() > width()) {
        p = QPoint(kGap, last.bottom() + 1 + kGap);
        bottom = std::max(bottom, p.y() + searchBox->height() + 10);
      }
    }
    searchBox->move(p);
  }
  setMinimumHeight(bottom);
  setMaximumHeight(bottom);
}

void TChipRow::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) Q_EMIT clicked();
  QFrame::mouseReleaseEvent(e);
}

void TChipRow::resizeEvent(QResizeEvent* e) {
  QFrame::resizeEvent(e);
  QList<TSelSymFra*> chips;
  for (const auto& c : chips_)
    if (c) chips << c;
  if (!chips.isEmpty() || box_) layoutChips(chips, box_);
}

}  // namespace tcm::ui

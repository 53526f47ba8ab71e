#pragma once
// Checks on a laid-out sheet that hold whatever the measure.
#include <QString>

#include "prescription/sheet_layout.h"

namespace tcm::test {

// Empty when every text stands between the page's margins (2W from either
// edge) and no two texts of one line overlap; else the first text that does not.
inline QString sheetOverprints(const SheetLayout& l, const SheetMeasure& m) {
  const int leftEdge = 2 * l.metrics.W, rightEdge = l.metrics.PW - 2 * l.metrics.W;
  for (const SheetText& a : l.texts) {
    const int aw = m.width(a.text, a.font), ah = m.height(a.text, a.font);
    if (a.x < leftEdge || a.x + aw > rightEdge) return QStringLiteral("off the page: ") + a.text;
    for (const SheetText& b : l.texts) {
      if (&a == &b || b.x < a.x || (b.x == a.x && &b < &a)) continue;
      const bool sameLine = a.y < b.y + m.height(b.text, b.font) && b.y < a.y + ah;
      if (sameLine && a.x + aw > b.x) return a.text + QStringLiteral(" runs into ") + b.text;
    }
  }
  return {};
}

}  // namespace tcm::test

#pragma once
// The identification sheet as placed texts and lines: every position comes
// from the measured size of one character of the page's font, so the same
// layout serves the preview picture and the printed page.
#include <QList>
#include <QString>
#include <functional>
#include <optional>

#include "constitution/questionnaire.h"
#include "prescription/per_food.h"

namespace tcm {

// A font of the sheet: the page's one face at a size in points and a style.
struct SheetFont {
  int pointSize = 11;
  bool bold = false;
  bool italic = false;
  bool operator==(const SheetFont&) const = default;
};

// Measured on the target: page size, and the width of "宽" and height of "高"
// at 11 points and the height of "高" at 16 points, in the target's units.
struct SheetMetrics {
  int PW = 0, PH = 0;
  int W = 0, H = 0, H16 = 0;
};

// The target's measures: the advance width of a text and the height of a
// text line in a font.
struct SheetMeasure {
  std::function<int(const QString& text, const SheetFont& font)> width;
  std::function<int(const QString& text, const SheetFont& font)> height;
};

// What the sheet shows.
struct SheetInput {
  PrintList LstObj;
  QString Fee, Syn, UseUnit, UseUnitC;
  QString visitNo;                     // the visit number
  QString name, gender, age, tel;      // the customer boxes
  QString user;                        // the user who wrote it
  QString date;                        // today, date only
  QString printTime;                   // now, date and time
  // The questionnaire result the visit holds, when it holds one.
  std::optional<ConstitutionResult> constitution;
};

// A text with its top-left corner at (x, y).
struct SheetText {
  int x = 0, y = 0;
  QString text;
  SheetFont font;
};

// A thin black line.
struct SheetLine {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// The box the questionnaire's score chart is drawn into.
struct SheetChart {
  int x = 0, y = 0, width = 0, height = 0;
  ConstitutionResult result;
};

struct SheetLayout {
  SheetMetrics metrics;
  QList<SheetText> texts;  // in drawing order
  QList<SheetLine> lines;
  std::optional<SheetChart> chart;  // the questionnaire's chart, when the visit holds one
};

// W, H and H16 measured with `measure` on a page of pw × ph.
SheetMetrics measureSheetMetrics(int pw, int ph, const SheetMeasure& measure);

// The whole page. The body is not paginated: a long body runs into the footer
// area; the footer always stands at PH − 4H.
SheetLayout layoutSheet(const SheetInput& in, const SheetMetrics& m, const SheetMeasure& measure);

// The characters from `from` (counting from 0) up to `count` of them: one
// taboo line of the sheet.
QString sheetTabooLine(const QString& text, int from, int count);

// Every text of the sheet stays inside its field: its font shrinks point by
// point down to this size, and what still does not fit is cut and ends with "…".
constexpr int kSheetMinPointSize = 8;

// What the amount is for, printed beside it: "剂数：7剂" on a herbal sheet (the
// doses are the `Dosage` of its record), "数量：山药粥×6、菊花茶×3" on a food
// sheet (`kind` "药膳方"). Each number as the price counts it (not a whole
// number: 0). Empty when no record carries a number.
QString sheetAmountBasis(const PrintList& list, const QString& kind);

// The file of the next prescription picture of `stem` in `dir`: "stem.png"
// for the first of the day, then "stem-2.png", "stem-3.png", … — the first
// name nothing in `dir` holds yet. Empty when all 999 are taken.
QString freeSheetPicturePath(const QString& dir, const QString& stem);
// The same for another kind of file of the sheet ("pdf": "stem.pdf", "stem-2.pdf", …).
QString freeSheetFilePath(const QString& dir, const QString& stem, const QString& suffix);

}  // namespace tcm

#pragma once
// Draws the identification sheet: into the preview picture (VPrintDF), as a
// one-page job on the default printer (PrintDF), into Qt's print preview
// (PreviewDF) and as a PDF (sheetPdf), all from the one layout.
#include <QByteArray>
#include <QDateTime>
#include <QFont>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

#include "prescription/per_food.h"
#include "prescription/sheet_layout.h"

class QImage;
class QPainter;
class QPaintDevice;

namespace tcm {
class Messages;
}

namespace tcm::ui {

// The visit number and the customer boxes of the main window, as the sheet prints them.
struct SheetCustomer {
  QString visitNo, name, gender, age, tel;
};

// What the sheet and its picture window read besides their parameters. The
// main window registers it once; tests register their own.
struct SheetContext {
  // Read at drawing time; a chosen customer's visit gets its number here when
  // it has none, so the first sheet already carries the number a save keeps.
  std::function<SheetCustomer()> customer;
  std::function<QDateTime()> now;           // the clock; the system clock when empty
  Messages* messages = nullptr;             // print and save failures
  QString pictureDir;                       // the folder PR of the data folder
  QPointer<QWidget> mainWindow;             // the picture window opens centred on it
  // The questionnaire result of the customer's current visit (nullopt when it holds none).
  std::function<std::optional<ConstitutionResult>()> constitution;
};
void setSheetContext(SheetContext context);
const SheetContext& sheetContext();
QDateTime sheetNow();

// The face that stands in for "宋体", and the sheet's fonts in it.
QString sheetFontFamily();
QFont sheetQFont(const SheetFont& font);
// Text measures on a paint device (its own resolution): the advance width, and
// a line one em high.
SheetMeasure sheetMeasure(QPaintDevice* device);

// The sheet's input: the parameters plus the customer, user, date and time of now.
SheetInput makeSheetInput(const PrintList& LstObj, const QString& Fee, const QString& Syn, const QString& UseUnit,
                          const QString& UseUnitC);

// Draws a laid-out page with an active painter: white page, texts, thinnest black lines.
void paintSheet(QPainter& painter, const SheetLayout& layout);

// A picture the size of the preview with the resolution the sheet's point sizes assume.
QImage makeSheetPicture(int width = 565, int height = 665);

// Draws the sheet into `Img` (its size is the page). Always true. `drawn`, when
// given, receives the layout drawn.
bool VPrintDF(const PrintList& LstObj, const QString& Fee, QImage& Img, const QString& Syn, const QString& UseUnit,
              const QString& UseUnitC, SheetLayout* drawn = nullptr);

// Prints the sheet as one page on the default printer. On failure shows
// "打印错误提示" with the reason and returns false.
bool PrintDF(const PrintList& LstObj, const QString& Fee, const QString& Syn, const QString& UseUnit,
             const QString& UseUnitC);

// The resolution of the sheet's PDF.
constexpr int kSheetPdfDotsPerInch = 300;

// The sheet as a one-page A4 PDF, its fonts embedded with their character maps
// so every word can be searched and copied. Empty when it cannot be drawn.
QByteArray sheetPdf(const PrintList& LstObj, const QString& Fee, const QString& Syn, const QString& UseUnit,
                    const QString& UseUnitC);

// "打印预览": Qt's preview of the sheet on the default printer's page, from
// which it can be printed.
void PreviewDF(const PrintList& LstObj, const QString& Fee, const QString& Syn, const QString& UseUnit,
               const QString& UseUnitC, QWidget* parent);

}  // namespace tcm::ui

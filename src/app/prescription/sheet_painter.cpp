#include "prescription/sheet_painter.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QBuffer>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <cups/cups.h>

#include "constitution/constitution_chart.h"
#include "login/login_state.h"
#include "messages.h"
#include "ui_kit.h"

namespace tcm::ui {
namespace {

SheetContext& contextStore() {
  static SheetContext context;
  return context;
}

// 96 dots per inch: the resolution the sheet's point sizes were made for on screen.
constexpr int kPictureDotsPerMeter = 3780;

// "宋体" is one em from the top of a text line to its bottom, and the sheet was
// laid out with those line heights. The substitute face has a taller line, so
// a line is measured as one em and drawn with the ideographs' em box (0.88 em
// above the baseline, 0.12 em below, as in the CJK faces) from its top.
constexpr double kEmBoxAscent = 0.88;

int emPixels(const SheetFont& font, const QPaintDevice* device) {
  return qRound(font.pointSize * device->logicalDpiY() / 72.0);
}

void reportPrintError(const QString& reason) {
  if (Messages* m = sheetContext().messages)
    m->showCaptioned(QStringLiteral("打印错误提示"), QStringLiteral("打印出现错误，错误原因：") + reason);
}

}  // namespace

void setSheetContext(SheetContext context) { contextStore() = std::move(context); }
const SheetContext& sheetContext() { return contextStore(); }

QDateTime sheetNow() {
  const SheetContext& c = sheetContext();
  return c.now ? c.now() : QDateTime::currentDateTime();
}

QString sheetFontFamily() {
  static const QString family = [] {
    const QStringList have = QFontDatabase::families();
    // A TrueType Song (Ming) face first: in a PDF (exported or printed) its
    // glyphs keep their characters, so every word can be searched and copied.
    // Out of the Noto CJK collections the PDF engine maps ideographs back to
    // Kangxi radicals (⽓ for 气) and loses the visit number's digits.
    for (const QString& w : {QStringLiteral("AR PL UMing CN"), QStringLiteral("SimSun"), QStringLiteral("宋体"),
                             QStringLiteral("Noto Serif CJK SC")})
      if (have.contains(w)) return w;
    return uiFontFamily();
  }();
  return family;
}

QFont sheetQFont(const SheetFont& font) {
  // Letters and digits from a serif TrueType face, the ideographs from the
  // Song face: the print path (the server turns the job into PostScript and
  // back) draws the Song face's Latin glyphs as Type 3 pictures without
  // characters, which would take the visit number and the doses out of the
  // printed text.
  QFont f;
  f.setFamilies({QStringLiteral("DejaVu Serif"), sheetFontFamily()});
  f.setPointSize(font.pointSize);
  f.setBold(font.bold);
  f.setItalic(font.italic);
  return f;
}

SheetMeasure sheetMeasure(QPaintDevice* device) {
  SheetMeasure m;
  m.width = [device](const QString& text, const SheetFont& font) {
    return QFontMetrics(sheetQFont(font), device).horizontalAdvance(text);
  };
  m.height = [device](const QString&, const SheetFont& font) { return emPixels(font, device); };
  return m;
}

SheetInput makeSheetInput(const PrintList& LstObj, const QString& Fee, const QString& Syn, const QString& UseUnit,
                          const QString& UseUnitC) {
  SheetInput in;
  in.LstObj = LstObj;
  in.Fee = Fee;
  in.Syn = Syn;
  in.UseUnit = UseUnit;
  in.UseUnitC = UseUnitC;
  if (sheetContext().customer) {
    const SheetCustomer c = sheetContext().customer();
    in.visitNo = c.visitNo;
    in.name = c.name;
    in.gender = c.gender;
    in.age = c.age;
    in.tel = c.tel;
  }
  in.user = loginState().UserName;
  const QDateTime now = sheetNow();
  in.date = now.date().toString(QStringLiteral("yyyy/M/d"));
  in.printTime = now.toString(QStringLiteral("yyyy/M/d H:mm:ss"));
  if (sheetContext().constitution) in.constitution = sheetContext().constitution();
  return in;
}

void paintSheet(QPainter& painter, const SheetLayout& layout) {
  const SheetMetrics& m = layout.metrics;
  painter.fillRect(0, 0, m.PW, m.PH, Qt::white);
  painter.setPen(QPen(Qt::black, 0, Qt::SolidLine));  // cosmetic: the thinnest line the target draws
  for (const SheetLine& l : layout.lines) painter.drawLine(l.x1, l.y1, l.x2, l.y2);
  SheetFont current{-1, false, false};
  int ascent = 0;
  for (const SheetText& t : layout.texts) {
    if (!(t.font == current)) {
      painter.setFont(sheetQFont(t.font));
      current = t.font;
      ascent = qRound(kEmBoxAscent * emPixels(t.font, painter.device()));
    }
    // The layout places a text by the top-left corner of its line.
    painter.drawText(QPoint(t.x, t.y + ascent), t.text);
  }
  if (layout.chart) {
    const SheetChart& c = *layout.chart;
    paintScoreChart(painter, QRectF(c.x, c.y, c.width, c.height), c.result);
  }
}

QImage makeSheetPicture(int width, int height) {
  QImage img(width, height, QImage::Format_RGB32);
  img.setDotsPerMeterX(kPictureDotsPerMeter);
  img.setDotsPerMeterY(kPictureDotsPerMeter);
  img.fill(Qt::white);
  return img;
}

bool VPrintDF(const PrintList& LstObj, const QString& Fee, QImage& Img, const QString& Syn, const QString& UseUnit,
              const QString& UseUnitC, SheetLayout* drawn) {
  if (Img.isNull()) return true;
  const SheetMeasure measure = sheetMeasure(&Img);
  const SheetLayout layout = layoutSheet(makeSheetInput(LstObj, Fee, Syn, UseUnit, UseUnitC),
                                         measureSheetMetrics(Img.width(), Img.height(), measure), measure);
  QPainter painter(&Img);
  if (painter.isActive()) paintSheet(painter, layout);
  if (drawn) *drawn = layout;
  return true;
}

namespace {

// Lays the sheet out on a page device (a printer or a PDF) and draws it.
bool paintSheetOnPage(QPagedPaintDevice& device, const QRect& page, const SheetInput& input) {
  const SheetMeasure measure = sheetMeasure(&device);
  const SheetLayout layout = layoutSheet(input, measureSheetMetrics(page.width(), page.height(), measure), measure);
  QPainter painter;
  if (!painter.begin(&device)) return false;
  paintSheet(painter, layout);
  return painter.end();
}

}  // namespace

QByteArray sheetPdf(const PrintList& LstObj, const QString& Fee, const QString& Syn, const QString& UseUnit,
                    const QString& UseUnitC) {
  QByteArray pdf;
  QBuffer buffer(&pdf);
  if (!buffer.open(QIODevice::WriteOnly)) return {};
  {
    QPdfWriter writer(&buffer);
    writer.setResolution(kSheetPdfDotsPerInch);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                                     QPageLayout::Millimeter));
    writer.setTitle(UseUnitC.isEmpty() ? QStringLiteral("处方") : UseUnitC);
    writer.setCreator(QStringLiteral("tcmcare"));
    const QRect page = writer.pageLayout().paintRectPixels(writer.resolution());
    if (!paintSheetOnPage(writer, page, makeSheetInput(LstObj, Fee, Syn, UseUnit, UseUnitC))) return {};
  }
  return pdf;
}

void PreviewDF(const PrintList& LstObj, const QString& Fee, const QString& Syn, const QString& UseUnit,
               const QString& UseUnitC, QWidget* parent) {
  const QPrinterInfo info = QPrinterInfo::defaultPrinter();
  QPrinter printer(QPrinter::HighResolution);
  if (!info.isNull()) printer.setPrinterName(info.printerName());
  printer.setDocName(UseUnitC.isEmpty() ? QStringLiteral("处方") : UseUnitC);
  QPrintPreviewDialog preview(&printer, parent);
  preview.setObjectName(QStringLiteral("PreviewDlg"));
  preview.setWindowTitle(QStringLiteral("打印预览"));
  const SheetInput input = makeSheetInput(LstObj, Fee, Syn, UseUnit, UseUnitC);
  QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&input](QPrinter* p) {
    const QRect page = p->pageLayout().paintRectPixels(p->resolution());
    if (!paintSheetOnPage(*p, page, input)) reportPrintError(QStringLiteral("打印机“%1”无法开始打印任务").arg(p->printerName()));
  });
  preview.exec();
}

bool PrintDF(const PrintList& LstObj, const QString& Fee, const QString& Syn, const QString& UseUnit,
             const QString& UseUnitC) {
  const QPrinterInfo info = QPrinterInfo::defaultPrinter();
  if (info.isNull()) {
    reportPrintError(QStringLiteral("没有默认打印机"));
    return false;
  }
  QPrinter printer(info, QPrinter::HighResolution);
  printer.setDocName(UseUnitC.isEmpty() ? QStringLiteral("处方") : UseUnitC);
  printer.setFullPage(false);
  const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
  if (!printer.isValid() || page.isEmpty()) {
    reportPrintError(QStringLiteral("打印机“%1”不可用").arg(info.printerName()));
    return false;
  }
  // Everything that can go wrong before the first stroke is done before the job starts.
  const SheetMeasure measure = sheetMeasure(&printer);
  const SheetLayout layout = layoutSheet(makeSheetInput(LstObj, Fee, Syn, UseUnit, UseUnitC),
                                         measureSheetMetrics(page.width(), page.height(), measure), measure);
  QPainter painter;
  if (!painter.begin(&printer)) {
    reportPrintError(QStringLiteral("打印机“%1”无法开始打印任务").arg(info.printerName()));
    return false;
  }
  paintSheet(painter, layout);
  if (printer.printerState() == QPrinter::Error || printer.printerState() == QPrinter::Aborted) {
    // No half-drawn page: the job is dropped before it reaches the printer.
    printer.abort();
    painter.end();
    reportPrintError(QStringLiteral("打印机“%1”在打印中出错，打印任务已取消").arg(info.printerName()));
    return false;
  }
  if (!painter.end() || printer.printerState() == QPrinter::Error) {
    reportPrintError(QStringLiteral("打印机“%1”没有接受打印任务").arg(info.printerName()));
    return false;
  }
  // The print engine hands the page to the print server at the end and does
  // not look at the answer; a refused job shows here, in the server's words.
  if (cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE) {
    reportPrintError(QString::fromUtf8(cupsLastErrorString()));
    return false;
  }
  return true;
}

}  // namespace tcm::ui

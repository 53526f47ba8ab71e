#pragma once
// The prescription picture "处方打印": the identification sheet of the last
// opening as a picture, previewed with "打印预览", printed with "打印", saved
// under PR with "保存图片" or as a PDF with "导出PDF".
#include <QImage>
#include <QString>
#include <QWidget>

#include "prescription/per_food.h"
#include "prescription/sheet_layout.h"

class QLabel;
class QPushButton;

namespace tcm {
class Messages;
class TDMServer;
}  // namespace tcm

namespace tcm::ui {

class TMainFrm;

class TPrintRPFrm : public QWidget {
  Q_OBJECT
 public:
  explicit TPrintRPFrm(QWidget* parent = nullptr);

  QLabel* imgView = nullptr;  // shows Img
  QPushButton* btnAdd = nullptr;     // "打印"
  QPushButton* RzButton1 = nullptr;  // "保存图片"
  QPushButton* btnPreview = nullptr; // "打印预览"
  QPushButton* btnPdf = nullptr;     // "导出PDF": the sheet as a PDF under PR

  QImage Img;  // 565 × 665
  PrintList LstObj;
  QString Fee, Syn, UseUnit, UseUnitC;
  QString ID;  // file name stem: yyyyMMdd-ShopId-UserId
  SheetLayout drawn;  // the sheet as the picture shows it

  // The file the next "保存图片" writes: the day's first free picture name.
  QString pictureFile() const;
  // Redraws the picture from the stored values.
  void redraw();

 public Q_SLOTS:
  void btnAddClick();
  void RzButton1Click();
  void btnPreviewClick();
  void btnPdfClick();
};

// Writes `picture` as PNG data into `dir` under the first free picture name of
// `stem` (freeSheetPicturePath), whole or not at all and never over an earlier
// file, also when another window saves at the same moment. `written` receives
// the file; `error` says why not.
[[nodiscard]] bool savePicturePng(const QImage& picture, const QString& dir, const QString& stem, QString* written,
                                  QString* error);

// Writes `bytes` into `dir` under the first free name of `stem` with `suffix`
// (freeSheetFilePath), under the same promise; `error` starts with `failure`.
[[nodiscard]] bool saveNewSheetFile(const QByteArray& bytes, const QString& dir, const QString& stem,
                                    const QString& suffix, const QString& failure, QString* written, QString* error);

// The one picture window of the process (null before the first opening).
TPrintRPFrm* printRPFrm();

// Stores the print list and texts, draws the sheet and shows the window.
void ShowPrintRPFrm(const tcm::PrintList& LstObj, const QString& Fee, const QString& Syn, const QString& UseUnit,
                    const QString& UseUnitC);

// The main window's part of the sheet: its visit number and customer boxes,
// the message boxes, and the picture folder of the data folder.
void registerMainSheetContext(TMainFrm* main, TDMServer& dm, Messages& messages);

}  // namespace tcm::ui

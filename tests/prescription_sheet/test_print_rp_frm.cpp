// The prescription picture window: one window, its frame, the picture of the
// last opening, and saving the picture under PR.
#include <QDir>
#include <QFile>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QPrinter>
#include <QTest>

#include "customer/customer_strip.h"
#include "entry/identify_page.h"
#include "main_frm.h"
#include "prescription/print_rp_frm.h"
#include "sheet_checks.h"
#include "sheet_fixture.h"

using namespace tcm;
using namespace tcm::test;
using namespace tcm::ui;

namespace {

class PictureWindow : public SheetFixture {
 protected:
  QString prDir() const { return QDir(dataDir.path()).filePath(QStringLiteral("PR")); }
  QStringList prFiles() const { return QDir(prDir()).entryList(QDir::Files | QDir::Hidden | QDir::System); }
  // Non-white pixels of a picture.
  static int inked(const QImage& img) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x)
        if (img.pixel(x, y) != qRgb(255, 255, 255)) ++n;
    return n;
  }
};

}  // namespace

TEST_F(PictureWindow, OneFixedWindowAboveTheOthersShowingTheLastSheet) {
  QWidget main;
  main.setGeometry(100, 60, 1100, 700);
  main.show();
  SheetContext c = sheetContext();
  c.mainWindow = &main;
  setSheetContext(c);
  ShowPrintRPFrm(herbalList(), QStringLiteral("120.0"), QStringLiteral("气虚质"), QStringLiteral("康宁中医馆"),
                 QStringLiteral("处方"));
  TPrintRPFrm* frm = printRPFrm();
  ASSERT_TRUE(frm);
  EXPECT_TRUE(frm->isVisible());
  EXPECT_EQ(frm->windowTitle(), QStringLiteral("处方打印"));
  EXPECT_EQ(frm->Img.size(), QSize(565, 665));
  EXPECT_EQ(frm->imgView->size(), QSize(565, 665));
  EXPECT_EQ(frm->minimumSize(), frm->maximumSize());
  EXPECT_TRUE(frm->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(frm->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
  EXPECT_EQ(frm->windowModality(), Qt::NonModal);
  EXPECT_EQ(frm->btnAdd->text(), QStringLiteral("打印"));
  EXPECT_EQ(frm->RzButton1->text(), QStringLiteral("保存图片"));
  EXPECT_EQ(frm->ID, QStringLiteral("20250307-12-7"));
  EXPECT_LE((frm->frameGeometry().center() - main.frameGeometry().center()).manhattanLength(), 20);  // give or take the frame
  EXPECT_GT(inked(frm->Img), 2000);  // heading, lines, herbs, footer
  const QImage herbalPicture = frm->Img;

  // The food editor's opening reuses the window and replaces everything.
  frm->close();
  EXPECT_FALSE(frm->isVisible());
  ShowPrintRPFrm(foodList(), QStringLiteral("56.0"), QStringLiteral("气虚质"), QStringLiteral("康宁中医馆"),
                 QStringLiteral("药膳方"));
  EXPECT_EQ(printRPFrm(), frm);
  EXPECT_TRUE(frm->isVisible());
  EXPECT_EQ(frm->UseUnitC, QStringLiteral("药膳方"));
  ASSERT_EQ(frm->LstObj.size(), 3);
  EXPECT_NE(frm->Img, herbalPicture);
  // Redrawing the same sheet gives the same picture: nothing of the herbal sheet is left.
  const QImage food = frm->Img;
  frm->redraw();
  EXPECT_EQ(frm->Img, food);
}

TEST_F(PictureWindow, TheDaysFirstPictureKeepsItsNameLaterOnesCountOnAndTheMessageNamesTheFile) {
  ShowPrintRPFrm(herbalList(), QStringLiteral("120.0"), QStringLiteral("气虚质"), QStringLiteral("康宁中医馆"),
                 QStringLiteral("处方"));
  TPrintRPFrm* frm = printRPFrm();
  ASSERT_TRUE(frm);
  const QString stem = QDir(prDir()).filePath(QStringLiteral("20250307-12-7"));
  const QStringList files = {stem + QStringLiteral(".png"), stem + QStringLiteral("-2.png"), stem + QStringLiteral("-3.png")};
  QList<QImage> saved;
  for (int i = 0; i < 3; ++i) {
    if (i == 1)
      ShowPrintRPFrm(foodList(), QStringLiteral("56.0"), QStringLiteral("气虚质"), QStringLiteral("康宁中医馆"),
                     QStringLiteral("药膳方"));
    EXPECT_EQ(frm->pictureFile(), files[i]) << i;
    messages.clear();
    QTest::mouseClick(frm->RzButton1, Qt::LeftButton);
    EXPECT_EQ(messages.captioned,
              QStringList{QStringLiteral("提示|图片已保存：") + QDir::toNativeSeparators(files[i])})
        << i;
    QFile f(files[i]);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << i;
    EXPECT_TRUE(f.read(8).startsWith("\x89PNG\r\n\x1a\n")) << i;
    saved << QImage(files[i], "PNG").convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(saved[i], frm->Img.convertToFormat(QImage::Format_RGB32)) << i;
  }
  // Each file holds its own picture; nothing else is left in the folder.
  EXPECT_EQ(prFiles(), (QStringList{QStringLiteral("20250307-12-7-2.png"), QStringLiteral("20250307-12-7-3.png"),
                                    QStringLiteral("20250307-12-7.png")}));
  EXPECT_EQ(QImage(files[0], "PNG").convertToFormat(QImage::Format_RGB32), saved[0]);
  EXPECT_NE(saved[0], saved[1]);
  EXPECT_EQ(saved[1], saved[2]);

  // A picture of that name written by another window meanwhile is not replaced.
  QFile other(stem + QStringLiteral("-4.png"));
  ASSERT_TRUE(other.open(QIODevice::WriteOnly));
  other.write("other");
  other.close();
  messages.clear();
  QTest::mouseClick(frm->RzButton1, Qt::LeftButton);
  EXPECT_EQ(QFileInfo(other.fileName()).size(), 5);
  EXPECT_EQ(messages.captioned, QStringList{QStringLiteral("提示|图片已保存：") +
                                            QDir::toNativeSeparators(stem + QStringLiteral("-5.png"))});
}

// The sheet of a customer with a name of 15 characters: every text in its
// field, on the picture and on the printer's page alike.
TEST_F(PictureWindow, LongTextsStayInTheirFieldsOnThePictureAndThePage) {
  const QString name15 = QStringLiteral("阿卜杜热合曼·买买提·艾力克木");
  ASSERT_EQ(name15.size(), 15);
  SheetContext c = sheetContext();
  c.customer = [name15] {
    return SheetCustomer{QStringLiteral("2025030700120105533"), name15, QStringLiteral("男"), QStringLiteral("45"),
                         QStringLiteral("13800000001")};
  };
  setSheetContext(c);
  PrintList list = herbalList();
  list[0].FoodHer = QStringLiteral("人参,9,g|川芎茶调散加减方药,12,g|茯苓,9,g");
  ShowPrintRPFrm(list, QStringLiteral("142.6"), QStringLiteral("气虚质、阳虚质、痰湿质兼血瘀质"), QStringLiteral("康宁中医馆"),
                 QStringLiteral("处方"));
  TPrintRPFrm* frm = printRPFrm();
  ASSERT_TRUE(frm);
  const SheetMeasure onPicture = sheetMeasure(&frm->Img);
  EXPECT_EQ(sheetOverprints(frm->drawn, onPicture), QString());
  const SheetText* name = nullptr;
  const SheetText* doses = nullptr;
  const SheetText* fee = nullptr;
  for (const SheetText& t : frm->drawn.texts) {
    if (t.text.startsWith(QStringLiteral("姓名："))) name = &t;
    if (t.text == QStringLiteral("剂数：7剂")) doses = &t;
    if (t.text == QStringLiteral("金额：￥142.6")) fee = &t;
  }
  ASSERT_TRUE(name && doses && fee);
  EXPECT_TRUE(name->text.endsWith(QStringLiteral("…"))) << name->text.toStdString();
  EXPECT_TRUE(name15.startsWith(name->text.mid(3).chopped(1)));
  EXPECT_EQ(name->font.pointSize, kSheetMinPointSize);
  EXPECT_EQ(doses->y, fee->y);
  EXPECT_LT(doses->x, fee->x);
  if (const QString shot = qEnvironmentVariable("TCM_SHEET_SHOT"); !shot.isEmpty()) frm->Img.save(shot, "PNG");

  // The paper: the same layout measured on a printer's page.
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QDir(dataDir.path()).filePath(QStringLiteral("page.pdf")));
  const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
  const SheetMeasure onPaper = sheetMeasure(&printer);
  const SheetLayout paper = layoutSheet(makeSheetInput(list, QStringLiteral("142.6"), frm->Syn, frm->UseUnit, frm->UseUnitC),
                                        measureSheetMetrics(page.width(), page.height(), onPaper), onPaper);
  EXPECT_EQ(sheetOverprints(paper, onPaper), QString());
  bool dosesOnPaper = false;
  for (const SheetText& t : paper.texts) dosesOnPaper = dosesOnPaper || t.text == QStringLiteral("剂数：7剂");
  EXPECT_TRUE(dosesOnPaper);
}

TEST_F(PictureWindow, SaveWithoutThePictureFolderReportsAndWritesNothing) {
  ASSERT_TRUE(QDir(prDir()).removeRecursively());
  ShowPrintRPFrm(herbalList(), QStringLiteral("120.0"), QStringLiteral("气虚质"), QStringLiteral("康宁中医馆"),
                 QStringLiteral("处方"));
  TPrintRPFrm* frm = printRPFrm();
  ASSERT_TRUE(frm);
  QTest::mouseClick(frm->RzButton1, Qt::LeftButton);
  ASSERT_EQ(messages.captioned.size(), 1);
  EXPECT_TRUE(messages.captioned[0].contains(QStringLiteral("保存图片失败")));
  EXPECT_TRUE(messages.captioned[0].contains(QDir::toNativeSeparators(prDir())));
  EXPECT_FALSE(QDir(prDir()).exists());
  EXPECT_EQ(QDir(dataDir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList{});
  EXPECT_TRUE(frm->isVisible());  // the window stays open

  // A file named PR where the folder should be is refused the same way, and kept as it was.
  QFile blocker(prDir());
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.write("x");
  blocker.close();
  messages.clear();
  QTest::mouseClick(frm->RzButton1, Qt::LeftButton);
  ASSERT_EQ(messages.captioned.size(), 1);
  EXPECT_EQ(QFileInfo(prDir()).size(), 1);
  EXPECT_EQ(QDir(dataDir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList{QStringLiteral("PR")});
}

// The main window registers where the sheet reads the visit and the customer.
TEST(SheetContextOfMainWindow, ReadsTheVisitAndTheCustomerBoxes) {
  DataFolder folder;
  TCM_REQUIRE_FOLDER(folder);
  RecordingMessages messages;
  auto dm = folder.server(&messages);
  loginState().clear();
  loginState().UserName = QStringLiteral("李医生");
  {
    TMainFrm main(*dm, messages);
    EXPECT_EQ(sheetContext().mainWindow.data(), &main);
    EXPECT_EQ(sheetContext().messages, &messages);
    EXPECT_EQ(sheetContext().pictureDir, folder.settings().pictureDir());
    main.tsAI->customer->MZNO = QStringLiteral("202503070009");
    main.tsAI->customer->edtPatName->setText(QStringLiteral("王五"));
    main.tsAI->customer->edtGender->setCurrentText(QStringLiteral("女"));
    main.tsAI->customer->edtAge->setText(QStringLiteral("33"));
    main.tsAI->customer->edtTel->setText(QStringLiteral("13900000002"));
    const SheetInput in = makeSheetInput({}, QStringLiteral("0.0"), {}, {}, {});
    EXPECT_EQ(in.visitNo, QStringLiteral("202503070009"));
    EXPECT_EQ(in.name, QStringLiteral("王五"));
    EXPECT_EQ(in.gender, QStringLiteral("女"));
    EXPECT_EQ(in.age, QStringLiteral("33"));
    EXPECT_EQ(in.tel, QStringLiteral("13900000002"));
    EXPECT_EQ(in.user, QStringLiteral("李医生"));
  }
  // With the main window gone the labels stand alone.
  EXPECT_TRUE(makeSheetInput({}, {}, {}, {}, {}).name.isEmpty());
  setSheetContext({});
  loginState().clear();
}

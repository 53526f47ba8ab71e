// The sheet beyond the printer: "导出PDF" into PR with every word real text in
// embedded fonts (read back with poppler's pdftotext and pdffonts), and Qt's
// print preview of the same page.
#include <QApplication>
#include <QDir>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "prescription/print_rp_frm.h"
#include "sheet_fixture.h"

using namespace tcm;
using namespace tcm::test;
using namespace tcm::ui;

namespace {

class SheetPdf : public SheetFixture {
 protected:
  QString prDir() const { return QDir(dataDir.path()).filePath(QStringLiteral("PR")); }
  static QString output(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return {};
    return QString::fromUtf8(p.readAllStandardOutput());
  }
};

}  // namespace

TEST_F(SheetPdf, ExportsIntoPrWithEveryWordSearchableInEmbeddedFonts) {
  ShowPrintRPFrm(herbalList(), QStringLiteral("120.0"), QStringLiteral("气虚质"), QStringLiteral("康宁中医馆"),
                 QStringLiteral("处方"));
  TPrintRPFrm* frm = printRPFrm();
  ASSERT_TRUE(frm);
  const QString stem = QDir(prDir()).filePath(QStringLiteral("20250307-12-7"));
  for (const QString& file : {stem + QStringLiteral(".pdf"), stem + QStringLiteral("-2.pdf")}) {
    messages.clear();
    QTest::mouseClick(frm->btnPdf, Qt::LeftButton);
    ASSERT_EQ(messages.captioned, QStringList{QStringLiteral("提示|PDF已导出：") + QDir::toNativeSeparators(file)});
  }

  const QString pdf = stem + QStringLiteral(".pdf");
  const QString info = output(QStringLiteral("pdfinfo"), {pdf});
  EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n")))) << info.toStdString();
  // Every word of the sheet comes back as text: the head, the visit number,
  // the customer, the herbs with their doses, the shop.
  const QString text = output(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}).remove(QRegularExpression("\\s"));
  for (const QString& word : {QStringLiteral("亚健康状态中医辨识"), QStringLiteral("202503070001"),
                              QStringLiteral("张三"), QStringLiteral("男"), QStringLiteral("45"),
                              QStringLiteral("人参9g"), QStringLiteral("陈皮6g"), QStringLiteral("气虚质"),
                              QStringLiteral("康宁中医馆")})
    EXPECT_TRUE(text.contains(word)) << word.toStdString() << " not in: " << text.toStdString();

  // Each font is embedded with its character map; none is drawn as Type 3 glyph pictures.
  const QStringList fonts = output(QStringLiteral("pdffonts"), {pdf}).split('\n', Qt::SkipEmptyParts).mid(2);
  ASSERT_FALSE(fonts.isEmpty());
  for (const QString& line : fonts) {
    EXPECT_FALSE(line.contains(QStringLiteral("Type 3"))) << line.toStdString();
    const QStringList cols = line.split(' ', Qt::SkipEmptyParts);
    ASSERT_GE(cols.size(), 6) << line.toStdString();
    // name type [encoding words] emb sub uni object ID: emb and uni stand 5th and 3rd from the end.
    EXPECT_EQ(cols[cols.size() - 5], "yes") << "not embedded: " << line.toStdString();
    EXPECT_EQ(cols[cols.size() - 3], "yes") << "no Unicode map: " << line.toStdString();
  }
}

TEST_F(SheetPdf, PreviewShowsTheOnePageOfTheSheet) {
  ShowPrintRPFrm(foodList(), QStringLiteral("56.0"), QStringLiteral("气虚质"), QStringLiteral("康宁中医馆"),
                 QStringLiteral("药膳方"));
  TPrintRPFrm* frm = printRPFrm();
  ASSERT_TRUE(frm);
  int pages = -1;
  QString title;
  QTimer::singleShot(0, [&] {
    auto* dlg = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
    if (!dlg) return;
    title = dlg->windowTitle();
    if (auto* view = dlg->findChild<QPrintPreviewWidget*>()) {
      view->updatePreview();
      pages = view->pageCount();
    }
    dlg->reject();
  });
  QTest::mouseClick(frm->btnPreview, Qt::LeftButton);
  EXPECT_EQ(title, QStringLiteral("打印预览"));
  EXPECT_EQ(pages, 1);
  EXPECT_TRUE(messages.captioned.isEmpty()) << messages.captioned.join('\n').toStdString();
}

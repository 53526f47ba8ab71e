// Printing the sheet through the default printer: the cups-pdf queue that
// test.sh starts (CUPS_SERVER, TCM_TEST_PDF_DIR), and a client with no printer.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>

#include "prescription/sheet_painter.h"
#include "sheet_fixture.h"

using namespace tcm;
using namespace tcm::test;
using namespace tcm::ui;

namespace {

class SheetPrint : public SheetFixture {};

// Runs a command to its end; false when it failed. `out` receives its standard output.
bool run(const QString& program, const QStringList& args, QString* out = nullptr) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return false;
  if (out) *out = QString::fromUtf8(p.readAllStandardOutput());
  return true;
}

QStringList pdfsIn(const QString& dir) { return QDir(dir).entryList({QStringLiteral("*.pdf")}, QDir::Files); }

// A loopback port on which nothing listens.
quint16 deadPort() {
  QTcpServer s;
  if (!s.listen(QHostAddress::LocalHost)) return 1;
  return s.serverPort();  // closed again when `s` goes
}

}  // namespace

TEST_F(SheetPrint, PrintsOnePageWithTheShopNameOnTheDefaultQueue) {
  const QString pdfDir = qEnvironmentVariable("TCM_TEST_PDF_DIR");
  if (pdfDir.isEmpty() || qEnvironmentVariable("CUPS_SERVER").isEmpty()) {
    if (qEnvironmentVariableIsSet("CI")) FAIL() << "test printer missing (TCM_TEST_PDF_DIR, CUPS_SERVER)";
    GTEST_SKIP() << "no test printer (test.sh starts one)";
  }
  const QStringList before = pdfsIn(pdfDir);
  ASSERT_TRUE(PrintDF(herbalList(), QStringLiteral("120.0"), QStringLiteral("气虚质"), QStringLiteral("康宁中医馆"),
                      QStringLiteral("处方")))
      << messages.captioned.join('\n').toStdString();
  EXPECT_TRUE(messages.captioned.isEmpty());

  // The queue turns the job into a PDF file in its own time.
  QString pdf;
  QDeadlineTimer deadline(120000);
  while (pdf.isEmpty() && !deadline.hasExpired()) {
    for (const QString& f : pdfsIn(pdfDir)) {
      const QFileInfo info(QDir(pdfDir).filePath(f));
      // cups-pdf writes the file under its final name; it is complete when its end marker is there.
      if (before.contains(f) || info.size() == 0) continue;
      QFile file(info.filePath());
      if (file.open(QIODevice::ReadOnly) && file.readAll().trimmed().endsWith("%%EOF")) pdf = info.filePath();
    }
    if (pdf.isEmpty()) QThread::msleep(200);
  }
  ASSERT_FALSE(pdf.isEmpty()) << "no PDF from the queue in " << pdfDir.toStdString();

  QString info;
  ASSERT_TRUE(run(QStringLiteral("pdfinfo"), {pdf}, &info)) << "pdfinfo failed on " << pdf.toStdString();
  EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n")))) << info.toStdString();

  QString text;
  ASSERT_TRUE(run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")}, &text));
  EXPECT_TRUE(text.contains(QStringLiteral("康宁中医馆"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("亚健康状态中医辨识"))) << text.toStdString();
  // The printed words are text, the visit number and the customer as well.
  const QString words = QString(text).remove(QRegularExpression(QStringLiteral("\\s")));
  for (const QString& word : {QStringLiteral("202503070001"), QStringLiteral("张三"), QStringLiteral("性别：男"),
                              QStringLiteral("年龄：45"), QStringLiteral("人参9g"), QStringLiteral("气虚质")})
    EXPECT_TRUE(words.contains(word)) << word.toStdString() << " not in: " << words.toStdString();

  QTemporaryDir out;
  ASSERT_TRUE(out.isValid());
  const QString stem = QDir(out.path()).filePath(QStringLiteral("page"));
  ASSERT_TRUE(run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("50"), QStringLiteral("-png"),
                                   QStringLiteral("-singlefile"), pdf, stem}));
  const QImage page(stem + QStringLiteral(".png"));
  ASSERT_FALSE(page.isNull()) << "pdftoppm gave no picture";
  int inked = 0;
  for (int y = 0; y < page.height(); ++y)
    for (int x = 0; x < page.width(); ++x)
      if (qGray(page.pixel(x, y)) < 128) ++inked;
  EXPECT_GT(inked, 500) << "the rendered page is blank";
}

TEST_F(SheetPrint, AJobTheQueueRefusesShowsThePrintErrorBox) {
  const QString queue = qEnvironmentVariable("TCM_TEST_PRINTER");
  if (queue.isEmpty() || qEnvironmentVariable("CUPS_SERVER").isEmpty()) {
    if (qEnvironmentVariableIsSet("CI")) FAIL() << "test printer missing (TCM_TEST_PRINTER, CUPS_SERVER)";
    GTEST_SKIP() << "no test printer (test.sh starts one)";
  }
  ASSERT_TRUE(run(QStringLiteral("cupsreject"), {queue}));
  const bool printed = PrintDF(herbalList(), QStringLiteral("120.0"), QStringLiteral("气虚质"),
                               QStringLiteral("康宁中医馆"), QStringLiteral("处方"));
  run(QStringLiteral("cupsaccept"), {queue});
  EXPECT_FALSE(printed);
  ASSERT_EQ(messages.captioned.size(), 1);
  EXPECT_TRUE(messages.captioned[0].startsWith(QStringLiteral("打印错误提示|打印出现错误，错误原因：")));
  EXPECT_TRUE(messages.captioned[0].contains(queue)) << messages.captioned[0].toStdString();
}

// Run in a child process whose libcups talks to a server that is not there.
TEST_F(SheetPrint, NoDefaultPrinterShowsThePrintErrorBox) {
  if (qEnvironmentVariableIsSet("TCM_SHEET_NO_PRINTER_CHILD")) {
    EXPECT_FALSE(PrintDF(herbalList(), QStringLiteral("120.0"), QStringLiteral("气虚质"),
                         QStringLiteral("康宁中医馆"), QStringLiteral("处方")));
    ASSERT_EQ(messages.captioned.size(), 1);
    EXPECT_EQ(messages.captioned[0], QStringLiteral("打印错误提示|打印出现错误，错误原因：没有默认打印机"));
    return;
  }
  QProcess child;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("TCM_SHEET_NO_PRINTER_CHILD"), QStringLiteral("1"));
  env.insert(QStringLiteral("CUPS_SERVER"), QStringLiteral("127.0.0.1:%1").arg(deadPort()));
  env.remove(QStringLiteral("PRINTER"));
  env.remove(QStringLiteral("LPDEST"));
  env.insert(QStringLiteral("HOME"), QDir(dataDir.path()).absolutePath());  // no lpoptions of the user
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  child.setProcessEnvironment(env);
  child.setProcessChannelMode(QProcess::MergedChannels);
  child.start(QCoreApplication::applicationFilePath(),
              {QStringLiteral("--gtest_filter=SheetPrint.NoDefaultPrinterShowsThePrintErrorBox")});
  ASSERT_TRUE(child.waitForFinished(120000));
  const QString out = QString::fromUtf8(child.readAll());
  EXPECT_EQ(child.exitCode(), 0) << out.toStdString();
  EXPECT_TRUE(out.contains(QStringLiteral("[  PASSED  ] 1 test"))) << out.toStdString();
}

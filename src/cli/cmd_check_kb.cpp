// check-kb: verifies the seed knowledge base before it is loaded and prints
// what the checks found, one problem a line, or the one line of a clean check.
#include <QDir>
#include <QFileInfo>

#include "commands.h"
#include "kb/kb_check.h"
#include "kb/seed_model.h"

namespace tcm::cli {
namespace {

// The textbook cases beside a seed folder of the source tree, or in the
// current folder's source tree.
QString defaultCasesPath(const QString& seedFolder) {
  const QString relative = QStringLiteral("tests/kb/textbook_cases.csv");
  QStringList candidates;
  if (!seedFolder.startsWith(QLatin1Char(':'))) candidates << QDir(seedFolder).absoluteFilePath(QStringLiteral("../../") + relative);
  candidates << QDir::current().absoluteFilePath(relative);
  for (const QString& c : candidates)
    if (QFileInfo::exists(c)) return QDir::cleanPath(c);
  return {};
}

}  // namespace

int cmdCheckKb(const QStringList& args, Io io) {
  QString seedFolder = QString::fromLatin1(kSeedFolder);
  QString casesPath;
  for (qsizetype i = 0; i < args.size(); ++i) {
    if (args[i] == QLatin1String("--seed") && i + 1 < args.size()) {
      seedFolder = args[++i];
    } else if (args[i] == QLatin1String("--cases") && i + 1 < args.size()) {
      casesPath = args[++i];
    } else {
      io.err << "用法：tcmcare-admin check-kb [--seed 目录] [--cases 病例文件]\n";
      return 2;
    }
  }
  if (!seedFolder.startsWith(QLatin1Char(':')) && !QFileInfo(seedFolder).isDir()) {
    io.err << "知识库目录不存在：" << seedFolder << "\n";
    return 2;
  }
  if (casesPath.isEmpty()) casesPath = defaultCasesPath(seedFolder);

  QStringList problems;
  const SeedKnowledgeBase kb = SeedKnowledgeBase::read(seedFolder, &problems);
  const KbCheckResult result = checkKnowledgeBase(kb, casesPath);
  problems << result.problems;
  if (!problems.isEmpty()) {
    for (const QString& p : problems) io.err << p << "\n";
    return 1;
  }
  io.out << kbCheckSummary(kb, result) << "\n";
  return 0;
}

}  // namespace tcm::cli

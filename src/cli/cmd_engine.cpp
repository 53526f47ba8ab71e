// tcmcare-admin engine: the syndrome engine alone on the configured knowledge base.
#include "commands.h"
#include "db/gateway.h"
#include "kb/knowledge_loader.h"
#include "engine/identification.h"
#include "engine/syndrome_engine.h"
#include "messages.h"
#include "text/item_list.h"

namespace tcm::cli {
namespace {

struct EngineOptions {
  bool hasCodes = false;
  QStringList codes;
  QString departments = QLatin1String(kFemaleDepartments);
  QString chief;
  int limit = kOutCountLmt;
  int minScore = kOutPreLmt;
  int sort = kSortType;
};

// Reads the options; the Chinese reason when they cannot be used.
QString readEngineOptions(const QStringList& args, EngineOptions* o) {
  static const QStringList known = {"--codes", "--departments", "--chief", "--limit", "--min-score", "--sort"};
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& option = args[i];
    if (!known.contains(option)) {
      return option.startsWith(QLatin1String("-")) ? QStringLiteral("未知选项：%1").arg(option)
                                                   : QStringLiteral("多余的参数：%1").arg(option);
    }
    if (i + 1 >= args.size()) return QStringLiteral("选项 %1 缺少取值").arg(option);
    const QString& value = args[++i];
    bool isNumber = false;
    if (option == QLatin1String("--codes")) {
      o->hasCodes = true;
      o->codes = splitItems(value, QLatin1Char(','));
    } else if (option == QLatin1String("--departments")) {
      o->departments = value;
    } else if (option == QLatin1String("--chief")) {
      o->chief = value;
    } else if (option == QLatin1String("--limit")) {
      o->limit = value.toInt(&isNumber);
      if (!isNumber || o->limit < 0) return QStringLiteral("--limit 应为不小于 0 的整数：%1").arg(value);
    } else if (option == QLatin1String("--min-score")) {
      o->minScore = value.toInt(&isNumber);
      if (!isNumber) return QStringLiteral("--min-score 应为整数：%1").arg(value);
    } else {  // --sort
      if (value != QLatin1String("0") && value != QLatin1String("1")) return QStringLiteral("--sort 只能是 0 或 1：%1").arg(value);
      o->sort = value.toInt();
    }
  }
  if (!o->hasCodes) return QStringLiteral("缺少 --codes（以逗号分隔的五位症状编码）");
  return {};
}

bool isFindingCode(const QString& code) {
  if (code.size() != 5) return false;
  for (const QChar c : code)
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
  return true;
}

}  // namespace

int cmdEngine(const DbSettings& settings, const QStringList& args, Io io) {
  EngineOptions options;
  const QString problem = readEngineOptions(args, &options);
  if (!problem.isEmpty()) {
    io.err << problem << "\n"
           << "用法：tcmcare-admin engine --codes 编码,… [--departments 科室,…] [--chief 编码,…] [--limit N] "
              "[--min-score N] [--sort 0|1]\n";
    return 2;
  }
  // A code of another form is passed on as given, but it can match no finding.
  for (const QString& code : options.codes + splitItems(options.chief, QLatin1Char(',')))
    if (!code.isEmpty() && !isFindingCode(code)) io.err << "警告：“" << code << "”不是五位数字编码，不会与任何症状相符\n";
  ErrorStreamMessages messages(io.err);
  TDMServer dm(settings, &messages);
  if (LoadData(dm) != LoadResult::Loaded) {
    io.err << "知识库载入失败\n";
    return 1;
  }
  const SyndromeIndex index(dm.knowledge());
  QStringList findings = options.codes;
  QString hint;
  const EngineRun run = GetIllBySymLst(index, findings, options.limit, options.minScore, options.sort,
                                       options.departments, hint, options.chief, dm);
  if (!run.ok()) {
    io.err << run.error << "\n";
    return 1;
  }
  for (const TIll& ill : run.DiseaseLst) io.out << resultLine(ill) << "\n";
  return 0;
}

}  // namespace tcm::cli

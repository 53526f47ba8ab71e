// tcmcare-admin identify: an identification run as the main window makes it,
// from finding names of the vocabulary.
#include "commands.h"
#include "db/gateway.h"
#include "kb/knowledge_loader.h"
#include "engine/identification.h"
#include "entry/selected_set.h"
#include "entry/vocabulary.h"
#include "result/recommendations.h"
#include "messages.h"

namespace tcm::cli {
namespace {

struct IdentifyOptions {
  QString gender;
  QString age;
  QString primary;
  QStringList names;
};

QString readIdentifyOptions(const QStringList& args, IdentifyOptions* o) {
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& arg = args[i];
    if (arg == QLatin1String("--gender") || arg == QLatin1String("--age") || arg == QLatin1String("--primary")) {
      if (i + 1 >= args.size()) return QStringLiteral("选项 %1 缺少取值").arg(arg);
      const QString& value = args[++i];
      if (arg == QLatin1String("--gender")) {
        if (value != QStringLiteral("男") && value != QStringLiteral("女")) return QStringLiteral("--gender 只能是 男 或 女：%1").arg(value);
        o->gender = value;
      } else if (arg == QLatin1String("--age")) {
        bool isNumber = false;
        const int age = value.toInt(&isNumber);
        if (!isNumber || age < 0) return QStringLiteral("--age 应为不小于 0 的整数：%1").arg(value);
        o->age = value;
      } else {
        o->primary = value;
      }
    } else if (arg.startsWith(QLatin1String("--"))) {
      return QStringLiteral("未知选项：%1").arg(arg);
    } else {
      o->names << arg;
    }
  }
  if (o->names.isEmpty() && o->primary.isEmpty()) return QStringLiteral("缺少症状名称");
  return {};
}

// A matching diet rule in the columns of a result, as the panel shows it:
// score 100, count 0, flag 0, FromType 0 (a rule, not the engine), no module prescription.
QString dietRuleLine(const DietRuleMatch& rule) {
  return QStringList{QString::number(rule.id), rule.synName, QStringLiteral("100"), QStringLiteral("0"),
                     QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")}
      .join(QLatin1Char('\t'));
}

// The first vocabulary entry with exactly this clear name.
const TAliease* findByName(const AliasList& vocabulary, const QString& name) {
  for (const AliasItem& item : vocabulary)
    if (item.entry.name == name) return &item.entry;
  return nullptr;
}

}  // namespace

int cmdIdentify(const DbSettings& settings, const QStringList& args, Io io) {
  IdentifyOptions options;
  const QString problem = readIdentifyOptions(args, &options);
  if (!problem.isEmpty()) {
    io.err << problem << "\n"
           << "用法：tcmcare-admin identify [--gender 男|女] [--age 岁数] [--primary 名称] 名称…\n";
    return 2;
  }
  ErrorStreamMessages messages(io.err);
  TDMServer dm(settings, &messages);
  AliasList vocabulary;
  if (!GetAliases(dm, &vocabulary)) {
    io.err << "词库读取失败\n";
    return 1;
  }

  QStringList names = options.names;
  if (!options.primary.isEmpty() && !names.contains(options.primary)) names << options.primary;
  SelectedSet selection;
  QString primaryId;
  for (const QString& name : names) {
    const TAliease* entry = findByName(vocabulary, name);
    if (!entry) {
      io.err << "词库中没有“" << name << "”\n";
      return 2;
    }
    if (name == options.primary) {
      if (entry->classId != QLatin1String(kClassSymptom) && entry->classId != QLatin1String(kClassDisease)) {
        io.err << "主诉只能是症状或疾病：" << name << "\n";
        return 2;
      }
      primaryId = entry->id;
    }
    // The rules of a pick from the search: exclusions first, then capacity and duplicates.
    if (selection.GetMutexSym(entry->mutex)) {
      io.err << "“" << name << "”与已选的症状互斥，未选入\n";
      continue;
    }
    switch (selection.AddSelSym(entry->classId, entry->id, entry->name, entry->gender, entry->ids)) {
      case AddResult::Full:
        io.err << selection.fullMessage(entry->classId) << "\n";
        return 2;
      case AddResult::UnknownCategory:
        io.err << "类别为 " << entry->classId << " 的条目不能选择：" << name << "\n";
        return 2;
      case AddResult::Added:
        if (entry->id.isEmpty()) io.err << "“" << name << "”没有单一编码，不参与辨识\n";
        break;
      case AddResult::Duplicate:
        break;
    }
  }
  if (LoadData(dm) != LoadResult::Loaded) {
    io.err << "知识库载入失败\n";
    return 1;
  }
  const SyndromeIndex index(dm.knowledge());
  // The diet rules of the primary finding come before the engine, as on the panel.
  std::optional<DietRuleMatch> rule;
  const DietRuleStep dietRules = [&dm, &rule](const QString& primaryCode, const QString& symIds) {
    rule = GetFoodGrp(dm, primaryCode, symIds);
    return rule ? rule->pre : QString();
  };
  const Identification id =
      Ai(index, dm, IdentificationInput{selection.GetCodeList(), primaryId, options.gender, options.age}, dietRules);
  if (rule) {
    io.out << dietRuleLine(*rule) << "\n";
    io.err << "药膳规则“" << rule->synName << "”：" << rule->pre << "\n";
  }
  if (id.outcome == IdentificationOutcome::DietRule) return 0;
  switch (id.outcome) {
    case IdentificationOutcome::TooFewFindings:
      io.err << "所选症状不足两个且没有主诉，不进行辨识\n";
      return 0;
    case IdentificationOutcome::Failed:
      io.err << id.error << "\n";
      return 1;
    case IdentificationOutcome::RankedWithoutChiefComplaint:
      io.err << "主诉下没有结果，已不带主诉重新辨识\n";
      break;
    default:
      break;
  }
  for (const TIll& ill : id.results) io.out << resultLine(ill) << "\n";
  return 0;
}

}  // namespace tcm::cli

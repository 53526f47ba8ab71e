// tcmcare-admin identify: an identification run as the main window makes it,
// from finding names of the vocabulary.
#include "commands.h"
#include "data/gateway.h"
#include "data/knowledge_loader.h"
#include "engine/identification.h"
#include "entry/vocabulary.h"
#include "messages.h"

namespace tcm::cli {
namespace {

// Database failures are written to the error stream as they happen.
class ErrorStreamMessages : public Messages {
 public:
  explicit ErrorStreamMessages(QTextStream& err) : err_(err) {}
  void showMessage(const QString& text) override { err_ << text << "\n"; }
  void showDbError(const QString& text) override { err_ << text << "\n"; }
  bool askOkCancel(const QString&, const QString&) override { return false; }

 private:
  QTextStream& err_;
};

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

// The categories of the selected set, their capacities and the message when full.
struct Category {
  const char* classId;
  int capacity;
  const char* fullMessage;
};
const Category kCategories[] = {{kClassSymptom, 30, "症状数量不能超过30个"},
                                {kClassTongue, 20, "舌苔及舌质数量不能超过20个"},
                                {kClassPulse, 10, "脉象数量不能超过10个"},
                                {kClassDisease, 1, "疾病只能选择1个"}};

const Category* categoryOf(const QString& classId) {
  for (const Category& c : kCategories)
    if (classId == QLatin1String(c.classId)) return &c;
  return nullptr;
}

// The selected findings, added by the rules of a pick from the search.
class Selection {
 public:
  enum class Added { Yes, Duplicate, Excluded };

  // False with `problem` when the finding cannot be selected at all.
  bool add(const TAliease& entry, Added* added, QString* problem) {
    const Category* category = categoryOf(entry.classId);
    if (!category) {
      *problem = QStringLiteral("类别为 %1 的条目不能选择：%2").arg(entry.classId, entry.name);
      return false;
    }
    if (excludedBy(entry.mutex)) {
      *added = Added::Excluded;
      return true;
    }
    if (countOf(entry.classId) >= category->capacity) {
      *problem = QString::fromUtf8(category->fullMessage);
      return false;
    }
    for (const SelectedFinding& f : chips_) {
      if (f.id == entry.id) {
        *added = Added::Duplicate;
        return true;
      }
    }
    chips_.append({entry.id, entry.classId});
    *added = Added::Yes;
    return true;
  }
  const QList<SelectedFinding>& chips() const { return chips_; }

 private:
  // An exclusion list naming a selected symptom, tongue or pulse finding (the disease is not consulted).
  bool excludedBy(const QString& mutex) const {
    const QStringList parts = mutex.split(QLatin1Char(','));
    for (const SelectedFinding& f : chips_) {
      if (f.classId == QLatin1String(kClassDisease)) continue;
      if (parts.contains(f.id)) return true;
    }
    return false;
  }
  int countOf(const QString& classId) const {
    int n = 0;
    for (const SelectedFinding& f : chips_)
      if (f.classId == classId) ++n;
    return n;
  }

  QList<SelectedFinding> chips_;
};

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
  GetAliases(dm, &vocabulary);

  QStringList names = options.names;
  if (!options.primary.isEmpty() && !names.contains(options.primary)) names << options.primary;
  Selection selection;
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
    Selection::Added added = Selection::Added::Yes;
    QString refusal;
    if (!selection.add(*entry, &added, &refusal)) {
      io.err << refusal << "\n";
      return 2;
    }
    if (added == Selection::Added::Excluded) io.err << "“" << name << "”与已选的症状互斥，未选入\n";
    if (added == Selection::Added::Yes && entry->id.isEmpty()) io.err << "“" << name << "”没有单一编码，不参与辨识\n";
  }

  if (LoadData(dm) != LoadResult::Loaded) {
    io.err << "知识库载入失败\n";
    return 1;
  }
  const SyndromeIndex index(dm.knowledge());
  const Identification id =
      Ai(index, dm, IdentificationInput{GetCodeList(selection.chips()), primaryId, options.gender, options.age});
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

#include "kb/seed_dispensing.h"

#include <QFile>
#include <QSet>

#include "text/csv.h"
#include "text/money.h"

namespace tcm {
namespace {

CsvTable readTable(const QString& folder, const QString& file, QStringList* problems) {
  QFile f(folder + QLatin1Char('/') + file);
  if (!f.open(QIODevice::ReadOnly)) {
    *problems << QStringLiteral("无法读取 %1").arg(f.fileName());
    return {};
  }
  return parseCsv(QString::fromUtf8(f.readAll()));
}

// An optional dose in grams; false when the text is neither empty nor a number.
bool readDose(const QString& text, std::optional<double>* out) {
  if (text.trimmed().isEmpty()) return true;
  if (!parseDecimal(text)) return false;
  *out = text.trimmed().toDouble();
  return true;
}

// The columns are NOT NULL: an empty text is bound as an empty text, never as NULL.
QString stored(const QString& text) { return text.isNull() ? QStringLiteral("") : text; }

QString doseText(const std::optional<double>& v) { return stored(v ? QString::number(*v, 'g', 6) : QString()); }

}  // namespace

void readDispensingRules(const QString& folder, SeedKnowledgeBase* kb, QStringList* problems) {
  QHash<QString, int> idByName;
  for (const SeedHerb& h : kb->herbs) idByName.insert(h.name, h.id);

  const CsvTable rules = readTable(folder, QStringLiteral("herb_rules.csv"), problems);
  for (qsizetype r = 0; r < rules.rows.size(); ++r) {
    const QString where = QStringLiteral("herb_rules.csv 第%1行").arg(rules.lineNumbers[r]);
    HerbRule rule;
    rule.name = rules.field(r, QStringLiteral("name"));
    rule.pinyin = rules.field(r, QStringLiteral("pinyin"));
    rule.usualDose = rules.field(r, QStringLiteral("usual")).trimmed();
    rule.note = rules.field(r, QStringLiteral("note")).trimmed();
    rule.toxic = rules.field(r, QStringLiteral("toxic")).trimmed() == QLatin1String("1");
    const QString mark = rules.field(r, QStringLiteral("pregnancy")).trimmed();
    if (!idByName.contains(rule.name)) {
      *problems << where + QStringLiteral("：“%1”不在药材目录中").arg(rule.name);
      continue;
    }
    if (kb->dispensing.byName(rule.name)) *problems << where + QStringLiteral("：“%1”重复").arg(rule.name);
    rule.id = QString::number(idByName.value(rule.name));
    if (!readDose(rules.field(r, QStringLiteral("dose_min")), &rule.doseMin) ||
        !readDose(rules.field(r, QStringLiteral("dose_max")), &rule.doseMax) ||
        (!rule.usualDose.isEmpty() && !parseDecimal(rule.usualDose)))
      *problems << where + QStringLiteral("：剂量不是数字");
    if (rule.doseMin.has_value() != rule.doseMax.has_value() || (rule.doseMin && *rule.doseMin > *rule.doseMax))
      *problems << where + QStringLiteral("：剂量范围无效");
    if (!rule.note.isEmpty() && !dispensingNotes().contains(rule.note))
      *problems << where + QStringLiteral("：脚注“%1”不是%2之一").arg(rule.note, dispensingNotes().join(QStringLiteral("、")));
    if (mark == QStringLiteral("禁用"))
      rule.pregnancy = PregnancyMark::Forbidden;
    else if (mark == QStringLiteral("慎用"))
      rule.pregnancy = PregnancyMark::Caution;
    else if (!mark.isEmpty())
      *problems << where + QStringLiteral("：妊娠标记应为禁用、慎用或留空");
    if (rule.pinyin.isEmpty()) *problems << where + QStringLiteral("：缺少拼音首字母");
    kb->dispensing.add(rule);
  }
  for (const SeedHerb& h : kb->herbs)
    if (!kb->dispensing.byName(h.name)) *problems << QStringLiteral("herb_rules.csv：缺少药材“%1”").arg(h.name);

  const CsvTable pairs = readTable(folder, QStringLiteral("herb_pairs.csv"), problems);
  for (qsizetype r = 0; r < pairs.rows.size(); ++r) {
    HerbPair p{pairs.field(r, QStringLiteral("kind")),
               pairs.field(r, QStringLiteral("first")).split(QLatin1Char('|'), Qt::SkipEmptyParts),
               pairs.field(r, QStringLiteral("second")).split(QLatin1Char('|'), Qt::SkipEmptyParts)};
    if ((p.kind != QStringLiteral("十八反") && p.kind != QStringLiteral("十九畏")) || p.first.isEmpty() ||
        p.second.isEmpty())
      *problems << QStringLiteral("herb_pairs.csv 第%1行：应为十八反或十九畏，两侧都要有药名").arg(pairs.lineNumbers[r]);
    kb->dispensing.addPair(p);
  }

  const CsvTable exceptions = readTable(folder, QStringLiteral("formula_exceptions.csv"), problems);
  for (qsizetype r = 0; r < exceptions.rows.size(); ++r) {
    SeedFormulaException e{exceptions.field(r, QStringLiteral("formula")), exceptions.field(r, QStringLiteral("herb")),
                           exceptions.field(r, QStringLiteral("kind")), exceptions.field(r, QStringLiteral("reason"))};
    if ((e.kind != QStringLiteral("相反") && e.kind != QStringLiteral("超量")) || e.reason.isEmpty() ||
        !kb->prescription(e.formula))
      *problems << QStringLiteral("formula_exceptions.csv 第%1行：方剂须存在，类别为相反或超量，并写明理由")
                       .arg(exceptions.lineNumbers[r]);
    kb->formulaExceptions << e;
  }
}

QList<Sql> dispensingRows(const SeedKnowledgeBase& kb) {
  QList<Sql> s{Sql(QStringLiteral("delete from herb_rule")), Sql(QStringLiteral("delete from herb_pair"))};
  for (const HerbRule& r : kb.dispensing.rules())
    s << Sql(QStringLiteral("insert into herb_rule(id,pinyin,usualDose,doseMin,doseMax,note,toxic,pregnancy) "
                            "values(?,?,?,?,?,?,?,?)"),
             {r.id.toLongLong(), stored(r.pinyin), stored(r.usualDose), doseText(r.doseMin), doseText(r.doseMax),
              stored(r.note),
              r.toxic ? 1 : 0, static_cast<int>(r.pregnancy)});
  int id = 0;
  for (const HerbPair& p : kb.dispensing.pairs())
    s << Sql(QStringLiteral("insert into herb_pair(id,kind,firstNames,secondNames) values(?,?,?,?)"),
             {++id, p.kind, p.first.join(QLatin1Char('|')), p.second.join(QLatin1Char('|'))});
  return s;
}

}  // namespace tcm

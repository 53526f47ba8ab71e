#include "kb/chief_complaint_check.h"

#include <QSet>
#include <algorithm>

#include "result/recommendations.h"
#include "text/item_list.h"

namespace tcm {

QStringList chiefComplaintCodes(const QString& cardinal) {
  QStringList codes;
  for (const QString& segment : cardinal.split(QLatin1Char('-'), Qt::SkipEmptyParts)) {
    if (segment.size() < 3 || segment[0] == QLatin1Char('0')) continue;
    for (qsizetype at = 3; at + 5 <= segment.size(); at += 5) codes << segment.mid(at, 5);
  }
  return codes;
}

QStringList chiefComplaintProblems(const SeedKnowledgeBase& kb, const KnowledgeCheck& check) {
  QSet<QString> keepsSomeType;
  for (const SeedSyndrome& s : kb.syndromes)
    if (s.open)
      for (const QString& code : chiefComplaintCodes(s.CardinalSymptom)) keepsSomeType.insert(code);

  QStringList problems;
  for (const SeedSyndrome& s : kb.syndromes) {
    if (!s.open || s.presentation.isEmpty()) continue;
    const KbPresentation p = check.listedPresentation(s);
    for (const QString& name : p.names) {
      const SeedFinding* f = kb.finding(name);
      if (!f || (f->category != 0 && f->category != 8)) continue;  // only a symptom or a disease is a complaint
      const QString code = fmtId(f->id);
      if (!keepsSomeType.contains(code)) continue;
      const Identification run = check.run(p, code);
      const QString where = QStringLiteral("证型“%1”（%2）：以“%3”为主诉时").arg(s.name).arg(s.id).arg(name);
      if (run.outcome == IdentificationOutcome::Failed) {
        problems << where + QStringLiteral("辨识失败：") + run.error;
        continue;
      }
      const QString firstClass = run.shown.isEmpty() ? QString() : check.classOf(run.shown.first().Id);
      if (firstClass == s.constitutionClass) continue;
      QStringList ranking;
      for (const TIll& ill : run.results) ranking << QStringLiteral("%1 %2 分").arg(ill.Name).arg(ill.SymWeight);
      problems << where + QStringLiteral("所列教材表现没有辨为%1：%2")
                              .arg(s.constitutionClass,
                                   ranking.isEmpty() ? QStringLiteral("没有结果") : ranking.join(QStringLiteral("，")));
    }
  }
  return problems;
}

DietRuleStep seedDietRuleStep(const SeedKnowledgeBase& kb, QString* matched) {
  QList<const SeedDietRule*> rules;
  for (const SeedDietRule& r : kb.dietRules) rules << &r;
  std::stable_sort(rules.begin(), rules.end(),
                   [](const SeedDietRule* a, const SeedDietRule* b) { return a->symLen > b->symLen; });
  return [rules, matched](const QString& primaryCode, const QString& symIds) {
    if (matched) matched->clear();
    for (const SeedDietRule* r : rules) {
      if (fmtId(r->symId) != primaryCode || !ChkIds(r->ids, symIds)) continue;
      if (matched) *matched = r->synName;
      return r->pre;
    }
    return QString();
  };
}

}  // namespace tcm

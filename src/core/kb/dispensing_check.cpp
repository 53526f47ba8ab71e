#include "kb/dispensing_check.h"

#include "prescription/herb_prescription.h"

namespace tcm {
namespace {

// The herbs every pharmacy prepares apart, as the textbooks of dispensing
// teach them, by the name of the crude herb; a processed form (生, 煅, 制, 炙,
// 炒) needs the same note.
struct NeededNote {
  const char* herb;
  const char* note;
};
constexpr NeededNote kNeededNotes[] = {
    {"石膏", "先煎"},   {"龙骨", "先煎"},   {"龙齿", "先煎"},   {"牡蛎", "先煎"},   {"附子", "先煎"},
    {"川乌", "先煎"},   {"草乌", "先煎"},   {"龟甲", "先煎"},   {"鳖甲", "先煎"},   {"磁石", "先煎"},
    {"赭石", "先煎"},   {"石决明", "先煎"}, {"珍珠母", "先煎"}, {"赤石脂", "先煎"}, {"滑石", "先煎"},
    {"薄荷", "后下"},   {"砂仁", "后下"},   {"白豆蔻", "后下"}, {"檀香", "后下"},   {"沉香", "后下"},
    {"钩藤", "后下"},   {"车前子", "包煎"}, {"辛夷", "包煎"},   {"旋覆花", "包煎"}, {"蒲黄", "包煎"},
    {"五灵脂", "包煎"}, {"海金沙", "包煎"}, {"人参", "另煎"},   {"西洋参", "另煎"}, {"红参", "另煎"},
    {"阿胶", "烊化"},   {"鹿角胶", "烊化"}, {"龟甲胶", "烊化"}, {"饴糖", "烊化"},   {"人工麝香", "冲服"},
    {"麝香", "冲服"},   {"三七", "冲服"},   {"三七粉", "冲服"},
};

QString crudeName(QString name) {
  for (const QString& prefix : {QStringLiteral("生"), QStringLiteral("煅"), QStringLiteral("制"), QStringLiteral("炙"),
                               QStringLiteral("炒")})
    if (name.size() > 2 && name.startsWith(prefix)) return name.mid(prefix.size());
  return name;
}

bool excepted(const SeedKnowledgeBase& kb, const QString& formula, const QString& kind, const QStringList& herbs) {
  for (const SeedFormulaException& e : kb.formulaExceptions)
    if (e.formula == formula && e.kind == kind && herbs.contains(e.herb)) return true;
  return false;
}

}  // namespace

QStringList dispensingProblems(const SeedKnowledgeBase& kb) {
  QStringList problems;
  const HerbCatalogue& c = kb.dispensing;
  for (const HerbRule& r : c.rules()) {
    const QString crude = crudeName(r.name);
    for (const NeededNote& n : kNeededNotes) {
      const QString herb = QString::fromUtf8(n.herb);
      if ((herb == r.name || herb == crude) && r.note != QString::fromUtf8(n.note))
        problems << QStringLiteral("药材“%1”应注明脚注“%2”").arg(r.name, QString::fromUtf8(n.note));
    }
  }
  for (const SeedPrescription& p : kb.prescriptions) {
    QStringList names;
    for (const HerbItem& item : parseHerbList(p.herbIds)) {
      names << item.name;
      const HerbRule* r = c.byName(item.name);
      if (!p.classic || !r || !r->doseMax || !parseDecimal(item.dosage)) continue;
      const double dose = item.dosage.toDouble();
      // Textbook decoctions often give a mild herb more than the
      // pharmacopoeia's usual figure. A toxic herb above it, a herb dosed
      // below one gram (人工麝香) above it, or any other herb above twice it is
      // a fault unless the formula is marked.
      const bool strict = r->toxic || *r->doseMax < 1;
      const bool outOfRange = strict ? dose > *r->doseMax : dose > 2 * *r->doseMax;
      if (outOfRange && !excepted(kb, p.name, QStringLiteral("超量"), {item.name}))
        problems << QStringLiteral("方剂“%1”中%2 %3g超出药典用量%4～%5g（未标为经典例外）")
                        .arg(p.name, item.name, item.dosage, QString::number(r->doseMin.value_or(0)),
                             QString::number(*r->doseMax));
    }
    for (const PairHit& hit : incompatiblePairs(c, names))
      if (!excepted(kb, p.name, QStringLiteral("相反"), {hit.first, hit.second}))
        problems << QStringLiteral("方剂“%1”含%2配伍：%3与%4（未标为经典例外）").arg(p.name, hit.kind, hit.first, hit.second);
  }
  for (const SeedDietRule& rule : kb.dietRules) {
    for (qsizetype i = 0; i < rule.prescriptionNames.size(); ++i) {
      const SeedPrescription* a = kb.prescription(rule.prescriptionNames[i]);
      for (qsizetype j = i + 1; a && j < rule.prescriptionNames.size(); ++j) {
        const SeedPrescription* b = kb.prescription(rule.prescriptionNames[j]);
        if (!b) continue;
        QStringList first, second;
        for (const HerbItem& item : parseHerbList(a->herbIds)) first << item.name;
        for (const HerbItem& item : parseHerbList(b->herbIds)) second << item.name;
        for (const PairHit& hit : incompatiblePairsAcross(c, first, second))
          problems << QStringLiteral("药膳规则%1同时推荐“%2”与“%3”，%4：%5与%6")
                          .arg(QString::number(rule.id), a->name, b->name, hit.kind, hit.first, hit.second);
      }
    }
  }
  return problems;
}

}  // namespace tcm

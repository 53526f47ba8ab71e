#include "prescription/herb_safety.h"

#include <QSet>
#include <QSqlQuery>

#include "db/gateway.h"
#include "text/money.h"

namespace tcm {
namespace {

constexpr double kSmallestDose = 0.01;
constexpr double kLargestDose = 250;

QString grams(double v) { return QString::number(v, 'g', 6); }

std::optional<double> storedDose(const QVariant& v) {
  const QString text = v.toString().trimmed();
  if (text.isEmpty()) return std::nullopt;
  if (!parseDecimal(text)) return std::nullopt;
  return text.toDouble();
}

// Which side of which pair a herb name falls on.
bool inGroup(const QStringList& group, const QString& name) { return group.contains(name); }

void collectPairs(const HerbCatalogue& c, const QStringList& a, const QStringList& b, bool sameList,
                  QList<PairHit>* out) {
  for (qsizetype i = 0; i < a.size(); ++i) {
    for (qsizetype j = sameList ? i + 1 : 0; j < b.size(); ++j) {
      for (const HerbPair& p : c.pairs()) {
        const bool forward = inGroup(p.first, a[i]) && inGroup(p.second, b[j]);
        const bool backward = inGroup(p.second, a[i]) && inGroup(p.first, b[j]);
        if (!forward && !backward) continue;
        const PairHit hit{p.kind, a[i], b[j]};
        if (!out->contains(hit)) *out << hit;
      }
    }
  }
}

}  // namespace

QString pregnancyMarkText(PregnancyMark mark) {
  switch (mark) {
    case PregnancyMark::Caution:
      return QStringLiteral("慎用");
    case PregnancyMark::Forbidden:
      return QStringLiteral("禁用");
    case PregnancyMark::None:
      break;
  }
  return {};
}

const QStringList& dispensingNotes() {
  static const QStringList notes{QStringLiteral("先煎"), QStringLiteral("后下"), QStringLiteral("包煎"),
                                 QStringLiteral("另煎"), QStringLiteral("烊化"), QStringLiteral("冲服")};
  return notes;
}

void HerbCatalogue::add(const HerbRule& rule) {
  if (byName_.contains(rule.name)) return;
  byName_.insert(rule.name, rules_.size());
  byId_.insert(rule.id, rules_.size());
  rules_ << rule;
  AliasItem item;
  item.text = rule.name;
  item.entry.id = rule.id;
  item.entry.name = rule.name;
  item.entry.pinyin = rule.pinyin.toUpper();
  item.entry.classId = QStringLiteral("0");
  search_ << item;
}

const HerbRule* HerbCatalogue::byName(const QString& name) const {
  const auto at = byName_.constFind(name);
  return at == byName_.cend() ? nullptr : &rules_[*at];
}

const HerbRule* HerbCatalogue::byId(const QString& id) const {
  const auto at = byId_.constFind(id);
  return at == byId_.cend() ? nullptr : &rules_[*at];
}

bool loadHerbCatalogue(TDMServer& dm, HerbCatalogue* out) {
  HerbCatalogue read;
  QSqlQuery* q = dm.GetDB(Sql(QStringLiteral("select h.id,h.name,r.pinyin,r.usualDose,r.doseMin,r.doseMax,r.note,"
                                             "r.toxic,r.pregnancy from herb h left join herb_rule r on r.id = h.id "
                                             "order by h.id")),
                          true);
  if (!q) return false;
  while (q->next()) {
    HerbRule r;
    r.id = q->value(0).toString();
    r.name = q->value(1).toString();
    r.pinyin = q->value(2).toString();
    r.usualDose = q->value(3).toString().trimmed();
    r.doseMin = storedDose(q->value(4));
    r.doseMax = storedDose(q->value(5));
    r.note = q->value(6).toString().trimmed();
    r.toxic = q->value(7).toInt() == 1;
    const int mark = q->value(8).toInt();
    r.pregnancy = mark == 2 ? PregnancyMark::Forbidden : mark == 1 ? PregnancyMark::Caution : PregnancyMark::None;
    read.add(r);
  }
  if (!dm.rowsReadToEnd(*q)) return false;
  q->finish();
  q = dm.GetDB(Sql(QStringLiteral("select kind,firstNames,secondNames from herb_pair order by id")), true);
  if (!q) return false;
  while (q->next())
    read.addPair({q->value(0).toString(), q->value(1).toString().split(QLatin1Char('|'), Qt::SkipEmptyParts),
                  q->value(2).toString().split(QLatin1Char('|'), Qt::SkipEmptyParts)});
  if (!dm.rowsReadToEnd(*q)) return false;
  q->finish();
  *out = std::move(read);
  return true;
}

QList<PairHit> incompatiblePairs(const HerbCatalogue& c, const QStringList& names) {
  QList<PairHit> out;
  collectPairs(c, names, names, true, &out);
  return out;
}

QList<PairHit> incompatiblePairsAcross(const HerbCatalogue& c, const QStringList& mine, const QStringList& others) {
  QList<PairHit> out;
  collectPairs(c, mine, others, false, &out);
  return out;
}

QList<SafetyWarning> checkPrescriptionSafety(const HerbCatalogue& c, const SafetyInput& in) {
  QList<SafetyWarning> out;
  QStringList names;
  for (const CheckedHerb& h : in.herbs) names << h.name;
  for (const PairHit& p : incompatiblePairs(c, names))
    out << SafetyWarning{WarningKind::Pair, QStringLiteral("%1：%2与%3不宜同用").arg(p.kind, p.first, p.second), true,
                         {p.first, p.second}};
  for (const PairHit& p : incompatiblePairsAcross(c, names, in.otherSide))
    out << SafetyWarning{WarningKind::Pair,
                         QStringLiteral("%1：%2（%3）与%4（%5）不宜同用")
                             .arg(p.kind, p.first, in.side, p.second, in.otherSideName),
                         true,
                         {p.first}};
  if (in.childBearing) {
    for (const PregnancyMark mark : {PregnancyMark::Forbidden, PregnancyMark::Caution}) {
      QStringList marked;
      for (const QString& n : names)
        if (const HerbRule* r = c.byName(n); r && r->pregnancy == mark) marked << n;
      if (marked.isEmpty()) continue;
      out << SafetyWarning{WarningKind::Pregnancy,
                           QStringLiteral("孕妇%1：%2").arg(pregnancyMarkText(mark), marked.join(QStringLiteral("、"))),
                           mark == PregnancyMark::Forbidden, marked};
    }
  }
  if (in.checkDoses) {
    for (const CheckedHerb& h : in.herbs) {
      const HerbRule* r = c.byName(h.name);
      if (!r || !r->doseMax || !parseDecimal(h.dosage)) continue;
      const double dose = h.dosage.trimmed().toDouble();
      if (dose <= *r->doseMax) continue;
      const QString range = grams(r->doseMin.value_or(0)) + QStringLiteral("～") + grams(*r->doseMax) + QLatin1Char('g');
      if (r->toxic)
        out << SafetyWarning{WarningKind::ToxicDose,
                             QStringLiteral("%1为有毒药，%2g超过限量%3").arg(h.name, grams(dose), range), true, {h.name}};
      else
        out << SafetyWarning{WarningKind::DoseAbove,
                             QStringLiteral("%1 %2g超过常用量%3").arg(h.name, grams(dose), range), false, {h.name}};
    }
  }
  return out;
}

QString doseSlipProblem(const QString& herb, const QString& dosage) {
  if (!parseDecimal(dosage)) return {};  // not a number: the save names that itself
  const double dose = dosage.trimmed().toDouble();
  if (dose > 0 && dose >= kSmallestDose && dose <= kLargestDose) return {};
  return QStringLiteral("%1的剂量%2g不像实际用量（应在0.01～250克之间），请核对").arg(herb, dosage.trimmed());
}

QString safetyQuestion(const QList<SafetyWarning>& warnings) {
  QStringList lines;
  bool confirm = false;
  for (const SafetyWarning& w : warnings) {
    lines << w.text;
    confirm = confirm || w.mustConfirm;
  }
  if (!confirm) return {};
  return QStringLiteral("用药提示：\n") + lines.join(QLatin1Char('\n')) + QStringLiteral("\n确认无误，仍要保存吗？");
}

QString safetyNote(const QList<SafetyWarning>& warnings) {
  QStringList lines;
  for (const SafetyWarning& w : warnings) lines << w.text;
  return lines.join(QStringLiteral("；"));
}

QString pregnancyCautionLine(const HerbCatalogue& c, const QStringList& names) {
  QStringList parts;
  for (const PregnancyMark mark : {PregnancyMark::Forbidden, PregnancyMark::Caution}) {
    QStringList marked;
    for (const QString& n : names)
      if (const HerbRule* r = c.byName(n); r && r->pregnancy == mark && !marked.contains(n)) marked << n;
    if (!marked.isEmpty())
      parts << QStringLiteral("孕妇%1：%2").arg(pregnancyMarkText(mark), marked.join(QStringLiteral("、")));
  }
  return parts.join(QStringLiteral("；"));
}

bool childBearingAge(const QString& genderBox, const QString& ageBox) {
  if (genderBox.trimmed() != QStringLiteral("女")) return false;
  const std::optional<int> age = parseWholeNumber(ageBox);
  return age && *age >= 14 && *age <= 49;
}

}  // namespace tcm

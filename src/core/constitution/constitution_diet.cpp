#include "constitution/constitution_diet.h"

#include <QFile>
#include <QHash>
#include <QSqlQuery>
#include <algorithm>

#include "db/gateway.h"
#include "text/csv.h"

namespace tcm {
namespace {

QHash<QString, QString> loadSyndromes() {
  QHash<QString, QString> out;
  QFile f(QStringLiteral(":/data/seed/constitution_diet.csv"));
  if (!f.open(QIODevice::ReadOnly)) return out;
  const CsvTable t = parseCsv(QString::fromUtf8(f.readAll()));
  for (qsizetype r = 0; r < t.rows.size(); ++r)
    out.insert(t.field(r, QStringLiteral("type")), t.field(r, QStringLiteral("syndrome")));
  return out;
}

// "宜食|山药、…" into its title and text; a text without "|" is all advice.
void splitAdvice(const QString& stored, QString* title, QString* text) {
  const qsizetype bar = stored.indexOf(QLatin1Char('|'));
  *title = bar < 0 ? QString() : stored.left(bar);
  *text = bar < 0 ? stored : stored.mid(bar + 1);
}

}  // namespace

QStringList adviceTypes(const ConstitutionResult& result) {
  QStringList out;
  const TypeScore* balanced = result.find(kBalancedType);
  if (balanced && (balanced->verdict == Verdict::Yes || balanced->verdict == Verdict::Basically)) out << kBalancedType;
  QList<const TypeScore*> biased;
  for (const TypeScore& t : result.types)
    if (t.type != kBalancedType && (t.verdict == Verdict::Yes || t.verdict == Verdict::Tendency)) biased << &t;
  std::stable_sort(biased.begin(), biased.end(), [](const TypeScore* a, const TypeScore* b) {
    if (a->verdict != b->verdict) return a->verdict == Verdict::Yes;
    return a->score > b->score;
  });
  for (const TypeScore* t : biased) out << t->type;
  return out;
}

QString dietSyndromeOf(const QString& type) {
  static const QHash<QString, QString> syndromes = loadSyndromes();
  return syndromes.value(type);
}

bool constitutionDiet(TDMServer& dm, const ConstitutionResult& result, QList<ConstitutionDiet>* out) {
  out->clear();
  for (const QString& type : adviceTypes(result)) {
    const QString syndrome = dietSyndromeOf(type);
    if (syndrome.isEmpty()) continue;
    QSqlQuery* q = dm.GetDB(
        Sql(QStringLiteral("select top 1 recommendFood,notRecommendFood from syn_food where Name = ? order by ID"),
            {syndrome}),
        true);
    if (!q) return false;
    if (q->next()) {
      ConstitutionDiet d;
      d.type = type;
      d.syndrome = syndrome;
      splitAdvice(q->value(0).toString(), &d.favourTitle, &d.favour);
      splitAdvice(q->value(1).toString(), &d.avoidTitle, &d.avoid);
      out->append(d);
    } else if (!dm.rowsReadToEnd(*q)) {
      return false;
    }
    q->finish();
  }
  return true;
}

QString dietText(const QList<ConstitutionDiet>& diet) {
  QStringList paragraphs;
  for (const ConstitutionDiet& d : diet) {
    QString p = d.type;
    if (!d.favour.isEmpty())
      p += QStringLiteral("　%1：%2").arg(d.favourTitle.isEmpty() ? QStringLiteral("宜食") : d.favourTitle, d.favour);
    if (!d.avoid.isEmpty())
      p += QStringLiteral("　%1：%2").arg(d.avoidTitle.isEmpty() ? QStringLiteral("忌食") : d.avoidTitle, d.avoid);
    paragraphs << p;
  }
  return paragraphs.join(QLatin1Char('\n'));
}

}  // namespace tcm

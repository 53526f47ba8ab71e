#include "prescription/saved_prescription.h"

#include <QRegularExpression>
#include <QSqlQuery>

#include "db/gateway.h"
#include "prescription/herb_prescription.h"

namespace tcm {

bool readSavedVisit(TDMServer& dm, const QString& shopId, const QString& patId, const QString& mzno,
                    std::optional<SavedVisitTexts>* out) {
  out->reset();
  bool patOk = false, shopOk = false;
  const qint64 pat = patId.trimmed().toLongLong(&patOk);
  const qint64 shop = shopId.trimmed().toLongLong(&shopOk);
  if (!patOk || pat <= 0 || !shopOk || mzno.trimmed().isEmpty()) return true;
  QSqlQuery* q = dm.GetDB(Sql(QStringLiteral("select HerbIds,foodIds,food from pat_med "
                                             "where shopId = ? and patId = ? and MZNO = ? order by id"),
                              {shop, pat, mzno}),
                          true);
  if (!q) return false;
  if (!q->next()) return dm.rowsReadToEnd(*q);
  *out = SavedVisitTexts{q->value(0).toString(), q->value(1).toString(), q->value(2).toString()};
  q->finish();
  return true;
}

std::optional<SavedHerbal> parseSavedHerbal(const QString& herbIds) {
  const qsizetype first = herbIds.indexOf(QLatin1Char('&'));
  if (first < 0) return std::nullopt;
  const qsizetype second = herbIds.indexOf(QLatin1Char('&'), first + 1);
  if (second < 0) return std::nullopt;
  SavedHerbal saved{herbIds.left(first).trimmed(), herbIds.mid(first + 1, second - first - 1).trimmed(),
                    herbIds.mid(second + 1)};
  if (saved.preName.isEmpty() || parseHerbList(saved.herbList).isEmpty()) return std::nullopt;
  return saved;
}

QList<SavedFoodSection> parseSavedFood(const QString& foodIds, const QString& foodText) {
  static const QRegularExpression quantityPattern(QStringLiteral("剂数：([^\\r\\n]*)剂"));
  QStringList quantities;
  for (const QRegularExpressionMatch& m : quantityPattern.globalMatch(foodText)) quantities << m.captured(1).trimmed();
  QList<SavedFoodSection> sections;
  qsizetype saved = 0;  // the saved sections so far: each wrote one "剂数" into the text
  for (const QString& part : foodIds.split(QLatin1Char('$'))) {
    const qsizetype amp = part.indexOf(QLatin1Char('&'));
    if (amp <= 0) continue;  // a section that was not saved
    SavedFoodSection s{part.left(amp).trimmed(), part.mid(amp + 1), QString()};
    if (saved < quantities.size()) s.quantity = quantities[saved];
    ++saved;
    if (!s.title.isEmpty() && !parseHerbList(s.herbList).isEmpty()) sections << s;
  }
  return sections;
}

}  // namespace tcm

#include "result/recommendations.h"

#include <QSqlQuery>

#include "db/gateway.h"
#include "text/item_list.h"

namespace tcm {

PrescriptionSlots parsePrescriptionList(const QString& pre) {
  QString t = pre;
  const qsizetype open = t.indexOf(QLatin1Char('['));
  if (open >= 0) t.remove(open, 1);
  const qsizetype close = t.indexOf(QLatin1Char(']'));
  if (close >= 0) t.remove(close, 1);
  for (const char* piece : {"\"", "id:", " ", "name:", "remark:", "{"}) t.remove(QLatin1String(piece));
  t.replace(QLatin1String("},"), QLatin1String("}"));
  PrescriptionSlots slots;
  for (const QString& entry : t.split(QLatin1Char('}'))) {
    const QStringList fields = splitItems(entry, QLatin1Char(','));
    // An entry without an id or a name cannot be opened: it fills no slot.
    if (fields.size() != 3 || fields[0].isEmpty() || fields[1].isEmpty()) continue;
    const PrescriptionEntry e{fields[0], fields[1], fields[2]};
    QList<PrescriptionEntry>& group = e.remark == QLatin1String("4") ? slots.classic : slots.diet;
    if (group.size() < 3) group << e;
  }
  return slots;
}

QString DietAdvice::shortText() const { return full.left(15) + QStringLiteral("[详细]"); }

DietAdvice parseDietAdvice(const QString& text) {
  const qsizetype bar = text.indexOf(QLatin1Char('|'));
  if (bar < 0) return {QString(), text};
  return {text.left(bar), text.mid(bar + 1)};
}

bool ChkIds(const QString& ids, const QString& symIds) {
  if (ids.isEmpty()) return true;
  for (const QString& alternative : ids.split(QLatin1Char('|'))) {
    bool all = true;
    for (QString element : alternative.split(QLatin1Char(','))) {
      if (element.contains(QLatin1Char('('))) element = element.mid(1, element.size() - 2);
      bool any = false;
      for (const QString& part : element.split(QLatin1Char('-'))) {
        // An empty part (from "|", ",," or "()") is contained in every text: it matches nothing.
        if (!part.isEmpty() && symIds.contains(part)) {
          any = true;
          break;
        }
      }
      if (!any) {
        all = false;
        break;
      }
    }
    if (all) return true;
  }
  return false;
}

std::optional<DietRuleMatch> GetFoodGrp(TDMServer& dm, const QString& primaryId, const QString& symIds) {
  if (primaryId.isEmpty()) return std::nullopt;
  bool numeric = false;
  const qint64 sym = primaryId.toLongLong(&numeric);
  if (!numeric) return std::nullopt;
  QSqlQuery* q = dm.GetDB(Sql(QStringLiteral("select id,synName,type,pre,ids from pre_food_grp where symId = ? "
                                             "and type = 8 order by symLen desc"),
                              {sym}),
                          true);
  if (!q) return std::nullopt;
  while (q->next()) {
    if (!ChkIds(q->value(4).toString(), symIds)) continue;
    DietRuleMatch m{q->value(0).toInt(), q->value(1).toString(), q->value(3).toString()};
    q->finish();
    return m;
  }
  (void)dm.rowsReadToEnd(*q);  // a broken-off reading is shown; no rule is applied
  return std::nullopt;
}

}  // namespace tcm

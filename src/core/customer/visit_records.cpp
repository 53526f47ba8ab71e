#include "customer/visit_records.h"

#include <QDateTime>
#include <QSqlQuery>

#include "customer/customer_list.h"
#include "customer/visit_note.h"
#include "db/gateway.h"

namespace tcm {
namespace {

// The stored date and time as text: SQLite keeps the text as written,
// PostgreSQL hands a timestamp that is shown with its seconds.
QString storedDateTimeText(const QVariant& v) {
  if (v.metaType().id() == QMetaType::QDateTime)
    return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
  if (v.metaType().id() == QMetaType::QDate) return v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
  return v.toString();
}

// Stored texts may carry CR LF line ends; the view shows plain lines.
QString plainLines(QString text) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

}  // namespace

bool recentVisits(TDMServer& dm, qint32 patId, QList<VisitDate>* out) {
  out->clear();
  QSqlQuery* q = dm.GetDB(
      Sql(QStringLiteral("select top 14 id,wrDate from pat_med where patId = ? order by id desc"), {patId}), true);
  if (!q) return false;
  while (q->next()) {
    if (out->size() < kRecentVisits) out->append({q->value(0).toInt(), listDateText(q->value(1))});
  }
  const bool whole = dm.rowsReadToEnd(*q);
  q->finish();
  if (!whole) out->clear();
  return whole;
}

bool readVisitRecord(TDMServer& dm, qint32 id, std::optional<VisitRecord>* out) {
  out->reset();
  QSqlQuery* q =
      dm.GetDB(Sql(QStringLiteral("select id,bl,food,Herb,foodIds,HerbIds,wrDate from pat_med where id = ?"), {id}),
               true);
  if (!q) return false;
  if (q->next()) {
    VisitRecord r;
    r.id = q->value(0).toInt();
    r.bl = q->value(1).toString();
    r.food = q->value(2).toString();
    r.herb = q->value(3).toString();
    r.foodIds = q->value(4).toString();
    r.herbIds = q->value(5).toString();
    r.wrdate = storedDateTimeText(q->value(6));
    *out = r;
  } else if (!dm.rowsReadToEnd(*q)) {
    return false;
  }
  q->finish();
  if (!*out) return true;
  q = dm.GetDB(Sql(QStringLiteral("select n.side,n.note from pat_med_note n join pat_med m on m.shopId = n.shopId "
                                  "and m.patId = n.patId and m.MZNO = n.MZNO where m.id = ?"),
                   {id}),
               true);
  if (!q) return false;
  QStringList notes;
  while (q->next()) {
    const QString line = q->value(0).toString() + QStringLiteral("：") + q->value(1).toString();
    // The herbal side first, as the record's texts come.
    if (q->value(0).toString() == kHerbNoteSide) notes.prepend(line); else notes << line;
  }
  if (!dm.rowsReadToEnd(*q)) return false;
  q->finish();
  (*out)->note = notes.join(QLatin1Char('\n'));
  return true;
}

QString visitRecordText(const VisitRecord& r) {
  QString text = plainLines(r.bl) + QLatin1Char('\n') + plainLines(r.food) + QLatin1Char('\n') + plainLines(r.herb);
  if (!r.note.isEmpty()) text += QStringLiteral("\n用药提示：\n") + r.note;
  return text;
}

QList<bool> sameDateMarks(const QList<QString>& captions, const QString& caption) {
  QList<bool> marks;
  marks.reserve(captions.size());
  for (const QString& c : captions) marks << (c == caption);
  return marks;
}

}  // namespace tcm

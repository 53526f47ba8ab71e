#include "customer/customer_search.h"

#include <QSqlQuery>

#include "crypto/aes_hex.h"
#include "data/gateway.h"
#include "entry/selected_set.h"
#include "text/item_list.h"

namespace tcm {

QString likeContains(const QString& text) {
  QString escaped;
  for (QChar c : text) {
    if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('\\')) escaped += QLatin1Char('\\');
    escaped += c;
  }
  return QLatin1Char('%') + escaped + QLatin1Char('%');
}

QList<CustomerRow> searchCustomersByName(TDMServer& dm, const QString& shopId, const QString& text, int limit,
                                         const QDate& today) {
  QList<CustomerRow> rows;
  QSqlQuery* q = dm.GetDB(Sql(QStringLiteral("select PatId, Name,Gender,Age,Tel,Address,wrdate from pat Where shopId=? "
                                             "and name like ? escape '\\' order by PatId"),
                              {shopId.toLongLong(), likeContains(text.trimmed())}),
                          true);
  if (!q) return rows;
  while (rows.size() < limit) {
    if (!q->next()) {
      if (!dm.rowsReadToEnd(*q)) return {};
      break;
    }
    CustomerRow r;
    r.patId = q->value(0).toString();
    r.name = q->value(1).toString();
    r.gender = q->value(2).toString();
    const QDate registered = QDate::fromString(q->value(6).toString().left(10), Qt::ISODate);
    r.age = CalaAge(q->value(3).toString(), registered, today);
    r.tel = decryptForDisplay(q->value(4).toString());
    r.address = decryptForDisplay(q->value(5).toString());
    rows << r;
  }
  q->finish();
  return rows;
}

QString GetMZNO(const QDateTime& now, const QString& shopId) {
  return now.toString(QStringLiteral("yyyyMMdd")) + fmt(shopId) + now.toString(QStringLiteral("hhmmss"));
}

}  // namespace tcm

#include "customer/customer_search.h"

#include "customer/customer_record.h"
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
  CustomerTextFilter byName;
  byName.kind = CustomerTextFilter::Kind::Name;
  byName.name = text.trimmed();
  return searchCustomers(dm, shopId, byName, limit, today);
}

QString GetMZNO(const QDateTime& now, const QString& shopId) {
  return now.toString(QStringLiteral("yyyyMMdd")) + fmt(shopId) + now.toString(QStringLiteral("hhmmss"));
}

}  // namespace tcm

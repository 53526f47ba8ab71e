#pragma once
// Finding a customer of the shop by name, and the visit number of a new visit.
#include <QDateTime>
#include <QList>
#include <QString>

namespace tcm {

class TDMServer;

struct CustomerRow {
  QString patId, name, gender, age, tel, address;
};

// Customers of the shop whose name contains `text` (trimmed); the age is the
// age today, phone and address deciphered for display. At most `limit` rows.
QList<CustomerRow> searchCustomersByName(TDMServer& dm, const QString& shopId, const QString& text, int limit,
                                         const QDate& today);

// Date "yyyyMMdd", the shop id padded to five digits, time "hhmmss".
QString GetMZNO(const QDateTime& now, const QString& shopId);

// A "like" pattern that finds `text` literally: %, _ and the escape character are escaped with "\".
QString likeContains(const QString& text);

}  // namespace tcm

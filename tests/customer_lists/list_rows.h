#pragma once
// Customers and visits written straight into the shop's tables, with phones
// and addresses enciphered as the client stores them.
#include <QDate>
#include <QString>
#include <optional>

#include "crypto/aes_hex.h"
#include "customer/customer_filter.h"
#include "db/gateway.h"

namespace tcm::test {

struct NewCustomer {
  qint64 shop = 1;
  QString name, gender = QStringLiteral("男"), age = QStringLiteral("40"), tel, address;
  QString wrDate;  // "yyyy-MM-dd" or "yyyy-MM-dd hh:mm:ss"
  QString dm;
};

inline qint32 addCustomer(TDMServer& dm, const NewCustomer& c) {
  const std::optional<qint64> tel1 = phoneEnding(c.tel);
  const std::optional<qint64> id = dm.InsertAndGetId(
      Sql(QStringLiteral("insert into pat(shopId,Name,Gender,Age,Tel,tel1,Address,wrDate,bodyType,dm) "
                         "values(?,?,?,?,?,?,?,?,?,?)"),
          {c.shop, c.name, c.gender, c.age, encryptText(c.tel).value_or(QString()),
           tel1 ? QVariant(*tel1) : QVariant(QMetaType::fromType<qint64>()), encryptText(c.address).value_or(QString()),
           c.wrDate, QStringLiteral("气虚质"), c.dm}),
      QStringLiteral("PatId"), true);
  return id ? static_cast<qint32>(*id) : 0;
}

struct NewVisit {
  qint64 shop = 1;
  qint32 patId = 0;
  QString disease = QStringLiteral("气虚质"), bl, food, herb;
  QVariant foodPrice = 0, herbPrice = 0;
  QString wrDate;
};

inline qint32 addVisit(TDMServer& dm, const NewVisit& v) {
  const std::optional<qint64> id = dm.InsertAndGetId(
      Sql(QStringLiteral("insert into pat_med(shopId,MZNO,patId,Disease,bl,food,Herb,foodPrice,herbPrice,wrDate) "
                         "values(?,?,?,?,?,?,?,?,?,?)"),
          {v.shop, QStringLiteral("MZ") + v.wrDate, v.patId, v.disease, v.bl, v.food, v.herb, v.foodPrice, v.herbPrice,
           v.wrDate}),
      QStringLiteral("id"), true);
  return id ? static_cast<qint32>(*id) : 0;
}

inline QString day(const QDate& d) { return d.toString(QStringLiteral("yyyy-MM-dd")); }

}  // namespace tcm::test

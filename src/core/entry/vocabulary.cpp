#include "entry/vocabulary.h"

#include <QSqlQuery>

#include "crypto/des_hex.h"
#include "db/gateway.h"

namespace tcm {

bool GetAliases(TDMServer& dm, AliasList* LstAliases) {
  QSqlQuery* q = dm.GetDB(Sql(QStringLiteral("Select id,name1,pinyin,ids,classid,mutex,gender From aliases "
                                             "where type = 1 and classId >-1 order by strLen asc")),
                          false);
  if (!q) return false;
  AliasList read;
  while (q->next()) {
    AliasItem item;
    TAliease& a = item.entry;
    const QString ids = q->value(3).toString();
    if (ids.isEmpty())
      a.id = q->value(0).toString();
    else
      a.ids = ids;
    item.text = q->value(1).toString();
    a.name = desDecryptText(item.text);
    a.pinyin = q->value(2).toString();
    a.classId = q->value(4).toString();
    a.mutex = q->value(5).toString();
    a.gender = q->value(6).toString();
    read.append(std::move(item));
  }
  if (!dm.rowsReadToEnd(*q)) return false;
  q->finish();
  LstAliases->append(std::move(read));
  return true;
}

bool GetHerbPriceList(TDMServer& dm, const QString& shopId, AliasList* LstHerbPrice) {
  QSqlQuery* q = dm.GetDB(Sql(QStringLiteral("Select id,name,price From herb_shop where shopId = ?"), {shopId.toLongLong()}),
                          true);
  if (!q) return false;
  AliasList read;
  while (q->next()) {
    AliasItem item;
    item.text = q->value(1).toString();
    item.entry.id = q->value(0).toString();
    item.entry.price = q->value(2).toDouble();
    read.append(std::move(item));
  }
  if (!dm.rowsReadToEnd(*q)) return false;
  q->finish();
  *LstHerbPrice = std::move(read);
  return true;
}

double GetHerbPriceById(const AliasList& LstHerbPrice, const QString& herId) {
  for (const AliasItem& item : LstHerbPrice)
    if (item.entry.id == herId) return item.entry.price;
  return 0;
}

}  // namespace tcm

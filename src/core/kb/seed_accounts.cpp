#include "kb/seed_accounts.h"

#include <QSqlQuery>

#include "db/gateway.h"
#include "login/remembered_password.h"
#include "login/version_check.h"

namespace tcm {
namespace {

bool tableHasRows(TDMServer& dm, const QString& table) {
  QSqlQuery* q = dm.GetDB(Sql(QStringLiteral("select count(*) from ") + table), true);
  return q && q->next() && q->value(0).toInt() > 0;
}

}  // namespace

bool seedAccounts(TDMServer& dm, QString* error) {
  QList<Sql> statements;
  if (!tableHasRows(dm, QStringLiteral("shop"))) {
    for (const DemoAccount& a : kDemoAccounts) {
      statements << Sql(QStringLiteral("insert into shop(id,name,tel,contactName,address) values(?,?,?,?,?)"),
                        {a.shopId, QString::fromUtf8(a.shopName), QStringLiteral("0571-8888%1").arg(a.shopId, 4, 10, QLatin1Char('0')),
                         QString::fromUtf8(a.userName), QStringLiteral("浙江省杭州市西湖区文三路%1号").arg(100 + a.shopId)});
    }
  }
  if (!tableHasRows(dm, QStringLiteral("[user]"))) {
    for (const DemoAccount& a : kDemoAccounts) {
      statements << Sql(QStringLiteral("insert into [user](shopId,shopName,name,userid,pwd) values(?,?,?,?,?)"),
                        {a.shopId, QString::fromUtf8(a.shopName), QString::fromUtf8(a.userName),
                         QString::fromUtf8(a.login), passwordForDatabase(QString::fromUtf8(a.password)).value_or(QString())});
    }
  }
  if (!tableHasRows(dm, QStringLiteral("version"))) {
    statements << Sql(QStringLiteral("insert into version(version,flag) values(?,1)"),
                      {QString::fromLatin1(kProgramVersion)});
  }
  if (statements.isEmpty()) return true;
  if (!dm.ExecLstSql(statements, true)) {
    *error = dm.lastError();
    return false;
  }
  return true;
}

}  // namespace tcm

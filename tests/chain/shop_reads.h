#pragma once
// What the backup and restore tests read back from a shop's databases.
#include <QSqlQuery>
#include <QStringList>

#include "db/db_settings.h"
#include "db/gateway.h"
#include "messages.h"

namespace tcm::test {

// Names of shop 1's customers, in id order, read through a data module on `s`.
inline QStringList customers(const DbSettings& s) {
  SilentMessages quiet;
  TDMServer dm(s, &quiet);
  QStringList names;
  QSqlQuery* q = dm.GetDB(Sql("select Name from pat where shopId = ? order by PatId", {1}), true);
  if (!q) return {QStringLiteral("<query failed: %1>").arg(quiet.last)};
  while (q->next()) names << q->value(0).toString();
  return names;
}

// The same for the embedded databases of data folder `dataDir`.
inline QStringList customers(const QString& dataDir) {
  DbSettings s;
  s.dataDir = dataDir;
  return customers(s);
}

}  // namespace tcm::test

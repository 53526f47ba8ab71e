#include "db/row_change.h"

#include <QSqlQuery>

#include "db/gateway.h"

namespace tcm {

bool updateChangedRow(TDMServer& dm, const Sql& updateReturning) {
  QSqlQuery* q = dm.GetDB(updateReturning, true);
  if (!q) return false;
  const bool changed = q->next();
  q->finish();
  return changed;
}

}  // namespace tcm

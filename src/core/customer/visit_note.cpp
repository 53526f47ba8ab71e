#include "customer/visit_note.h"

#include "db/gateway.h"

namespace tcm {

bool saveVisitNote(TDMServer& dm, const QString& shopId, const QString& patId, const QString& mzno,
                   const QString& side, const QString& note) {
  const qint64 shop = shopId.toLongLong(), pat = patId.toLongLong();
  QList<Sql> list{Sql(QStringLiteral("delete from pat_med_note where shopId = ? and patId = ? and MZNO = ? and side = ?"),
                      {shop, pat, mzno, side})};
  if (!note.isEmpty())
    list << Sql(QStringLiteral("insert into pat_med_note(shopId,patId,MZNO,side,note) values(?,?,?,?,?)"),
                {shop, pat, mzno, side, note});
  return dm.ExecLstSql(list, true);
}

}  // namespace tcm

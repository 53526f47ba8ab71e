#include "prescription/visit_save.h"

#include <QSqlQuery>

#include "db/failure_cause.h"
#include "db/gateway.h"
#include "db/row_change.h"
#include "text/money.h"

namespace tcm {
namespace {

// The column names of one side of the visit row.
struct SideColumns {
  QLatin1String text, ids, price, stock;
};

SideColumns columnsOf(PrescriptionSide side) {
  if (side == PrescriptionSide::Herb)
    return {QLatin1String("Herb"), QLatin1String("HerbIds"), QLatin1String("herbPrice"),
            QLatin1String("herbStockState")};
  return {QLatin1String("food"), QLatin1String("foodIds"), QLatin1String("foodPrice"), QLatin1String("foodStockState")};
}

struct VisitRow {
  bool found = false;
  qint64 id = 0;
  int stockState = 0;
};

// The visit row of this shop, customer and visit number; false when the query failed.
bool lookUpVisit(TDMServer& dm, const SideColumns& c, qint64 shop, qint64 pat, const QString& mzno, VisitRow* row) {
  QSqlQuery* q = dm.GetDB(Sql(QStringLiteral("select id,%1 from pat_med where shopId = ? and patId = ? and MZNO = ? "
                                             "order by id")
                                  .arg(c.stock),
                              {shop, pat, mzno}),
                          true);
  if (!q) return false;
  if (q->next()) {
    row->found = true;
    row->id = q->value(0).toLongLong();
    row->stockState = q->value(1).toInt();
  } else if (!dm.rowsReadToEnd(*q)) {
    return false;  // a broken-off reading is no "no row"
  }
  q->finish();
  return true;
}

// A new visit row. Its customer is read from the shop's own customers, so a
// customer the shop does not have leaves patId null and the database refuses
// the row; on the herbal side the customer's constitution is written in the
// same transaction.
bool insertVisit(TDMServer& dm, const SideColumns& c, const VisitPrescription& p, qint64 shop, qint64 pat) {
  QList<Sql> list;
  list << Sql(QStringLiteral("insert into pat_med(shopId,MZNO,patId,Disease,bl,symIds,%1,%2,%3,%4,wrDate) "
                             "values(?,?,(select PatId from pat where shopId = ? and PatId = ?),?,?,?,?,?,?,0,?)")
                  .arg(c.text, c.ids, c.price, c.stock),
              {shop, p.mzno, shop, pat, p.disease, p.med, p.symIds, p.displayText, p.idsText, p.priceText.trimmed(),
               (p.today.isValid() ? p.today : QDate::currentDate()).toString(QStringLiteral("yyyy-MM-dd"))});
  if (p.side == PrescriptionSide::Herb)
    list << Sql(QStringLiteral("update pat set bodyType = ? where shopId = ? and PatId = ?"), {p.disease, shop, pat});
  return dm.ExecLstSql(list, true);
}

// Rewrites the side's columns of the row found; the row must still have its
// stock untouched. The statement hands back the id of the row it changed, so a
// statement that changed nothing is told apart from one that did.
bool updateVisit(TDMServer& dm, const SideColumns& c, const VisitPrescription& p, qint64 rowId) {
  Sql update;
  if (p.side == PrescriptionSide::Herb) {
    update = Sql(QStringLiteral("update pat_med set Disease = ?,Herb = ?,HerbIds = ?,herbPrice = ? "
                                "where id = ? and coalesce(herbStockState,0) <> 1 returning id"),
                 {p.disease, p.displayText, p.idsText, p.priceText.trimmed(), rowId});
  } else {
    update = Sql(QStringLiteral("update pat_med set %1 = ?,%2 = ?,%3 = ? where id = ? and coalesce(%4,0) <> 1 "
                                "returning id")
                     .arg(c.text, c.ids, c.price, c.stock),
                 {p.displayText, p.idsText, p.priceText.trimmed(), rowId});
  }
  return updateChangedRow(dm, update);
}

}  // namespace

VisitSaveResult saveVisitPrescription(TDMServer& dm, const VisitPrescription& p) {
  dm.clearLastError();  // the cause of a failure is this save's own
  bool patOk = false, shopOk = false;
  const qint64 pat = p.patId.trimmed().toLongLong(&patOk);
  if (!patOk || pat <= 0) return VisitSaveResult::NoCustomer;
  const qint64 shop = p.shopId.trimmed().toLongLong(&shopOk);
  const std::optional<Decimal> price = parseDecimal(p.priceText);
  if (!shopOk || p.mzno.trimmed().isEmpty() || !price) return VisitSaveResult::Failed;

  const SideColumns c = columnsOf(p.side);
  VisitRow row;
  if (!lookUpVisit(dm, c, shop, pat, p.mzno, &row)) return VisitSaveResult::LookUpFailed;
  if (!row.found) {
    if (insertVisit(dm, c, p, shop, pat)) return VisitSaveResult::Saved;
    // Another counter may have made this visit's row since the look-up (the
    // visit key refused a second one): the save goes into that row.
    if (!lookUpVisit(dm, c, shop, pat, p.mzno, &row)) return VisitSaveResult::LookUpFailed;
    if (!row.found) return VisitSaveResult::Failed;
  }
  if (row.stockState == 1) return VisitSaveResult::StockDeducted;
  return updateVisit(dm, c, p, row.id) ? VisitSaveResult::Saved : VisitSaveResult::Failed;
}

QString visitSaveMessage(VisitSaveResult r, const TDMServer* dm) {
  switch (r) {
    case VisitSaveResult::Saved:
      return QStringLiteral("保存成功");
    case VisitSaveResult::NoCustomer:
      return QStringLiteral("未选择客户");
    case VisitSaveResult::StockDeducted:
      return QStringLiteral("已修改库存，不能修改方剂");
    case VisitSaveResult::LookUpFailed:
      return {};
    case VisitSaveResult::Failed:
      break;
  }
  return dm ? saveFailedMessage(*dm) : QStringLiteral("保存失败");
}

}  // namespace tcm

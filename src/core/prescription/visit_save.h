#pragma once
// Saving a prescription into the customer's visit record (pat_med): one row per
// shop, customer and visit number, holding a herbal and a food prescription.
#include <QDate>
#include <QString>

namespace tcm {

class TDMServer;

// Herb: columns Herb, HerbIds, herbPrice, herbStockState; Food: food, foodIds, foodPrice, foodStockState.
enum class PrescriptionSide { Herb, Food };

struct VisitPrescription {
  QString shopId, patId, mzno;      // the visit (mzno already made by the caller with GetMZNO when it was empty)
  PrescriptionSide side = PrescriptionSide::Herb;
  QString disease, med, symIds;     // the current identification (TIdentifyPage::GetMed)
  QString displayText, idsText;     // the side's display text and saved ids text
  QString priceText;                // the total as shown, one decimal ("120.0")
  QDate today;                      // stored as yyyy-MM-dd
};

enum class VisitSaveResult { Saved, NoCustomer, StockDeducted, LookUpFailed, Failed };

// Looks up the visit row by shop, customer and visit number together; inserts it (herbal side: together with the
// constitution written to the customer, all or nothing through ExecLstSql) or updates it by the row's id; refuses
// when that side's stock state is 1. An insert/update that changes no row is Failed, never Saved. An insert that
// meets the row another counter made for the same visit in the meantime saves into that row instead.
[[nodiscard]] VisitSaveResult saveVisitPrescription(TDMServer& dm, const VisitPrescription& p);

// The message a window shows for a result ("保存成功", "保存失败", "未选择客户", "已修改库存，不能修改方剂"; empty for
// LookUpFailed, whose database error the gateway has already shown). Given the gateway that ran the save, a
// failure names its cause after "保存失败：" (data/failure_cause.h).
QString visitSaveMessage(VisitSaveResult r, const TDMServer* dm = nullptr);

}  // namespace tcm

#include "prescription/food_prescription.h"

#include <QHash>
#include <QSqlQuery>
#include <algorithm>

#include "customer/customer_search.h"
#include "db/failure_cause.h"
#include "db/gateway.h"
#include "prescription/herb_prescription.h"
#include "text/money.h"
#include "text/item_list.h"

namespace tcm {
namespace {

const QString kCrLf = QStringLiteral("\r\n");

// A quantity as it counts: the whole number in the box, anything else 0.
int quantityValue(const QString& text) { return parseWholeNumber(text).value_or(0); }

// name "," dosage "," unit items (print) or id "," name "," dosage "," unit items (stored).
QString herbItems(const QList<FoodHerb>& herbs, bool withId) {
  QStringList items;
  for (const FoodHerb& h : herbs) {
    QStringList fields;
    if (withId) fields << h.id;
    fields << h.name << h.dosage << h.unit;
    items << fields.join(QLatin1Char(','));
  }
  return items.join(QLatin1Char('|'));
}

}  // namespace

QString foodQuantityCaption(int section) {
  return section == FoodPrescription::Drink ? QStringLiteral("剂数") : QStringLiteral("数量");
}

void FoodPrescription::clear() {
  for (FoodSection& s : sections_) {
    s.title.clear();
    s.ticked = false;
    s.placed = false;
    s.herbs.clear();
  }
}

int FoodPrescription::place(const QString& preName, const QString& herbIds, const PriceLookup& priceOf) {
  int chosen = -1;
  for (int s = 0; s < kSections && chosen < 0; ++s)
    if (sections_[static_cast<size_t>(s)].herbs.isEmpty()) chosen = s;
  if (chosen < 0) return -1;
  FoodSection& sec = sections_[static_cast<size_t>(chosen)];
  sec.ticked = true;
  sec.placed = true;
  sec.title = preName;
  fillHerbs(&sec, herbIds, priceOf);
  return chosen;
}

void FoodPrescription::restore(int s, const SavedFoodSection& saved, const PriceLookup& priceOf) {
  if (s < 0 || s >= kSections) return;
  FoodSection& sec = sections_[static_cast<size_t>(s)];
  sec.herbs.clear();
  sec.ticked = true;
  sec.placed = true;
  sec.title = saved.title;
  if (!saved.quantity.isEmpty()) sec.quantity = saved.quantity;
  fillHerbs(&sec, saved.herbList, priceOf);
}

void FoodPrescription::fillHerbs(FoodSection* sec, const QString& herbIds, const PriceLookup& priceOf) {
  for (const HerbItem& item : parseHerbList(herbIds)) {
    const bool duplicate =
        std::any_of(sec->herbs.cbegin(), sec->herbs.cend(), [&](const FoodHerb& o) { return o.name == item.name; });
    if (duplicate) continue;
    if (sec->herbs.size() >= kSlots) break;
    sec->herbs << FoodHerb{item.id, item.name, item.dosage, item.unit, priceOf ? priceOf(item.id) : 0};
  }
}

void FoodPrescription::setTicked(int s, bool on) {
  if (s < 0 || s >= kSections) return;
  FoodSection& sec = sections_[static_cast<size_t>(s)];
  sec.ticked = on && sec.placed;
}

void FoodPrescription::setQuantity(int s, const QString& text) {
  if (s >= 0 && s < kSections) sections_[static_cast<size_t>(s)].quantity = text;
}

void FoodPrescription::setDosage(int s, int slot, const QString& text) {
  if (s < 0 || s >= kSections) return;
  FoodSection& sec = sections_[static_cast<size_t>(s)];
  if (slot >= 0 && slot < sec.herbs.size()) sec.herbs[slot].dosage = text;
}

void FoodPrescription::removeHerb(int s, int slot) {
  if (s < 0 || s >= kSections) return;
  FoodSection& sec = sections_[static_cast<size_t>(s)];
  if (slot >= 0 && slot < sec.herbs.size()) sec.herbs.removeAt(slot);
}

QList<int> FoodPrescription::dropEmptyDoses() {
  QList<int> changed;
  for (int s = 0; s < kSections; ++s) {
    FoodSection& sec = sections_[static_cast<size_t>(s)];
    const qsizetype before = sec.herbs.size();
    sec.herbs.removeIf([](const FoodHerb& h) {
      const std::optional<Decimal> d = parseDecimal(h.dosage);
      return h.dosage.trimmed().isEmpty() || (d && d->isZero());
    });
    if (sec.herbs.size() != before) changed << s;
  }
  return changed;
}

QStringList FoodPrescription::countedHerbNames() const {
  QStringList names;
  for (const FoodSection& sec : sections_)
    if (sec.counts())
      for (const FoodHerb& h : sec.herbs) names << h.name;
  return names;
}

QString FoodPrescription::totalText() const {
  Decimal total;
  for (const FoodSection& sec : sections_) {
    if (!sec.counts()) continue;
    Decimal part;
    for (const FoodHerb& h : sec.herbs) part += dosageValue(h.dosage) * Decimal::fromPrice(h.price);
    total += part * Decimal::fromInt(quantityValue(sec.quantity));
  }
  return total.toText1();
}

QString FoodPrescription::displayText() const {
  QString f;
  for (int s = 0; s < kSections; ++s) {
    const FoodSection& sec = sections_[static_cast<size_t>(s)];
    if (!sec.counts()) continue;
    if (s != Soup) f += kCrLf;
    f += sec.title + kCrLf;
    for (const FoodHerb& h : sec.herbs) {
      if (s == Soup)
        f += h.name + QLatin1Char(' ') + h.dosage + h.unit;
      else if (s == Porridge)
        f += h.name + QLatin1Char(',') + h.dosage + h.unit;
      else
        f += QLatin1Char('|') + h.name + QLatin1Char(',') + h.dosage + h.unit;
    }
    f += kCrLf + sec.title + kCrLf + QStringLiteral("剂数：") + sec.quantity.trimmed() + QStringLiteral("剂");
  }
  return f;
}

QString FoodPrescription::idsText() const {
  QStringList parts;
  for (const FoodSection& sec : sections_)
    parts << (sec.counts() ? sec.title + QLatin1Char('&') + herbItems(sec.herbs, true) : QString());
  return parts.join(QLatin1Char('$'));
}

PrintList FoodPrescription::printList(const QString& recommend, const QString& notRecommend) const {
  PrintList list;
  for (const FoodSection& sec : sections_) {
    if (!sec.counts()) continue;
    TPerFood line;
    line.PreName = sec.title;
    line.FoodHer = herbItems(sec.herbs, false);
    line.Dosage = sec.quantity.trimmed();
    line.recommend = recommend;
    line.notRecommend = notRecommend;
    list << line;
  }
  return list;
}

QString FoodPrescription::checkForSave() const {
  bool any = false;
  for (int s = 0; s < kSections; ++s) {
    const FoodSection& sec = sections_[static_cast<size_t>(s)];
    if (!sec.counts()) continue;
    any = true;
    if (quantityValue(sec.quantity) <= 0)
      return QStringLiteral("【%1】的%2必须是大于0的整数").arg(sec.title, foodQuantityCaption(s));
    for (const FoodHerb& h : sec.herbs)
      if (!parseDecimal(h.dosage))
        return QStringLiteral("【%1】中%2的剂量必须是数字").arg(sec.title, h.name);
  }
  return any ? QString() : QStringLiteral("未选择药膳方");
}

bool parsePrescriptionIds(const QString& preIds, QList<qint64>* ids, QString* error) {
  ids->clear();
  for (const QString& item : splitItems(preIds, QLatin1Char(','))) {
    bool ok = false;
    const qint64 id = item.size() <= 18 ? item.toLongLong(&ok) : 0;
    const bool digitsOnly =
        !item.isEmpty() && std::all_of(item.cbegin(), item.cend(), [](QChar c) { return c.isDigit() && c.unicode() < 128; });
    if (!ok || !digitsOnly) {
      *error = QStringLiteral("药膳方编号无效：%1").arg(item.isEmpty() ? QStringLiteral("（空）") : item);
      ids->clear();
      return false;
    }
    if (!ids->contains(id)) ids->append(id);
  }
  return true;
}

FoodLoadResult loadFoodPrescriptions(TDMServer& dm, const QString& preIds, QList<KnowledgePrescription>* rows,
                                     QString* error) {
  rows->clear();
  QList<qint64> ids;
  if (!parsePrescriptionIds(preIds, &ids, error)) return FoodLoadResult::BadIds;
  if (ids.isEmpty()) return FoodLoadResult::Loaded;
  QStringList marks;
  QVariantList values;
  for (qint64 id : ids) {
    marks << QStringLiteral("?");
    values << id;
  }
  QSqlQuery* q = dm.GetDB(
      Sql(QStringLiteral("SELECT PreId,name,herbIds from pre where preid in( %1) ").arg(marks.join(QLatin1Char(','))),
          values),
      true);
  if (!q) return FoodLoadResult::QueryFailed;
  QHash<qint64, KnowledgePrescription> found;
  while (q->next())
    found.insert(q->value(0).toLongLong(),
                 KnowledgePrescription{q->value(0).toString(), q->value(1).toString(), q->value(2).toString()});
  if (!dm.rowsReadToEnd(*q)) return FoodLoadResult::QueryFailed;  // never part of the prescriptions
  q->finish();
  // In the order of the list: the slot order of the result panel.
  for (qint64 id : ids)
    if (found.contains(id)) rows->append(found.value(id));
  return FoodLoadResult::Loaded;
}

VisitPrescription foodVisitPrescription(const FoodPrescription& food, const FoodSaveVisit& visit) {
  VisitPrescription p;
  p.shopId = visit.shopId;
  p.patId = visit.patId;
  p.mzno = visit.mzno;
  p.side = PrescriptionSide::Food;
  p.disease = visit.disease;
  p.med = visit.med;
  p.symIds = visit.symIds;
  p.displayText = food.displayText();
  p.idsText = food.idsText();
  p.priceText = food.totalText();
  p.today = visit.now.date();
  return p;
}

QString foodSaveMessage(VisitSaveResult r, const TDMServer* dm) {
  switch (r) {
    case VisitSaveResult::StockDeducted:
      return QStringLiteral("库存已修改，不能修改药膳方");
    case VisitSaveResult::Failed:
      return dm ? saveFailedMessage(*dm, QStringLiteral("，重新保存")) : QStringLiteral("保存失败，重新保存");
    default:
      return visitSaveMessage(r, dm);
  }
}

QString saveFoodPrescription(TDMServer& dm, const FoodPrescription& food, FoodSaveVisit* visit) {
  const QString pat = visit->patId.trimmed();
  if (pat.isEmpty() || pat == QLatin1String("0")) return foodSaveMessage(VisitSaveResult::NoCustomer);
  const QString problem = food.checkForSave();
  if (!problem.isEmpty()) return problem;
  if (visit->mzno.isEmpty()) visit->mzno = GetMZNO(visit->now, visit->shopId);
  return foodSaveMessage(saveVisitPrescription(dm, foodVisitPrescription(food, *visit)), &dm);
}

}  // namespace tcm

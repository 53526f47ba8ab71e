#include "prescription/herb_prescription.h"

#include <QSqlQuery>
#include <algorithm>

#include "db/gateway.h"
#include "text/item_list.h"

namespace tcm {

QList<HerbItem> parseHerbList(const QString& herbIds) {
  QList<HerbItem> items;
  for (const QString& item : splitItems(herbIds, QLatin1Char('|'))) {
    const QStringList f = splitItems(item, QLatin1Char(','));
    HerbItem h{f.value(0), f.value(1), f.value(2), f.value(3)};
    if (!h.name.isEmpty()) items << h;
  }
  return items;
}

int HerbPrescription::fill(const QString& herbIds, const AliasList& prices) {
  int filled = 0;
  for (const HerbItem& item : parseHerbList(herbIds)) {
    if (std::any_of(slots_.cbegin(), slots_.cend(), [&](const HerbSlot& s) { return s.name == item.name; })) continue;
    if (slots_.size() >= kSlots) break;
    slots_ << HerbSlot{item.id, item.name, item.dosage, item.unit,
                       Decimal::fromPrice(GetHerbPriceById(prices, item.id)), dosageValue(item.dosage)};
    ++filled;
  }
  return filled;
}

void HerbPrescription::setDosage(int slot, const QString& text) {
  if (slot < 0 || slot >= slots_.size()) return;
  HerbSlot& s = slots_[slot];
  s.dosage = text;
  s.amount = dosageValue(text);
}

Decimal HerbPrescription::weight() const {
  Decimal w;
  for (const HerbSlot& s : slots_) w += s.amount;
  return w;
}

Decimal HerbPrescription::fee(int days) const {
  Decimal sum;
  for (const HerbSlot& s : slots_) sum += s.amount * s.price;
  return Decimal::fromInt(days) * sum;
}

std::optional<int> parseDoses(const QString& text) { return parseWholeNumber(text); }

QString herbPriceText(const HerbPrescription& p, const QString& dosesText) {
  return p.fee(parseDoses(dosesText).value_or(0)).toText1();
}

QString herbPreCaption(const QString& preName, const Decimal& weight) {
  return preName + QStringLiteral("  /重量") + weight.toText1() + QStringLiteral("克");
}

QString herbDisplayText(const HerbPrescription& p, const QString& dosesText) {
  QStringList items;
  for (const HerbSlot& s : p.slots()) items << s.name + QLatin1Char(',') + s.dosage + s.unit;
  return items.join(QLatin1Char('|')) + QStringLiteral("\r\n剂数：") + dosesText + QStringLiteral("剂");
}

QString herbIdsText(const HerbPrescription& p, const QString& dosesText, const QString& preName) {
  QStringList items;
  for (const HerbSlot& s : p.slots()) items << QStringList{s.id, s.name, s.dosage, s.unit}.join(QLatin1Char(','));
  return dosesText + QLatin1Char('&') + preName + QLatin1Char('&') + items.join(QLatin1Char('|'));
}

TPerFood herbPrintLine(const HerbPrescription& p, const QString& preName) {
  QStringList items;
  for (const HerbSlot& s : p.slots()) items << QStringList{s.name, s.dosage, s.unit}.join(QLatin1Char(','));
  TPerFood line;
  line.PreName = preName;
  line.FoodHer = items.join(QLatin1Char('|'));
  return line;
}

QString herbSaveProblem(const HerbPrescription& p, const QString& dosesText) {
  if (p.slots().isEmpty()) return QStringLiteral("处方中没有中药，不能保存");
  const std::optional<int> doses = parseDoses(dosesText);
  if (!doses || *doses < 1) return QStringLiteral("剂数必须是大于0的整数");
  for (const HerbSlot& s : p.slots())
    if (!parseDecimal(s.dosage)) return QStringLiteral("%1的剂量不是有效的数字").arg(s.name);
  return {};
}

bool loadPrescriptionRows(TDMServer& dm, const QString& preId, QList<std::pair<QString, QString>>* rows) {
  bool numeric = false;
  const qint64 id = preId.trimmed().toLongLong(&numeric);
  if (!numeric) return true;
  QSqlQuery* q = dm.GetDB(Sql(QStringLiteral("SELECT PreId,name,herbIds from pre where preid = ?"), {id}), true);
  if (!q) return false;
  QList<std::pair<QString, QString>> read;
  while (q->next()) read.append({q->value(1).toString(), q->value(2).toString()});
  if (!dm.rowsReadToEnd(*q)) return false;
  q->finish();
  rows->append(read);
  return true;
}

}  // namespace tcm

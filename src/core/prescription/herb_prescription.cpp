#include "prescription/herb_prescription.h"

#include <QSqlQuery>
#include <algorithm>

#include "db/gateway.h"
#include "prescription/herb_safety.h"
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

UnitNote splitUnitNote(const QString& unitField) {
  const qsizetype open = unitField.indexOf(QLatin1Char('('));
  if (open < 0 || !unitField.endsWith(QLatin1Char(')'))) return {unitField, {}};
  const QString note = unitField.mid(open + 1, unitField.size() - open - 2);
  if (!dispensingNotes().contains(note)) return {unitField, {}};
  return {unitField.left(open), note};
}

QString joinUnitNote(const QString& unit, const QString& note) {
  return note.isEmpty() ? unit : unit + QLatin1Char('(') + note + QLatin1Char(')');
}

bool HerbSlot::removed() const {
  if (dosage.trimmed().isEmpty()) return true;
  const std::optional<Decimal> d = parseDecimal(dosage);
  return d && d->isZero();
}

bool Tailoring::tailored() const {
  return !removed.isEmpty() || std::any_of(slots.cbegin(), slots.cend(), [](SlotChange c) { return c != SlotChange::Same; });
}

Tailoring compareWithTextbook(const HerbPrescription& now, const HerbPrescription& textbook) {
  Tailoring t;
  for (const HerbSlot& s : now.slots()) {
    const int at = textbook.indexOf(s.name);
    if (at < 0) {
      t.slots << SlotChange::Added;
      continue;
    }
    const HerbSlot& book = textbook.slots()[at];
    if (!(s.amount == book.amount) || s.removed() != book.removed())
      t.slots << SlotChange::DoseChanged;
    else if (s.note() != book.note())
      t.slots << SlotChange::NoteChanged;
    else
      t.slots << SlotChange::Same;
  }
  for (const HerbSlot& book : textbook.slots()) {
    const int at = now.indexOf(book.name);
    if (at < 0 || now.slots()[at].removed()) t.removed << book.name;
  }
  return t;
}

int HerbPrescription::indexOf(const QString& name) const {
  for (qsizetype i = 0; i < slots_.size(); ++i)
    if (slots_[i].name == name) return static_cast<int>(i);
  return -1;
}

void HerbPrescription::setNote(int slot, const QString& note) {
  if (slot < 0 || slot >= slots_.size()) return;
  HerbSlot& s = slots_[slot];
  s.unit = joinUnitNote(splitUnitNote(s.unit).unit, note);
}

namespace {
HerbSlot slotOf(const NewHerb& h, const AliasList& prices) {
  return HerbSlot{h.id, h.name, h.dosage, joinUnitNote(h.unit, h.note), Decimal::fromPrice(GetHerbPriceById(prices, h.id)),
                  dosageValue(h.dosage)};
}
}  // namespace

TailorResult HerbPrescription::add(const NewHerb& herb, const AliasList& prices, int* at) {
  const int present = indexOf(herb.name);
  if (at) *at = present;
  if (present >= 0) return TailorResult::AlreadyPresent;
  if (slots_.size() >= kSlots) return TailorResult::Full;
  slots_ << slotOf(herb, prices);
  if (at) *at = static_cast<int>(slots_.size() - 1);
  return TailorResult::Done;
}

void HerbPrescription::remove(int slot) {
  if (slot >= 0 && slot < slots_.size()) slots_.removeAt(slot);
}

TailorResult HerbPrescription::replace(int slot, const NewHerb& herb, const AliasList& prices, int* at) {
  if (slot < 0 || slot >= slots_.size()) return TailorResult::NoSuchSlot;
  const int present = indexOf(herb.name);
  if (at) *at = present == slot ? slot : present;
  if (present >= 0 && present != slot) return TailorResult::AlreadyPresent;
  slots_[slot] = slotOf(herb, prices);
  if (at) *at = slot;
  return TailorResult::Done;
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
  for (const HerbSlot& s : p.slots())
    if (!s.removed()) items << s.name + QLatin1Char(',') + s.dosage + s.unit;
  return items.join(QLatin1Char('|')) + QStringLiteral("\r\n剂数：") + dosesText + QStringLiteral("剂");
}

QString herbIdsText(const HerbPrescription& p, const QString& dosesText, const QString& preName) {
  QStringList items;
  for (const HerbSlot& s : p.slots())
    if (!s.removed()) items << QStringList{s.id, s.name, s.dosage, s.unit}.join(QLatin1Char(','));
  return dosesText + QLatin1Char('&') + preName + QLatin1Char('&') + items.join(QLatin1Char('|'));
}

TPerFood herbPrintLine(const HerbPrescription& p, const QString& preName) {
  QStringList items;
  for (const HerbSlot& s : p.slots())
    if (!s.removed()) items << QStringList{s.name, s.dosage, s.unit}.join(QLatin1Char(','));
  TPerFood line;
  line.PreName = preName;
  line.FoodHer = items.join(QLatin1Char('|'));
  return line;
}

QString herbSaveProblem(const HerbPrescription& p, const QString& dosesText) {
  if (std::all_of(p.slots().cbegin(), p.slots().cend(), [](const HerbSlot& s) { return s.removed(); }))
    return QStringLiteral("处方中没有中药，不能保存");
  const std::optional<int> doses = parseDoses(dosesText);
  if (!doses || *doses < 1) return QStringLiteral("剂数必须是大于0的整数");
  for (const HerbSlot& s : p.slots()) {
    if (s.removed()) continue;
    if (!parseDecimal(s.dosage)) return QStringLiteral("%1的剂量不是有效的数字").arg(s.name);
    if (const QString slip = doseSlipProblem(s.name, s.dosage); !slip.isEmpty()) return slip;
  }
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

#pragma once
// The herbal prescription of the editor: up to 32 herb slots filled from a herb
// list, the weight of one dose, the price of all doses, and the texts the
// editor shows, saves into the visit record and prints.
#include <QList>
#include <QString>
#include <optional>

#include "entry/vocabulary.h"
#include "text/money.h"
#include "prescription/per_food.h"

namespace tcm {

class TDMServer;

// One item of a herb list: id "," name "," dosage "," unit.
struct HerbItem {
  QString id, name, dosage, unit;
};

// A herb list (items joined by "|") split into its items by the item list
// split, each item at "," into its four fields; missing fields are empty and
// items without a name (empty items) are skipped.
QList<HerbItem> parseHerbList(const QString& herbIds);

// An occupied herb slot.
struct HerbSlot {
  QString id, name, dosage, unit;
  Decimal price;   // unit price per unit of dosage, from the shop's price list
  Decimal amount;  // the dosage as a number (0 when the text is not one)
};

class HerbPrescription {
 public:
  static constexpr int kSlots = 32;

  // Empties every slot.
  void clear() { slots_.clear(); }
  // Fills free slots from `herbIds` in order: an item whose name a slot
  // already shows is skipped, items beyond the 32nd slot are dropped; each
  // herb is priced from `prices` by its id (0 when the shop has no price).
  // The number of slots filled.
  int fill(const QString& herbIds, const AliasList& prices);
  // A dosage box changed (slot index from 0).
  void setDosage(int slot, const QString& text);

  const QList<HerbSlot>& slots() const { return slots_; }

  // Σ dosage over the slots: the weight of one dose.
  Decimal weight() const;
  // days × Σ dosage × price.
  Decimal fee(int days) const;

 private:
  QList<HerbSlot> slots_;
};

// The number of doses of the "剂数" box; nullopt when it is not a whole number.
std::optional<int> parseDoses(const QString& text);
// The price caption for the doses text: "0.0" when it is not a whole number.
QString herbPriceText(const HerbPrescription& p, const QString& dosesText);
// The prescription label: name, two blanks, "/重量", the weight ("0.0") and "克".
QString herbPreCaption(const QString& preName, const Decimal& weight);

// name "," dosage unit for each slot, joined by "|", then CR LF "剂数：" doses "剂".
QString herbDisplayText(const HerbPrescription& p, const QString& dosesText);
// doses "&" prescription name "&" the herb list of the slots.
QString herbIdsText(const HerbPrescription& p, const QString& dosesText, const QString& preName);
// The print line: the prescription name and the herbs as name "," dosage "," unit joined by "|".
TPerFood herbPrintLine(const HerbPrescription& p, const QString& preName);

// Empty when the prescription can be saved with this doses text, else the message to show.
QString herbSaveProblem(const HerbPrescription& p, const QString& dosesText);

// The name and herb list of knowledge-base prescription `preId`, in result
// order (normally one row). False when the query failed (the gateway has shown
// why); an id that is not a whole number gives no rows.
[[nodiscard]] bool loadPrescriptionRows(TDMServer& dm, const QString& preId,
                                        QList<std::pair<QString, QString>>* rows);

}  // namespace tcm

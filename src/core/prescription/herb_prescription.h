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

// The unit field of a herb item carries the dispensing note after the unit,
// in parentheses: "g(包煎)". Every text form keeps its fields, the visit view
// and the sheet show "9g(包煎)", and an item written before notes existed
// ("g") reads back as the unit with no note.
struct UnitNote {
  QString unit, note;
};
UnitNote splitUnitNote(const QString& unitField);
QString joinUnitNote(const QString& unit, const QString& note);

// An occupied herb slot.
struct HerbSlot {
  QString id, name, dosage, unit;  // unit: the stored unit field, note included
  Decimal price;   // unit price per unit of dosage, from the shop's price list
  Decimal amount;  // the dosage as a number (0 when the text is not one)
  QString note() const { return splitUnitNote(unit).note; }
  // An empty dose or a dose of 0 takes the herb out: it is never saved or printed.
  bool removed() const;
};

// A herb to put into a slot: from the catalogue, with its dose and note.
struct NewHerb {
  QString id, name, dosage, unit = QStringLiteral("g"), note;
};

// What adding or replacing a herb did.
enum class TailorResult { Done, AlreadyPresent, Full, NoSuchSlot };

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
  // The dispensing note of a slot; empty takes it away.
  void setNote(int slot, const QString& note);
  // Adds a herb in the next free slot, priced from `prices`; a herb already
  // present is not added again (`at` receives its slot), a 33rd is refused.
  TailorResult add(const NewHerb& herb, const AliasList& prices, int* at = nullptr);
  // Takes a slot out; the slots after it close up.
  void remove(int slot);
  // Puts another herb into a slot, in its place; refused when the herb is in
  // another slot already (`at` receives that slot).
  TailorResult replace(int slot, const NewHerb& herb, const AliasList& prices, int* at = nullptr);
  // The slot showing this herb, or -1.
  int indexOf(const QString& name) const;

  const QList<HerbSlot>& slots() const { return slots_; }

  // Σ dosage over the slots: the weight of one dose.
  Decimal weight() const;
  // days × Σ dosage × price.
  Decimal fee(int days) const;

 private:
  QList<HerbSlot> slots_;
};

// How a slot differs from the textbook form of the prescription.
enum class SlotChange { Same, Added, DoseChanged, NoteChanged };
struct Tailoring {
  QList<SlotChange> slots;  // one per slot of the tailored prescription
  QStringList removed;      // textbook herbs no longer in it, in textbook order
  bool tailored() const;
};
Tailoring compareWithTextbook(const HerbPrescription& now, const HerbPrescription& textbook);

// The number of doses of the "剂数" box; nullopt when it is not a whole number.
std::optional<int> parseDoses(const QString& text);
// The price caption for the doses text: "0.0" when it is not a whole number.
QString herbPriceText(const HerbPrescription& p, const QString& dosesText);
// The prescription label: name, two blanks, "/重量", the weight ("0.0") and "克".
QString herbPreCaption(const QString& preName, const Decimal& weight);

// The texts below leave out removed slots (an empty dose or a dose of 0).
// name "," dosage unit for each slot, joined by "|", then CR LF "剂数：" doses "剂".
QString herbDisplayText(const HerbPrescription& p, const QString& dosesText);
// doses "&" prescription name "&" the herb list of the slots.
QString herbIdsText(const HerbPrescription& p, const QString& dosesText, const QString& preName);
// The print line: the prescription name and the herbs as name "," dosage "," unit joined by "|".
TPerFood herbPrintLine(const HerbPrescription& p, const QString& preName);

// Empty when the prescription can be saved with this doses text, else the
// message to show: no herb left, doses not a whole number, a dose that is not
// a number, a dose no herb is given (0.01 g to 250 g).
QString herbSaveProblem(const HerbPrescription& p, const QString& dosesText);

// The name and herb list of knowledge-base prescription `preId`, in result
// order (normally one row). False when the query failed (the gateway has shown
// why); an id that is not a whole number gives no rows.
[[nodiscard]] bool loadPrescriptionRows(TDMServer& dm, const QString& preId,
                                        QList<std::pair<QString, QString>>* rows);

}  // namespace tcm

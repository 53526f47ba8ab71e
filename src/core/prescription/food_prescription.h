#pragma once
// The food-therapy prescription: three sections (soup, porridge, drink), each
// holding one diet prescription in up to twelve herb slots with a quantity.
// The editor window mirrors this model; every text it shows, saves or prints
// is built here.
#include <QDateTime>
#include <QList>
#include <QString>
#include <array>
#include <functional>

#include "prescription/per_food.h"
#include "prescription/saved_prescription.h"
#include "prescription/visit_save.h"

namespace tcm {

class TDMServer;

// One occupied herb slot.
struct FoodHerb {
  QString id;
  QString name;
  QString dosage;  // as typed in the dosage box
  QString unit;
  double price = 0;  // unit price from the shop's price list
};

// One section of the editor.
struct FoodSection {
  QString title;  // the prescription name
  bool ticked = false;
  bool placed = false;  // a prescription was placed here (the porridge and drink panels open)
  QString quantity = QStringLiteral("6");
  QList<FoodHerb> herbs;  // the occupied slots in slot order

  // The section is taken into account: ticked and holding a prescription.
  bool counts() const { return ticked && placed; }
};

class FoodPrescription {
 public:
  enum Section { Soup = 0, Porridge = 1, Drink = 2 };
  static constexpr int kSections = 3;
  static constexpr int kSlots = 12;

  using PriceLookup = std::function<double(const QString& herbId)>;

  // Empties all three sections and unticks them; the quantities are kept.
  void clear();
  // Places one prescription into the first section whose first slot is empty,
  // ticks it and fills its slots from the herb list `herbIds` (split as
  // parseHerbList does; duplicate names skipped, herbs beyond twelve dropped). The section used, or -1 when all three hold
  // a prescription already.
  int place(const QString& preName, const QString& herbIds, const PriceLookup& priceOf);

  // Puts a saved section back into section `s`: its name, herbs and dosages,
  // and quantity (when it was read back) as saved, ticked.
  void restore(int s, const SavedFoodSection& saved, const PriceLookup& priceOf);

  const FoodSection& section(int s) const { return sections_[static_cast<size_t>(s)]; }
  // Ticking takes effect only on a section that holds a prescription.
  void setTicked(int s, bool on);
  void setQuantity(int s, const QString& text);
  void setDosage(int s, int slot, const QString& text);
  // Takes a herb out of a section; the slots after it close up.
  void removeHerb(int s, int slot);
  // Takes out every herb whose dose is empty or 0 (never saved or printed as
  // "0g"); the sections it changed.
  QList<int> dropEmptyDoses();
  // The herbs of the counted sections, in section and slot order.
  QStringList countedHerbNames() const;

  // The total over the counted sections, quantity × Σ dosage × price, with
  // one decimal ("0.0"), computed on decimal values.
  QString totalText() const;
  // The stored texts of the counted sections.
  QString displayText() const;
  QString idsText() const;
  // One print line per counted section, in section order.
  PrintList printList(const QString& recommend, const QString& notRecommend) const;
  // Empty when the counted sections can be saved, else the message to show.
  QString checkForSave() const;

 private:
  static void fillHerbs(FoodSection* sec, const QString& herbIds, const PriceLookup& priceOf);

  std::array<FoodSection, kSections> sections_;
};

// The caption of a section's quantity box ("数量" or "剂数").
QString foodQuantityCaption(int section);

// A prescription of the knowledge base.
struct KnowledgePrescription {
  QString preId, name, herbIds;
};

// Reads the comma-separated prescription ids; every id must be a whole number.
// False with the message to show when one is not.
[[nodiscard]] bool parsePrescriptionIds(const QString& preIds, QList<qint64>* ids, QString* error);

enum class FoodLoadResult { Loaded, BadIds, QueryFailed };

// Loads the knowledge-base prescriptions named by `preIds` in the order of the
// list (each id bound to its own placeholder). BadIds: `error` says why;
// QueryFailed: the gateway has shown the failure.
[[nodiscard]] FoodLoadResult loadFoodPrescriptions(TDMServer& dm, const QString& preIds,
                                                   QList<KnowledgePrescription>* rows, QString* error);

// The visit a food prescription is saved into, and the identification it belongs to.
struct FoodSaveVisit {
  QString shopId, patId;
  QString mzno;  // the current visit number; made from `now` at the save when empty
  QString disease, med, symIds;
  QDateTime now;
};

// The visit record written for the counted sections.
VisitPrescription foodVisitPrescription(const FoodPrescription& food, const FoodSaveVisit& visit);

// The message the food editor shows for a save result ("保存失败，重新保存" and
// "库存已修改，不能修改药膳方" for its own failures); given the gateway that ran the
// save, a failure names its cause ("保存失败：数据文件只读，重新保存").
QString foodSaveMessage(VisitSaveResult r, const TDMServer* dm = nullptr);

// The save of the "保存" button: no customer, a section that cannot be saved or
// nothing counted gives its message and writes nothing; otherwise the visit
// number is made when there is none (and kept in `visit` even when the save
// fails) and the visit row is written. The message to show; empty when the
// gateway has already shown a failed look-up.
QString saveFoodPrescription(TDMServer& dm, const FoodPrescription& food, FoodSaveVisit* visit);

}  // namespace tcm

#pragma once
// What the current visit already holds: the herbal and food prescriptions
// saved into its record, read back from their stored texts so that an editor
// reopens them as they were saved.
#include <QList>
#include <QString>
#include <optional>

namespace tcm {

class TDMServer;

// The stored texts of one visit row.
struct SavedVisitTexts {
  QString herbIds;   // doses "&" prescription name "&" herb list
  QString foodIds;   // one "name&herb list" per section, "$" between them (empty when not saved)
  QString foodText;  // the food display text, whose "剂数：N剂" give the quantities
};

// The visit row of this shop, customer and visit number: nullopt in `out`
// when there is none (or no customer or visit number yet); false when the
// query failed (the gateway has shown why).
[[nodiscard]] bool readSavedVisit(TDMServer& dm, const QString& shopId, const QString& patId, const QString& mzno,
                                  std::optional<SavedVisitTexts>* out);

struct SavedHerbal {
  QString doses;     // the "剂数" as saved
  QString preName;   // the prescription the herbs were taken from
  QString herbList;  // id "," name "," dosage "," unit items joined by "|"
};

// The herbal side's ids text read back; nullopt when it is empty or not of
// the stored form (three parts at "&", a name and at least one herb).
std::optional<SavedHerbal> parseSavedHerbal(const QString& herbIds);

struct SavedFoodSection {
  QString title;     // the diet prescription's name
  QString herbList;  // as in the herbal side
  QString quantity;  // the section's "数量"/"剂数" as saved
};

// The saved sections of the food side in section order (sections that were
// not saved are left out); each takes the quantity of its own "剂数：N剂" in
// the display text.
QList<SavedFoodSection> parseSavedFood(const QString& foodIds, const QString& foodText);

}  // namespace tcm

#pragma once
// The findings selected for the current customer: four categories of fixed
// capacity (symptoms, tongue, pulse, one disease), duplicates and exclusions
// refused, one primary finding, and the codes and stored text they give.
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>

#include "engine/identification.h"

namespace tcm {

struct ChosenFinding {
  QString id;
  QString ids;
  QString name;
  QString classId;
  QString gender;
  bool primary = false;
  int serial = 0;  // chip number, never reused
};

enum class Category { Symptom = 0, Tongue = 1, Pulse = 2, Disease = 3 };

struct CategoryInfo {
  const char* classId;
  const char* caption;
  int capacity;
  const char* fullMessage;
};

// The four categories in display order.
const std::array<CategoryInfo, 4>& categories();
// The category of a classId ("0", "5", "6", "8"); false for any other.
bool categoryOf(const QString& classId, Category* category);

enum class AddResult { Added, Full, Duplicate, UnknownCategory };

class SelectedSet {
 public:
  // Called after every change of the findings or of their primary marks (an
  // add, a removal, a clearing that removed something, a mark toggled); never
  // for a refused add or a removal of an id the set does not hold. The screen
  // re-runs the identification here, so its result always answers the findings.
  void setChangeHandler(std::function<void()> handler) { changed_ = std::move(handler); }

  const QList<ChosenFinding>& items(Category c) const { return items_[static_cast<size_t>(c)]; }
  bool isEmpty() const;
  bool isFull(Category c) const;
  // The message shown when the category of `classId` is full; empty when it is not.
  QString fullMessage(const QString& classId) const;
  // True when `mutex` (comma-separated ids) names a selected symptom, tongue or pulse finding.
  bool GetMutexSym(const QString& mutex) const;
  // True when any category holds this id.
  bool contains(const QString& id) const;
  bool ChkSelSym(Category c, const QString& id) const;

  // A new disease starts with the primary mark.
  AddResult AddSelSym(const QString& classId, const QString& id, const QString& name, const QString& gender,
                      const QString& ids = {});
  // Removes the first finding with this id; false when the category has none.
  bool Del(Category c, const QString& id);
  void clear();

  // Toggles the mark of the finding (symptoms and the disease only); every
  // other mark is removed. Returns the primary id the run takes.
  QString togglePrimary(Category c, const QString& id);
  // The disease when marked, else the first marked symptom, else empty.
  QString primaryId() const;

  // Codes for the run: the disease, the symptoms, the tongue findings; ids split
  // at "," taking every other part; padded to five digits; no repeats.
  QStringList GetCodeList() const;
  // The stored finding list text and the findings as shown text.
  QString findingListText() const;
  QString shownText() const;
  int serialCount() const { return serial_; }

 private:
  void notifyChanged() const;

  std::array<QList<ChosenFinding>, 4> items_;
  int serial_ = 0;
  std::function<void()> changed_;
};

// "1" for exactly "男", else "2" (the inquiry windows' gender code).
QString inquiryGender(const QString& genderBox);
// True when the inquiry tab "妇科" is offered: the gender box reads exactly "女"
// and the age box 11 or more (its leading digits).
bool gynecologyAllowed(const QString& genderBox, const QString& ageBox);
// The age today of a customer registered at `wrdate` with `age`.
QString CalaAge(const QString& age, const QDate& wrdate, const QDate& today);

}  // namespace tcm

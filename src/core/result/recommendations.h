#pragma once
// What follows from a result: the recommended classic and diet prescriptions
// of its prescription list text, the diet advice, and the diet rules of a
// primary finding.
#include <QList>
#include <QString>
#include <optional>

namespace tcm {

class TDMServer;

struct PrescriptionEntry {
  QString id;
  QString name;
  QString remark;  // "4" classic, anything else diet
};

struct PrescriptionSlots {
  QList<PrescriptionEntry> classic;  // at most 3
  QList<PrescriptionEntry> diet;     // at most 3
};

// Reads a prescription list text leniently ("[{id:1,name:x,remark:4},…]").
PrescriptionSlots parsePrescriptionList(const QString& pre);

struct DietAdvice {
  QString title;  // the part before the first "|"
  QString full;   // the advice after it (the whole text without "|")
  QString shortText() const;  // first 15 characters and "[详细]"
};
DietAdvice parseDietAdvice(const QString& text);

// Whether an id condition holds for the comma-joined code text of a run.
bool ChkIds(const QString& ids, const QString& symIds);

struct DietRuleMatch {
  int id = 0;
  QString synName;
  QString pre;
};

// The first diet rule of the primary finding (by descending symLen) whose
// condition holds; nullopt when none does or the query failed (reported).
std::optional<DietRuleMatch> GetFoodGrp(TDMServer& dm, const QString& primaryId, const QString& symIds);

}  // namespace tcm

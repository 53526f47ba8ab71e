#pragma once
// The identification run of the main window without its widgets: from the
// codes of the selected findings, the primary finding and the customer's gender
// and age boxes to the results the panel shows.
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "engine/syndrome_engine.h"

namespace tcm {

// Constants of the run.
inline constexpr int kOutCountLmt = 4;
inline constexpr int kOutPreLmt = 20;
inline constexpr int kSortType = kSortByScoreThenCount;
inline constexpr const char* kMaleDepartments = "16,7,10,13,6,5,4,14,15,17,18,12,11,9,2,1,19,21,20,8,33,34";
inline constexpr const char* kFemaleDepartments = "16,7,10,13,6,5,4,3,14,17,18,12,11,9,2,1,19,21,20,8,33,34";

// Finding categories (classId).
inline constexpr const char* kClassSymptom = "0";
inline constexpr const char* kClassTongue = "5";
inline constexpr const char* kClassPulse = "6";
inline constexpr const char* kClassDisease = "8";

// A selected finding as the code list needs it: its id (possibly several ids
// joined by ",") and its category.
struct SelectedFinding {
  QString id;
  QString classId;
};

// An id padded with "0" in front to at least five characters.
QString FmtId(const QString& id);

// Appends the codes of one finding id: its ","-separated parts at positions
// 0, 2, 4, … padded to five characters, each unless already in the list. An
// empty part contributes nothing.
void GetCode(QStringList& codeLst, const QString& id);

// The codes of the selected findings: the disease, the symptoms, the tongue
// findings, each in selection order; pulse findings contribute none.
QStringList GetCodeList(const QList<SelectedFinding>& selected);

// The gender box reads exactly "男".
bool isMaleBox(const QString& genderBox);
// "01294" for a male box, "01295" otherwise (an empty box included).
QString genderCode(const QString& genderBox);
// The department list of the run: the male list for a male box, the female one otherwise.
QString departmentList(const QString& genderBox);
// The whole number of the leading digits of `text`; 0 when it starts with none.
int leadingNumber(const QString& text);
// Age band code of the age box: under 6, 6–13, 14–44, 45–59, 60 and over.
QString getAgeCode(const QString& ageText);

// The step before the engine: the diet rules of the primary finding. Given
// the padded primary code and the comma-joined codes of the run, it shows a
// matching rule's result itself and returns the rule's prescription text;
// empty when no rule gave one, and the engine is asked.
using DietRuleStep = std::function<QString(const QString& primaryCode, const QString& symIds)>;

struct IdentificationInput {
  QStringList codes;  // GetCodeList of the selected findings
  QString primaryId;  // id of the primary finding (chief complaint); empty for none
  QString genderBox;
  QString ageBox;
};

enum class IdentificationOutcome {
  TooFewFindings,           // fewer than two codes and no primary finding: nothing asked, panel empty
  DietRule,                 // a diet rule of the primary finding gave the result
  Ranked,                   // the engine's first result is shown
  RankedWithoutChiefComplaint,  // nothing under the chief complaint; the best result of the run without it is shown
  NoResult,                 // the panel stays empty, no message
  Failed,                   // the engine stopped on an unreadable knowledge text or a failed lookup
};

struct Identification {
  IdentificationOutcome outcome = IdentificationOutcome::NoResult;
  QStringList codes;       // what the engine was given: the selected codes, the gender code, the age code
  QString symIds;          // those codes joined by ","
  QString departments;     // the department list handed to the engine
  QString chiefComplaint;  // the padded primary id; empty without a primary finding
  QString dietPre;         // DietRule: the rule's prescription text
  QList<TIll> results;     // the ranked list of the run whose results the panel shows
  QList<TIll> shown;       // the result the panel shows (at most one)
  QString error;           // Failed: the engine's failure text
};

// The run (Ai): the code list with the gender and age codes, the diet rules
// of the primary finding (when given), the engine with the primary finding as
// chief complaint, and without it when that finds nothing.
[[nodiscard]] Identification Ai(const SyndromeIndex& index, NegativeFindingSource& negatives,
                                const IdentificationInput& input, const DietRuleStep& dietRules = {});

}  // namespace tcm

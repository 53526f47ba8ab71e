#pragma once
// What a pharmacy checks before it dispenses: the incompatible pairs of 十八反
// and 十九畏 within a prescription and across the herbal and food
// prescriptions of one visit, the herbs forbidden (禁用) or to be used with
// caution (慎用) in pregnancy, the usual daily ranges of the pharmacopoeia with
// the toxic herbs whose excess must be confirmed, and the doses no herb is
// given (a typing slip). The catalogue's rules come from the remote database.
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "entry/vocabulary.h"

namespace tcm {

class TDMServer;

enum class PregnancyMark { None = 0, Caution = 1, Forbidden = 2 };
// "" for None, "慎用", "禁用".
QString pregnancyMarkText(PregnancyMark mark);

// The notes a pharmacy writes after a herb it prepares apart, in menu order.
const QStringList& dispensingNotes();

// A catalogue herb with what the pharmacy knows of it.
struct HerbRule {
  QString id, name, pinyin;
  QString usualDose;                      // the dose a new slot starts with; empty: none known
  std::optional<double> doseMin, doseMax;  // the daily range in grams; unset for foods
  QString note;                           // the dispensing note, empty when none
  bool toxic = false;
  PregnancyMark pregnancy = PregnancyMark::None;
};

// An incompatible pair of groups: any herb of `first` with any of `second`.
struct HerbPair {
  QString kind;  // "十八反" or "十九畏"
  QStringList first, second;
};

class HerbCatalogue {
 public:
  void add(const HerbRule& rule);
  void addPair(const HerbPair& pair) { pairs_ << pair; }
  const HerbRule* byName(const QString& name) const;
  const HerbRule* byId(const QString& id) const;
  const QList<HerbRule>& rules() const { return rules_; }
  const QList<HerbPair>& pairs() const { return pairs_; }
  // The herbs as the vocabulary search reads its entries (name, pinyin
  // initials, id), in catalogue order.
  const AliasList& searchList() const { return search_; }
  bool isEmpty() const { return rules_.isEmpty(); }

 private:
  QList<HerbRule> rules_;
  QList<HerbPair> pairs_;
  QHash<QString, qsizetype> byName_, byId_;
  AliasList search_;
};

// The catalogue (herb with herb_rule) and the pairs of the remote database;
// false when a query failed (the gateway has shown why), `out` unchanged.
[[nodiscard]] bool loadHerbCatalogue(TDMServer& dm, HerbCatalogue* out);

// Two herbs that may not be given together.
struct PairHit {
  QString kind, first, second;  // first and second as named in the prescriptions
  bool operator==(const PairHit&) const = default;
};
// The pairs among `names`, each pair of herbs once, in the order the herbs come.
QList<PairHit> incompatiblePairs(const HerbCatalogue& c, const QStringList& names);
// The pairs between a herb of `mine` and one of `others` (the visit's other prescription).
QList<PairHit> incompatiblePairsAcross(const HerbCatalogue& c, const QStringList& mine, const QStringList& others);

enum class WarningKind { Pair, Pregnancy, DoseAbove, ToxicDose };

struct SafetyWarning {
  WarningKind kind = WarningKind::Pair;
  QString text;               // one line, naming the herbs
  bool mustConfirm = false;   // saving asks before it goes on
  QStringList herbs;          // the herbs of this prescription it names
};

// A herb of the prescription being checked: its name and dose as typed.
struct CheckedHerb {
  QString name;
  QString dosage;
};

struct SafetyInput {
  QList<CheckedHerb> herbs;
  QStringList otherSide;      // the herbs of the visit's other prescription
  QString side = QStringLiteral("汤方"), otherSideName = QStringLiteral("药膳方");
  bool checkDoses = true;     // food quantities are not herb doses
  bool childBearing = false;  // a woman of child-bearing age
};

// Every warning, in this order: pairs within, pairs across, pregnancy (only for
// a woman of child-bearing age), doses above the range.
QList<SafetyWarning> checkPrescriptionSafety(const HerbCatalogue& c, const SafetyInput& in);

// Empty when `dosage` can be a real dose of `herb`; else why it is refused:
// 0 g, less than 0.01 g (人工麝香 is dosed from 0.03 g) or more than 250 g.
QString doseSlipProblem(const QString& herb, const QString& dosage);

// The question a save asks when a warning must be confirmed; empty when none must.
QString safetyQuestion(const QList<SafetyWarning>& warnings);
// The note kept with the visit: every warning, "；" between them.
QString safetyNote(const QList<SafetyWarning>& warnings);

// The sheet's caution line for the herbs marked in pregnancy, forbidden ones
// first: "孕妇禁用：人工麝香；孕妇慎用：桃仁、红花"; empty when none is marked.
QString pregnancyCautionLine(const HerbCatalogue& c, const QStringList& names);

// A woman of child-bearing age: the gender box "女" and an age of 14 to 49.
bool childBearingAge(const QString& genderBox, const QString& ageBox);

}  // namespace tcm

#pragma once
// The syndrome engine: scores every open syndrome of the knowledge table
// against the customer's findings and returns the best few, ranked.
//
// The knowledge texts are parsed once into a SyndromeIndex (per loaded table);
// a run then works on the parsed form. The parsed form gives exactly the
// results of reading the texts afresh on every run, including where a run
// stops on an unreadable text.
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "model/knowledge.h"
#include "engine/negative_findings.h"

namespace tcm {

// One identification result (a plain record).
struct TIll {
  int Id = -1;
  QString Name;
  int Medid1 = 0;
  int HerId1 = 0;
  int SymWeight = 0;  // final score
  int SymCount = 0;   // matched profile symptoms
  QString ICD10;
  QString HintContent;
  double Age = 0;
  QString Allergy;
  int ChiefComplainFlag = 0;
  QString InfectionFlag;
  int MatchModFlag = 0;
  int SurgeryTag = 0;
  QString ConditionIdStr;
  int FromType = 1;  // 3 when the best module chose a prescription
  QString Tre;
  QString Pre;
  QString ModPreId = QStringLiteral("0");
  int AcuId = 0;
  QString notRecommendFood;
  QString recommendFood;
};

// The outcome of one engine run.
struct EngineRun {
  // Rank order. After a failure: everything ranked before it (not cut to the limit).
  QList<TIll> DiseaseLst;
  QString error;  // empty on success; otherwise names the syndrome and the unreadable text
  bool ok() const { return error.isEmpty(); }
};

// Ranking rules of the result list.
inline constexpr int kSortByScore = 0;           // score only; equal scores keep ascending id order
inline constexpr int kSortByScoreThenCount = 1;  // score, then matched count; complete ties: larger id first

namespace engine_detail {

// Index of a code text in the code table of an index; -1 for a text that no
// knowledge text holds (it can never be among the codes of a segment or entry).
using CodeId = int;

// Every code text the parsed knowledge refers to, numbered.
class CodeTable {
 public:
  CodeId intern(const QString& code);
  CodeId find(const QString& code) const { return ids_.value(code, -1); }
  int size() const { return static_cast<int>(ids_.size()); }

 private:
  QHash<QString, CodeId> ids_;
};

// A multiset of codes (the findings of a run, or the chief complaint items).
class FindingSet {
 public:
  explicit FindingSet(int codeCount) : counts_(static_cast<size_t>(codeCount > 0 ? codeCount : 0), 0) {}
  void add(CodeId id) {
    if (id >= 0) ++counts_[static_cast<size_t>(id)];
  }
  void remove(CodeId id) {
    if (id >= 0) --counts_[static_cast<size_t>(id)];
  }
  bool contains(CodeId id) const { return id >= 0 && counts_[static_cast<size_t>(id)] > 0; }

 private:
  std::vector<int> counts_;
};

// "0"–"9" → 0–9, "a"–"i" → 10–18; −1 for any other character. Only 1–15 are group numbers.
int ChrToInt(QChar c);
// The group mark (arrAa) of group g: "-", the group character, "1".
QString groupMark(int g);

// A segment: N of its codes required (0 = optional), S points, the codes.
struct Segment {
  int N = 0;
  int S = 0;
  std::vector<CodeId> codes;
};

// Segments joined by "-", at most `limit` read. `badSegment` (from 1) names the
// first unreadable segment (no digit where N or S is expected), 0 when all read.
struct SegmentList {
  std::vector<Segment> segments;
  int badSegment = 0;
  QString badText;
  bool readable() const { return badSegment == 0; }
};
SegmentList parseSegments(const QString& text, int limit, CodeTable& codes);

// Modules joined by "&", up to the first empty module; each up to 10 segments.
// `badModule` (from 1) names the first module with an unreadable segment.
struct ModuleList {
  std::vector<SegmentList> modules;
  int badModule = 0;
  SegmentList bad;  // the unreadable module, for the message
  bool readable() const { return badModule == 0; }
};
ModuleList parseModuleList(const QString& text, CodeTable& codes);

// The must-have rule of one profile group, as read from the profile text.
struct GroupRequirement {
  QChar must;                     // the first entry's must digit "1"–"9"; null: always met
  std::vector<CodeId> required;   // codes of the entries whose must digit equals `must`
  std::vector<CodeId> entries;    // codes of every entry of the group's block
  bool hasUnmatchableEntry = false;  // a piece without a code that is not the next group's separator
};
GroupRequirement parseGroupRequirement(const QString& profile, int g, CodeTable& codes);

// True when the group's requirement is met by the findings.
//
// Must digit "9" (every entry of the group): the block of a group that another
// group follows ends with the separator that starts the next group's first
// entry. That lone separator is no entry, so "9" means "all of the group's
// own entries are among the findings", whether or not another group follows.
// Any other piece without a code (the rest of an entry longer than eleven
// characters) is an entry that is never present: such a group is not met.
bool ChkMustSym(const GroupRequirement& group, const FindingSet& findings);

// Score of one module: 0 as soon as a segment with N > 0 has fewer than N of
// its codes among the findings; otherwise the sum of S over the segments with
// N > 0 and over the N = 0 segments with at least one code present.
int GetAddSymSocre(const SegmentList& module, const FindingSet& findings);

inline constexpr int kTagSum = 1;
inline constexpr int kTagBest = 2;
struct ModuleScore {
  int score = 0;
  int flag = -1;      // flag digit of the best module (Tag 2 with flags)
  int ModPreIdx = 0;  // number (from 1) of the best module, 0 when none scored
};
// Tag 1: the sum of the module scores. Tag 2: the best module score (strictly
// better than the ones before it), its number and its flag digit.
ModuleScore GetAddSymScore1(const ModuleList& modules, int Tag, const QString& flags, const FindingSet& findings);

// Must-have segments: true when every segment with N > 0 has at least N of its
// codes among the findings. On failure `DecMustRate` is the sum of S over all
// segments read; on success 0.
bool MatchMustSym(const SegmentList& cardinal, const FindingSet& findings, int* DecMustRate);

// True when some segment with N > 0 has one of its codes among the chief complaint items.
bool ChkPrimarySymptom(const SegmentList& cardinal, const FindingSet& chiefItems);

// The prescription of module `ModPreIdx`: the item at that zero-based position
// of ModPreIdStr split at "&". False when there is no such item.
[[nodiscard]] bool GetModPreId(const QStringList& modPreItems, int ModPreIdx, QString* ModPreId);

// Required count and full weight of groups 1–15, from ORValue and Weight.
// Not readable (a non-digit, or Weight too short): the base score is 0.
struct GroupTable {
  bool readable = true;
  std::array<int, 16> required{};
  std::array<int, 16> weight{};
};
GroupTable readGroupTable(const QString& ORValue, const QString& Weight);

// A finding code found in the profile: the entry weight digit two characters
// before it and the group number five characters before it.
struct ProfileHit {
  int entryWeight = 0;
  int group = -1;  // ChrToInt of the group character; valid when 1–15
  bool inChiefComplaint = false;
};
// Where `code` first occurs in `profile`; false when it does not occur or
// occurs too early to have an entry before it.
bool locateInProfile(const QString& profile, const QString& code, ProfileHit* hit);
// The entry weight and group of a code found at zero-based position `at` (at ≥ 5).
ProfileHit hitAt(const QString& profile, qsizetype at);

struct BaseScore {
  int SymWeight = 0;
  int SymCount = 0;
};
// Base score of one profile from the findings located in it (in any order: the
// outcome does not depend on it). `requirementMet(g)` answers ChkMustSym for group g.
template <typename RequirementMet>
BaseScore GetSymRateAndCount(const GroupTable& groups, const std::vector<ProfileHit>& hits, int MatchSymIdFlag,
                             RequirementMet&& requirementMet);

}  // namespace engine_detail

// The knowledge table parsed for the engine. Built once per loaded table.
class SyndromeIndex {
 public:
  // Keeps the table alive as long as the index.
  explicit SyndromeIndex(KnowledgeTablePtr table);
  // The table must outlive the index.
  explicit SyndromeIndex(const KnowledgeTable& table);
  ~SyndromeIndex();
  SyndromeIndex(const SyndromeIndex&) = delete;
  SyndromeIndex& operator=(const SyndromeIndex&) = delete;

  const KnowledgeTable& table() const { return *table_; }

  struct Impl;
  const Impl& impl() const { return *impl_; }

 private:
  KnowledgeTablePtr keep_;
  const KnowledgeTable* table_;
  std::unique_ptr<Impl> impl_;
};

// The index of the table currently loaded, rebuilt only when the table is replaced.
class SyndromeIndexCache {
 public:
  std::shared_ptr<const SyndromeIndex> indexFor(const KnowledgeTablePtr& table);

 private:
  KnowledgeTablePtr table_;
  std::shared_ptr<const SyndromeIndex> index_;
};

// One identification run of the engine.
//   LstSymId          the findings (5-digit codes), in the caller's order; holds
//                     exactly these items again when the run returns
//   OutCountLmt       the most results returned
//   OutPreLmt         the least score a result needs
//   SortType          kSortByScoreThenCount, or kSortByScore
//   DepStr            admissible department ids joined by ","
//   HintSym           emptied
//   ChiefComplainStr  chief complaint codes joined by ","; empty for none
//   negatives         the lookup of findings implied by absent ones
// No exception leaves the run; an unreadable knowledge text or a failed lookup
// ends it with `error` set.
[[nodiscard]] EngineRun GetIllBySymLst(const SyndromeIndex& index, QStringList& LstSymId, int OutCountLmt,
                                       int OutPreLmt, int SortType, const QString& DepStr, QString& HintSym,
                                       const QString& ChiefComplainStr, NegativeFindingSource& negatives);

// The same on a table parsed for this one run.
[[nodiscard]] EngineRun GetIllBySymLst(const KnowledgeTable& table, QStringList& LstSymId, int OutCountLmt,
                                       int OutPreLmt, int SortType, const QString& DepStr, QString& HintSym,
                                       const QString& ChiefComplainStr, NegativeFindingSource& negatives);

namespace engine_detail {
// Failure texts of a run; each names the syndrome and the stored column.
QString unreadableModulesMessage(const TDisease& d, const QString& column, const ModuleList& modules);
QString unreadableCardinalMessage(const TDisease& d, const SegmentList& cardinal);
QString missingModulePrescriptionMessage(const TDisease& d, int ModPreIdx);
QString negativeLookupMessage(const TDisease& d, const QString& error);
}  // namespace engine_detail

// One result as the admin tool prints it, tab separated: Id, Name, SymWeight,
// SymCount, MatchModFlag, FromType, ModPreId.
QString resultLine(const TIll& ill);

// ---------------------------------------------------------------------------

template <typename RequirementMet>
engine_detail::BaseScore engine_detail::GetSymRateAndCount(const GroupTable& groups,
                                                           const std::vector<ProfileHit>& hits, int MatchSymIdFlag,
                                                           RequirementMet&& requirementMet) {
  BaseScore result;
  if (!groups.readable) return result;
  std::array<int, 16> matched{};
  int bonus = 0;
  for (const ProfileHit& hit : hits) {
    bonus += hit.entryWeight;
    const int g = hit.group;
    if (g < 1 || g > 15) continue;  // its entry weight stays in the bonus
    ++matched[g];
    // A disqualified group counts up from -15 and so stays disqualified.
    if (matched[g] >= 0 && !requirementMet(g)) matched[g] = -15;
    if (hit.inChiefComplaint && groups.required[g] > 0) {
      const int q = groups.weight[g] / groups.required[g];
      if (q >= 8) bonus += (2 * q + 5) / 10;  // q × 0.2 to the nearest integer (q / 5 never ends in .5)
    }
  }
  int counted = 0;
  int full = 0;
  for (int g = 1; g <= 15; ++g) {
    if (groups.required[g] <= 0 || matched[g] < 0) continue;
    ++counted;
    result.SymCount += matched[g];
    if (matched[g] >= groups.required[g]) {
      result.SymWeight += groups.weight[g];
      ++full;
    } else {
      result.SymWeight += groups.weight[g] / groups.required[g] * matched[g];
    }
  }
  result.SymWeight += bonus;
  if (counted > 4 && full == counted) {
    result.SymWeight += 50;
    if (MatchSymIdFlag == 1) result.SymWeight = 150;
  }
  return result;
}

}  // namespace tcm

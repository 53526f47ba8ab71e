#pragma once
// The checks of the seed knowledge base before it is loaded: every text the
// loader builds is read back the way its readers will read it, every code and
// id it names must exist, each syndrome must come out first for the first
// findings of its groups, each syndrome's listed textbook presentation must give
// a type of its class, and every textbook case must give its constitution.
// Problems are one line each, in Chinese, ready to print.
#include <QString>
#include <QStringList>
#include <memory>

#include "kb/seed_model.h"
#include "engine/identification.h"
#include "engine/syndrome_engine.h"

namespace tcm {

// Findings entered the way the main window enters them, without a primary finding.
struct KbPresentation {
  QStringList codes;  // disease, symptoms, tongue, in that order; pulse findings left out
  QStringList names;  // the names as given, pulse included
  QString genderBox;  // "男" or "女"
  QString ageBox;     // years
  QString describe() const;  // "名称、名称，女，30 岁"
};

class KnowledgeCheck {
 public:
  explicit KnowledgeCheck(const SeedKnowledgeBase& kb);
  ~KnowledgeCheck();
  KnowledgeCheck(const KnowledgeCheck&) = delete;
  KnowledgeCheck& operator=(const KnowledgeCheck&) = delete;

  // Codes, ids, names and stored texts: vocabulary, negative findings,
  // syndromes, prescriptions, herbs, inquiry pages, diet rules, demo customers.
  QStringList consistencyProblems() const;
  // Each open syndrome must rank first for the first `required` findings of
  // each of its groups.
  QStringList reachabilityProblems() const;
  // Each syndrome lists its textbook presentation; entered as findings it must
  // give a type of the syndrome's class first.
  QStringList presentationProblems() const;
  // The textbook case table (constitution, gender, age, findings and, where
  // the clerk marks one, the primary finding): each case must give its
  // constitution first. A case with a primary finding is run with the diet
  // rules of the seed, and its expected result may be a diet rule's name.
  // `count` receives the number of cases read.
  QStringList caseProblems(const QString& path, int* count) const;

  // The first `required` findings of each group, with the gender those
  // findings call for and the age band the modules name.
  KbPresentation profilePresentation(const SeedSyndrome& s) const;
  // The syndrome's listed presentation, with gender and age found the same way;
  // names that cannot be picked are added to `unknown` (when given).
  KbPresentation listedPresentation(const SeedSyndrome& s, QStringList* unknown = nullptr) const;
  // Names of the vocabulary in the order of the code list; names the
  // vocabulary lacks and the gender and age findings, which cannot be picked,
  // are added to `unknown` (when given) and left out.
  KbPresentation presentationOfNames(const QStringList& names, const QString& genderBox, const QString& ageBox,
                                     QStringList* unknown = nullptr) const;
  [[nodiscard]] EngineRun identify(const KbPresentation& p) const;
  // The run of the main window on the presentation with `primaryCode` as the
  // primary finding (empty for none), before the engine the diet-rule step
  // when one is given.
  [[nodiscard]] Identification run(const KbPresentation& p, const QString& primaryCode,
                                   const DietRuleStep& dietRules = {}) const;
  // The class of the syndrome with this id; empty when there is none.
  QString classOf(int syndromeId) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> d_;
};

struct KbCheckResult {
  QStringList problems;
  int cases = 0;             // textbook cases read
  bool casesChecked = false;  // a case table was named
  bool clean() const { return problems.isEmpty(); }
};

// Every check above in order; the case table only when `casesPath` is not empty.
KbCheckResult checkKnowledgeBase(const SeedKnowledgeBase& kb, const QString& casesPath);
// The one line a clean check prints.
QString kbCheckSummary(const SeedKnowledgeBase& kb, const KbCheckResult& result);

}  // namespace tcm

#pragma once
// The reviewable seed knowledge base (data/seed), read into records with the
// names resolved to codes and the stored texts built: vocabulary rows with
// enciphered names, syndrome rows with their encoded profiles, prescriptions
// in the herb list form, the herb catalogue, the negative findings, the
// inquiry pages with their follow-up hints, the questions of each disease,
// the diet rules and the demo customers.
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

#include "model/knowledge.h"
#include "engine/negative_findings.h"
#include "prescription/herb_safety.h"

namespace tcm {

struct SeedFinding {
  int id = 0;
  int category = 0;  // 0 symptom, 5 tongue, 6 pulse, 8 disease; -1 kept out of the search
  QString name, pinyin, gender, mutex;  // mutex: comma-joined ids
  int loadOrder = 0;
};

struct SeedHerb {
  int id = 0;
  QString name, category;
  double price = 0, stock = 0;
};

struct SeedPrescription {
  int id = 0;
  QString name;
  bool classic = true;
  QString herbIds;  // herb list: id,name,dose,unit items joined by "|"
  QStringList herbNames;
};

// A syn_food row as stored.
struct SeedSyndrome {
  int id = 0;
  bool open = true;
  QString name, constitutionClass;
  QString ORValue, Weight, SymIdStr, DifferentialDiagnosis, CardinalSymptom, SymModIdStr, Dep1, Dep2,
      NegativeSymIdStr, DecWeightSymIdStr, MatchModFlag, ModPreIdStr, Tre, Pre, notRecommendFood, recommendFood;
  QStringList profileCodes;  // the codes of its groups, in order
  QStringList presentation;  // the textbook presentation it lists, as finding names
  QString source;            // where the presentation comes from
};

// A row of an inquiry page (remote symptom_option) or of the questions of a
// disease (local symptom_option_sub), as stored. A heading has symId "0" and
// only its title; an answer carries the finding's id, gender, name, mutex and
// category, and childTag "1" when the finding has follow-up hints.
struct SeedInquiryRow {
  QString page;  // symptom_option.class; empty for disease questions
  int diseaseId = 0;  // symptom_option_sub.fid; 0 for page rows
  QString title, symId, gender, name, mutex, childTag, classId;
  bool isHeading() const { return symId == QLatin1String("0"); }
};

// A follow-up hint (remote symptom_option_sub, tag 1) of an answer.
struct SeedHint {
  int fid = 0;  // the answer's finding id
  int gender = 3;
  QString symid, name, mutex;
};

// A diet rule (pre_food_grp, type 8).
struct SeedDietRule {
  int id = 0;
  QString synName;
  QString pre;  // prescription list text
  QString ids;  // id condition with 5-digit codes
  QString idsByName;  // the condition as written in the seed
  int symId = 0;  // the primary finding
  int symLen = 0;
  QStringList prescriptionNames;
};

// A demo customer (pat). Tel and Address are kept in clear here; the loader
// stores them enciphered.
struct SeedCustomer {
  int shopId = 0;
  QString name, gender, age, phone, address;
  QDateTime registered;
  int tel1() const { return phone.right(4).toInt(); }
};

// A formula that may hold what the checks otherwise refuse, and why
// (formula_exceptions.csv): kind "相反" for an incompatible pair, "超量" for a
// dose above the range.
struct SeedFormulaException {
  QString formula, herb, kind, reason;
};

struct SeedKnowledgeBase {
  QList<SeedFinding> findings;
  QList<SeedHerb> herbs;
  QList<SeedPrescription> prescriptions;
  QList<SeedSyndrome> syndromes;
  QList<QPair<int, int>> negativeFindings;  // symptom id -> implied id
  QHash<QString, int> findingIdByName;
  QList<SeedInquiryRow> inquiryPages;      // in page order, "基础问诊" first
  QList<SeedHint> hints;
  QList<SeedInquiryRow> diseaseQuestions;  // grouped by disease
  QList<SeedDietRule> dietRules;
  QList<SeedCustomer> customers;
  HerbCatalogue dispensing;  // the herbs' rules (herb_rules.csv, ids from herbs.csv) and pairs (herb_pairs.csv)
  QList<SeedFormulaException> formulaExceptions;

  // Reads the seed folder (by default the copy built into the program). Every
  // problem found on the way is one line in `problems`.
  // Registration dates of the demo customers count back from `today`.
  static SeedKnowledgeBase read(const QString& folder, QStringList* problems);
  static SeedKnowledgeBase read(const QString& folder, const QDate& today, QStringList* problems);
  const SeedFinding* finding(const QString& name) const;
  const SeedFinding* findingById(int id) const;
  const SeedPrescription* prescription(const QString& name) const;
  // The herb tree text: categories at depth 0, herbs indented by one tab.
  QString herbTreeText() const;
  // The knowledge table a load of the written syn_food rows gives: MaxId the
  // largest syndrome id, the open syndromes in their records.
  std::shared_ptr<KnowledgeTable> knowledgeTable() const;
};

// The negative findings of the seed answered in memory, the way the local
// table answers them.
class SeedNegativeFindings : public NegativeFindingSource {
 public:
  explicit SeedNegativeFindings(const QList<QPair<int, int>>& rows);

 protected:
  [[nodiscard]] bool lookUpImplied(const QString& code, std::optional<QString>* implied, QString* error) override;

 private:
  QHash<QString, QString> implied_;  // 5-digit code -> 5-digit code
};

// Turns an id condition written with finding names ("心烦|口干,(舌红-舌尖红)")
// into the same structure with 5-digit codes. Unknown names and misplaced
// parentheses are reported in `problems`, one line each.
QString encodeCondition(const QString& byName, const QHash<QString, int>& idByName, QStringList* problems);

inline constexpr const char* kSeedFolder = ":/data/seed";
// The page the inquiry opens with; it comes first in the page table.
inline constexpr const char* kFirstInquiryPage = "基础问诊";

}  // namespace tcm

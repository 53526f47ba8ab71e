#pragma once
// The syndrome knowledge base in memory: record k holds the syndrome whose id is k.
#include <QString>
#include <memory>
#include <vector>

namespace tcm {

struct TDisease {
  int Id = 0;  // 0 marks an empty record
  int DiseaseId = 0;
  QString Name;
  QString ORValue;
  QString Weight;
  QString SymIdStr;
  QString DifferentialDiagnosis;
  QString CardinalSymptom;
  QString Dep1;
  QString Dep2;
  int MedId1 = 0;
  int HerId1 = 0;
  QString ICD10;
  QString CNDRG;
  QString Syn;
  QString Tre;
  QString Pre;
  QString SymModIdStr;
  QString HintContent;
  QString InfectionFlag;
  QString NegativeSymIdStr;
  QString DecWeightSymIdStr;
  QString MatchModFlagStr;
  int SurgeryTag = 0;
  QString ConditionIdStr;
  QString TestResultSymIdStr;
  QString TestResultSource;
  QString MatchTestResultFlag;
  int FromType = 0;
  int MatchSymIdFlag = 0;
  QString ModPreIdStr;
  int AcuId = 0;
  QString notRecommendFood;
  QString recommendFood;
};

// The knowledge table: MaxId records, reachable by id (1-based).
class KnowledgeTable {
 public:
  KnowledgeTable() = default;
  explicit KnowledgeTable(int maxId) : records_(static_cast<size_t>(maxId > 0 ? maxId : 0)) {}

  int MaxId() const { return static_cast<int>(records_.size()); }
  // Record k (1 ≤ k ≤ MaxId).
  const TDisease& record(int k) const { return records_[static_cast<size_t>(k - 1)]; }
  TDisease& record(int k) { return records_[static_cast<size_t>(k - 1)]; }
  const std::vector<TDisease>& records() const { return records_; }

 private:
  std::vector<TDisease> records_;
};

using KnowledgeTablePtr = std::shared_ptr<const KnowledgeTable>;

}  // namespace tcm

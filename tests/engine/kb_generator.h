#pragma once
// Generated knowledge tables with realistic profiles (groups of weighted
// entries, must digits, modules, must-have segments, negative groups) and,
// on request, a share of damaged texts. Deterministic for a seed.
#include <QStringList>
#include <random>

#include "model/knowledge.h"

namespace tcm::test {

struct KbShape {
  int syndromes = 50;
  int codePool = 40;      // distinct symptom codes the texts draw from
  double damaged = 0.0;   // share of syndromes with a damaged text
  double holes = 0.05;    // share of empty records
  double shortPrescriptions = 0.03;  // share of ModPreIdStr texts one item short (the run stops there)
};

class KbGenerator {
 public:
  explicit KbGenerator(uint32_t seed, KbShape shape = {});

  KnowledgeTable table();
  // Findings as the identification hands them over: symptom codes, then a gender and an age-band code.
  QStringList findings(int symptoms);
  // Findings with odd items as well (empty, six digits, fragments of profiles).
  QStringList oddFindings();
  QString chiefComplaint();
  QString departments();
  const QStringList& codes() const { return codes_; }
  // Symptom -> implied code pairs for a negative-finding table.
  QList<std::pair<QString, QString>> negativePairs();

  int uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  bool chance(double p) { return std::bernoulli_distribution(p)(rng_); }

 private:
  QString code() { return codes_[uniform(0, static_cast<int>(codes_.size()) - 1)]; }
  QString segment(int maxCodes);
  QString moduleList(int maxModules);
  QString damage(const QString& text);
  void fillProfile(TDisease& d);
  TDisease syndrome(int id);

  std::mt19937 rng_;
  KbShape shape_;
  QStringList codes_;
};

}  // namespace tcm::test

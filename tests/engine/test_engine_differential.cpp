// The parsed engine against the word-for-word reference on generated
// knowledge tables: every result field, the failure text, the findings handed
// back and every negative-finding lookup must be the same.
#include <gtest/gtest.h>

#include <cstdio>

#include "engine_fixtures.h"
#include "kb_generator.h"
#include "literal_engine.h"

using namespace tcm;
using namespace tcm::test;

namespace {

struct Coverage {
  int runs = 0;
  int withResults = 0;
  int failures = 0;
  int chiefWithResults = 0;
  int decisive = 0;
  int modulePrescriptions = 0;
  int lookups = 0;
};

void compareOn(KbGenerator& gen, const KnowledgeTable& table, const SyndromeIndex& index, const TableNegatives& setup,
               Coverage* coverage) {
  QStringList findings = gen.chance(0.2) ? gen.oddFindings() : gen.findings(gen.uniform(2, 8));
  QString chief;
  if (gen.chance(0.3))
    chief = findings[gen.uniform(0, static_cast<int>(findings.size()) - 1)];
  else
    chief = gen.chiefComplaint();
  const QString deps = gen.chance(0.7) ? QStringLiteral("1,2,3,4,5,6,7,8,9,10,11,12") : gen.departments();
  const int limit = gen.uniform(0, 6);
  const int minScore = gen.uniform(-5, 40);
  const int sort = gen.uniform(0, 2);

  TableNegatives parsedLookups = setup, literalLookups = setup;
  QStringList parsedFindings = findings, literalFindings = findings;
  QString hint1 = QStringLiteral("x"), hint2 = QStringLiteral("y");
  const EngineRun parsed =
      GetIllBySymLst(index, parsedFindings, limit, minScore, sort, deps, hint1, chief, parsedLookups);
  const EngineRun literal =
      literalGetIllBySymLst(table, literalFindings, limit, minScore, sort, deps, hint2, chief, literalLookups);

  const auto context = [&] {
    return QStringLiteral("findings=%1 chief=%2 deps=%3 limit=%4 min=%5 sort=%6")
        .arg(findings.join(','), chief, deps)
        .arg(limit)
        .arg(minScore)
        .arg(sort)
        .toStdString();
  };
  ASSERT_EQ(dump(parsed), dump(literal)) << context();
  ASSERT_EQ(parsedFindings, findings) << context();
  ASSERT_EQ(literalFindings, findings) << context();
  ASSERT_EQ(parsedLookups.calls, literalLookups.calls) << context();
  ASSERT_TRUE(hint1.isEmpty());

  ++coverage->runs;
  coverage->lookups += static_cast<int>(parsedLookups.calls.size());
  if (!parsed.ok()) ++coverage->failures;
  if (!parsed.DiseaseLst.isEmpty()) {
    ++coverage->withResults;
    if (!chief.isEmpty()) ++coverage->chiefWithResults;
  }
  for (const TIll& t : parsed.DiseaseLst) {
    if (t.MatchModFlag == 1) ++coverage->decisive;
    if (t.FromType == 3) ++coverage->modulePrescriptions;
  }
}

}  // namespace

TEST(EngineDifferential, ParsedEngineReadsTheTextsExactlyAsWritten) {
  Coverage coverage;
  for (uint32_t seed = 1; seed <= 80; ++seed) {
    KbShape shape;
    shape.syndromes = 10 + static_cast<int>(seed * 7 % 90);
    shape.codePool = 15 + static_cast<int>(seed % 25);
    shape.damaged = seed % 3 == 0 ? 0.03 : 0.0;
    KbGenerator gen(seed, shape);
    const KnowledgeTable table = gen.table();
    const SyndromeIndex index(table);
    TableNegatives negatives;
    for (const auto& [symptom, implied] : gen.negativePairs()) negatives.negativeOf.insert(symptom, implied);
    if (seed % 9 == 0) negatives.failOn = gen.codes()[gen.uniform(0, static_cast<int>(gen.codes().size()) - 1)];
    for (int r = 0; r < 60; ++r) {
      compareOn(gen, table, index, negatives, &coverage);
      if (::testing::Test::HasFatalFailure()) return;
    }
  }
  std::printf("runs %d results %d failures %d chief %d decisive %d modpre %d lookups %d\n", coverage.runs, coverage.withResults, coverage.failures, coverage.chiefWithResults, coverage.decisive, coverage.modulePrescriptions, coverage.lookups);
  // The generated runs must reach every path that can differ.
  EXPECT_GT(coverage.withResults, coverage.runs / 4) << coverage.withResults << " of " << coverage.runs;
  EXPECT_GT(coverage.failures, coverage.runs / 50) << coverage.failures;
  EXPECT_LT(coverage.failures, coverage.runs / 2) << coverage.failures;
  EXPECT_GT(coverage.chiefWithResults, 50);
  EXPECT_GT(coverage.decisive, 10);
  EXPECT_GT(coverage.modulePrescriptions, 50);
  EXPECT_GT(coverage.lookups, 1000);
}

// Codes from a large pool spread thin: long profiles, many postings per window.
TEST(EngineDifferential, LargeTablesWithFewSharedCodes) {
  Coverage coverage;
  KbShape shape;
  shape.syndromes = 1500;
  shape.codePool = 400;
  shape.damaged = 0.0;
  KbGenerator gen(4242, shape);
  const KnowledgeTable table = gen.table();
  const SyndromeIndex index(table);
  TableNegatives negatives;
  for (const auto& [symptom, implied] : gen.negativePairs()) negatives.negativeOf.insert(symptom, implied);
  for (int r = 0; r < 100; ++r) {
    compareOn(gen, table, index, negatives, &coverage);
    if (::testing::Test::HasFatalFailure()) return;
  }
  std::printf("large: runs %d results %d\n", coverage.runs, coverage.withResults);
  EXPECT_GT(coverage.withResults, 20);
}

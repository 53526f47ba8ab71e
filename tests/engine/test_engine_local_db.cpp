// Negative findings through the local database of a real data folder.
#include <gtest/gtest.h>

#include "engine_fixtures.h"
#include "test_support.h"

using namespace tcm;
using namespace tcm::test;

namespace {

class EngineWithLocalDatabase : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = std::make_unique<DataFolder>(RemoteKind::Sqlite);
    TCM_REQUIRE_FOLDER(*folder);
    dm = folder->server(&messages);
  }
  void addNegative(int symptom, int implied) {
    ASSERT_TRUE(dm->ExecSql(
        Sql("insert into negative_symptom(symptomId,negativeSymptomId) values(?,?)", {symptom, implied}), false));
  }
  // Group 1: 02000 (30); group 2: 02099 (20). Negative groups: 02010 02011 | 02020.
  KnowledgeTable table() const {
    TDisease d = syndrome(1, "11", "3020", profile({entry('1', 1, 0, 0, "02000"), entry('2', 1, 0, 0, "02099")}));
    d.NegativeSymIdStr = "0201002011-02020";
    return tableOf({d});
  }
  EngineRun run(QStringList findings) {
    const QStringList before = findings;
    QString hint;
    EngineRun r = GetIllBySymLst(table(), findings, 4, 20, 1, "1", hint, QString(), *dm);
    EXPECT_EQ(findings, before);
    return r;
  }

  RecordingMessages messages;
  std::unique_ptr<DataFolder> folder;
  std::unique_ptr<TDMServer> dm;
};

}  // namespace

TEST_F(EngineWithLocalDatabase, UnsatisfiedGroupsImplyTheFindingOfTheirLastCode) {
  addNegative(2010, 2098);  // not the last code of its group: never asked
  addNegative(2011, 2099);
  addNegative(2020, 2099);
  // Both groups unsatisfied: 02099 is implied twice and counts twice.
  EngineRun r = run({"02000"});
  ASSERT_TRUE(r.ok()) << r.error.toStdString();
  ASSERT_EQ(r.DiseaseLst.size(), 1);
  EXPECT_EQ(r.DiseaseLst[0].SymWeight, 50);
  EXPECT_EQ(r.DiseaseLst[0].SymCount, 3);
  // The first group satisfied by 02011: 02099 once.
  r = run({"02000", "02011"});
  ASSERT_EQ(r.DiseaseLst.size(), 1);
  EXPECT_EQ(r.DiseaseLst[0].SymCount, 2);
  // An implied code already among the findings is not added again.
  r = run({"02000", "02099"});
  ASSERT_EQ(r.DiseaseLst.size(), 1);
  EXPECT_EQ(r.DiseaseLst[0].SymWeight, 50);
  EXPECT_EQ(r.DiseaseLst[0].SymCount, 2);
  EXPECT_TRUE(messages.dbErrors.isEmpty());
}

TEST_F(EngineWithLocalDatabase, NothingKnownImpliesNothing) {
  const EngineRun r = run({"02000"});
  ASSERT_TRUE(r.ok());
  ASSERT_EQ(r.DiseaseLst.size(), 1);
  EXPECT_EQ(r.DiseaseLst[0].SymWeight, 30);
}

TEST_F(EngineWithLocalDatabase, FailedLookupEndsTheRunWithItsText) {
  ASSERT_TRUE(dm->ExecSql(Sql("drop table negative_symptom"), false));
  const EngineRun r = run({"02000"});
  EXPECT_FALSE(r.ok());
  EXPECT_TRUE(r.error.startsWith(QStringLiteral("证型 1（证1）的阴性症状查询失败："))) << r.error.toStdString();
  EXPECT_GT(r.error.size(), QStringLiteral("证型 1（证1）的阴性症状查询失败：").size());
  EXPECT_TRUE(r.DiseaseLst.isEmpty());
}

// The scoring rules of the syndrome engine, one rule per test, on hand-built
// tables. Every run is also made by the word-for-word reference engine, which
// must agree field by field.
#include <gtest/gtest.h>

#include "engine_fixtures.h"
#include "literal_engine.h"

using namespace tcm;
using namespace tcm::test;

namespace {

class Engine : public ::testing::Test {
 protected:
  struct Options {
    QString chief;
    int limit = 4;
    int minScore = 20;
    int sort = kSortByScoreThenCount;
    QString deps = QStringLiteral("1");
  };

  EngineRun run(const KnowledgeTable& table, QStringList findings, const Options& o) {
    const QStringList before = findings;
    QString hint = QStringLiteral("上次的提示");
    TableNegatives reference = negatives;
    const qsizetype callsBefore = negatives.calls.size();
    EngineRun result = GetIllBySymLst(table, findings, o.limit, o.minScore, o.sort, o.deps, hint, o.chief, negatives);
    EXPECT_EQ(findings, before) << "the caller's findings must come back unchanged";
    EXPECT_TRUE(hint.isEmpty());

    QStringList literalFindings = before;
    QString literalHint;
    const EngineRun literal = literalGetIllBySymLst(table, literalFindings, o.limit, o.minScore, o.sort, o.deps,
                                                    literalHint, o.chief, reference);
    EXPECT_EQ(dump(result), dump(literal)) << "parsed and word-for-word engines disagree";
    EXPECT_EQ(negatives.calls.mid(callsBefore), reference.calls.mid(callsBefore));
    return result;
  }
  EngineRun run(const KnowledgeTable& table, const QStringList& findings) { return run(table, findings, Options{}); }

  // Score of the one result, or -1 when there is none.
  int scoreOf(const KnowledgeTable& table, const QStringList& findings, const Options& o) {
    const EngineRun r = run(table, findings, o);
    EXPECT_TRUE(r.ok()) << r.error.toStdString();
    return r.DiseaseLst.isEmpty() ? -1 : r.DiseaseLst.first().SymWeight;
  }
  int scoreOf(const KnowledgeTable& table, const QStringList& findings) { return scoreOf(table, findings, Options{}); }

  TableNegatives negatives;
};

// A one-group syndrome scoring 30 for the finding 00101.
TDisease simple(int id, const char* code = "00101") {
  return syndrome(id, QStringLiteral("1"), QStringLiteral("30"), profile({entry('1', 1, 0, 0, code)}));
}

}  // namespace

TEST_F(Engine, ResultRecordCarriesTheSyndromeAndStartsFromTheDefaults) {
  TDisease d = simple(3);
  d.MedId1 = 7;
  d.HerId1 = 8;
  d.ICD10 = QStringLiteral("K30");
  d.InfectionFlag = QStringLiteral("0");
  d.SurgeryTag = 2;
  d.ConditionIdStr = QStringLiteral("c");
  d.HintContent = QStringLiteral("不复制");
  d.notRecommendFood = QStringLiteral("忌|生冷");
  d.recommendFood = QStringLiteral("宜|山药");
  const EngineRun r = run(tableOf({d}), {"00101"});
  ASSERT_TRUE(r.ok());
  ASSERT_EQ(r.DiseaseLst.size(), 1);
  const TIll& t = r.DiseaseLst.first();
  EXPECT_EQ(t.Id, 3);
  EXPECT_EQ(t.Name, QStringLiteral("证3"));
  EXPECT_EQ(t.Medid1, 7);
  EXPECT_EQ(t.HerId1, 8);
  EXPECT_EQ(t.SymWeight, 30);
  EXPECT_EQ(t.SymCount, 1);
  EXPECT_EQ(t.ICD10, QStringLiteral("K30"));
  EXPECT_TRUE(t.HintContent.isEmpty());
  EXPECT_EQ(t.SurgeryTag, 2);
  EXPECT_EQ(t.ConditionIdStr, QStringLiteral("c"));
  EXPECT_EQ(t.MatchModFlag, -1);  // no module scored
  EXPECT_EQ(t.FromType, 1);
  EXPECT_EQ(t.ModPreId, QStringLiteral("0"));
  EXPECT_EQ(t.Tre, QStringLiteral("治法3"));
  EXPECT_EQ(t.Pre, d.Pre);
  EXPECT_EQ(t.AcuId, 30);
  EXPECT_EQ(t.notRecommendFood, d.notRecommendFood);
  EXPECT_EQ(t.recommendFood, d.recommendFood);

  const TIll fresh;
  EXPECT_EQ(fresh.Id, -1);
  EXPECT_EQ(fresh.FromType, 1);
  EXPECT_EQ(fresh.ModPreId, QStringLiteral("0"));
}

TEST_F(Engine, EmptyTableAndUnusableRecordsGiveNothing) {
  EXPECT_TRUE(run(KnowledgeTable(), {"00101", "00102"}).DiseaseLst.isEmpty());
  EXPECT_TRUE(run(KnowledgeTable(5), {"00101"}).DiseaseLst.isEmpty());
  // A profile shorter than 10 characters makes the syndrome unusable.
  TDisease shortProfile = syndrome(1, "1", "30", QStringLiteral("110000010"));
  EXPECT_TRUE(run(tableOf({shortProfile}), {"00010"}).DiseaseLst.isEmpty());
}

TEST_F(Engine, DepartmentFilterTakesDep1WholeOrAnyItemOfDep2) {
  TDisease viaDep2 = simple(1);
  viaDep2.Dep1 = "99";
  viaDep2.Dep2 = "50,7,60";
  TDisease partialDep2 = simple(2);
  partialDep2.Dep1 = "99";
  partialDep2.Dep2 = "70";
  TDisease dep1ListText = simple(3);
  dep1ListText.Dep1 = "7,10";  // compared as a whole
  TDisease viaDep1 = simple(4);
  viaDep1.Dep1 = "10";
  const KnowledgeTable t = tableOf({viaDep2, partialDep2, dep1ListText, viaDep1});
  Options o;
  o.deps = "7, 10";  // blanks separate items too
  EXPECT_EQ(idsOf(run(t, {"00101"}, o).DiseaseLst), (QList<int>{4, 1}));
  o.deps = "";
  EXPECT_TRUE(run(t, {"00101"}, o).DiseaseLst.isEmpty());
}

TEST_F(Engine, FiveFullGroupsEarnFiftyFourNever) {
  const QString five = profile({entry('1', 1, 0, 0, "00201"), entry('2', 1, 0, 0, "00202"), entry('3', 1, 0, 0, "00203"),
                                entry('4', 1, 0, 0, "00204"), entry('5', 1, 0, 0, "00205")});
  const QStringList all = {"00201", "00202", "00203", "00204", "00205"};
  EXPECT_EQ(scoreOf(tableOf({syndrome(1, "11111", "1010101010", five)}), all), 100);
  EXPECT_EQ(scoreOf(tableOf({syndrome(1, "1111", "10101010", five)}), all), 40);
  // One group short of its count: no bonus, partial credit (10 div 2) × 1.
  EXPECT_EQ(scoreOf(tableOf({syndrome(1, "11112", "1010101010", five)}), all), 45);
  // A sixth used group that is full as well: still the bonus.
  const QString six = five + "-" + entry('6', 1, 0, 0, "00206");
  EXPECT_EQ(scoreOf(tableOf({syndrome(1, "111111", "101010101010", six)}), all + QStringList{"00206"}), 110);
  // The full-match flag turns the bonus case into 150.
  TDisease flagged = syndrome(1, "11111", "1010101010", five);
  flagged.MatchSymIdFlag = 1;
  EXPECT_EQ(scoreOf(tableOf({flagged}), all), 150);
}

TEST_F(Engine, PartialGroupGetsPerSymptomShareAndEntryWeights) {
  const TDisease d = syndrome(1, "3", "30",
                              profile({entry('1', 1, 0, 2, "00301"), entry('1', 2, 0, 1, "00302"), entry('1', 3, 0, 0, "00303")}));
  const EngineRun r = run(tableOf({d}), {"00301", "00302"});
  ASSERT_EQ(r.DiseaseLst.size(), 1);
  EXPECT_EQ(r.DiseaseLst[0].SymWeight, 23);  // (30 div 3) × 2 + 2 + 1
  EXPECT_EQ(r.DiseaseLst[0].SymCount, 2);
}

TEST_F(Engine, CodeGivenTwiceCountsTwice) {
  const TDisease d = syndrome(1, "2", "20", profile({entry('1', 1, 0, 0, "00311"), entry('1', 2, 0, 0, "00312")}));
  const EngineRun r = run(tableOf({d}), {"00311", "00311"});
  ASSERT_EQ(r.DiseaseLst.size(), 1);
  EXPECT_EQ(r.DiseaseLst[0].SymWeight, 20);
  EXPECT_EQ(r.DiseaseLst[0].SymCount, 2);
}

TEST_F(Engine, ProfileSearchIsPlainSubstringSearch) {
  // A code met at the very start of the profile (position < 6) counts for nothing.
  const TDisease d = syndrome(1, "1", "30", profile({entry('1', 1, 0, 0, "00321")}));
  EXPECT_EQ(scoreOf(tableOf({d}), {"11000", "00999"}), -1);
  // An entry with a character that is no group character still adds its weight digit.
  const TDisease odd = syndrome(2, "1", "20", profile({entry('1', 1, 0, 0, "00331"), entry('z', 1, 0, 5, "00332")}));
  EXPECT_EQ(scoreOf(tableOf({odd}), {"00331", "00332"}), 25);
  // Group "g" (16) is beyond the fifteen groups: the same.
  const TDisease beyond = syndrome(3, "1", "20", profile({entry('1', 1, 0, 0, "00331"), entry('g', 1, 0, 4, "00333")}));
  EXPECT_EQ(scoreOf(tableOf({beyond}), {"00331", "00333"}), 24);
}

struct ChiefBonusCase {
  int required;
  int weight;
  int bonus;
};

class ChiefBonus : public Engine, public ::testing::WithParamInterface<ChiefBonusCase> {};

TEST_P(ChiefBonus, IsAFifthOfTheSymptomShareFromEightOn) {
  const ChiefBonusCase c = GetParam();
  QStringList entries;
  for (int i = 1; i <= c.required; ++i) entries << entry('1', i, 0, 0, QStringLiteral("0040%1").arg(i).toLatin1().constData());
  TDisease d = syndrome(1, QString::number(c.required), QStringLiteral("%1").arg(c.weight, 2, 10, QLatin1Char('0')),
                        entries.join('-'));
  d.CardinalSymptom = "10000401";  // N 1, S 0: the chief complaint passes and nothing is deducted
  const KnowledgeTable t = tableOf({d});
  Options plain;
  plain.minScore = 0;
  Options withChief = plain;
  withChief.chief = "00401";
  const int without = scoreOf(t, {"00401"}, plain);
  ASSERT_GT(without, 0);
  EXPECT_EQ(scoreOf(t, {"00401"}, withChief) - without, c.bonus);
  // The chief complaint is searched as plain text.
  withChief.chief = "00401,99999";
  EXPECT_EQ(scoreOf(t, {"00401"}, withChief) - without, c.bonus);
}

INSTANTIATE_TEST_SUITE_P(Engine, ChiefBonus,
                         ::testing::Values(ChiefBonusCase{4, 40, 2}, ChiefBonusCase{3, 24, 2}, ChiefBonusCase{3, 36, 2},
                                           ChiefBonusCase{3, 39, 3}, ChiefBonusCase{3, 54, 4}, ChiefBonusCase{3, 21, 0},
                                           ChiefBonusCase{1, 99, 20}));

TEST_F(Engine, GroupMissingItsMustEntriesIsDisqualified) {
  // Group 1 asks for two entries with must digit 2 (00501, 00502); 00503 carries digit 0.
  const QString p = profile({entry('1', 1, 2, 1, "00501"), entry('1', 2, 2, 0, "00502"), entry('1', 3, 0, 0, "00503"),
                             entry('2', 1, 0, 0, "00511"), entry('3', 1, 0, 0, "00512"), entry('4', 1, 0, 0, "00513"),
                             entry('5', 1, 0, 0, "00514")});
  const KnowledgeTable t = tableOf({syndrome(1, "11111", "1010101010", p)});
  const QStringList others = {"00511", "00512", "00513", "00514"};
  // One digit-2 entry: group 1 adds neither weight nor count and does not count
  // toward the five groups; its entry weight 1 stays.
  EngineRun r = run(t, QStringList{"00501", "00503"} + others);
  ASSERT_EQ(r.DiseaseLst.size(), 1);
  EXPECT_EQ(r.DiseaseLst[0].SymWeight, 41);
  EXPECT_EQ(r.DiseaseLst[0].SymCount, 4);
  // Both digit-2 entries: five full groups.
  r = run(t, QStringList{"00501", "00502"} + others);
  ASSERT_EQ(r.DiseaseLst.size(), 1);
  EXPECT_EQ(r.DiseaseLst[0].SymWeight, 101);
  EXPECT_EQ(r.DiseaseLst[0].SymCount, 6);
}

TEST_F(Engine, MustDigitNineAsksForEveryEntryOfTheGroup) {
  // Group 1 (must 9) is followed by group 2; its block ends with group 2's separator,
  // which is no entry of group 1.
  const QString p = profile({entry('1', 1, 9, 0, "00521"), entry('1', 2, 0, 0, "00522"), entry('2', 1, 0, 0, "00523")});
  const KnowledgeTable t = tableOf({syndrome(1, "21", "2010", p)});
  EngineRun r = run(t, {"00521", "00522", "00523"});
  ASSERT_EQ(r.DiseaseLst.size(), 1);
  EXPECT_EQ(r.DiseaseLst[0].SymWeight, 30);
  EXPECT_EQ(r.DiseaseLst[0].SymCount, 3);
  Options o;
  o.minScore = 0;
  r = run(t, {"00521", "00523"}, o);
  ASSERT_EQ(r.DiseaseLst.size(), 1);
  EXPECT_EQ(r.DiseaseLst[0].SymWeight, 10);  // group 1 disqualified
  EXPECT_EQ(r.DiseaseLst[0].SymCount, 1);
  // The last group of the profile is judged on its entries alone.
  const QString last = profile({entry('1', 1, 0, 0, "00531"), entry('2', 1, 9, 0, "00532"), entry('2', 2, 9, 0, "00533")});
  const KnowledgeTable t2 = tableOf({syndrome(1, "11", "1020", last)});
  EXPECT_EQ(scoreOf(t2, {"00531", "00532", "00533"}), 30);
  EXPECT_EQ(scoreOf(t2, {"00531", "00532"}, o), 10);
}

TEST_F(Engine, MustAllGroupWithALeftoverPieceIsNeverMet) {
  // An entry longer than eleven characters leaves a piece without a code ("3-"
  // before the next group, "3" at the end): it is an entry that is never present.
  Options o;
  o.minScore = 0;
  const struct {
    const char* profile;
    int weight, count;
  } cases[] = {{"11900011113-2100002222", 30, 1}, {"1100001111-21900022223", 30, 1},
               {"11100011113-2100002222", 60, 2}, {"1100001111-21100022223", 60, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.profile);
    const KnowledgeTable t = tableOf({syndrome(1, "11", "3030", QString::fromLatin1(c.profile))});
    const EngineRun r = run(t, {"01111", "02222"}, o);
    ASSERT_EQ(r.DiseaseLst.size(), 1);
    EXPECT_EQ(r.DiseaseLst[0].SymWeight, c.weight);
    EXPECT_EQ(r.DiseaseLst[0].SymCount, c.count);
  }
}

TEST_F(Engine, RequirementDetailFunctions) {
  using namespace engine_detail;
  CodeTable codes;
  const QString p = profile({entry('1', 1, 2, 0, "00541"), entry('1', 2, 1, 0, "00542"), entry('1', 3, 2, 0, "00543"),
                             entry('2', 1, 0, 0, "00544")});
  const GroupRequirement g1 = parseGroupRequirement(p, 1, codes);
  const GroupRequirement g2 = parseGroupRequirement(p, 2, codes);
  const GroupRequirement g3 = parseGroupRequirement(p, 3, codes);
  FindingSet f(codes.size());
  f.add(codes.find("00541"));
  f.add(codes.find("00542"));
  EXPECT_FALSE(ChkMustSym(g1, f));  // 00542 carries digit 1, not the group's 2
  f.add(codes.find("00543"));
  EXPECT_TRUE(ChkMustSym(g1, f));
  EXPECT_TRUE(ChkMustSym(g2, FindingSet(codes.size())));  // must digit 0
  EXPECT_TRUE(ChkMustSym(g3, FindingSet(codes.size())));  // no such group
  EXPECT_EQ(g1.entries.size(), 3u);  // the trailing separator is no entry

  EXPECT_EQ(ChrToInt('0'), 0);
  EXPECT_EQ(ChrToInt('9'), 9);
  EXPECT_EQ(ChrToInt('a'), 10);
  EXPECT_EQ(ChrToInt('f'), 15);
  EXPECT_EQ(ChrToInt('i'), 18);
  EXPECT_EQ(ChrToInt('j'), -1);
  EXPECT_EQ(ChrToInt('A'), -1);
  EXPECT_EQ(groupMark(1), "-11");
  EXPECT_EQ(groupMark(10), "-a1");
  EXPECT_EQ(groupMark(15), "-f1");
}

TEST_F(Engine, ModuleNeedsEveryRequiredSegment) {
  // Segment 1: N 1, S 15, codes X 00611 and Y 00612; segment 2: N 0, S 05, code Z 00613.
  TDisease d = simple(1, "00601");
  d.SymModIdStr = "1150061100612-00500613";
  d.ModPreIdStr = "0&0";
  const KnowledgeTable t = tableOf({d});
  EXPECT_EQ(scoreOf(t, {"00601", "00612", "00613"}), 50);
  EXPECT_EQ(scoreOf(t, {"00601", "00613"}), 30);
  EXPECT_EQ(scoreOf(t, {"00601", "00611", "00612", "00613"}), 50);
  const EngineRun r = run(t, {"00601", "00612"});
  ASSERT_EQ(r.DiseaseLst.size(), 1);
  EXPECT_EQ(r.DiseaseLst[0].SymWeight, 45);
  EXPECT_EQ(r.DiseaseLst[0].ModPreId, "0");  // the chosen item is "0": no module prescription
  EXPECT_EQ(r.DiseaseLst[0].FromType, 1);
  EXPECT_EQ(r.DiseaseLst[0].MatchModFlag, -1);  // no flags text
}

TEST_F(Engine, DeductionModulesSumOrTakeTheBest) {
  TDisease sum = simple(1, "00621");
  sum.Weight = "60";
  sum.DecWeightSymIdStr = "01000622&00500623";
  TDisease best = simple(2, "00621");
  best.Weight = "60";
  best.DifferentialDiagnosis = "01000622&00500623";
  const KnowledgeTable t = tableOf({sum, best});
  const EngineRun r = run(t, {"00621", "00622", "00623"});
  ASSERT_EQ(r.DiseaseLst.size(), 2);
  EXPECT_EQ(r.DiseaseLst[0].Id, 2);
  EXPECT_EQ(r.DiseaseLst[0].SymWeight, 50);  // 60 − best 10
  EXPECT_EQ(r.DiseaseLst[1].SymWeight, 45);  // 60 − (10 + 5)
}

TEST_F(Engine, DecisiveBestModuleForcesScoreAndChoosesPrescription) {
  TDisease d = simple(1, "00701");
  d.SymModIdStr = "01000702&02500703";
  d.MatchModFlagStr = "01";
  d.ModPreIdStr = "p0&p1&p2";
  const EngineRun r = run(tableOf({d}), {"00701", "00702", "00703"});
  ASSERT_EQ(r.DiseaseLst.size(), 1);
  EXPECT_EQ(r.DiseaseLst[0].SymWeight, 150);
  EXPECT_EQ(r.DiseaseLst[0].MatchModFlag, 1);
  EXPECT_EQ(r.DiseaseLst[0].ModPreId, "p2");
  EXPECT_EQ(r.DiseaseLst[0].FromType, 3);

  d.MatchModFlagStr = "10";  // the best module's flag is 0
  EngineRun r2 = run(tableOf({d}), {"00701", "00702", "00703"});
  ASSERT_EQ(r2.DiseaseLst.size(), 1);
  EXPECT_EQ(r2.DiseaseLst[0].SymWeight, 55);
  EXPECT_EQ(r2.DiseaseLst[0].MatchModFlag, 0);
  EXPECT_EQ(r2.DiseaseLst[0].ModPreId, "p2");

  d.MatchModFlagStr = "1";  // no digit for module 2
  r2 = run(tableOf({d}), {"00701", "00702", "00703"});
  ASSERT_EQ(r2.DiseaseLst.size(), 1);
  EXPECT_EQ(r2.DiseaseLst[0].MatchModFlag, -1);

  d.SymModIdStr = "02500702&02500703";  // equal scores: the first stays best
  d.MatchModFlagStr = "01";
  r2 = run(tableOf({d}), {"00701", "00702", "00703"});
  ASSERT_EQ(r2.DiseaseLst.size(), 1);
  EXPECT_EQ(r2.DiseaseLst[0].ModPreId, "p1");
  EXPECT_EQ(r2.DiseaseLst[0].MatchModFlag, 0);
}

TEST_F(Engine, DecisiveModuleDoesNotLiftASyndromeBelowTheMinimum) {
  TDisease d = simple(1, "00711");
  d.Weight = "05";
  d.SymModIdStr = "01000712";
  d.MatchModFlagStr = "1";
  d.ModPreIdStr = "0&88";
  Options o;
  o.minScore = 20;
  EXPECT_TRUE(run(tableOf({d}), {"00711", "00712"}, o).DiseaseLst.isEmpty());  // 5 + 10 < 20
  o.minScore = 15;
  const EngineRun r = run(tableOf({d}), {"00711", "00712"}, o);
  ASSERT_EQ(r.DiseaseLst.size(), 1);
  EXPECT_EQ(r.DiseaseLst[0].SymWeight, 150);
}

TEST_F(Engine, TestResultFlagMakesTheResultDecisive) {
  TDisease d = simple(1, "00721");
  d.TestResultSymIdStr = "01000722";
  d.MatchTestResultFlag = "1";
  const EngineRun r = run(tableOf({d}), {"00721", "00722"});
  ASSERT_EQ(r.DiseaseLst.size(), 1);
  EXPECT_EQ(r.DiseaseLst[0].SymWeight, 150);
  EXPECT_EQ(r.DiseaseLst[0].MatchModFlag, 1);
  EXPECT_EQ(r.DiseaseLst[0].FromType, 1);  // test-result modules choose no prescription
}

TEST_F(Engine, FailedMustSegmentsDeductEverySegmentsPoints) {
  TDisease d = simple(1, "00801");
  d.Weight = "40";
  // (N 2, S 10, X 00802 and Y 00803) and (N 0, S 10, Z 00804).
  d.CardinalSymptom = "2100080200803-01000804";
  const KnowledgeTable t = tableOf({d});
  Options o;
  o.minScore = 0;
  EXPECT_EQ(scoreOf(t, {"00801", "00802"}, o), 20);
  EXPECT_EQ(scoreOf(t, {"00801", "00802", "00803"}, o), 40);
  o.minScore = 21;  // the deduction pushes it below the minimum
  EXPECT_EQ(scoreOf(t, {"00801", "00802"}, o), -1);
}

TEST_F(Engine, ChiefComplaintKeepsOnlySyndromesWhoseMustSegmentsHoldIt) {
  TDisease holds = simple(1, "00901");
  holds.CardinalSymptom = "10000901";
  TDisease other = simple(2, "00901");
  other.CardinalSymptom = "10000999";
  TDisease noCardinal = simple(3, "00901");
  TDisease optionalOnly = simple(4, "00901");
  optionalOnly.CardinalSymptom = "00000901";  // N = 0 segments do not count
  TDisease secondSegment = simple(5, "00901");
  secondSegment.CardinalSymptom = "00000999-10000998-10000901";
  const KnowledgeTable t = tableOf({holds, other, noCardinal, optionalOnly, secondSegment});
  Options o;
  o.minScore = 0;
  o.chief = "00901";
  // Syndrome 5 also needs 00998 among the findings, or it loses its segment points (0 here).
  EXPECT_EQ(idsOf(run(t, {"00901"}, o).DiseaseLst), (QList<int>{5, 1}));
  o.chief.clear();
  // Without a chief complaint all five score 30 (their S = 0 deducts nothing); four are kept.
  EXPECT_EQ(idsOf(run(t, {"00901"}, o).DiseaseLst), (QList<int>{5, 4, 3, 2}));
}

TEST_F(Engine, RankingTiesFollowTheSortType) {
  const TDisease one = simple(1, "01001");  // 30, count 1
  const TDisease two = syndrome(2, "2", "30", profile({entry('1', 1, 0, 0, "01001"), entry('1', 2, 0, 0, "01002")}));
  const TDisease three = simple(3, "01001");  // the same as 1
  const KnowledgeTable t = tableOf({one, two, three});
  Options o;
  o.sort = kSortByScoreThenCount;
  EXPECT_EQ(idsOf(run(t, {"01001", "01002"}, o).DiseaseLst), (QList<int>{2, 3, 1}));
  o.sort = kSortByScore;
  EXPECT_EQ(idsOf(run(t, {"01001", "01002"}, o).DiseaseLst), (QList<int>{1, 2, 3}));
  o.sort = 7;  // anything but 0 ranks by score, then count
  EXPECT_EQ(idsOf(run(t, {"01001", "01002"}, o).DiseaseLst), (QList<int>{2, 3, 1}));
}

TEST_F(Engine, OnlyTheFirstResultsUpToTheLimitAreKept) {
  QList<TDisease> list;
  KnowledgeTable t(6);
  for (int id = 1; id <= 6; ++id) {
    TDisease d = simple(id, "01101");
    d.Weight = QString::number(20 + id * 5);
    t.record(id) = d;
  }
  Options o;
  EXPECT_EQ(idsOf(run(t, {"01101"}, o).DiseaseLst), (QList<int>{6, 5, 4, 3}));
  o.limit = 1;
  EXPECT_EQ(idsOf(run(t, {"01101"}, o).DiseaseLst), (QList<int>{6}));
  o.limit = 0;
  EXPECT_TRUE(run(t, {"01101"}, o).DiseaseLst.isEmpty());
  o.limit = 10;
  o.minScore = 40;  // 25 and 30 and 35 fall out
  EXPECT_EQ(idsOf(run(t, {"01101"}, o).DiseaseLst), (QList<int>{6, 5, 4}));
}

TEST_F(Engine, UnreadableGroupCountsGiveNoBaseScoreButModulesStillCount) {
  for (const auto& [orValue, weight] : {std::pair{"1x", "3030"}, std::pair{"11", "303"}, std::pair{"1", "3a"}}) {
    TDisease d = simple(1, "01201");
    d.ORValue = orValue;
    d.Weight = weight;
    d.SymModIdStr = "02501202";
    d.ModPreIdStr = "0&0";
    const EngineRun r = run(tableOf({d}), {"01201", "01202"});
    ASSERT_TRUE(r.ok());
    ASSERT_EQ(r.DiseaseLst.size(), 1) << orValue;
    EXPECT_EQ(r.DiseaseLst[0].SymWeight, 25);
    EXPECT_EQ(r.DiseaseLst[0].SymCount, 0);
  }
}

TEST_F(Engine, NegativeFindingsJoinTheFindingsOfTheirSyndromeOnly) {
  // Absent 01301 implies 01399, which syndrome 1's second group holds.
  negatives.negativeOf.insert("01301", "01399");
  TDisease withNegative = syndrome(1, "11", "3020", profile({entry('1', 1, 0, 0, "01300"), entry('2', 1, 0, 0, "01399")}));
  withNegative.NegativeSymIdStr = "01301";
  TDisease plain = syndrome(2, "11", "3020", profile({entry('1', 1, 0, 0, "01300"), entry('2', 1, 0, 0, "01399")}));
  plain.NegativeSymIdStr = "01302";  // nothing known: nothing implied
  const KnowledgeTable t = tableOf({withNegative, plain});
  EngineRun r = run(t, {"01300"});
  ASSERT_EQ(idsOf(r.DiseaseLst), (QList<int>{1, 2}));
  EXPECT_EQ(r.DiseaseLst[0].SymWeight, 50);
  EXPECT_EQ(r.DiseaseLst[1].SymWeight, 30);
  // The second lookup sees the caller's findings only, not syndrome 1's addition.
  ASSERT_GE(negatives.calls.size(), 2);
  EXPECT_EQ(negatives.calls[negatives.calls.size() - 1].CodeLst, QStringList{"01300"});
  // A present code satisfies its group: nothing is implied.
  r = run(t, {"01300", "01301"});
  ASSERT_EQ(r.DiseaseLst.size(), 2);
  EXPECT_EQ(r.DiseaseLst[0].SymWeight, 30);
}

TEST_F(Engine, NegativeFindingsCountInModulesAndMustSegments) {
  negatives.negativeOf.insert("01311", "01312");
  TDisease d = simple(1, "01310");
  d.NegativeSymIdStr = "01311";
  d.SymModIdStr = "11001312";
  d.ModPreIdStr = "0&0";
  d.CardinalSymptom = "12001312";
  Options o;
  o.minScore = 0;
  EXPECT_EQ(scoreOf(tableOf({d}), {"01310"}, o), 40);
  EXPECT_EQ(scoreOf(tableOf({d}), {"01310", "01311"}, o), 10);  // no module, must segment deducted 20
}

TEST_F(Engine, FailedLookupStopsTheRun) {
  negatives.failOn = "01402";
  TDisease first = simple(1, "01401");
  TDisease failing = simple(2, "01401");
  failing.NegativeSymIdStr = "01402";
  TDisease after = simple(3, "01401");
  Options o;
  o.limit = 0;  // the list is not cut after a failure
  const EngineRun r = run(tableOf({first, failing, after}), {"01401"}, o);
  EXPECT_FALSE(r.ok());
  EXPECT_TRUE(r.error.contains(QStringLiteral("证型 2"))) << r.error.toStdString();
  EXPECT_TRUE(r.error.contains(QStringLiteral("本地数据库不可用")));
  EXPECT_EQ(idsOf(r.DiseaseLst), (QList<int>{1}));
}

TEST_F(Engine, UnreadableModuleTextsStopTheRunNamingTheSyndrome) {
  struct Case {
    const char* column;
    void (*set)(TDisease&);
  };
  const Case cases[] = {
      {"DecWeightSymIdStr", [](TDisease& d) { d.DecWeightSymIdStr = "01"; }},  // no second S digit
      {"DifferentialDiagnosisIdStr", [](TDisease& d) { d.DifferentialDiagnosis = "010015010-x10"; }},
      {"TestResultSymIdStr", [](TDisease& d) { d.TestResultSymIdStr = "01001501&1"; }},
      {"SymModIdStr", [](TDisease& d) { d.SymModIdStr = "0100150-"; }},  // an empty segment
      {"SymModIdStr", [](TDisease& d) { d.SymModIdStr = "a2001501"; }},
  };
  for (const Case& c : cases) {
    TDisease good1 = simple(1, "01501");
    TDisease good2 = simple(2, "01501");
    good2.Weight = "40";
    TDisease bad = simple(4, "01501");
    c.set(bad);
    TDisease later = simple(5, "01501");
    Options o;
    o.limit = 1;
    const EngineRun r = run(tableOf({good1, good2, bad, later}), {"01501", "01502"}, o);
    EXPECT_FALSE(r.ok()) << c.column;
    EXPECT_TRUE(r.error.contains(QStringLiteral("证型 4（证4）"))) << r.error.toStdString();
    EXPECT_TRUE(r.error.contains(QLatin1String(c.column))) << r.error.toStdString();
    // Everything ranked before the failure, uncut by the limit.
    EXPECT_EQ(idsOf(r.DiseaseLst), (QList<int>{2, 1})) << c.column;
  }
}

TEST_F(Engine, UnreadableSegmentIsFoundEvenAfterAFailingSegment) {
  TDisease d = simple(1, "01511");
  d.SymModIdStr = "11000000-xyz";  // the first segment already fails, the second cannot be read
  EXPECT_FALSE(run(tableOf({d}), {"01511"}).ok());
  d.SymModIdStr = "11000000&&xyz";  // an empty module ends the list before the bad one
  d.ModPreIdStr = "0&1";
  EXPECT_TRUE(run(tableOf({d}), {"01511"}).ok());
  // Up to ten segments are read, the rest ignored.
  d.SymModIdStr = "000-000-000-000-000-000-000-000-000-000-xyz";
  EXPECT_TRUE(run(tableOf({d}), {"01511"}).ok());
}

TEST_F(Engine, UnreadableMustSegmentsStopTheRunWhenRead) {
  TDisease d = simple(1, "01601");
  d.CardinalSymptom = "1x001601";
  Options o;
  EXPECT_FALSE(run(tableOf({d}), {"01601"}, o).ok());  // scored above the minimum: read
  o.minScore = 31;
  EXPECT_TRUE(run(tableOf({d}), {"01601"}, o).ok());  // below the minimum: never read
  o.chief = "01601";
  const EngineRun r = run(tableOf({d}), {"01601"}, o);  // the chief complaint reads it first
  EXPECT_FALSE(r.ok());
  EXPECT_TRUE(r.error.contains("CardinalSymptomIdStr"));
  // Only the first five segments are read.
  d.CardinalSymptom = "000-000-000-000-10001601-xyz";
  EXPECT_TRUE(run(tableOf({d}), {"01601"}, o).ok());
}

TEST_F(Engine, MissingModulePrescriptionStopsTheRun) {
  TDisease d = simple(1, "01701");
  d.SymModIdStr = "01001702&02001703";
  d.ModPreIdStr = "0&11";  // module 2 has no item
  const EngineRun r = run(tableOf({simple(2, "01701"), d}), {"01701", "01703"});
  EXPECT_FALSE(r.ok());
  EXPECT_TRUE(r.error.contains("ModPreIdStr"));
  EXPECT_TRUE(r.DiseaseLst.isEmpty());  // syndrome 1 comes first and is not inserted
  d.ModPreIdStr.clear();
  EXPECT_FALSE(run(tableOf({d}), {"01701", "01702"}).ok());
  d.ModPreIdStr = R"(0 & "12" & 13)";  // an item list split: blanks and quotes
  const EngineRun quoted = run(tableOf({d}), {"01701", "01702"});
  ASSERT_TRUE(quoted.ok());
  EXPECT_EQ(quoted.DiseaseLst[0].ModPreId, "12");
  EXPECT_EQ(quoted.DiseaseLst[0].FromType, 3);
}

TEST_F(Engine, CallerFindingsComeBackAfterEveryKindOfRun) {
  negatives.negativeOf.insert("01801", "01899");
  TDisease a = simple(1, "01800");
  a.NegativeSymIdStr = "01801";
  TDisease b = simple(2, "01800");
  b.NegativeSymIdStr = "01802";
  negatives.failOn = "01802";
  QStringList findings = {"01800", "", "01800"};
  QString hint;
  const EngineRun r = GetIllBySymLst(tableOf({a, b}), findings, 4, 20, 1, "1", hint, QString(), negatives);
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(findings, (QStringList{"01800", "", "01800"}));
  negatives.failOn.clear();
  const EngineRun ok = GetIllBySymLst(tableOf({a, b}), findings, 4, 20, 1, "1", hint, QString(), negatives);
  EXPECT_TRUE(ok.ok());
  EXPECT_EQ(ok.DiseaseLst.size(), 2);
  EXPECT_EQ(findings, (QStringList{"01800", "", "01800"}));
}

TEST_F(Engine, IndexCacheRebuildsOnlyForANewTable) {
  SyndromeIndexCache cache;
  auto table = std::make_shared<KnowledgeTable>(tableOf({simple(1)}));
  const auto first = cache.indexFor(table);
  EXPECT_EQ(cache.indexFor(table), first);
  auto reloaded = std::make_shared<KnowledgeTable>(tableOf({simple(1), simple(2)}));
  const auto second = cache.indexFor(reloaded);
  EXPECT_NE(second, first);
  QStringList findings = {"00101"};
  QString hint;
  const EngineRun r = GetIllBySymLst(*second, findings, 4, 20, 1, "1", hint, QString(), negatives);
  EXPECT_EQ(idsOf(r.DiseaseLst), (QList<int>{2, 1}));
  // The index keeps its table alive.
  reloaded.reset();
  const EngineRun again = GetIllBySymLst(*second, findings, 4, 20, 1, "1", hint, QString(), negatives);
  EXPECT_EQ(again.DiseaseLst.size(), 2);
}

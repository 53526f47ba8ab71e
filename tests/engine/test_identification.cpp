// The identification run: code list, gender and age codes, department list,
// the chief complaint run, the fallback without it and the diet-rule step.
#include <gtest/gtest.h>

#include "engine/identification.h"
#include "engine_fixtures.h"

using namespace tcm;
using namespace tcm::test;

TEST(CodeList, EveryOtherPartPaddedOnceEach) {
  QStringList codes;
  GetCode(codes, "12,900,345,901");
  EXPECT_EQ(codes, (QStringList{"00012", "00345"}));
  GetCode(codes, "345");  // already there
  GetCode(codes, "");     // an empty id contributes nothing
  GetCode(codes, "123456");
  EXPECT_EQ(codes, (QStringList{"00012", "00345", "123456"}));
  EXPECT_EQ(FmtId("7"), "00007");
  EXPECT_EQ(FmtId("01294"), "01294");
}

TEST(CodeList, DiseaseFirstThenSymptomsThenTongueWithoutPulse) {
  const QList<SelectedFinding> selected = {{"11", kClassSymptom}, {"61", kClassPulse},  {"51", kClassTongue},
                                           {"12", kClassSymptom}, {"81", kClassDisease}, {"11", kClassTongue}};
  EXPECT_EQ(GetCodeList(selected), (QStringList{"00081", "00011", "00012", "00051"}));
}

TEST(Demographics, AgeBandsAndGender) {
  const std::pair<const char*, const char*> bands[] = {
      {"", "01292"},    {"0", "01292"},   {"5", "01292"},   {"6", "01293"},     {"13", "01293"},  {"14", "01084"},
      {"44", "01084"},  {"45", "00990"},  {"59", "00990"},  {"60", "00997"},    {"103", "00997"}, {"12岁", "01293"},
      {"50abc", "00990"}, {"岁50", "01292"}, {" 50", "01292"}, {"99999999999999", "00997"}};
  for (const auto& [age, code] : bands) EXPECT_EQ(getAgeCode(QString::fromUtf8(age)), QLatin1String(code)) << age;
  EXPECT_EQ(leadingNumber("12abc"), 12);
  EXPECT_EQ(genderCode(QStringLiteral("男")), "01294");
  EXPECT_EQ(genderCode(QStringLiteral("女")), "01295");
  EXPECT_EQ(genderCode(QString()), "01295");
  EXPECT_EQ(genderCode(QStringLiteral(" 男")), "01295");  // exactly "男"
  EXPECT_EQ(departmentList(QStringLiteral("男")), QLatin1String(kMaleDepartments));
  EXPECT_EQ(departmentList(QString()), QLatin1String(kFemaleDepartments));
  EXPECT_TRUE(departmentList(QStringLiteral("男")).split(',').contains("15"));
  EXPECT_FALSE(departmentList(QStringLiteral("男")).split(',').contains("3"));
  EXPECT_TRUE(departmentList(QStringLiteral("女")).split(',').contains("3"));
  EXPECT_FALSE(departmentList(QStringLiteral("女")).split(',').contains("15"));
}

namespace {

// Syndromes:
//  1  gynaecology (department 3): symptom 02101 and the female code
//  2  andrology (department 15): symptom 02101 and the male code
//  3  department 16: symptom 02101 and the age band 45–59
//  4  department 16: symptoms 02101 and 02102 (19 each), must segment on 02103 (chief complaint 2103)
//  5  department 16: symptom 02104 only
class IdentificationRun : public ::testing::Test {
 protected:
  void SetUp() override {
    TDisease gyn = syndrome(1, "11", "2010", profile({entry('1', 1, 0, 0, "02101"), entry('2', 1, 0, 0, "01295")}));
    gyn.Dep1 = "3";
    TDisease andro = syndrome(2, "11", "2010", profile({entry('1', 1, 0, 0, "02101"), entry('2', 1, 0, 0, "01294")}));
    andro.Dep1 = "15";
    TDisease middleAge = syndrome(3, "11", "1020", profile({entry('1', 1, 0, 0, "02101"), entry('2', 1, 0, 0, "00990")}));
    middleAge.Dep1 = "16";
    TDisease chief = syndrome(4, "2", "38", profile({entry('1', 1, 0, 0, "02101"), entry('1', 2, 0, 0, "02102")}));
    chief.Dep1 = "16";
    chief.CardinalSymptom = "10002103";
    TDisease other = syndrome(5, "1", "25", profile({entry('1', 1, 0, 0, "02104")}));
    other.Dep1 = "16";
    table = std::make_shared<KnowledgeTable>(tableOf({gyn, andro, middleAge, chief, other}));
    index = std::make_unique<SyndromeIndex>(table);
  }

  Identification identify(const QStringList& codes, const QString& primary, const QString& gender,
                          const QString& age, const DietRuleStep& diet = {}) {
    return Ai(*index, negatives, IdentificationInput{codes, primary, gender, age}, diet);
  }

  KnowledgeTablePtr table;
  std::unique_ptr<SyndromeIndex> index;
  TableNegatives negatives;
};

}  // namespace

TEST_F(IdentificationRun, OneCodeWithoutPrimaryStopsBeforeTheEngine) {
  int dietCalls = 0;
  const Identification id = identify({"02101"}, QString(), QString(), "50", [&](const QString&, const QString&) {
    ++dietCalls;
    return QString();
  });
  EXPECT_EQ(id.outcome, IdentificationOutcome::TooFewFindings);
  EXPECT_EQ(id.codes, QStringList{"02101"});  // no gender or age code yet
  EXPECT_TRUE(id.results.isEmpty());
  EXPECT_TRUE(id.shown.isEmpty());
  EXPECT_EQ(dietCalls, 0);
}

TEST_F(IdentificationRun, TwoCodesGetGenderAndAgeCodesAndShowTheFirstResult) {
  const Identification id = identify({"02101", "02102"}, QString(), QString(), QString());
  EXPECT_EQ(id.codes, (QStringList{"02101", "02102", "01295", "01292"}));
  EXPECT_EQ(id.symIds, "02101,02102,01295,01292");
  EXPECT_EQ(id.departments, QLatin1String(kFemaleDepartments));
  EXPECT_TRUE(id.chiefComplaint.isEmpty());
  ASSERT_EQ(id.outcome, IdentificationOutcome::Ranked);
  // 4: 38; 1: 30; 3: 10, below the minimum; 2: male only.
  EXPECT_EQ(idsOf(id.results), (QList<int>{4, 1}));
  EXPECT_EQ(idsOf(id.shown), (QList<int>{4}));
}

TEST_F(IdentificationRun, GenderBoxChoosesDepartmentsAndGenderCode) {
  const Identification male = identify({"02101", "02104"}, QString(), QStringLiteral("男"), "30");
  EXPECT_EQ(male.codes.mid(2), (QStringList{"01294", "01084"}));
  EXPECT_EQ(idsOf(male.results), (QList<int>{2, 5}));
  const Identification female = identify({"02101", "02104"}, QString(), QStringLiteral("女"), "30");
  EXPECT_EQ(idsOf(female.results), (QList<int>{1, 5}));
}

TEST_F(IdentificationRun, AgeBandCodeJoinsTheFindings) {
  const Identification young = identify({"02101", "02104"}, QString(), QStringLiteral("男"), "44");
  EXPECT_FALSE(idsOf(young.results).contains(3));
  const Identification middle = identify({"02101", "02104"}, QString(), QStringLiteral("男"), "45岁");
  EXPECT_EQ(idsOf(middle.results), (QList<int>{3, 2, 5}));  // 3 and 2 tie: the larger id first
}

TEST_F(IdentificationRun, PrimaryFindingIsTheChiefComplaint) {
  const Identification id = identify({"02101", "02102", "02103"}, "2103", QString(), "30");
  EXPECT_EQ(id.chiefComplaint, "02103");
  ASSERT_EQ(id.outcome, IdentificationOutcome::Ranked);
  EXPECT_EQ(idsOf(id.results), (QList<int>{4}));
  EXPECT_EQ(idsOf(id.shown), (QList<int>{4}));
}

TEST_F(IdentificationRun, NothingUnderTheChiefComplaintAsksAgainWithoutIt) {
  // No syndrome has 02104 in its must segments: the run without it shows its best result.
  const Identification id = identify({"02101", "02104"}, "2104", QString(), "30");
  ASSERT_EQ(id.outcome, IdentificationOutcome::RankedWithoutChiefComplaint);
  EXPECT_EQ(idsOf(id.results), (QList<int>{1, 5}));
  EXPECT_EQ(idsOf(id.shown), (QList<int>{1}));  // the best, not the lowest-ranked
  // A primary finding counts even with a single code.
  const Identification single = identify({"02104"}, "2104", QString(), "30");
  EXPECT_EQ(idsOf(single.shown), (QList<int>{5}));
  // Nothing either way.
  const Identification none = identify({"09999"}, "9999", QString(), "30");
  EXPECT_EQ(none.outcome, IdentificationOutcome::NoResult);
  EXPECT_TRUE(none.shown.isEmpty());
}

TEST_F(IdentificationRun, DietRulesOfThePrimaryFindingComeFirst) {
  QStringList seen;
  const auto rule = [&](const QString& primary, const QString& symIds) {
    seen << primary + "|" + symIds;
    return primary == "02103" ? QStringLiteral("[{id:7,name:山药粥,remark:1}]") : QString();
  };
  const Identification byRule = identify({"02101", "02103"}, "2103", QString(), "30", rule);
  EXPECT_EQ(byRule.outcome, IdentificationOutcome::DietRule);
  EXPECT_EQ(byRule.dietPre, "[{id:7,name:山药粥,remark:1}]");
  EXPECT_TRUE(byRule.results.isEmpty());
  EXPECT_EQ(seen, QStringList{"02103|02101,02103,01295,01084"});
  // No prescription text from the rules: the engine is asked.
  const Identification byEngine = identify({"02101", "02102"}, "2104", QString(), "30", rule);
  EXPECT_EQ(byEngine.outcome, IdentificationOutcome::RankedWithoutChiefComplaint);
  // Without a primary finding the rules are not tried.
  seen.clear();
  (void)identify({"02101", "02102"}, QString(), QString(), "30", rule);
  EXPECT_TRUE(seen.isEmpty());
}

TEST_F(IdentificationRun, EngineFailureIsReported) {
  TDisease broken = syndrome(1, "1", "30", profile({entry('1', 1, 0, 0, "02101")}));
  broken.SymModIdStr = "x";
  const SyndromeIndex brokenIndex(std::make_shared<KnowledgeTable>(tableOf({broken})));
  const Identification id = Ai(brokenIndex, negatives, IdentificationInput{{"02101", "02102"}, {}, {}, {}});
  EXPECT_EQ(id.outcome, IdentificationOutcome::Failed);
  EXPECT_TRUE(id.error.contains(QStringLiteral("证型 1"))) << id.error.toStdString();
  // Under the chief complaint (the syndrome holds it in its must segments).
  broken.CardinalSymptom = "10002101";
  const SyndromeIndex withCardinal(std::make_shared<KnowledgeTable>(tableOf({broken})));
  const Identification underChief = Ai(withCardinal, negatives, IdentificationInput{{"02101"}, "2101", {}, {}});
  EXPECT_EQ(underChief.outcome, IdentificationOutcome::Failed);
  // In the run without the chief complaint (the first run passes the syndrome by).
  const Identification inFallback = Ai(brokenIndex, negatives, IdentificationInput{{"02101"}, "2101", {}, {}});
  EXPECT_EQ(inFallback.outcome, IdentificationOutcome::Failed);
  EXPECT_TRUE(inFallback.shown.isEmpty());
}

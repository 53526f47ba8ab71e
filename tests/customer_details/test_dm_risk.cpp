// The diabetes risk score: each table of points at its band edges, whole
// questionnaires, and storing the class on both databases.
#include "customer/dm_risk.h"
#include "details_fixture.h"

using namespace tcm;
using namespace tcm::test;

namespace {

TEST(DmRiskScore, PointsAtEveryBandEdge) {
  const QList<std::pair<int, int>> age = {{0, 0},   {24, 0},  {25, 4},  {34, 4},  {35, 8},  {39, 8},  {40, 11},
                                          {44, 11}, {45, 12}, {49, 12}, {50, 13}, {54, 13}, {55, 15}, {59, 15},
                                          {60, 16}, {64, 16}, {65, 18}, {74, 18}, {75, 0},  {80, 0}};
  for (const auto& [years, points] : age) EXPECT_EQ(dmAgePoints(years), points) << "age " << years;

  const QList<std::pair<int, int>> pressure = {{0, 0},    {109, 0},  {110, 1},  {119, 1}, {120, 3},
                                               {129, 3},  {130, 6},  {139, 6},  {140, 7}, {149, 7},
                                               {150, 8},  {159, 8},  {160, 10}, {220, 10}};
  for (const auto& [mmHg, points] : pressure) EXPECT_EQ(dmPressurePoints(mmHg), points) << "pressure " << mmHg;

  // Half-open bands: nothing falls between 23.9 and 24 or between 29.9 and 30.
  const QList<std::pair<double, int>> bmi = {{0, 0},     {21.99, 0}, {22, 1},    {23.9, 1}, {23.95, 1},
                                             {24, 3},    {29.9, 3},  {29.95, 3}, {30, 5},   {45, 5}};
  for (const auto& [value, points] : bmi) EXPECT_EQ(dmBmiPoints(value), points) << "BMI " << value;

  struct Waist {
    double cm;
    int male, female;
  };
  const QList<Waist> waist = {{0, 0, 0},      {69.95, 0, 0}, {70, 0, 3},    {74.9, 0, 3},  {74.95, 0, 3},
                              {75, 3, 5},     {79.95, 3, 5}, {80, 5, 7},    {84.95, 5, 7}, {85, 7, 8},
                              {89.95, 7, 8},  {90, 8, 10},   {94.95, 8, 10}, {95, 10, 10}, {130, 10, 10}};
  for (const Waist& w : waist) {
    EXPECT_EQ(dmWaistPoints(w.cm, DmGender::Male), w.male) << "waist " << w.cm;
    EXPECT_EQ(dmWaistPoints(w.cm, DmGender::Female), w.female) << "waist " << w.cm;
    EXPECT_EQ(dmWaistPoints(w.cm, DmGender::None), 0) << "waist " << w.cm;
  }

  const QList<std::pair<int, QString>> classes = {{0, QStringLiteral("低危")},    {16, QStringLiteral("低危")},
                                                  {17, QStringLiteral("中危型")}, {24, QStringLiteral("中危型")},
                                                  {25, QStringLiteral("高危型")}, {51, QStringLiteral("高危型")}};
  for (const auto& [score, riskClass] : classes) EXPECT_EQ(dmRiskClass(score), riskClass) << score;

  EXPECT_EQ(dmWholeNumber(" 170.5"), 170);
  EXPECT_EQ(dmWholeNumber("abc"), 0);
  EXPECT_EQ(dmWholeNumber("65kg"), 65);
  EXPECT_DOUBLE_EQ(dmDecimal(" 88.5cm"), 88.5);
  EXPECT_DOUBLE_EQ(dmDecimal("74.95"), 74.95);
  EXPECT_DOUBLE_EQ(dmDecimal("腰"), 0.0);
}

TEST(DmRiskScore, WholeQuestionnaires) {
  const auto M = DmGender::Male, F = DmGender::Female, N = DmGender::None;
  const std::optional<bool> yes = true, no = false, none;
  struct Case {
    DmAnswers a;
    std::optional<int> score;  // none: not scored, the shown result stays
  };
  const QList<Case> cases = {
      // age 12 + pressure 6 + BMI 24.2 → 3 + waist 7 + family 6 + male 2
      {{M, "45", "170", "70", "88", "135", yes, no, yes}, 36},
      // age 4, BMI 19.5 and waist 68 add nothing; no daily activity adds 2
      {{F, "30", "160", "50", "68", "105", no, no, yes}, 4},
      {{F, "30", "160", "50", "68", "105", no, no, no}, 6},
      // 12 + male 2 + pressure 1 + waist 0 + inactive 2 = 17
      {{M, "45", "170", "60", "70", "110", no, no, no}, 17},
      // 12 + 2 + pressure 3 + waist 5 + BMI 22.1 → 1 + inactive 2 = 25
      {{M, "45", "170", "64", "80", "120", no, no, no}, 25},
      // raised blood sugar before adds 5; no gender answer: no waist points, no male points
      {{N, "45", "170", "64", "80", "120", no, yes, yes}, 12 + 3 + 1 + 5},
      // sixteen years: no BMI points however heavy
      {{F, "16", "150", "90", "70", "", none, none, none}, 0 + 3},
      {{F, "18", "150", "90", "70", "", none, none, none}, 5 + 3},
      // a height of 0 gives no BMI, not a division by zero
      {{F, "40", "0", "90", "60", "", none, none, none}, 11},
      // boxes read by their leading digits
      {{F, "40.9", "170.9", "70.9", "74.95", "139.9", none, none, none}, 11 + 6 + 3 + 3},
      // a needed box empty: nothing is scored
      {{M, "", "170", "70", "88", "135", yes, no, yes}, std::nullopt},
      {{M, "45", " ", "70", "88", "135", yes, no, yes}, std::nullopt},
      {{M, "45", "170", "", "88", "135", yes, no, yes}, std::nullopt},
      {{M, "45", "170", "70", "", "135", yes, no, yes}, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(QStringLiteral("%1/%2/%3/%4").arg(c.a.age, c.a.height, c.a.weight, c.a.waist).toStdString());
    const std::optional<DmScore> s = TestDM(c.a);
    ASSERT_EQ(s.has_value(), c.score.has_value());
    if (!s) continue;
    EXPECT_EQ(s->score, *c.score);
    EXPECT_EQ(s->riskClass, dmRiskClass(*c.score));
    EXPECT_EQ(s->advise, *c.score >= 25);
  }
  EXPECT_EQ(TestDM(cases[0].a)->riskClass, QStringLiteral("高危型"));
  EXPECT_EQ(TestDM(cases[1].a)->riskClass, QStringLiteral("低危"));
  EXPECT_EQ(TestDM(cases[3].a)->riskClass, QStringLiteral("中危型"));
}

using DmRiskSave = DetailsFixture;

TEST_P(DmRiskSave, OnlyAKnownCustomerOfTheShopAndAScoredClass) {
  const qint64 mine = addCustomer(1, QStringLiteral("孙七"), QStringLiteral("男"), "50", "13800007777");
  const qint64 theirs = addCustomer(2, QStringLiteral("周八"), QStringLiteral("女"), "50", "13800008888");
  const QString id = QString::number(mine);
  struct Case {
    QString patId, riskClass, message;
  };
  const QList<Case> refused = {
      {"", QStringLiteral("高危型"), kDmNoCustomer},
      {"0", QStringLiteral("高危型"), kDmNoCustomer},
      {"abc", QStringLiteral("高危型"), kDmNoCustomer},
      {"-3", QStringLiteral("高危型"), kDmNoCustomer},
      {QString::number(theirs), QStringLiteral("高危型"), kDmNoCustomer},
      {QString::number(mine + theirs + 100), QStringLiteral("高危型"), kDmNoCustomer},
      {id, QString(), kDmNotScored},
      {id, QStringLiteral("' or 1=1 --"), kDmNotScored},
  };
  for (const Case& c : refused) {
    const DmSave r = saveDmClass(*dm, "1", c.patId, c.riskClass);
    EXPECT_FALSE(r.ok) << c.patId.toStdString();
    EXPECT_EQ(r.message, c.message) << c.patId.toStdString();
  }
  EXPECT_EQ(patRow(mine, "dm"), QStringList{QString()});
  EXPECT_EQ(patRow(theirs, "dm"), QStringList{QString()});

  for (const QString& riskClass : {QStringLiteral("中危型"), QStringLiteral("低危")}) {
    const DmSave r = saveDmClass(*dm, "1", " " + id + " ", riskClass);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.message, QStringLiteral("保存成功"));
    EXPECT_EQ(patRow(mine, "dm"), QStringList{riskClass});
  }
  EXPECT_EQ(patRow(theirs, "dm"), QStringList{QString()});

  ASSERT_TRUE(dm->ExecSql(Sql(QStringLiteral("alter table pat rename to pat_gone")), true));
  const DmSave failed = saveDmClass(*dm, "1", id, QStringLiteral("高危型"));
  EXPECT_FALSE(failed.ok);
  EXPECT_EQ(failed.message, QStringLiteral("保存失败"));
}

INSTANTIATE_TEST_SUITE_P(BothDatabases, DmRiskSave, ::testing::Values(RemoteKind::Sqlite, RemoteKind::Postgres),
                         remoteKindName);

}  // namespace

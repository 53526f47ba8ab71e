#include <QSqlQuery>

#include "result/recommendations.h"
#include "test_support.h"

using namespace tcm;
using namespace tcm::test;

TEST(PrescriptionList, LenientCleanUpAndSlotLimits) {
  const PrescriptionSlots s = parsePrescriptionList(QStringLiteral(
      "[{\"id\":\"7\",\"name\":\"养心汤\",\"remark\":\"4\"}, {id:8,name:保元汤,remark:4},{id:9,name:甲,remark:4},"
      "{id:10,name:乙,remark:4},{id:20,name:黄芪炖鸡,remark:8},{id:21,name:bad}]"));
  ASSERT_EQ(s.classic.size(), 3);
  EXPECT_EQ(s.classic[0].id, "7");
  EXPECT_EQ(s.classic[0].name, QStringLiteral("养心汤"));
  EXPECT_EQ(s.classic[2].name, QStringLiteral("甲"));
  ASSERT_EQ(s.diet.size(), 1);
  EXPECT_EQ(s.diet[0].remark, "8");
  EXPECT_TRUE(parsePrescriptionList("[{id:1,name:x,remark:8}]").classic.isEmpty());
  EXPECT_TRUE(parsePrescriptionList("").classic.isEmpty());
  EXPECT_TRUE(parsePrescriptionList("garbage,,}}{{").diet.isEmpty());
}

TEST(DietAdvice, TitleFullAndShortText) {
  const DietAdvice a = parseDietAdvice(QStringLiteral("宜食|山药、大枣、莲子、小米、粳米、鸡肉、牛肉"));
  EXPECT_EQ(a.title, QStringLiteral("宜食"));
  EXPECT_EQ(a.shortText(), QStringLiteral("山药、大枣、莲子、小米、粳米、[详细]"));
  const DietAdvice b = parseDietAdvice(QStringLiteral("少吃冷饮"));
  EXPECT_EQ(b.title, QString());
  EXPECT_EQ(b.full, QStringLiteral("少吃冷饮"));
  EXPECT_EQ(b.shortText(), QStringLiteral("少吃冷饮[详细]"));
}

TEST(IdCondition, AlternativesElementsAndGroups) {
  EXPECT_TRUE(ChkIds("", "11111"));
  // (X and Y) or Z
  EXPECT_TRUE(ChkIds("11111,11112|11113", "11111,11112,01294"));
  EXPECT_FALSE(ChkIds("11111,11112|11113", "11111,01294"));
  EXPECT_TRUE(ChkIds("11111,11112|11113", "11113"));
  // A group in parentheses holds when either code occurs.
  EXPECT_TRUE(ChkIds("(11111-11112)", "11112"));
  EXPECT_FALSE(ChkIds("(11111-11112)", "11113"));
  // Containment is a substring test.
  EXPECT_TRUE(ChkIds("111", "11111"));
  // An empty part is in every text; it matches nothing, so a slip in a
  // hand-edited rule cannot make it replace every identification.
  for (const char* condition : {"|", "11113|", "11111,,11112", "()", "(11113-)", ","})
    EXPECT_FALSE(ChkIds(condition, "11112,01294")) << condition;
  EXPECT_TRUE(ChkIds("11113|11112", "11112,01294"));
}

class DietRules : public ::testing::TestWithParam<RemoteKind> {};

TEST_P(DietRules, HighestMatchingSymLenWins) {
  DataFolder folder(GetParam());
  TCM_REQUIRE_FOLDER(folder);
  RecordingMessages messages;
  auto dm = folder.server(&messages);
  ASSERT_TRUE(dm->ExecLstSql(
      {Sql("insert into pre_food_grp(id,synName,type,pre,ids,symId,symLen) values(1,?,8,?,?,81111,3)",
           {QStringLiteral("心脾两虚失眠"), "[{id:1,name:a,remark:8}]", "11111,11112"}),
       Sql("insert into pre_food_grp(id,synName,type,pre,ids,symId,symLen) values(2,?,8,?,'',81111,1)",
           {QStringLiteral("失眠通用"), "[{id:2,name:b,remark:8}]"}),
       Sql("insert into pre_food_grp(id,synName,type,pre,ids,symId,symLen) values(3,?,7,'x','',81111,9)",
           {QStringLiteral("别类")})},
      true));
  auto m = GetFoodGrp(*dm, "81111", "81111,11111,11112,01295");
  ASSERT_TRUE(m.has_value());
  EXPECT_EQ(m->synName, QStringLiteral("心脾两虚失眠"));
  m = GetFoodGrp(*dm, "81111", "81111,11111");
  ASSERT_TRUE(m.has_value());
  EXPECT_EQ(m->id, 2);
  EXPECT_FALSE(GetFoodGrp(*dm, "", "81111").has_value());
  EXPECT_FALSE(GetFoodGrp(*dm, "81112", "81111").has_value());
  EXPECT_FALSE(GetFoodGrp(*dm, "8x' or 1=1", "81111").has_value());
  EXPECT_TRUE(messages.dbErrors.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(BothDatabases, DietRules, ::testing::Values(RemoteKind::Sqlite, RemoteKind::Postgres),
                         remoteKindName);

#include <gtest/gtest.h>

#include <QDate>
#include <functional>

#include "entry/selected_set.h"

using namespace tcm;

namespace {

void addSymptoms(SelectedSet& set, int count, int firstId = 11111) {
  for (int i = 0; i < count; ++i)
    ASSERT_EQ(set.AddSelSym("0", QString::number(firstId + i), QStringLiteral("症状%1").arg(i), "3"), AddResult::Added);
}

}  // namespace

TEST(SelectedSet, CapacitiesAndTheirMessages) {
  SelectedSet set;
  addSymptoms(set, 30);
  EXPECT_EQ(set.AddSelSym("0", "19999", "x", "3"), AddResult::Full);
  EXPECT_EQ(set.fullMessage("0"), "症状数量不能超过30个");
  // After removing one symptom a new one lands in the last slot.
  ASSERT_TRUE(set.Del(Category::Symptom, "11115"));
  EXPECT_EQ(set.fullMessage("0"), QString());
  ASSERT_EQ(set.AddSelSym("0", "19999", "新", "3"), AddResult::Added);
  EXPECT_EQ(set.items(Category::Symptom).size(), 30);
  EXPECT_EQ(set.items(Category::Symptom)[29].id, "19999");

  ASSERT_EQ(set.AddSelSym("8", "81111", "失眠", "3"), AddResult::Added);
  EXPECT_EQ(set.AddSelSym("8", "81112", "便秘", "3"), AddResult::Full);
  EXPECT_EQ(set.fullMessage("8"), "疾病只能选择1个");
  ASSERT_TRUE(set.Del(Category::Disease, "81111"));
  EXPECT_EQ(set.AddSelSym("8", "81112", "便秘", "3"), AddResult::Added);

  for (int i = 0; i < 20; ++i) ASSERT_EQ(set.AddSelSym("5", QString::number(51111 + i), "t", "3"), AddResult::Added);
  EXPECT_EQ(set.fullMessage("5"), "舌苔及舌质数量不能超过20个");
  for (int i = 0; i < 10; ++i) ASSERT_EQ(set.AddSelSym("6", QString::number(61111 + i), "p", "3"), AddResult::Added);
  EXPECT_EQ(set.fullMessage("6"), "脉象数量不能超过10个");
  EXPECT_EQ(set.fullMessage("9"), QString());
  EXPECT_EQ(set.AddSelSym("9", "1", "x", "3"), AddResult::UnknownCategory);
}

TEST(SelectedSet, DuplicatesAcrossCategoriesAndExclusions) {
  SelectedSet set;
  ASSERT_EQ(set.AddSelSym("0", "11111", "怕冷", "3"), AddResult::Added);
  EXPECT_EQ(set.AddSelSym("5", "11111", "同号舌象", "3"), AddResult::Duplicate);
  ASSERT_EQ(set.AddSelSym("6", "61111", "脉细", "3"), AddResult::Added);
  ASSERT_EQ(set.AddSelSym("8", "81111", "失眠", "3"), AddResult::Added);
  EXPECT_TRUE(set.GetMutexSym("99999,61111"));
  EXPECT_TRUE(set.GetMutexSym("11111"));
  // The disease is not consulted for exclusions.
  EXPECT_FALSE(set.GetMutexSym("81111"));
  EXPECT_FALSE(set.GetMutexSym(QString()));
  // An empty id can be added once.
  EXPECT_EQ(set.AddSelSym("0", "", "空", "3"), AddResult::Added);
  EXPECT_EQ(set.AddSelSym("0", "", "空2", "3"), AddResult::Duplicate);
}

TEST(SelectedSet, PrimaryMarkRules) {
  SelectedSet set;
  addSymptoms(set, 2);  // A = 11111, B = 11112
  EXPECT_EQ(set.togglePrimary(Category::Symptom, "11111"), "11111");
  EXPECT_EQ(set.togglePrimary(Category::Symptom, "11112"), "11112");
  EXPECT_FALSE(set.items(Category::Symptom)[0].primary);
  EXPECT_TRUE(set.items(Category::Symptom)[1].primary);
  // Adding a disease while B is marked leaves both marked; the disease wins.
  ASSERT_EQ(set.AddSelSym("8", "81111", "失眠", "3"), AddResult::Added);
  EXPECT_TRUE(set.items(Category::Disease)[0].primary);
  EXPECT_TRUE(set.items(Category::Symptom)[1].primary);
  EXPECT_EQ(set.primaryId(), "81111");
  // Clicking B again unmarks it and everything else: no primary id.
  EXPECT_EQ(set.togglePrimary(Category::Symptom, "11112"), QString());
  EXPECT_FALSE(set.items(Category::Disease)[0].primary);
  EXPECT_EQ(set.primaryId(), QString());
  // Tongue findings are never marked.
  ASSERT_EQ(set.AddSelSym("5", "51111", "舌淡", "3"), AddResult::Added);
  EXPECT_EQ(set.togglePrimary(Category::Tongue, "51111"), QString());
  EXPECT_FALSE(set.items(Category::Tongue)[0].primary);
}

TEST(SelectedSet, EveryChangeAndOnlyAChangeIsReported) {
  SelectedSet set;
  int reports = 0;
  set.setChangeHandler([&reports] { ++reports; });
  // Each step and whether it changes the findings or their marks.
  const struct {
    const char* what;
    std::function<void()> step;
    bool changes;
  } steps[] = {
      {"add A", [&] { (void)set.AddSelSym("0", "11111", "A", "3"); }, true},
      {"add B", [&] { (void)set.AddSelSym("0", "11112", "B", "3"); }, true},
      {"duplicate A", [&] { (void)set.AddSelSym("5", "11111", "A", "3"); }, false},
      {"unknown category", [&] { (void)set.AddSelSym("9", "1", "x", "3"); }, false},
      {"mark A", [&] { (void)set.togglePrimary(Category::Symptom, "11111"); }, true},
      {"mark a tongue finding", [&] { (void)set.togglePrimary(Category::Tongue, "51111"); }, true},  // unmarks A
      {"mark a tongue finding again", [&] { (void)set.togglePrimary(Category::Tongue, "51111"); }, false},
      {"add a disease", [&] { (void)set.AddSelSym("8", "81111", "D", "3"); }, true},
      {"second disease", [&] { (void)set.AddSelSym("8", "81112", "E", "3"); }, false},
      {"remove an absent id", [&] { (void)set.Del(Category::Symptom, "99999"); }, false},
      {"remove from the wrong category", [&] { (void)set.Del(Category::Tongue, "11111"); }, false},
      {"remove A", [&] { (void)set.Del(Category::Symptom, "11111"); }, true},
      {"clear", [&] { set.clear(); }, true},
      {"clear an empty set", [&] { set.clear(); }, false},
  };
  for (const auto& s : steps) {
    const int before = reports;
    s.step();
    EXPECT_EQ(reports - before, s.changes ? 1 : 0) << s.what;
  }
  EXPECT_TRUE(set.isEmpty());
}

TEST(SelectedSet, CodeListOrderPaddingAndSplitIds) {
  SelectedSet set;
  ASSERT_EQ(set.AddSelSym("0", "123", "a", "3"), AddResult::Added);
  ASSERT_EQ(set.AddSelSym("0", "7,8,9,10", "b", "3"), AddResult::Added);
  ASSERT_EQ(set.AddSelSym("5", "51111", "舌淡", "3"), AddResult::Added);
  ASSERT_EQ(set.AddSelSym("6", "61111", "脉细", "3"), AddResult::Added);
  ASSERT_EQ(set.AddSelSym("8", "123456", "病", "3"), AddResult::Added);
  // Disease first, then symptoms (first and third parts of "7,8,9,10"), then tongue; pulse never.
  EXPECT_EQ(set.GetCodeList(), (QStringList{"123456", "00123", "00007", "00009", "51111"}));
}

TEST(SelectedSet, StoredFormsKeepEveryItemReadable) {
  SelectedSet set;
  ASSERT_EQ(set.AddSelSym("0", "11111", "怕冷", "3"), AddResult::Added);
  ASSERT_EQ(set.AddSelSym("0", "11112", "头痛,项强|甚", ""), AddResult::Added);
  ASSERT_EQ(set.AddSelSym("5", "51111", "舌淡", "3"), AddResult::Added);
  ASSERT_EQ(set.AddSelSym("6", "61111", "脉细", "2"), AddResult::Added);
  ASSERT_EQ(set.AddSelSym("8", "81111", "失眠", "3"), AddResult::Added);
  EXPECT_EQ(set.findingListText(),
            QStringLiteral("8,81111,失眠,3,1|0,11111,怕冷,3,0|0,11112,头痛，项强｜甚,,0|5,51111,舌淡,3,0|6,61111,脉细,3,0"));
  for (const QString& item : set.findingListText().split('|')) EXPECT_EQ(item.split(',').size(), 5) << item.toStdString();
  EXPECT_EQ(set.shownText(), QStringLiteral("失眠，怕冷，头痛,项强|甚，舌淡，脉细"));
  set.clear();
  EXPECT_EQ(set.findingListText(), QString());
  EXPECT_TRUE(set.GetCodeList().isEmpty());
}

TEST(DemographicCodes, GenderAgeAndCustomerAge) {
  EXPECT_EQ(genderCode(QStringLiteral("男")), "01294");
  EXPECT_EQ(genderCode(QString()), "01295");
  EXPECT_EQ(genderCode(QStringLiteral("男 ")), "01295");
  EXPECT_EQ(inquiryGender(QStringLiteral("男")), "1");
  EXPECT_EQ(inquiryGender(QString()), "2");
  const struct {
    const char* gender;
    const char* age;
    bool allowed;
  } gynecology[] = {{"女", "11", true},  {"女", "10", false}, {"女", "52岁", true}, {"女", "", false},
                    {"男", "30", false}, {"", "30", false},   {"女 ", "30", false}};
  for (const auto& g : gynecology)
    EXPECT_EQ(gynecologyAllowed(QString::fromUtf8(g.gender), QString::fromUtf8(g.age)), g.allowed) << g.gender << g.age;
  EXPECT_EQ(getAgeCode("44"), "01084");
  EXPECT_EQ(getAgeCode("45"), "00990");
  EXPECT_EQ(getAgeCode("59"), "00990");
  EXPECT_EQ(getAgeCode("60"), "00997");
  EXPECT_EQ(getAgeCode(""), "01292");
  EXPECT_EQ(getAgeCode(QStringLiteral("12岁半")), "01293");
  EXPECT_EQ(getAgeCode("99999999999999999999"), "00997");
  EXPECT_EQ(CalaAge("40", QDate(2025, 12, 31), QDate(2026, 1, 1)), "41");
  EXPECT_EQ(CalaAge(QStringLiteral("三十"), QDate(2026, 1, 1), QDate(2026, 12, 9)), "0");
  EXPECT_EQ(CalaAge("30", QDate(), QDate(2026, 12, 9)), "30");
}

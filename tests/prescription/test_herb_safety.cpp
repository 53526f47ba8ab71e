// The pharmacy's checks on the shipped catalogue: incompatible pairs, pregnancy
// marks, dose ranges and typing slips; the dispensing note in the unit field;
// and tailoring a prescription (add, refuse a duplicate or a 33rd herb,
// remove, replace, compare with the textbook form).
#include <gtest/gtest.h>

#include "kb/seed_model.h"
#include "prescription/herb_prescription.h"
#include "prescription/herb_safety.h"

using namespace tcm;

namespace {

const HerbCatalogue& seedCatalogue() {
  static const SeedKnowledgeBase kb = [] {
    QStringList problems;
    SeedKnowledgeBase read = SeedKnowledgeBase::read(QStringLiteral(TCM_SEED_DIR), &problems);
    EXPECT_TRUE(problems.isEmpty()) << problems.join('\n').toStdString();
    return read;
  }();
  return kb.dispensing;
}

QStringList texts(const QList<SafetyWarning>& warnings) {
  QStringList out;
  for (const SafetyWarning& w : warnings) out << w.text + (w.mustConfirm ? QStringLiteral("!") : QString());
  return out;
}

}  // namespace

TEST(HerbSafety, IncompatiblePairsWithinAndAcross) {
  struct Case {
    QStringList herbs, other;
    QStringList expected;  // "!" marks a warning that must be confirmed
  };
  const Case cases[] = {
      {{"人参", "白术", "茯苓"}, {}, {}},
      {{"炙甘草", "海藻"}, {}, {"十八反：炙甘草与海藻不宜同用!"}},
      {{"制附子", "干姜", "法半夏"}, {}, {"十八反：制附子与法半夏不宜同用!"}},
      {{"川贝母", "制附子", "天花粉"}, {}, {"十八反：川贝母与制附子不宜同用!", "十八反：制附子与天花粉不宜同用!"}},
      {{"藜芦", "白芍", "丹参"}, {}, {"十八反：藜芦与白芍不宜同用!", "十八反：藜芦与丹参不宜同用!"}},
      {{"丁香", "郁金"}, {}, {"十九畏：丁香与郁金不宜同用!"}},
      {{"肉桂", "赤石脂"}, {}, {"十九畏：肉桂与赤石脂不宜同用!"}},
      {{"五灵脂", "蒲黄", "人参"}, {}, {"十九畏：五灵脂与人参不宜同用!"}},
      // Across the visit: the herbal prescription against the food one.
      {{"人参", "麦冬"}, {"五灵脂", "粳米"}, {"十九畏：人参（汤方）与五灵脂（药膳方）不宜同用!"}},
      {{"党参"}, {"五灵脂"}, {}},  // 党参 is not 人参 to 十九畏
  };
  for (const Case& c : cases) {
    SafetyInput in;
    for (const QString& h : c.herbs) in.herbs << CheckedHerb{h, QStringLiteral("3")};
    in.otherSide = c.other;
    EXPECT_EQ(texts(checkPrescriptionSafety(seedCatalogue(), in)), c.expected) << c.herbs.join(',').toStdString();
  }
}

TEST(HerbSafety, PregnancyMarksOnlyForAWomanOfChildBearingAge) {
  struct Case {
    QString gender, age;
    QStringList herbs;
    QStringList expected;
    QString caution;  // the sheet's line
  };
  const Case cases[] = {
      {"女", "30", {"人工麝香", "桃仁", "红花", "当归"}, {"孕妇禁用：人工麝香!", "孕妇慎用：桃仁、红花"},
       "孕妇禁用：人工麝香；孕妇慎用：桃仁、红花"},
      {"女", "14", {"牛膝"}, {"孕妇慎用：牛膝"}, "孕妇慎用：牛膝"},
      {"女", "49", {"制附子"}, {"孕妇慎用：制附子"}, "孕妇慎用：制附子"},
      {"女", "50", {"人工麝香"}, {}, "孕妇禁用：人工麝香"},
      {"女", "13", {"桃仁"}, {}, "孕妇慎用：桃仁"},
      {"男", "30", {"人工麝香"}, {}, "孕妇禁用：人工麝香"},
      {"女", "", {"桃仁"}, {}, "孕妇慎用：桃仁"},
      {"女", "30", {"人参", "黄芪"}, {}, ""},
  };
  for (const Case& c : cases) {
    SafetyInput in;
    for (const QString& h : c.herbs) in.herbs << CheckedHerb{h, QStringLiteral("0.05")};
    in.checkDoses = false;
    in.childBearing = childBearingAge(c.gender, c.age);
    EXPECT_EQ(texts(checkPrescriptionSafety(seedCatalogue(), in)), c.expected) << c.age.toStdString();
    EXPECT_EQ(pregnancyCautionLine(seedCatalogue(), c.herbs), c.caution);
  }
}

TEST(HerbSafety, DoseRangesToxicHerbsAndTypingSlips) {
  struct Case {
    QString herb, dosage;
    QString warning;  // empty: none
    QString slip;     // empty: a real dose
  };
  const Case cases[] = {
      {"当归", "12", "", ""},
      {"当归", "20", "当归 20g超过常用量6～12g", ""},
      {"制附子", "15", "", ""},
      {"制附子", "30", "制附子为有毒药，30g超过限量3～15g!", ""},
      {"法半夏", "12", "法半夏为有毒药，12g超过限量3～9g!", ""},
      {"炒苍耳子", "10.5", "炒苍耳子为有毒药，10.5g超过限量3～10g!", ""},
      {"人工麝香", "0.03", "", ""},
      {"人工麝香", "0.15", "人工麝香 0.15g超过常用量0.03～0.1g", ""},
      {"人工麝香", "0.01", "", ""},
      {"人工麝香", "0.005", "", "人工麝香的剂量0.005g不像实际用量（应在0.01～250克之间），请核对"},
      {"羊肉", "250", "", ""},  // foods have no range
      {"羊肉", "251", "", "羊肉的剂量251g不像实际用量（应在0.01～250克之间），请核对"},
      {"生石膏", "0", "", "生石膏的剂量0g不像实际用量（应在0.01～250克之间），请核对"},
      {"当归", "abc", "", ""},  // not a number: the save says so itself
  };
  for (const Case& c : cases) {
    SafetyInput in;
    in.herbs << CheckedHerb{c.herb, c.dosage};
    const QStringList got = texts(checkPrescriptionSafety(seedCatalogue(), in));
    EXPECT_EQ(got, c.warning.isEmpty() ? QStringList{} : QStringList{c.warning}) << c.dosage.toStdString();
    EXPECT_EQ(doseSlipProblem(c.herb, c.dosage), c.slip) << c.dosage.toStdString();
  }
  // The save question lists every warning, and is only asked when one must be confirmed.
  SafetyInput in;
  in.herbs = {{"当归", "20"}, {"人参", "6"}, {"五灵脂", "6"}};
  const QList<SafetyWarning> w = checkPrescriptionSafety(seedCatalogue(), in);
  EXPECT_EQ(safetyQuestion(w), QStringLiteral("用药提示：\n十九畏：人参与五灵脂不宜同用\n当归 20g超过常用量6～12g\n"
                                              "确认无误，仍要保存吗？"));
  EXPECT_EQ(safetyNote(w), QStringLiteral("十九畏：人参与五灵脂不宜同用；当归 20g超过常用量6～12g"));
  EXPECT_TRUE(safetyQuestion(w.mid(1)).isEmpty());
}

TEST(HerbSafety, DispensingNoteTravelsInTheUnitField) {
  struct Case {
    QString field, unit, note;
  };
  const Case cases[] = {
      {"g", "g", ""},               // every item stored before notes existed
      {"g(包煎)", "g", "包煎"},
      {"g(先煎)", "g", "先煎"},
      {"g(煮)", "g(煮)", ""},       // not a dispensing note: the unit as it is
      {"(冲服)", "", "冲服"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    const UnitNote un = splitUnitNote(c.field);
    EXPECT_EQ(un.unit + '/' + un.note, c.unit + '/' + c.note) << c.field.toStdString();
    EXPECT_EQ(joinUnitNote(un.unit, un.note), c.field);  // written back as it was read
  }
  HerbPrescription p;
  p.fill(QStringLiteral("168,辛夷,9,g(包煎)|1,人参,6,g"), {});
  p.setNote(1, QStringLiteral("另煎"));
  EXPECT_EQ(herbIdsText(p, "6", QStringLiteral("苍耳子散")), QStringLiteral("6&苍耳子散&168,辛夷,9,g(包煎)|1,人参,6,g(另煎)"));
  EXPECT_EQ(herbDisplayText(p, "6"), QStringLiteral("辛夷,9g(包煎)|人参,6g(另煎)\r\n剂数：6剂"));
  EXPECT_EQ(herbPrintLine(p, {}).FoodHer, QStringLiteral("辛夷,9,g(包煎)|人参,6,g(另煎)"));
  p.setNote(0, QString());
  EXPECT_EQ(p.slots()[0].unit, "g");
}

TEST(HerbPrescription, TailoringAgainstTheTextbookForm) {
  HerbPrescription textbook;
  textbook.fill(QStringLiteral("1,人参,6,g(另煎)|60,酸枣仁,9,g|62,远志,6,g"), {});
  HerbPrescription p = textbook;
  AliasList prices;
  AliasItem price;
  price.entry.id = QStringLiteral("63");
  price.entry.price = 0.5;
  prices << price;
  int at = -1;
  EXPECT_EQ(p.add({"63", "龙骨", "15", "g", "先煎"}, prices, &at), TailorResult::Done);
  EXPECT_EQ(at, 3);
  EXPECT_EQ(p.slots()[3].unit, QStringLiteral("g(先煎)"));
  EXPECT_EQ(p.fee(1).toText1(), "7.5");  // priced at once
  EXPECT_EQ(p.add({"60", "酸枣仁", "10", "g", ""}, prices, &at), TailorResult::AlreadyPresent);
  EXPECT_EQ(at, 1);
  EXPECT_EQ(p.replace(0, {"2", "党参", "12", "g", ""}, prices, &at), TailorResult::Done);
  EXPECT_EQ(p.replace(0, {"62", "远志", "6", "g", ""}, prices, &at), TailorResult::AlreadyPresent);
  EXPECT_EQ(at, 2);
  p.setDosage(2, "9");
  p.setDosage(1, "0");  // a dose of 0 takes the herb out
  Tailoring t = compareWithTextbook(p, textbook);
  EXPECT_EQ(t.slots, (QList<SlotChange>{SlotChange::Added, SlotChange::DoseChanged, SlotChange::DoseChanged,
                                        SlotChange::Added}));
  EXPECT_EQ(t.removed, (QStringList{"人参", "酸枣仁"}));
  EXPECT_EQ(herbIdsText(p, "6", QStringLiteral("天王补心丹")),
            QStringLiteral("6&天王补心丹&2,党参,12,g|62,远志,9,g|63,龙骨,15,g(先煎)"));
  EXPECT_FALSE(herbDisplayText(p, "6").contains(QStringLiteral("0g")));
  p.remove(0);
  EXPECT_EQ(p.slots().size(), 3);
  EXPECT_EQ(p.slots()[0].name, QStringLiteral("酸枣仁"));  // the slots close up
  EXPECT_TRUE(compareWithTextbook(textbook, textbook).slots == QList<SlotChange>(3, SlotChange::Same));
  EXPECT_FALSE(compareWithTextbook(textbook, textbook).tailored());
  // The 33rd herb is refused.
  HerbPrescription full;
  for (int i = 1; i <= HerbPrescription::kSlots; ++i)
    ASSERT_EQ(full.add({QString::number(i), QStringLiteral("药%1").arg(i), "1", "g", ""}, {}), TailorResult::Done);
  EXPECT_EQ(full.add({"99", "药99", "1", "g", ""}, {}, &at), TailorResult::Full);
  EXPECT_EQ(full.slots().size(), HerbPrescription::kSlots);
  // Only removed herbs left: nothing to save.
  HerbPrescription none;
  none.fill(QStringLiteral("1,人参,0,g|2,党参,,g"), {});
  EXPECT_EQ(herbSaveProblem(none, "6"), QStringLiteral("处方中没有中药，不能保存"));
  none.setDosage(0, "300");
  EXPECT_EQ(herbSaveProblem(none, "6"), QStringLiteral("人参的剂量300g不像实际用量（应在0.01～250克之间），请核对"));
}

// The food-therapy prescription without a window: placing prescriptions into
// the three sections, the total, the stored and printed texts.
#include <functional>

#include "prescription/food_prescription.h"
#include "test_support.h"

using namespace tcm;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

double priceOf(const QString& id) {
  static const QHash<QString, double> prices = {{"1", 1.5}, {"2", 0.5}, {"3", 0.15}, {"4", 2.0}, {"5", 0.08}};
  return prices.value(id, 0);
}

struct TextCase {
  const char* name;
  std::function<void(FoodPrescription&)> setUp;
  QString total, display, ids;
};

}  // namespace

TEST(FoodPrescription, TotalsAndTextsOfTheTickedSections) {
  const QString soupOnly = QStringLiteral("鸡汤&1,黄芪,10,g$$");
  const std::vector<TextCase> cases = {
      {"soup and porridge ticked",
       [](FoodPrescription& f) {
         f.place(QStringLiteral("鸡汤"), QStringLiteral("1,黄芪,10,g"), priceOf);
         f.place(QStringLiteral("米粥"), QStringLiteral("2,粳米,20,g"), priceOf);
         f.setQuantity(FoodPrescription::Soup, "2");
         f.setQuantity(FoodPrescription::Porridge, " 3 ");
       },
       "60.0",
       QStringLiteral("鸡汤\r\n黄芪 10g\r\n鸡汤\r\n剂数：2剂\r\n米粥\r\n粳米,20g\r\n米粥\r\n剂数：3剂"),
       QStringLiteral("鸡汤&1,黄芪,10,g$米粥&2,粳米,20,g$")},
      {"porridge unticked, then the soup quantity changed",
       [](FoodPrescription& f) {
         f.place(QStringLiteral("鸡汤"), QStringLiteral("1,黄芪,10,g"), priceOf);
         f.place(QStringLiteral("米粥"), QStringLiteral("2,粳米,20,g"), priceOf);
         f.setTicked(FoodPrescription::Porridge, false);
         f.setQuantity(FoodPrescription::Soup, "3");
       },
       "45.0", QStringLiteral("鸡汤\r\n黄芪 10g\r\n鸡汤\r\n剂数：3剂"), soupOnly},
      {"unticking alone reprices",
       [](FoodPrescription& f) {
         f.place(QStringLiteral("鸡汤"), QStringLiteral("1,黄芪,10,g"), priceOf);
         f.place(QStringLiteral("米粥"), QStringLiteral("2,粳米,20,g"), priceOf);
         f.setTicked(FoodPrescription::Porridge, false);
       },
       "90.0", QStringLiteral("鸡汤\r\n黄芪 10g\r\n鸡汤\r\n剂数：6剂"), soupOnly},
      {"only the drink ticked",
       [](FoodPrescription& f) {
         f.place(QStringLiteral("鸡汤"), QStringLiteral("1,黄芪,10,g"), priceOf);
         f.place(QStringLiteral("米粥"), QStringLiteral("2,粳米,20,g"), priceOf);
         f.place(QStringLiteral("花茶"), QStringLiteral("4,菊花,5,g|5,枸杞子,10,g"), priceOf);
         f.setTicked(FoodPrescription::Soup, false);
         f.setTicked(FoodPrescription::Porridge, false);
         f.setQuantity(FoodPrescription::Drink, "1");
       },
       "10.8", QStringLiteral("\r\n花茶\r\n|菊花,5g|枸杞子,10g\r\n花茶\r\n剂数：1剂"),
       QStringLiteral("$$花茶&4,菊花,5,g|5,枸杞子,10,g")},
      {"decimal rounding: 3 x 0.15 is 0.45",
       [](FoodPrescription& f) {
         f.place(QStringLiteral("汤"), QStringLiteral("3,山药,3,g"), priceOf);
         f.setQuantity(FoodPrescription::Soup, "1");
       },
       "0.5", QStringLiteral("汤\r\n山药 3g\r\n汤\r\n剂数：1剂"), QStringLiteral("汤&3,山药,3,g$$")},
      {"a dosage or quantity that is not a number counts 0",
       [](FoodPrescription& f) {
         f.place(QStringLiteral("汤"), QStringLiteral("1,黄芪,abc,g|4,菊花,5,g"), priceOf);
         f.place(QStringLiteral("粥"), QStringLiteral("2,粳米,20,g"), priceOf);
         f.setQuantity(FoodPrescription::Porridge, "x");
       },
       "60.0", QStringLiteral("汤\r\n黄芪 abcg菊花 5g\r\n汤\r\n剂数：6剂\r\n粥\r\n粳米,20g\r\n粥\r\n剂数：x剂"),
       QStringLiteral("汤&1,黄芪,abc,g|4,菊花,5,g$粥&2,粳米,20,g$")},
      {"a dosage cleared counts 0 at once",
       [](FoodPrescription& f) {
         f.place(QStringLiteral("汤"), QStringLiteral("1,黄芪,10,g|4,菊花,5,g"), priceOf);
         f.setDosage(FoodPrescription::Soup, 0, QString());
         f.setQuantity(FoodPrescription::Soup, "2");
       },
       "20.0", QStringLiteral("汤\r\n黄芪 g菊花 5g\r\n汤\r\n剂数：2剂"), QStringLiteral("汤&1,黄芪,,g|4,菊花,5,g$$")},
      {"nothing placed", [](FoodPrescription&) {}, "0.0", QString(), QStringLiteral("$$")},
      {"an empty herb list: the next prescription takes the same section",
       [](FoodPrescription& f) {
         EXPECT_EQ(f.place(QStringLiteral("空方"), QString(), priceOf), FoodPrescription::Soup);
         EXPECT_EQ(f.place(QStringLiteral("鸡汤"), QStringLiteral("1,黄芪,2,g"), priceOf), FoodPrescription::Soup);
         f.setQuantity(FoodPrescription::Soup, "1");
       },
       "3.0", QStringLiteral("鸡汤\r\n黄芪 2g\r\n鸡汤\r\n剂数：1剂"), QStringLiteral("鸡汤&1,黄芪,2,g$$")},
      {"a herb missing from the price list adds nothing",
       [](FoodPrescription& f) {
         f.place(QStringLiteral("汤"), QStringLiteral("99,冰糖,15,g|1,黄芪,1,g"), priceOf);
         f.setQuantity(FoodPrescription::Soup, "1");
       },
       "1.5", QStringLiteral("汤\r\n冰糖 15g黄芪 1g\r\n汤\r\n剂数：1剂"), QStringLiteral("汤&99,冰糖,15,g|1,黄芪,1,g$$")},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.name);
    FoodPrescription f;
    c.setUp(f);
    EXPECT_EQ(f.totalText(), c.total);
    EXPECT_EQ(f.displayText(), c.display);
    EXPECT_EQ(f.idsText(), c.ids);
    EXPECT_EQ(f.idsText().count(QLatin1Char('$')), 2);
  }
}

TEST(FoodPrescription, PlacingFillsAtMostThreeSectionsOfTwelveSlots) {
  FoodPrescription f;
  QStringList many;
  for (int i = 1; i <= 13; ++i) many << QStringLiteral("%1,药%1,%1,g").arg(i);
  EXPECT_EQ(f.place(QStringLiteral("甲"), many.join('|'), priceOf), FoodPrescription::Soup);
  EXPECT_EQ(f.section(FoodPrescription::Soup).herbs.size(), 12);
  EXPECT_EQ(f.section(FoodPrescription::Soup).herbs.last().name, QStringLiteral("药12"));
  // The same name twice shows once.
  EXPECT_EQ(f.place(QStringLiteral("乙"), QStringLiteral("1,黄芪,10,g|2,黄芪,5,g|4,菊花,3,g"), priceOf),
            FoodPrescription::Porridge);
  const FoodSection& porridge = f.section(FoodPrescription::Porridge);
  ASSERT_EQ(porridge.herbs.size(), 2);
  EXPECT_EQ(porridge.herbs[0].dosage, "10");
  EXPECT_EQ(porridge.herbs[1].name, QStringLiteral("菊花"));
  EXPECT_DOUBLE_EQ(porridge.herbs[1].price, 2.0);
  EXPECT_TRUE(porridge.ticked && porridge.placed);
  EXPECT_EQ(f.place(QStringLiteral("丙"), QStringLiteral("5,枸杞子,10,g"), priceOf), FoodPrescription::Drink);
  EXPECT_EQ(f.place(QStringLiteral("丁"), QStringLiteral("1,黄芪,10,g"), priceOf), -1);
  EXPECT_EQ(f.section(FoodPrescription::Drink).title, QStringLiteral("丙"));

  const PrintList lines = f.printList(QStringLiteral("宜食：山药"), QStringLiteral("忌食：生冷"));
  ASSERT_EQ(lines.size(), 3);
  EXPECT_EQ(lines[1].PreName, QStringLiteral("乙"));
  EXPECT_EQ(lines[1].FoodHer, QStringLiteral("黄芪,10,g|菊花,3,g"));
  EXPECT_EQ(lines[2].Dosage, "6");
  EXPECT_EQ(lines[2].recommend, QStringLiteral("宜食：山药"));
  EXPECT_EQ(lines[2].notRecommend, QStringLiteral("忌食：生冷"));
  EXPECT_TRUE(lines[0].Useway.isEmpty());
  EXPECT_EQ(lines[0].fee, "0");

  // Emptying unticks everything but keeps the quantities; an empty section cannot be ticked.
  f.setQuantity(FoodPrescription::Drink, "3");
  f.clear();
  f.setTicked(FoodPrescription::Soup, true);
  EXPECT_FALSE(f.section(FoodPrescription::Soup).ticked);
  EXPECT_TRUE(f.printList({}, {}).isEmpty());
  EXPECT_EQ(f.section(FoodPrescription::Drink).quantity, "3");
  EXPECT_EQ(f.place(QStringLiteral("戊"), QStringLiteral("1,黄芪,10,g"), priceOf), FoodPrescription::Soup);
}

TEST(FoodPrescription, SaveRefusesWhatCannotBeStored) {
  FoodPrescription f;
  EXPECT_EQ(f.checkForSave(), QStringLiteral("未选择药膳方"));
  f.place(QStringLiteral("鸡汤"), QStringLiteral("1,黄芪,10,g"), priceOf);
  f.place(QStringLiteral("花茶"), QStringLiteral("4,菊花,5,g"), priceOf);
  f.place(QStringLiteral("饮"), QStringLiteral("5,枸杞子,5,g"), priceOf);
  EXPECT_EQ(f.checkForSave(), QString());
  f.setQuantity(FoodPrescription::Drink, "0");
  EXPECT_EQ(f.checkForSave(), QStringLiteral("【饮】的剂数必须是大于0的整数"));
  f.setQuantity(FoodPrescription::Drink, "2");
  f.setQuantity(FoodPrescription::Soup, "2.5");
  EXPECT_EQ(f.checkForSave(), QStringLiteral("【鸡汤】的数量必须是大于0的整数"));
  f.setQuantity(FoodPrescription::Soup, "2");
  f.setDosage(FoodPrescription::Porridge, 0, "-5");
  EXPECT_EQ(f.checkForSave(), QStringLiteral("【花茶】中菊花的剂量必须是数字"));
  f.setTicked(FoodPrescription::Porridge, false);  // an unticked section is not saved, so not checked
  EXPECT_EQ(f.checkForSave(), QString());
}

TEST(FoodPrescription, PrescriptionIdsAreNumbersOnly) {
  struct IdCase {
    QString text;
    bool ok;
    QList<qint64> ids;
  };
  const std::vector<IdCase> cases = {
      {"70,72,86", true, {70, 72, 86}},
      {" 70 , 72 ", true, {70, 72}},
      {"70,70", true, {70}},
      {"", true, {}},
      {"70,abc", false, {}},
      {"70) or (1=1", false, {}},
      {"70;delete from pre", false, {}},
      {"70,,72", false, {}},
      {"-1", false, {}},
      {"99999999999999999999", false, {}},
  };
  for (const IdCase& c : cases) {
    SCOPED_TRACE(c.text.toStdString());
    QList<qint64> ids{1};
    QString error;
    EXPECT_EQ(parsePrescriptionIds(c.text, &ids, &error), c.ok);
    EXPECT_EQ(ids, c.ids);
    EXPECT_EQ(error.startsWith(QStringLiteral("药膳方编号无效")), !c.ok);
  }
}

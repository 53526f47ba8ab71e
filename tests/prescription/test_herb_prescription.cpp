// The herbal prescription's slots, totals and texts, and the decimal amounts behind them.
#include "prescription/herb_prescription.h"
#include "text/money.h"
#include "test_support.h"

using namespace tcm;

namespace {

AliasList priceList(const QList<std::pair<QString, double>>& prices) {
  AliasList list;
  for (const auto& [id, price] : prices) {
    AliasItem item;
    item.entry.id = id;
    item.entry.price = price;
    list << item;
  }
  return list;
}

}  // namespace

TEST(Decimal, OneDecimalRoundsHalfUpOnTheExactValue) {
  struct Case {
    const char* dosage;
    double price;
    int days;
    const char* shown;
  };
  // 3 × 0.15 is 0.45 exactly (0.44999… as binary doubles) and shows 0.5; the largest inputs the parsers let
  // through stay exact.
  for (const Case& c : {Case{"3", 0.15, 1, "0.5"}, Case{"1", 0.05, 1, "0.1"}, Case{"1", 0.04, 1, "0.0"},
                        Case{"10", 2.0, 6, "120.0"}, Case{"0.25", 1, 1, "0.3"}, Case{"7.5", 0.1, 1, "0.8"},
                        Case{"999999999.999999", 9999999999.9999, 99999, "999989999999989000110000.0"}}) {
    const Decimal v = Decimal::fromInt(c.days) * dosageValue(c.dosage) * Decimal::fromPrice(c.price);
    EXPECT_EQ(v.toText1(), QString::fromLatin1(c.shown)) << c.dosage << " x " << c.price;
  }
  for (const char* bad : {"", " ", "abc", "-1", "1e3", "1.2.3", "1,5", "+2", "1234567890", "0.1234567", "."})
    EXPECT_FALSE(parseDecimal(QString::fromLatin1(bad)).has_value()) << bad;
  EXPECT_EQ(parseDecimal(QStringLiteral(" 3. "))->toText1(), "3.0");
  EXPECT_EQ(parseDecimal(QStringLiteral(".05"))->toText1(), "0.1");
  EXPECT_EQ(parseWholeNumber(QStringLiteral(" 15 ")), 15);
  for (const char* bad : {"", "1.5", "-2", "x", "123456"}) EXPECT_FALSE(parseWholeNumber(QString::fromLatin1(bad))) << bad;
}

TEST(HerbPrescription, TotalsOfTheDosesWithTextsThatAreNotNumbers) {
  HerbPrescription p;
  EXPECT_EQ(p.fill(QStringLiteral("1,黄芪,10,g|2,党参,abc,g"), priceList({{"1", 2.0}, {"2", 5.0}})), 2);
  EXPECT_EQ(herbPriceText(p, "6"), "120.0");
  EXPECT_EQ(herbPreCaption(QStringLiteral("补肺汤"), p.weight()), QStringLiteral("补肺汤  /重量10.0克"));
  EXPECT_EQ(herbPriceText(p, "7"), "140.0");  // the fee follows the doses, the weight does not
  EXPECT_EQ(p.weight().toText1(), "10.0");
  EXPECT_EQ(herbPriceText(p, "x"), "0.0");
  // A dose cleared or set to 0 counts at once.
  p.setDosage(0, QString());
  EXPECT_EQ(herbPriceText(p, "6"), "0.0");
  p.setDosage(1, "1.5");
  EXPECT_EQ(herbPriceText(p, "6"), "45.0");
  EXPECT_EQ(p.weight().toText1(), "1.5");
  // A herb the shop has no price for weighs but costs nothing.
  p.clear();
  p.fill(QStringLiteral("9,无价药,30,g|1,黄芪,3,g"), priceList({{"1", 0.15}}));
  EXPECT_EQ(herbPriceText(p, "1"), "0.5");
  EXPECT_EQ(p.weight().toText1(), "33.0");
}

TEST(HerbPrescription, SlotsSkipDuplicatesAndStopAtThirtyTwo) {
  QStringList items;
  for (int i = 1; i <= 33; ++i) items << QStringLiteral("%1,药%1,1,g").arg(i);
  items.insert(3, QStringLiteral("2,药2,5,g"));  // the same herb again
  HerbPrescription p;
  EXPECT_EQ(p.fill(items.join('|'), priceList({{"33", 100.0}, {"2", 1.0}})), 32);
  ASSERT_EQ(p.slots().size(), 32);
  EXPECT_EQ(p.slots()[1].dosage, "1");
  EXPECT_EQ(p.slots()[31].name, QStringLiteral("药32"));
  EXPECT_EQ(herbPriceText(p, "1"), "1.0");  // the 33rd herb is neither shown nor priced
  EXPECT_FALSE(herbIdsText(p, "1", "x").contains(QStringLiteral("药33")));
  // A second list fills what is left and skips names already shown.
  p.clear();
  p.fill(QStringLiteral("1,黄芪,10,g"), {});
  EXPECT_EQ(p.fill(QStringLiteral("5,黄芪,1,g||6,当归,6,g"), {}), 1);
  EXPECT_EQ(p.slots().size(), 2);
  // Blanks split items like the separator does; missing fields are empty.
  const QList<HerbItem> split = parseHerbList(QStringLiteral("7,黄 芪,10,g|8,甘草"));
  ASSERT_EQ(split.size(), 3);
  EXPECT_EQ(split[0].id + '/' + split[0].name + '/' + split[0].dosage, QStringLiteral("7/黄/"));
  EXPECT_EQ(split[1].id + '/' + split[1].name + '/' + split[1].dosage, QStringLiteral("芪/10/g"));
  EXPECT_EQ(split[2].name + '/' + split[2].dosage, QStringLiteral("甘草/"));
  EXPECT_TRUE(parseHerbList(QString()).isEmpty());
}

TEST(HerbPrescription, SavedShownAndPrintedTexts) {
  HerbPrescription p;
  p.fill(QStringLiteral("12,黄芪,10,g|15,党参,15,g"), {});
  EXPECT_EQ(herbIdsText(p, "6", QStringLiteral("补肺汤")), QStringLiteral("6&补肺汤&12,黄芪,10,g|15,党参,15,g"));
  EXPECT_EQ(herbDisplayText(p, "6"), QStringLiteral("黄芪,10g|党参,15g\r\n剂数：6剂"));
  const TPerFood line = herbPrintLine(p, QStringLiteral("补肺汤"));
  EXPECT_EQ(line.PreName, QStringLiteral("补肺汤"));
  EXPECT_EQ(line.FoodHer, QStringLiteral("黄芪,10,g|党参,15,g"));
  EXPECT_EQ(line.fee, "0");
  EXPECT_TRUE(line.Useway.isEmpty() && line.Dosage.isEmpty() && line.recommend.isEmpty());
  // What may not be saved.
  EXPECT_TRUE(herbSaveProblem(p, "6").isEmpty());
  EXPECT_EQ(herbSaveProblem(p, "0"), QStringLiteral("剂数必须是大于0的整数"));
  EXPECT_EQ(herbSaveProblem(p, "六"), QStringLiteral("剂数必须是大于0的整数"));
  p.setDosage(1, "abc");
  EXPECT_EQ(herbSaveProblem(p, "6"), QStringLiteral("党参的剂量不是有效的数字"));
  EXPECT_EQ(herbSaveProblem(HerbPrescription(), "6"), QStringLiteral("处方中没有中药，不能保存"));
}

// The herb tree text and the amounts shown in the price boxes.
#include <QStringEncoder>

#include "crypto/gbk.h"
#include "shop/herb_tree.h"
#include "shop/shop_settings.h"
#include "test_support.h"

using namespace tcm;

namespace {

// The tree as one line per node: depth blanks of two, then the text.
QStringList flatten(const QList<HerbTreeNode>& nodes, int depth = 0) {
  QStringList out;
  for (const HerbTreeNode& n : nodes) {
    out << QString(depth * 2, QLatin1Char(' ')) + n.text;
    out << flatten(n.children, depth + 1);
  }
  return out;
}

}  // namespace

TEST(HerbTree, DepthComesFromLeadingBlanksOrTabs) {
  struct Case {
    const char* line;
    int depth;
  } cases[] = {{"补气药", 0}, {"\t人参", 1}, {" 人参", 1}, {"\t\t人参", 2}, {" \t人参", 2}, {"  ", 2}, {"", 0},
               {"人 参", 0}};
  for (const Case& c : cases) EXPECT_EQ(herbTreeDepth(QString::fromUtf8(c.line)), c.depth) << c.line;
}

TEST(HerbTree, LinesBecomeGroupsAndHerbs) {
  struct Case {
    const char* text;
    QStringList tree;
  } cases[] = {
      // Tabs and blanks alike; Windows line ends; blank lines skipped.
      {"补气药\r\n\t人参\r\n 党参\r\n\r\n补血药\n\t当归\n",
       {"补气药", "  人参", "  党参", "补血药", "  当归"}},
      // Deeper levels and a step back over two levels.
      {"解表药\n\t辛温\n\t\t麻黄\n\t\t桂枝\n\t辛凉\n\t\t薄荷\n清热药\n\t石膏",
       {"解表药", "  辛温", "    麻黄", "    桂枝", "  辛凉", "    薄荷", "清热药", "  石膏"}},
      // A jump of several levels hangs under the line before; blanks inside a name stay.
      {"补气药\n\t\t\t人参\n\t黄 芪", {"补气药", "  人参", "  黄 芪"}},
      // An indented first line still starts the top level.
      {"\t人参\n补气药\n\t党参", {"人参", "补气药", "  党参"}},
      {"", {}},
      {"\n \n\t\n", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(flatten(parseHerbTree(QString::fromUtf8(c.text))), c.tree) << c.text;
}

TEST(HerbTree, StoredTextIsGbkUnlessItCarriesAByteOrderMark) {
  const QString text = QStringLiteral("补气药\n\t人参\n");
  const GbkBytes gbk = toGbk(text);
  ASSERT_TRUE(gbk.ok());
  EXPECT_EQ(herbTreeText(QVariant(gbk.bytes)), text);
  EXPECT_EQ(herbTreeText(QVariant(QByteArray("\xEF\xBB\xBF") + text.toUtf8())), text);
  QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
  EXPECT_EQ(herbTreeText(QVariant(QByteArray(utf16(text)))), text);
  // A text column is taken as it is, without a leading mark.
  EXPECT_EQ(herbTreeText(QVariant(QChar(0xFEFF) + text)), text);
  EXPECT_EQ(flatten(parseHerbTree(herbTreeText(QVariant(gbk.bytes)))), (QStringList{"补气药", "  人参"}));
}

TEST(HerbAmounts, ShownWithTwoDecimalsRoundedHalfUp) {
  struct Case {
    QVariant value;
    const char* shown;
  } cases[] = {{0.8, "0.80"},       {2000, "2000.00"}, {0.125, "0.13"},       {1.005, "1.01"},
               {"12.3456", "12.35"}, {-0.0, "0.00"},   {-0.125, "-0.13"},     {QVariant(), "0.00"},
               {"0.0000", "0.00"},   {999.995, "1000.00"}};
  for (const Case& c : cases) EXPECT_EQ(formatAmount(c.value), QString::fromLatin1(c.shown)) << c.shown;
}

TEST(HerbAmounts, NumbersAreDecimalsAsTyped) {
  struct Case {
    const char* text;
    std::optional<double> value;
  } cases[] = {{"12", 12},  {" 12.5 ", 12.5}, {"+3", 3},          {"-0.5", -0.5},        {".5", 0.5},
               {"5.", 5},   {"", {}},         {"abc", {}},        {"1e3", {}},           {"1,5", {}},
               {"0x10", {}}, {"--1", {}},     {"nan", {}},        {"12 3", {}},          {"１２", {}}};
  for (const Case& c : cases) EXPECT_EQ(parseAmount(QString::fromUtf8(c.text)), c.value) << c.text;
}

TEST(HerbPriceList, SavedPriceReplacesEveryEntryOrIsAppended) {
  AliasList list;
  putHerbPrice(&list, "1", QStringLiteral("人参"), 0.8);
  putHerbPrice(&list, "2", QStringLiteral("党参"), 0.12);
  list.append(list.first());  // a herb listed twice
  putHerbPrice(&list, "1", QStringLiteral("人参"), 9.5);
  ASSERT_EQ(list.size(), 3);
  EXPECT_EQ(list[0].entry.price, 9.5);
  EXPECT_EQ(list[2].entry.price, 9.5);
  EXPECT_EQ(GetHerbPriceById(list, "1"), 9.5);
  EXPECT_EQ(GetHerbPriceById(list, "2"), 0.12);
}

#include <gtest/gtest.h>

#include "text/item_list.h"

using tcm::fmt;
using tcm::splitItems;

TEST(ItemListSplit, SeparatorsBlanksAndEmptyItems) {
  EXPECT_TRUE(splitItems(QString()).isEmpty());
  EXPECT_TRUE(splitItems(QStringLiteral("   ")).isEmpty());
  EXPECT_EQ(splitItems(QStringLiteral("16,7,10")), (QStringList{"16", "7", "10"}));
  // Blanks separate items too and are dropped around them.
  EXPECT_EQ(splitItems(QStringLiteral(" a , b c")), (QStringList{"a", "b", "c"}));
  // Two separators in a row give an empty item; one at the very end adds one.
  EXPECT_EQ(splitItems(QStringLiteral("a,,b")), (QStringList{"a", "", "b"}));
  EXPECT_EQ(splitItems(QStringLiteral("a,")), (QStringList{"a", ""}));
  EXPECT_EQ(splitItems(QStringLiteral(",a")), (QStringList{"", "a"}));
}

TEST(ItemListSplit, QuotedItemsKeepSeparatorsAndDoubledQuotes) {
  EXPECT_EQ(splitItems(QStringLiteral("\"a,b\",c")), (QStringList{"a,b", "c"}));
  EXPECT_EQ(splitItems(QStringLiteral("\"say \"\"hi\"\"\"")), (QStringList{"say \"hi\""}));
  EXPECT_EQ(splitItems(QStringLiteral("\"two words\" x")), (QStringList{"two words", "x"}));
  // An unterminated quote runs to the end of the text.
  EXPECT_EQ(splitItems(QStringLiteral("\"open,ended")), (QStringList{"open,ended"}));
}

TEST(ItemListSplit, OtherSeparators) {
  EXPECT_EQ(splitItems(QStringLiteral("1012300001-0200002"), QLatin1Char('-')),
            (QStringList{"1012300001", "0200002"}));
  EXPECT_EQ(splitItems(QStringLiteral("0&12&"), QLatin1Char('&')), (QStringList{"0", "12", ""}));
  EXPECT_EQ(splitItems(QStringLiteral("雪梨,百合"), QLatin1Char(',')), (QStringList{"雪梨", "百合"}));
}

TEST(CodePadding, PadsToFiveAndKeepsLonger) {
  EXPECT_EQ(fmt(QString()), "00000");
  EXPECT_EQ(fmt("7"), "00007");
  EXPECT_EQ(fmt("01294"), "01294");
  EXPECT_EQ(fmt("123456"), "123456");
  EXPECT_EQ(tcm::fmtId(1294), "01294");
}

#include <gtest/gtest.h>

#include "entry/vocabulary_search.h"

using namespace tcm;

namespace {

AliasList vocabulary() {
  AliasList list;
  auto add = [&list](const QString& id, const QString& cls, const QString& pinyin, const QString& name) {
    AliasItem item;
    item.text = "HEX" + id;
    item.entry.id = id;
    item.entry.classId = cls;
    item.entry.pinyin = pinyin;
    item.entry.name = name;
    item.entry.mutex = "99999";
    item.entry.gender = "3";
    list << item;
  };
  add("11111", "0", "TT", QStringLiteral("头痛"));
  add("51111", "5", "ST", QStringLiteral("舌苔"));
  add("11112", "0", "TTYL", QStringLiteral("头痛欲裂"));
  add("81111", "8", "TNB", QStringLiteral("糖尿病"));
  add("11113", "0", "X%_'", QStringLiteral("怪名"));
  return list;
}

QStringList names(const SearchOutcome& o) {
  QStringList n;
  for (const SearchHit& h : o.hits) n << h.name;
  return n;
}

}  // namespace

TEST(VocabularySearch, PinyinOrNameInVocabularyOrder) {
  const AliasList v = vocabulary();
  const SearchOutcome o = searchVocabulary(v, " tt ", "0", false);
  ASSERT_EQ(o.action, SearchAction::Show);
  EXPECT_EQ(names(o), (QStringList{QStringLiteral("头痛"), QStringLiteral("头痛欲裂")}));
  // The copy carries id, classId and mutex only.
  EXPECT_EQ(o.hits[0].entry.id, "11111");
  EXPECT_EQ(o.hits[0].entry.mutex, "99999");
  EXPECT_TRUE(o.hits[0].entry.gender.isEmpty());
  // The general box searches every category; a category box only its own.
  EXPECT_EQ(names(searchVocabulary(v, "t", "0", false)).size(), 4);
  EXPECT_EQ(names(searchVocabulary(v, "t", "5", false)), QStringList{QStringLiteral("舌苔")});
  EXPECT_EQ(names(searchVocabulary(v, QStringLiteral("痛"), "0", false)),
            (QStringList{QStringLiteral("头痛"), QStringLiteral("头痛欲裂")}));
  EXPECT_EQ(searchVocabulary(v, "   ", "0", false).action, SearchAction::HidePopup);
}

TEST(VocabularySearch, SpecialCharactersAreLiteral) {
  const AliasList v = vocabulary();
  EXPECT_EQ(names(searchVocabulary(v, "%_", "0", false)), QStringList{QStringLiteral("怪名")});
  EXPECT_EQ(names(searchVocabulary(v, "'", "0", false)), QStringList{QStringLiteral("怪名")});
  EXPECT_TRUE(searchVocabulary(v, "%%", "0", false).hits.isEmpty());
  EXPECT_EQ(searchVocabulary(v, QString(5000, QChar(0x75DB)), "0", false).action, SearchAction::Show);
}

TEST(VocabularySearch, AtMost51Results) {
  AliasList v;
  for (int i = 0; i < 200; ++i) {
    AliasItem item;
    item.entry.id = QString::number(20000 + i);
    item.entry.classId = "0";
    item.entry.pinyin = "AB";
    item.entry.name = QStringLiteral("名%1").arg(i);
    v << item;
  }
  const SearchOutcome o = searchVocabulary(v, "ab", "0", false);
  ASSERT_EQ(o.hits.size(), 51);
  EXPECT_EQ(o.hits.last().entry.id, "20050");
}

TEST(VocabularySearch, LongerKeysExtendingAMissAreNotSearchedAgain) {
  const AliasList v = vocabulary();
  VocabularySearch s;
  EXPECT_TRUE(s.search(v, "QZ", "0").hits.isEmpty());
  EXPECT_EQ(s.search(v, "QZX", "0").action, SearchAction::KeepList);
  // Back to two bytes: searched again.
  EXPECT_EQ(s.search(v, "QZ", "0").action, SearchAction::Show);
  // A word committed at once by an input method is searched although it is 4 bytes.
  VocabularySearch fresh;
  EXPECT_EQ(names(fresh.search(v, QStringLiteral("头痛"), "0")),
            (QStringList{QStringLiteral("头痛"), QStringLiteral("头痛欲裂")}));
  // After a miss, a different longer key is searched.
  EXPECT_TRUE(fresh.search(v, "QZ", "0").hits.isEmpty());
  EXPECT_EQ(names(fresh.search(v, QStringLiteral("糖尿"), "0")), QStringList{QStringLiteral("糖尿病")});
  // After a pick the next key is searched afresh.
  EXPECT_TRUE(fresh.search(v, "QZ", "0").hits.isEmpty());
  fresh.reset();
  EXPECT_EQ(fresh.search(v, "QZX", "0").action, SearchAction::Show);
}

TEST(VocabularySearch, KeyIsCutAt255GbkBytes) {
  int length = 0;
  const QString key = searchKey(QString(200, QChar(0x75DB)), &length);
  EXPECT_LE(length, 255);
  EXPECT_EQ(length % 2, 0);
  EXPECT_EQ(key.size(), length / 2);
}

// The one-pass index answers every key as the entry-by-entry scan does: in
// list order, an entry matched by pinyin and name once, the category filter,
// the 51-line limit, and a key spanning the end of one entry and the start of
// the next never matching.
TEST(VocabularySearch, TheIndexFindsWhatTheScanFinds) {
  AliasList v = vocabulary();
  for (int i = 0; i < 120; ++i) {
    AliasItem item;
    item.entry.id = QString::number(20000 + i);
    item.entry.classId = i % 3 == 0 ? "5" : "0";
    item.entry.pinyin = i % 2 ? "TX" : "XT";
    item.entry.name = i % 2 ? QStringLiteral("痛心") : QStringLiteral("心痛");
    v << item;
  }
  const VocabularyIndex index(v);
  ASSERT_TRUE(index.isFor(v));
  const QStringList keys = {"t", "tt", "TX", "xt", QStringLiteral("痛"), QStringLiteral("心痛"), QStringLiteral("痛心"),
                            "%_", "'", "TTST", QStringLiteral("痛舌"), "LT", QStringLiteral("裂糖"), "zz",
                            QString(QChar(0x1F)), QStringLiteral("头痛") + QChar(0x1E)};
  for (const QString& category : {QStringLiteral("0"), QStringLiteral("5"), QStringLiteral("8")}) {
    for (const QString& key : keys) {
      const SearchOutcome scan = searchVocabulary(v, key, category, false);
      const SearchOutcome indexed = searchVocabulary(v, key, category, false, &index);
      EXPECT_EQ(names(indexed), names(scan)) << key.toStdString() << " in " << category.toStdString();
      QStringList scanIds, indexedIds;
      for (const SearchHit& h : scan.hits) scanIds << h.entry.id;
      for (const SearchHit& h : indexed.hits) indexedIds << h.entry.id;
      EXPECT_EQ(indexedIds, scanIds) << key.toStdString() << " in " << category.toStdString();
    }
  }
  EXPECT_EQ(searchVocabulary(v, "t", "0", false, &index).hits.size(), kMaxSearchResults);
  EXPECT_TRUE(searchVocabulary(v, "TTST", "0", false, &index).hits.isEmpty());
  // An index of another list is not used for this one.
  AliasList other = vocabulary();
  EXPECT_FALSE(index.isFor(other));
  EXPECT_EQ(names(searchVocabulary(other, QStringLiteral("痛"), "0", false, &index)),
            (QStringList{QStringLiteral("头痛"), QStringLiteral("头痛欲裂")}));
}

#include <QFile>

#include "kb/knowledge_loader.h"
#include "entry/vocabulary.h"
#include "test_support.h"

using namespace tcm;
using namespace tcm::test;

class KnowledgeLoader : public ::testing::TestWithParam<RemoteKind> {
 protected:
  void SetUp() override {
    folder = std::make_unique<DataFolder>(GetParam());
    TCM_REQUIRE_FOLDER(*folder);
    dm = folder->server(&messages);
  }
  void addRow(int id, int open, const QString& name) {
    ASSERT_TRUE(dm->ExecMSSql(Sql("insert into syn_food(ID,Name,[OR],Weight,SymIdStr,Dep1,Dep2,AcuId,Pre,IsOpen) "
                                  "values(?,?,?,?,?,?,?,?,?,?)",
                                  {id, name, "12", "4030", "1101000012-1201000013", "16", "7,10", id * 10,
                                   "[{id:1,name:x,remark:4}]", open})));
  }
  RecordingMessages messages;
  std::unique_ptr<DataFolder> folder;
  std::unique_ptr<TDMServer> dm;
};

TEST_P(KnowledgeLoader, HolesClosedRowsAndMaxId) {
  addRow(1, 1, "甲");
  addRow(2, 1, "乙");
  addRow(5, 1, "戊");
  addRow(7, 0, "庚");  // closed, but counts for MaxId
  ASSERT_EQ(LoadData(*dm), LoadResult::Loaded);
  const KnowledgeTable& t = *dm->knowledge();
  ASSERT_EQ(t.MaxId(), 7);
  EXPECT_EQ(t.record(1).Name, QStringLiteral("甲"));
  EXPECT_EQ(t.record(2).Id, 2);
  EXPECT_EQ(t.record(5).Name, QStringLiteral("戊"));
  EXPECT_EQ(t.record(5).ORValue, "12");
  EXPECT_EQ(t.record(5).SymIdStr, "1101000012-1201000013");
  EXPECT_EQ(t.record(5).Dep2, "7,10");
  EXPECT_EQ(t.record(5).AcuId, 50);
  for (int k : {3, 4, 6, 7}) EXPECT_EQ(t.record(k).Id, 0) << k;
  EXPECT_TRUE(messages.dbErrors.isEmpty());
}

TEST_P(KnowledgeLoader, NullsReadAsEmptyAndEmptyTable) {
  ASSERT_EQ(LoadData(*dm), LoadResult::Loaded);
  EXPECT_EQ(dm->knowledge()->MaxId(), 0);
  ASSERT_TRUE(dm->ExecMSSql(Sql("insert into syn_food(ID,IsOpen) values(1,1)")));
  ASSERT_EQ(LoadData(*dm), LoadResult::Loaded);
  const TDisease& d = dm->knowledge()->record(1);
  EXPECT_EQ(d.Id, 1);
  EXPECT_TRUE(d.Name.isEmpty());
  EXPECT_TRUE(d.recommendFood.isEmpty());
  EXPECT_EQ(d.AcuId, 0);
}

TEST_P(KnowledgeLoader, IdsBelowOneAreSkipped) {
  addRow(-3, 1, "负");
  addRow(2, 1, "乙");
  ASSERT_EQ(LoadData(*dm), LoadResult::Loaded);
  ASSERT_EQ(dm->knowledge()->MaxId(), 2);
  EXPECT_EQ(dm->knowledge()->record(1).Id, 0);
  EXPECT_EQ(dm->knowledge()->record(2).Name, QStringLiteral("乙"));
}

TEST_P(KnowledgeLoader, FailedQueriesKeepOrEmptyTheTable) {
  addRow(1, 1, "甲");
  ASSERT_EQ(LoadData(*dm), LoadResult::Loaded);
  const KnowledgeTablePtr before = dm->knowledge();
  // The size query fails: the previous table stays current.
  ASSERT_TRUE(dm->ExecMSSql(Sql("drop table syn_food")));
  EXPECT_EQ(LoadData(*dm), LoadResult::Unchanged);
  EXPECT_EQ(dm->knowledge(), before);
  EXPECT_EQ(messages.dbErrors.size(), 1);
  // The size query works but the rows query fails: a new empty table is current.
  ASSERT_TRUE(dm->ExecMSSql(Sql("create table syn_food (id integer, IsOpen integer)")));
  ASSERT_TRUE(dm->ExecMSSql(Sql("insert into syn_food values(3,1)")));
  EXPECT_EQ(LoadData(*dm), LoadResult::RowsFailed);
  EXPECT_EQ(dm->knowledge()->MaxId(), 3);
  EXPECT_EQ(dm->knowledge()->record(3).Id, 0);
}

INSTANTIATE_TEST_SUITE_P(BothDatabases, KnowledgeLoader, ::testing::Values(RemoteKind::Sqlite, RemoteKind::Postgres),
                         remoteKindName);

// A damaged fm.db: every 4 KiB page from offset 8192 overwritten with garbage.
// No load may report success on part of its rows.
TEST(DamagedDatabase, LoadsFailWholeInsteadOfPartly) {
  AliasList prices{AliasItem{QStringLiteral("earlier"), TAliease{}}};
  {
    DataFolder folder(RemoteKind::Sqlite, /*withKnowledge=*/true);
    TCM_REQUIRE_FOLDER(folder);
    {
      RecordingMessages quiet;
      auto healthy = folder.server(&quiet);
      ASSERT_EQ(LoadData(*healthy), LoadResult::Loaded);
      ASSERT_GT(healthy->knowledge()->MaxId(), 40);
    }
    QFile file(folder.settings().remoteDbPath());
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const qint64 size = file.size();
    ASSERT_GT(size, 8192 + 4096 * 4);
    QByteArray garbage(4096, '\0');
    for (qsizetype i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<char>((i * 131 + 17) % 251);
    for (qint64 at = 8192; at < size; at += 4096) {
      ASSERT_TRUE(file.seek(at));
      ASSERT_EQ(file.write(garbage.left(static_cast<qsizetype>(std::min<qint64>(4096, size - at)))),
                std::min<qint64>(4096, size - at));
    }
    file.close();

    RecordingMessages messages;
    auto dm = folder.server(&messages);
    EXPECT_NE(LoadData(*dm), LoadResult::Loaded);
    // Never a partly loaded table: what is current holds no syndrome.
    for (int k = 1; k <= dm->knowledge()->MaxId(); ++k) EXPECT_EQ(dm->knowledge()->record(k).Id, 0) << k;
    EXPECT_FALSE(GetHerbPriceList(*dm, "1", &prices));
    ASSERT_EQ(prices.size(), 1);  // left as it was
    EXPECT_EQ(prices[0].text, "earlier");
    EXPECT_FALSE(messages.dbErrors.isEmpty());
    // The undamaged local vocabulary still loads whole.
    AliasList vocabulary;
    EXPECT_TRUE(GetAliases(*dm, &vocabulary));
    EXPECT_GT(vocabulary.size(), 300);
  }
}

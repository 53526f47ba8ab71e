#include <QSqlError>
#include <QSqlQuery>

#include "db/schema.h"
#include "kb/seed_accounts.h"
#include "test_support.h"

using namespace tcm;
using namespace tcm::test;

class Schema : public ::testing::TestWithParam<RemoteKind> {};

TEST_P(Schema, CreatedAtLatestVersionAndSafeToRerun) {
  DataFolder folder(GetParam());
  TCM_REQUIRE_FOLDER(folder);
  RecordingMessages messages;
  auto dm = folder.server(&messages);
  EXPECT_EQ(schemaVersion(*dm, Database::Remote), latestSchemaVersion(Database::Remote));
  EXPECT_EQ(schemaVersion(*dm, Database::Local), latestSchemaVersion(Database::Local));
  QString error;
  ASSERT_TRUE(applySchema(*dm, Database::Remote, &error)) << error.toStdString();
  ASSERT_TRUE(seedAccounts(*dm, &error));
  QSqlQuery* q = dm->GetDB(Sql("select count(*) from [user]"), true);
  ASSERT_TRUE(q && q->next());
  EXPECT_EQ(q->value(0).toInt(), 2);
  q = dm->GetDB(Sql("select version from version where flag = 1"), true);
  ASSERT_TRUE(q && q->next());
  EXPECT_EQ(q->value(0).toString(), "1.0.0");
}

TEST_P(Schema, EveryTableAndColumnTheClientQueries) {
  DataFolder folder(GetParam());
  TCM_REQUIRE_FOLDER(folder);
  RecordingMessages messages;
  auto dm = folder.server(&messages);
  const QStringList remote = {
      "select id,shopId,shopName,name,userid,pwd from [user]",
      "select id,name,tel,contactName,address,img from shop",
      "select userid,ip from log",
      "select version,flag from version",
      "select id,name from herb",
      "select shopId,id,name,price,stock from herb_shop",
      "select PatId,shopId,Name,Gender,Age,Tel,tel1,Address,wrDate,bodyType,disease,dm from pat",
      "select id,shopId,MZNO,patId,Disease,bl,symIds,Herb,HerbIds,herbPrice,herbStockState,food,foodIds,foodPrice,"
      "foodStockState,wrDate from pat_med",
      "select a.id from pat_med a, pat b where a.shopid = b.shopid and a.patid = b.patid",
      "select ID,Name,[OR],Weight,SymIdStr,DifferentialDiagnosisIdStr,CardinalSymptomIdStr,SymModIdStr,Dep1,Dep2,"
      "HintContent,NegativeSymIdStr,DecWeightSymIdStr,MatchModFlag,ModPreIdStr,Tre,Pre,AcuId,notRecommendFood,"
      "recommendFood,IsOpen from syn_food",
      "select PreId,name,herbIds from pre",
      "select id,synName,type,pre,ids,symId,symLen from pre_food_grp",
      "select class,title,symId,gender,name,mutex,childTag,classId from symptom_option",
      "select fid,tag,gender,symid,name,mutex from symptom_option_sub",
      "select tblname,tree from tbltree",
  };
  for (const QString& s : remote) EXPECT_NE(dm->GetDB(Sql(s), true), nullptr) << s.toStdString();
  const QStringList local = {
      "select id,name1,pinyin,ids,classid,mutex,gender,type,classId,strLen from aliases",
      "select fid,title,symId,gender,name,mutex,childTag,classId from symptom_option_sub",
      "select symptomId,negativeSymptomId from negative_symptom",
  };
  for (const QString& s : local) EXPECT_NE(dm->GetDB1(Sql(s)), nullptr) << s.toStdString();
  EXPECT_TRUE(messages.dbErrors.isEmpty()) << messages.dbErrors.join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(BothDatabases, Schema, ::testing::Values(RemoteKind::Sqlite, RemoteKind::Postgres),
                         remoteKindName);

// Tables dropped since the schema was made, or a lost version record: the next
// set-up creates what is missing and keeps what is there; a missing column is named.
TEST_P(Schema, RepairsDroppedTablesAndNamesMissingColumns) {
  DataFolder folder(GetParam());
  TCM_REQUIRE_FOLDER(folder);
  RecordingMessages messages;
  auto dm = folder.server(&messages);
  ASSERT_TRUE(dm->ExecMSSql(Sql("insert into herb(id,name) values(1,?)", {QStringLiteral("人参")})));
  const struct {
    Database db;
    const char* drop;
    QStringList missing;
  } damages[] = {{Database::Remote, "drop table herb_shop", {QStringLiteral("表 herb_shop")}},
                 {Database::Remote, "drop table log", {QStringLiteral("表 log")}},
                 {Database::Remote, "drop table schema_version", {}},
                 {Database::Local, "drop table negative_symptom", {QStringLiteral("表 negative_symptom")}}};
  for (const auto& d : damages) {
    SCOPED_TRACE(d.drop);
    QSqlQuery drop(d.db == Database::Remote ? dm->remoteConnection() : dm->localConnection());
    ASSERT_TRUE(drop.exec(dm->remoteDialect().translate(QString::fromLatin1(d.drop))));
    drop.finish();
    EXPECT_EQ(missingSchemaParts(*dm, d.db), d.missing);
    QString error;
    ASSERT_TRUE(applySchema(*dm, d.db, &error)) << error.toStdString();
    EXPECT_TRUE(missingSchemaParts(*dm, d.db).isEmpty());
    EXPECT_EQ(schemaVersion(*dm, d.db), latestSchemaVersion(d.db));
  }
  QSqlQuery* kept = dm->GetDB(Sql("select name from herb where id = 1"), true);
  ASSERT_TRUE(kept && kept->next());
  EXPECT_EQ(kept->value(0).toString(), QStringLiteral("人参"));

  // A column cannot be guessed: the set-up stops and names it.
  QSqlQuery alter(dm->remoteConnection());
  ASSERT_TRUE(alter.exec("alter table herb_shop drop column stock")) << alter.lastError().text().toStdString();
  alter.finish();
  EXPECT_EQ(missingSchemaParts(*dm, Database::Remote), QStringList{QStringLiteral("列 herb_shop.stock")});
  QString error;
  EXPECT_FALSE(applySchema(*dm, Database::Remote, &error));
  EXPECT_TRUE(error.contains(QStringLiteral("远程数据库结构不完整，缺少：列 herb_shop.stock"))) << error.toStdString();
}

// A database made before the listing indexes: its later steps run once, the
// date indexes are replaced by the ones that carry the id, and a repair
// afterwards only creates.
TEST_P(Schema, LaterStepsReplaceTheOldDateIndexes) {
  DataFolder folder(GetParam());
  TCM_REQUIRE_FOLDER(folder);
  RecordingMessages messages;
  auto dm = folder.server(&messages);
  const QString indexes = GetParam() == RemoteKind::Sqlite
                              ? QStringLiteral("select name from sqlite_master where type='index' and name like 'ix_pat%'")
                              : QStringLiteral("select indexname from pg_indexes where indexname like 'ix_pat%'");
  auto indexNames = [&] {
    QStringList names;
    QSqlQuery q(dm->remoteConnection());
    EXPECT_TRUE(q.exec(indexes)) << q.lastError().text().toStdString();
    while (q.next()) names << q.value(0).toString();
    names.sort();
    return names;
  };
  QSqlQuery old(dm->remoteConnection());
  for (const char* st : {"drop index ix_pat_shop_date_id", "drop index ix_pat_med_shop_date_id", "drop index ix_pat_med_pat_id",
                         "create index ix_pat_shop_date on pat (shopId, wrDate)",
                         "create index ix_pat_med_shop_date on pat_med (shopId, wrDate)",
                         "delete from schema_version where version > 2"})
    ASSERT_TRUE(old.exec(QString::fromLatin1(st))) << st << old.lastError().text().toStdString();
  old.finish();
  QString error;
  ASSERT_TRUE(applySchema(*dm, Database::Remote, &error)) << error.toStdString();
  const QStringList expected = {"ix_pat_med_pat_id", "ix_pat_med_shop_date_id", "ix_pat_med_shop_mzno", "ix_pat_med_shop_pat",
                                "ix_pat_shop_date_id", "ix_pat_shop_name", "ix_pat_shop_tel1"};
  EXPECT_EQ(indexNames(), expected);
  // A repair (a table lost) creates what is missing and brings back no old index.
  ASSERT_TRUE(old.exec(QStringLiteral("drop table log")));
  old.finish();
  ASSERT_TRUE(applySchema(*dm, Database::Remote, &error)) << error.toStdString();
  EXPECT_EQ(indexNames(), expected);
}

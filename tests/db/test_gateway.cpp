// The gateway on both kinds of remote database: bound values, failures shown
// once, transactions all or nothing, the local negative-finding lookup.
#include <QSqlQuery>

#include "test_support.h"
#include "text/item_list.h"

using namespace tcm;
using namespace tcm::test;

class Gateway : public ::testing::TestWithParam<RemoteKind> {
 protected:
  void SetUp() override {
    folder = std::make_unique<DataFolder>(GetParam());
    TCM_REQUIRE_FOLDER(*folder);
    dm = folder->server(&messages);
  }
  int countRows(const QString& table) {
    QSqlQuery* q = dm->GetDB(Sql("select count(*) from " + table), true);
    return q && q->next() ? q->value(0).toInt() : -1;
  }
  RecordingMessages messages;
  std::unique_ptr<DataFolder> folder;
  std::unique_ptr<TDMServer> dm;
};

TEST_P(Gateway, QuotesInValuesSaveAndReadBackIntact) {
  const QString name = QStringLiteral("O'Brien'); drop table pat; --");
  ASSERT_TRUE(dm->ExecMSSql(Sql("insert into pat(shopId,Name,Tel) values(?,?,?)", {1, name, "x'y"})));
  QSqlQuery* q = dm->GetDB(Sql("select Name,Tel from pat where Name=?", {name}), true);
  ASSERT_NE(q, nullptr);
  ASSERT_TRUE(q->next());
  EXPECT_EQ(q->value(0).toString(), name);
  EXPECT_EQ(q->value(1).toString(), "x'y");
  EXPECT_EQ(countRows("pat"), 1);
}

TEST_P(Gateway, KeywordNamesAndMixedCaseReachTheSameColumns) {
  ASSERT_TRUE(dm->ExecMSSql(Sql("insert into syn_food(ID,Name,[OR],IsOpen) values(?,?,?,1)", {3, "心气虚", "21"})));
  QSqlQuery* q = dm->GetDB(Sql("select [or], NAME from SYN_FOOD where id = ?", {3}), true);
  ASSERT_NE(q, nullptr);
  ASSERT_TRUE(q->next());
  EXPECT_EQ(q->value(0).toString(), "21");
  EXPECT_EQ(q->value(1).toString(), QStringLiteral("心气虚"));
  q = dm->GetDB(Sql("select userid from [user] where shopId = ?", {"2"}), true);
  ASSERT_NE(q, nullptr);
  ASSERT_TRUE(q->next());
  EXPECT_EQ(q->value(0).toString(), "13800000002");
}

TEST_P(Gateway, FailedQueryIsShownOnceAndTheNextCallWorks) {
  EXPECT_EQ(dm->GetDB(Sql("selec id frm pat"), true), nullptr);
  ASSERT_EQ(messages.dbErrors.size(), 1);
  EXPECT_FALSE(messages.dbErrors[0].isEmpty());
  EXPECT_NE(dm->GetDB(Sql("select id from shop"), true), nullptr);
  EXPECT_EQ(messages.dbErrors.size(), 1);
  // Statement operations report nothing.
  EXPECT_FALSE(dm->ExecSql(Sql("insert into nowhere values(1)"), true));
  EXPECT_FALSE(dm->ExecSql(Sql("insert into nowhere values(1)"), false));
  EXPECT_EQ(messages.dbErrors.size(), 1);
}

TEST_P(Gateway, EachGetDbEndsTheEarlierRemoteResult) {
  QSqlQuery* first = dm->GetDB(Sql("select id from shop order by id"), true);
  ASSERT_NE(first, nullptr);
  QSqlQuery* second = dm->GetDB(Sql("select id from shop order by id desc"), true);
  ASSERT_NE(second, nullptr);
  ASSERT_TRUE(second->next());
  EXPECT_EQ(second->value(0).toInt(), 2);
}

TEST_P(Gateway, StatementListIsAllOrNothing) {
  const QList<Sql> list = {
      Sql("insert into log(userid,ip) values(?,?)", {"a", "1"}),
      Sql("insert into log(userid,ip) values(?,?)", {"b", "2"}),
      Sql("insert into no_such_table(x) values(1)"),
      Sql("insert into log(userid,ip) values(?,?)", {"d", "4"}),
      Sql("insert into log(userid,ip) values(?,?)", {"e", "5"}),
  };
  EXPECT_FALSE(dm->ExecLstSql(list, true));
  EXPECT_EQ(countRows("log"), 0);
  EXPECT_TRUE(dm->ExecLstSql({}, true));
  EXPECT_TRUE(dm->ExecLstSql({Sql("insert into log(userid,ip) values(?,?)", {"a", ""}), Sql(""),
                              Sql("insert into log(userid,ip) values(?,?)", {"b", ""})},
                             true));
  EXPECT_EQ(countRows("log"), 2);
  EXPECT_TRUE(messages.dbErrors.isEmpty());
}

TEST_P(Gateway, LocalStatementListIsAllOrNothing) {
  EXPECT_FALSE(dm->ExecLstSql({Sql("insert into negative_symptom values(?,?)", {1, 2}),
                               Sql("insert into negative_symptom values(?,?)", {1, 3})},  // duplicate key
                              false));
  QSqlQuery* q = dm->GetDB1(Sql("select count(*) from negative_symptom"));
  ASSERT_NE(q, nullptr);
  ASSERT_TRUE(q->next());
  EXPECT_EQ(q->value(0).toInt(), 0);
}

TEST_P(Gateway, InsertReadsBackTheAssignedId) {
  const auto first = dm->InsertAndGetId(Sql("insert into pat(shopId,Name) values(?,?)", {1, "甲"}), "PatId", true);
  const auto second = dm->InsertAndGetId(Sql("insert into pat(shopId,Name) values(?,?)", {1, "乙"}), "PatId", true);
  ASSERT_TRUE(first && second);
  EXPECT_GT(*second, *first);
  QSqlQuery* q = dm->GetDB(Sql("select Name from pat where PatId = ?", {*second}), true);
  ASSERT_TRUE(q && q->next());
  EXPECT_EQ(q->value(0).toString(), QStringLiteral("乙"));
}

TEST_P(Gateway, HerbIdByExactName) {
  ASSERT_TRUE(dm->ExecMSSql(Sql("insert into herb(id,name) values(?,?)", {17, "黄芪"})));
  EXPECT_EQ(dm->getHerbId(QStringLiteral("黄芪")), "17");
  EXPECT_EQ(dm->getHerbId(QStringLiteral("黄")), QString());
  EXPECT_EQ(dm->getHerbId(QStringLiteral("黄芪' or '1'='1")), QString());
}

TEST_P(Gateway, NegativeFindingsFromTheLocalTable) {
  ASSERT_TRUE(dm->ExecLstSql({Sql("insert into negative_symptom values(?,?)", {300, 301}),
                              Sql("insert into negative_symptom values(?,?)", {200, 205})},
                             false));
  QStringList out;
  QString error;
  // Group 1 (codes 00100 and 00200) is satisfied by 00200; group 2 (00300) is not.
  ASSERT_TRUE(dm->GetNegativeSymptomId("0010000200-00300", {"00200"}, &out, &error));
  EXPECT_EQ(out, QStringList{"00301"});
  // An unsatisfied group asks for its last code; an implied code already present is not added.
  ASSERT_TRUE(dm->GetNegativeSymptomId("0010000200", {"00205"}, &out, &error));
  EXPECT_TRUE(out.isEmpty());
  ASSERT_TRUE(dm->GetNegativeSymptomId("0010000200-00200", {}, &out, &error));
  EXPECT_EQ(out, (QStringList{"00205", "00205"}));
  // A code without a row adds nothing; a chunk that is not a number is a failure.
  ASSERT_TRUE(dm->GetNegativeSymptomId("00999", {}, &out, &error));
  EXPECT_TRUE(out.isEmpty());
  EXPECT_FALSE(dm->GetNegativeSymptomId("0a1x2", {}, &out, &error));
  EXPECT_FALSE(error.isEmpty());
}

TEST_P(Gateway, ADroppedConnectionIsOpenedAgain) {
  if (GetParam() != RemoteKind::Postgres) GTEST_SKIP() << "only a server connection can be dropped";
  QSqlQuery* q = dm->GetDB(Sql("select pg_backend_pid()"), true);
  ASSERT_TRUE(q && q->next());
  const qint64 pid = q->value(0).toLongLong();
  QString error;
  ASSERT_TRUE(postgresAdminExec(QStringLiteral("select pg_terminate_backend(%1)").arg(pid), &error)) << error.toStdString();
  q = dm->GetDB(Sql("select count(*) from shop"), true);
  ASSERT_NE(q, nullptr);
  ASSERT_TRUE(q->next());
  EXPECT_EQ(q->value(0).toInt(), 2);
  EXPECT_TRUE(messages.dbErrors.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(BothDatabases, Gateway, ::testing::Values(RemoteKind::Sqlite, RemoteKind::Postgres),
                         remoteKindName);

TEST(GatewayUnreachable, LocalQueryNeedsTheRemoteConnection) {
  DataFolder folder;
  TCM_REQUIRE_FOLDER(folder);
  RecordingMessages messages;
  TDMServer dm(withUnreachableRemote(folder.settings()), &messages);
  EXPECT_EQ(dm.GetDB(Sql("select count(*) from aliases"), false), nullptr);
  ASSERT_EQ(messages.dbErrors.size(), 1);
  EXPECT_TRUE(messages.dbErrors[0].contains(QStringLiteral("无法连接远程数据库")));
  // GetDB1 touches no remote connection.
  EXPECT_NE(dm.GetDB1(Sql("select count(*) from aliases")), nullptr);
  EXPECT_FALSE(dm.ExecLstSql({Sql("insert into log(userid,ip) values('a','b')")}, true));
}

TEST(GatewayUnreachable, MissingFilesAndBadSettingsAreReported) {
  QTemporaryDir dir;
  DbSettings settings;
  settings.dataDir = dir.path();
  RecordingMessages messages;
  {
    TDMServer dm(settings, &messages);
    EXPECT_EQ(dm.GetDB(Sql("select 1"), true), nullptr);
    EXPECT_FALSE(QFile::exists(settings.remoteDbPath()));  // no empty file is made
  }
  settings.remoteUrl = "ftp://x";
  TDMServer bad(settings, &messages);
  EXPECT_FALSE(bad.configError().isEmpty());
  EXPECT_EQ(bad.GetDB(Sql("select 1"), true), nullptr);
  EXPECT_EQ(messages.dbErrors.size(), 2);
}

// The login against real databases, with the public address served on loopback.
#include <QSqlQuery>

#include "login/login_service.h"
#include "settings/ini_file.h"
#include "test_support.h"

using namespace tcm;
using namespace tcm::test;

class Login : public ::testing::TestWithParam<RemoteKind> {
 protected:
  void SetUp() override {
    folder = std::make_unique<DataFolder>(GetParam());
    TCM_REQUIRE_FOLDER(*folder);
    dm = folder->server(&messages);
  }
  QStringList logRows() {
    QStringList rows;
    QSqlQuery* q = dm->GetDB(Sql("select userid,ip from log order by id"), true);
    while (q && q->next()) rows << q->value(0).toString() + "|" + q->value(1).toString();
    return rows;
  }
  RecordingMessages messages;
  std::unique_ptr<DataFolder> folder;
  std::unique_ptr<TDMServer> dm;
};

TEST_P(Login, SuccessFillsStateAndWritesTheJournalWithTheAddress) {
  LoopbackHttpServer ipService("203.0.113.7");
  LoginService service(*dm, ipService.baseUrl());
  LoginState state;
  ASSERT_EQ(service.attempt("13800000002", "246810", &state), LoginResult::Ok);
  EXPECT_EQ(state.ShopId, "2");
  EXPECT_EQ(state.ShopName, QStringLiteral("Orlemo经方二店"));
  EXPECT_EQ(state.UserName, QStringLiteral("李华"));
  EXPECT_EQ(state.UserId, "2");
  EXPECT_EQ(state.loginPassword, "246810");
  EXPECT_EQ(ipService.lastPath(), "/ip");
  EXPECT_EQ(logRows(), QStringList{"13800000002|203.0.113.7"});
}

TEST_P(Login, WrongPasswordBlanksAndQuotesDoNotMatch) {
  LoginService service(*dm, unreachableHttpUrl());
  LoginState state;
  EXPECT_EQ(service.attempt("13800000001", "000000", &state), LoginResult::NoMatch);
  // Texts are sent as typed: blanks are not trimmed.
  EXPECT_EQ(service.attempt(" 13800000001", "731526", &state), LoginResult::NoMatch);
  EXPECT_EQ(service.attempt("' or '1'='1", "' or '1'='1", &state), LoginResult::NoMatch);
  // Characters GBK lacks are not dropped into the demo password.
  for (const QString& pwd : {QStringLiteral("731526😀"), QStringLiteral("7315😀26"), QStringLiteral("731526ë"),
                            QStringLiteral("731526\u202E")})
    EXPECT_EQ(service.attempt("13800000001", pwd, &state), LoginResult::NoMatch) << pwd.toStdString();
  EXPECT_FALSE(state.loggedIn());
  EXPECT_TRUE(logRows().isEmpty());
  EXPECT_EQ(LoginService::messageFor(LoginResult::NoMatch), "用户名或密码错误");
}

TEST_P(Login, UnreachableAddressServiceStillLogsIn) {
  LoginService service(*dm, unreachableHttpUrl());
  LoginState state;
  ASSERT_EQ(service.attempt("13800000001", "731526", &state), LoginResult::Ok);
  EXPECT_EQ(logRows(), QStringList{"13800000001|"});
}

INSTANTIATE_TEST_SUITE_P(BothDatabases, Login, ::testing::Values(RemoteKind::Sqlite, RemoteKind::Postgres),
                         remoteKindName);

TEST(LoginFailure, UnreachableDatabaseIsANetworkError) {
  DataFolder folder;
  TCM_REQUIRE_FOLDER(folder);
  RecordingMessages messages;
  TDMServer dm(withUnreachableRemote(folder.settings()), &messages);
  LoginService service(dm, unreachableHttpUrl());
  LoginState state;
  EXPECT_EQ(service.attempt("13800000001", "731526", &state), LoginResult::DbFailure);
  EXPECT_EQ(messages.dbErrors.size(), 1);
  EXPECT_EQ(LoginService::messageFor(LoginResult::DbFailure), "登陆过程发生网络连接错误，请重新登陆");
}

TEST(RememberedLogin, WrittenOnlyWhenAskedAndRestored) {
  QTemporaryDir dir;
  const QString ini = dir.filePath("set.ini");
  EXPECT_FALSE(readRememberedLogin(ini).hasPassword);
  ASSERT_TRUE(writeRememberedLogin(ini, " 13800000001 ", "731526"));
  const RememberedLogin r = readRememberedLogin(ini);
  EXPECT_EQ(r.user, " 13800000001 ");  // remembered with its blanks
  EXPECT_TRUE(r.hasPassword);
  EXPECT_EQ(r.password, "731526");
  IniFile file(ini);
  file.load();
  EXPECT_NE(file.value("LOGIN", "PWD"), "731526");
}

TEST(RememberedLogin, UndecipherablePasswordIsIgnored) {
  QTemporaryDir dir;
  const QString ini = dir.filePath("set.ini");
  IniFile file(ini);
  file.setValue("LOGIN", "USER", "13800000001");
  file.setValue("LOGIN", "PWD", "not-a-password");
  ASSERT_TRUE(file.save());
  const RememberedLogin r = readRememberedLogin(ini);
  EXPECT_EQ(r.user, "13800000001");
  EXPECT_FALSE(r.hasPassword);
}

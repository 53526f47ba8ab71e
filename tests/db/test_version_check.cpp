#include <QDate>

#include "login/version_check.h"
#include "settings/ini_file.h"
#include "test_support.h"

using namespace tcm;
using namespace tcm::test;

namespace {

struct Harness {
  Harness() {
    folder = std::make_unique<DataFolder>();
    dm = folder->server(&messages);
    hooks.requestQuit = [this] { ++quits; };
    hooks.startUpgrade = [this] { ++upgrades; };
  }
  void writeIni(const QString& date, const QString& version, const QString& upted) {
    IniFile ini(folder->settings().iniPath());
    ini.load();
    if (!date.isNull()) ini.setValue("Version", "date", date);
    if (!version.isNull()) ini.setValue("Version", "version", version);
    if (!upted.isNull()) ini.setValue("Version", "upted", upted);
    ASSERT_TRUE(ini.save());
  }
  void publish(const QString& version) {
    ASSERT_TRUE(dm->ExecMSSql(Sql("update version set version = ? where flag = 1", {version})));
  }
  VersionCheckOutcome run() {
    return runVersionCheck(folder->settings().iniPath(), *dm, messages, hooks, today, "1.0.0");
  }
  QString iniValue(const QString& key) {
    IniFile ini(folder->settings().iniPath());
    ini.load();
    return ini.value("Version", key, "<none>");
  }
  std::unique_ptr<DataFolder> folder;
  RecordingMessages messages;
  std::unique_ptr<TDMServer> dm;
  VersionCheckHooks hooks;
  int quits = 0, upgrades = 0;
  QDate today{2026, 12, 9};
};

}  // namespace

TEST(VersionCheck, FirstStartWithoutSettingsAsksOnlyForAPublishedNewVersion) {
  Harness h;
  EXPECT_EQ(h.run(), VersionCheckOutcome::NotAsked);
  EXPECT_TRUE(h.messages.questions.isEmpty());
  h.publish("1.1.0");
  h.messages.answers = {false};
  EXPECT_EQ(h.run(), VersionCheckOutcome::Declined);
  EXPECT_EQ(h.messages.questions, QStringList{"版本升级提示|有新版是否更新"});
  EXPECT_EQ(h.quits + h.upgrades, 0);
}

TEST(VersionCheck, AcceptedUpgradeRecordsTheVersionAndStartsTheProgram) {
  Harness h;
  h.writeIni("20261208", "1.0.0", "1");
  h.publish("1.2.0");
  h.messages.answers = {true};
  EXPECT_EQ(h.run(), VersionCheckOutcome::Upgrading);
  EXPECT_EQ(h.quits, 1);
  EXPECT_EQ(h.upgrades, 1);
  EXPECT_EQ(h.iniValue("version"), "1.2.0");
  EXPECT_EQ(h.iniValue("upted"), "0");
}

TEST(VersionCheck, VersionsCompareWithoutLetterCase) {
  Harness h;
  h.writeIni("20261201", "V1.0.0", "1");
  h.publish("v1.0.0");
  EXPECT_EQ(h.run(), VersionCheckOutcome::NotAsked);
  EXPECT_TRUE(h.messages.questions.isEmpty());
}

TEST(VersionCheck, CheckedTodayAsksOnlyWhileAnUpgradeIsPending) {
  Harness h;
  h.writeIni("20261209", "1.0.0", "1");
  ASSERT_TRUE(h.dm->ExecMSSql(Sql("drop table version")));  // no database access happens
  EXPECT_EQ(h.run(), VersionCheckOutcome::NotAsked);
  EXPECT_TRUE(h.messages.dbErrors.isEmpty());
  h.writeIni("20261209", "1.0.0", "0");
  h.messages.answers = {true};
  EXPECT_EQ(h.run(), VersionCheckOutcome::Upgrading);
  EXPECT_EQ(h.upgrades, 1);
  EXPECT_EQ(h.iniValue("version"), "1.0.0");  // nothing is written
}

TEST(VersionCheck, FailedQueryEndsTheCheckQuietly) {
  Harness h;
  h.writeIni("20261101", "1.0.0", "1");
  ASSERT_TRUE(h.dm->ExecMSSql(Sql("drop table version")));
  EXPECT_EQ(h.run(), VersionCheckOutcome::NotAsked);
  EXPECT_EQ(h.messages.dbErrors.size(), 1);
  EXPECT_TRUE(h.messages.questions.isEmpty());
}

TEST(VersionCheck, NoFlaggedRowDiffersFromAnInstalledVersion) {
  Harness h;
  h.writeIni("20261101", "1.0.0", "1");
  ASSERT_TRUE(h.dm->ExecMSSql(Sql("update version set flag = 0")));
  h.messages.answers = {false};
  EXPECT_EQ(h.run(), VersionCheckOutcome::Declined);
}

// Restores against real processes: counters (the client's start and saves) and
// tcmcare-admin on other data folders, a restore killed between the renames of
// its swap, backups lacking a schema step, and the files' permissions.
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>

#include "db/backup.h"
#include "db/daily_backup.h"
#include "db/folder_lock.h"
#include "db/gateway.h"
#include "db/schema.h"
#include "shop_reads.h"
#include "test_support.h"

using namespace tcm;
using namespace tcm::test;

namespace {

struct ProcessRun {
  int code = -1;
  bool crashed = false;
  QString out, err;
};

QStringList withSettings(const DbSettings& s, const QStringList& args) {
  QStringList all{"--data", s.dataDir};
  if (!s.remoteUrl.isEmpty()) all << "--remote" << s.remoteUrl;
  return all + args;
}

ProcessRun finish(QProcess& p) {
  p.waitForFinished(120000);
  return {p.exitCode(), p.exitStatus() == QProcess::CrashExit, QString::fromUtf8(p.readAllStandardOutput()),
          QString::fromUtf8(p.readAllStandardError())};
}

ProcessRun admin(const DbSettings& s, const QStringList& args, const QString& stopAfter = {}) {
  QProcess p;
  if (!stopAfter.isEmpty()) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TCM_RESTORE_STOP_AFTER", stopAfter);
    p.setProcessEnvironment(env);
  }
  p.start(QStringLiteral(TCM_ADMIN), withSettings(s, args));
  return finish(p);
}

// A counter: starts as the client does, then registers and saves `ops` customers.
ProcessRun counter(const DbSettings& s, int ops) {
  QProcess p;
  p.start(QStringLiteral(TCM_CHAIN_COUNTER),
          withSettings(s, {"--shop", "1", "--counter", "0", "--ops", QString::number(ops), "--base", "20260314092653"}));
  return finish(p);
}


bool exec(const DbSettings& s, const QString& sql, const QVariantList& values = {}) {
  SilentMessages quiet;
  TDMServer dm(s, &quiet);
  return dm.ExecSql(Sql(sql, values), true);
}

bool addCustomer(const DbSettings& s, const QString& name) {
  return exec(s, "insert into pat(shopId,Name,wrDate) values(?,?,?)", {1, name, "2026-03-14"});
}

DbSettings folderOnly(const QString& dir) {
  DbSettings s;
  s.dataDir = dir;
  return s;
}

QStringList leftovers(const QString& dir) {
  return QDir(dir).entryList({"*.replaced-*", "restore-*", "restore.journal"}, QDir::Files | QDir::Dirs);
}

int modeOf(const QString& path) {
  struct stat st {};
  return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? static_cast<int>(st.st_mode & 0777) : -1;
}

// A counter working in folder A on the fm.db of folder B holds that file: a
// restore of B waits for it, and an embedded fm.db elsewhere is backed up and
// restored where it lives.
TEST(Restore, AClientOfAnotherFolderHoldsTheFileItUses) {
  DataFolder b(RemoteKind::Sqlite, /*withKnowledge=*/true);
  DataFolder a(RemoteKind::Sqlite, /*withKnowledge=*/true);
  TCM_REQUIRE_FOLDER(b);
  TCM_REQUIRE_FOLDER(a);
  const ProcessRun made = admin(b.settings(), {"backup", b.path() + "/good"});
  ASSERT_EQ(made.code, 0) << made.err.toStdString();
  DbSettings elsewhere = a.settings();
  elsewhere.remoteUrl = "sqlite:" + b.settings().remoteDbPath();

  // The counter is set up (its databases open) and waits for the go.
  const QString go = a.path() + "/go";
  QProcess working;
  working.start(QStringLiteral(TCM_CHAIN_COUNTER),
                withSettings(elsewhere, {"--shop", "1", "--counter", "0", "--ops", "20", "--base", "20260314092653", "--go", go}));
  ASSERT_TRUE(working.waitForStarted());
  QByteArray seen;
  while (!seen.contains("setup\t") && working.waitForReadyRead(60000)) seen += working.readAllStandardOutput();
  ASSERT_TRUE(seen.contains("setup\tok")) << seen.toStdString();
  const ProcessRun refused = admin(b.settings(), {"restore", b.path() + "/good"});
  QFile(go).open(QIODevice::WriteOnly);
  const ProcessRun worked = finish(working);
  ASSERT_EQ(worked.code, 0) << worked.err.toStdString();
  EXPECT_EQ(refused.code, 1) << refused.out.toStdString();
  EXPECT_TRUE(refused.err.contains(QStringLiteral("有客户端正在使用数据库"))) << refused.err.toStdString();
  EXPECT_TRUE(leftovers(b.path()).isEmpty()) << leftovers(b.path()).join(' ').toStdString();
  // Every save the counter reported is in B's fm.db.
  const QStringList saved = customers(b.settings()).filter(QStringLiteral("店1台0客"));
  EXPECT_EQ(saved.size(), 20);
  EXPECT_FALSE(QString::fromUtf8(seen + worked.out.toUtf8()).contains("\tfail")) << worked.out.toStdString();
  {
    SilentMessages quiet;
    TDMServer dm(b.settings(), &quiet);
    QSqlQuery* q = dm.GetDB(Sql("select count(*) from pat_med where Herb like ? and food like ?",
                                {QStringLiteral("店1台0改方%"), QStringLiteral("店1台0膳%")}),
                            true);
    ASSERT_TRUE(q && q->next());
    EXPECT_EQ(q->value(0).toInt(), 20);
  }

  // The file B's fm.db is backed up from A's settings, wherever it lives.
  const ProcessRun copied = admin(elsewhere, {"backup", a.path() + "/copy"});
  ASSERT_EQ(copied.code, 0) << copied.err.toStdString();
  EXPECT_EQ(customers(folderOnly(a.path() + "/copy")), customers(b.settings()));
  const DailyBackupResult daily = runDailyBackup(elsewhere, QDateTime(QDate(2026, 3, 14), QTime(8, 0)));
  ASSERT_EQ(daily.kind, DailyBackupResult::Kind::Made) << daily.error.toStdString();
  EXPECT_EQ(customers(folderOnly(daily.folder)), customers(b.settings()));

  // While a restore holds the files, a counter does not start.
  {
    DatabaseLocks restoring;
    QString error;
    ASSERT_TRUE(restoring.acquire(b.settings().embeddedDatabasePaths(), FolderLock::Mode::Exclusive, &error));
    const ProcessRun late = counter(elsewhere, 1);
    EXPECT_EQ(late.code, 2);
    EXPECT_TRUE(late.out.contains(QStringLiteral("正在恢复备份"))) << late.out.toStdString();
  }
  // With nobody on the files the restore goes through, into B's fm.db.
  const ProcessRun restored = admin(elsewhere, {"restore", b.path() + "/good"});
  ASSERT_EQ(restored.code, 0) << restored.err.toStdString();
  EXPECT_TRUE(customers(b.settings()).filter(QStringLiteral("店1台0客")).isEmpty());
  EXPECT_EQ(QDir(b.path()).entryList({"fm.db.replaced-*"}, QDir::Files).size(), 1);
}

// A restore killed after each step of its swap: the next start (a counter,
// init-db or a restore) completes it or rolls it back before anything else, and
// leaves no journal and no staging folder. init-db never makes a blank database
// beside what a restore left.
TEST(Restore, AKilledRestoreIsCompletedOrRolledBackByTheNextStart) {
  DataFolder folder(RemoteKind::Sqlite, /*withKnowledge=*/true);
  TCM_REQUIRE_FOLDER(folder);
  const DbSettings& s = folder.settings();
  ASSERT_TRUE(addCustomer(s, QStringLiteral("备份中的客户")));
  const QString good = folder.path() + "/good";
  ASSERT_EQ(admin(s, {"backup", good}).code, 0);
  const QStringList backedUp = customers(s);
  struct Case {
    int stopAfter;       // renames made when the restore is killed (5: all made and recorded)
    QString nextStart;   // counter, init-db, restore
    bool restored;       // the backup is in place afterwards
  };
  const QList<Case> cases = {{0, "counter", false}, {1, "counter", false}, {2, "init-db", false},
                             {3, "counter", false}, {4, "init-db", false}, {5, "counter", true},
                             {2, "restore", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(QStringLiteral("stop after %1, then %2").arg(c.stopAfter).arg(c.nextStart).toStdString());
    for (const QString& f : leftovers(s.dataDir)) {
      QFile::remove(QDir(s.dataDir).filePath(f));  // kept files of the case before
    }
    ASSERT_TRUE(addCustomer(s, QStringLiteral("后来的客户%1").arg(c.stopAfter)));
    const QStringList before = customers(s);
    const ProcessRun killed = admin(s, {"restore", good}, QString::number(c.stopAfter));
    ASSERT_TRUE(killed.crashed) << killed.out.toStdString() << killed.err.toStdString();
    ASSERT_TRUE(QFile::exists(s.dataDir + "/restore.journal"));
    ProcessRun next;
    if (c.nextStart == "counter") next = counter(s, 0);
    if (c.nextStart == "init-db") next = admin(s, {"init-db"});
    if (c.nextStart == "restore") next = admin(s, {"restore", good});
    EXPECT_EQ(next.code, 0) << next.out.toStdString() << next.err.toStdString();
    EXPECT_FALSE(QFile::exists(s.dataDir + "/restore.journal"));
    EXPECT_TRUE(QDir(s.dataDir).entryList({"restore-*"}, QDir::Dirs).isEmpty());
    EXPECT_EQ(customers(s), c.restored ? backedUp : before);
    EXPECT_EQ(QDir(s.dataDir).entryList({"*.db.replaced-*"}, QDir::Files).size(), c.restored ? 2 : 0);
  }

  // The shop's fm.db is only in a kept file: init-db refuses to make a blank one.
  const QStringList before = customers(s);
  ASSERT_TRUE(QFile::rename(s.remoteDbPath(), s.remoteDbPath() + ".replaced-20260314-090000"));
  const ProcessRun init = admin(s, {"init-db"});
  EXPECT_EQ(init.code, 1);
  EXPECT_TRUE(init.err.contains(QStringLiteral("未建立新数据库"))) << init.err.toStdString();
  EXPECT_FALSE(QFile::exists(s.remoteDbPath()));
  ASSERT_TRUE(QFile::rename(s.remoteDbPath() + ".replaced-20260314-090000", s.remoteDbPath()));
  EXPECT_EQ(customers(s), before);
}

// Work a crashed client left only in the write-ahead log is in the kept file
// itself, and two restores in the same second keep files of different names.
TEST(Restore, TheKeptFileHoldsAllItsWorkAndKeptNamesNeverCollide) {
  DataFolder folder(RemoteKind::Sqlite, /*withKnowledge=*/true);
  TCM_REQUIRE_FOLDER(folder);
  const DbSettings& s = folder.settings();
  const QString good = folder.path() + "/good";
  ASSERT_EQ(admin(s, {"backup", good}).code, 0);
  const QDateTime now(QDate(2026, 3, 14), QTime(9, 30, 0));
  QStringList keptNames;
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    {
      SilentMessages quiet;
      TDMServer dm(s, &quiet);
      QSqlQuery q(dm.remoteConnection());
      ASSERT_TRUE(q.exec("PRAGMA wal_autocheckpoint=0"));
      for (int i = 0; i < 15; ++i)
        ASSERT_TRUE(dm.ExecSql(Sql("insert into pat(shopId,Name,wrDate) values(1,?,'2026-03-14')", {QStringLiteral("第%1轮%2").arg(round).arg(i)}), true));
      // The files as a client that crashed leaves them: the round's customers only in the log.
      ASSERT_TRUE(QFile::copy(s.remoteDbPath() + "-wal", folder.path() + "/wal"));
      ASSERT_TRUE(QFile::copy(s.remoteDbPath(), folder.path() + "/db"));
    }
    QFile::remove(s.remoteDbPath());
    ASSERT_TRUE(QFile::rename(folder.path() + "/db", s.remoteDbPath()));
    ASSERT_TRUE(QFile::rename(folder.path() + "/wal", s.remoteDbPath() + "-wal"));
    RestoreReport report;
    QString error;
    ASSERT_TRUE(restoreEmbeddedDatabases(s, good, now, &report, &error)) << error.toStdString();
    // The files the restore names as kept, put back under their own names, hold every customer of the round.
    const QString back = folder.path() + QStringLiteral("/back%1").arg(round);
    QDir().mkpath(back);
    ASSERT_TRUE(QFile::copy(s.localDbPath(), back + "/loc.db"));
    for (const QString& kept : report.kept) {
      keptNames << kept;
      if (!QFileInfo(kept).fileName().startsWith("fm.db")) continue;
      const QString side = kept.endsWith("-wal") ? "-wal" : kept.endsWith("-journal") ? "-journal" : "";
      ASSERT_TRUE(QFile::copy(kept, back + "/fm.db" + side));
    }
    EXPECT_EQ(customers(folderOnly(back)).filter(QStringLiteral("第%1轮").arg(round)).size(), 15);
  }
  EXPECT_EQ(keptNames.size(), QSet<QString>(keptNames.begin(), keptNames.end()).size());
  EXPECT_EQ(QDir(s.dataDir).entryList({"fm.db.replaced-20260314-093000*"}, QDir::Files).size(), 2);
}

// A backup made before the visit key: brought to the current schema by the
// restore, or refused with the reason when its rows cannot take the key; a
// counter refuses to start on an older schema.
TEST(Restore, ABackupLackingASchemaStepIsUpgradedOrRefusedAndTheClientRefusesAnOlderSchema) {
  DataFolder folder(RemoteKind::Sqlite, /*withKnowledge=*/true);
  TCM_REQUIRE_FOLDER(folder);
  const DbSettings& s = folder.settings();
  const QString old = folder.path() + "/old";
  ASSERT_EQ(admin(s, {"backup", old}).code, 0);
  const DbSettings oldFiles = folderOnly(old);
  ASSERT_TRUE(exec(oldFiles, "drop index ux_pat_med_visit"));
  ASSERT_TRUE(exec(oldFiles, "delete from schema_version where version >= 2"));
  const QString duplicated = folder.path() + "/duplicated";
  QDir().mkpath(duplicated);
  for (const char* f : {"fm.db", "loc.db"}) ASSERT_TRUE(QFile::copy(old + "/" + QLatin1String(f), duplicated + "/" + QLatin1String(f)));
  for (int i = 0; i < 2; ++i)
    ASSERT_TRUE(exec(folderOnly(duplicated), "insert into pat_med(shopId,MZNO,patId,wrDate) values(1,'2026031400001092653',1,'2026-03-14')"));

  ASSERT_TRUE(addCustomer(s, QStringLiteral("现有客户")));
  const QStringList live = customers(s);
  const ProcessRun refused = admin(s, {"restore", duplicated});
  EXPECT_EQ(refused.code, 1);
  EXPECT_TRUE(refused.err.contains(QStringLiteral("fm.db 无法升级到当前结构"))) << refused.err.toStdString();
  EXPECT_EQ(customers(s), live);
  EXPECT_TRUE(leftovers(s.dataDir).isEmpty());

  const ProcessRun upgraded = admin(s, {"restore", old});
  ASSERT_EQ(upgraded.code, 0) << upgraded.err.toStdString();
  EXPECT_TRUE(upgraded.out.contains(QStringLiteral("fm.db：第 1 版升级到第 %1 版").arg(latestSchemaVersion(Database::Remote))))
      << upgraded.out.toStdString();
  {
    SilentMessages quiet;
    TDMServer dm(s, &quiet);
    EXPECT_EQ(schemaVersion(dm, Database::Remote), latestSchemaVersion(Database::Remote));
    EXPECT_TRUE(outdatedSchemaMessage(dm).isEmpty());
    const Sql visit("insert into pat_med(shopId,MZNO,patId,wrDate) values(1,'2026031400001092653',1,'2026-03-14')");
    EXPECT_TRUE(dm.ExecSql(visit, true));
    EXPECT_FALSE(dm.ExecSql(visit, true));  // the visit key is there
  }
  // The live fm.db loses its last step: a counter refuses to start, naming the versions and init-db.
  ASSERT_TRUE(exec(s, "delete from schema_version where version >= 3"));
  const ProcessRun refusedStart = counter(s, 1);
  EXPECT_EQ(refusedStart.code, 2);
  EXPECT_TRUE(refusedStart.out.contains(QStringLiteral("远程数据库的结构为第 2 版，本程序需要第 %1 版").arg(latestSchemaVersion(Database::Remote))))
      << refusedStart.out.toStdString();
  EXPECT_TRUE(refusedStart.out.contains("tcmcare-admin init-db"));
  ASSERT_EQ(admin(s, {"init-db"}).code, 0);
  EXPECT_EQ(counter(s, 1).code, 0);
}

// The data folder, its databases, the log and the backups are the shop's user's alone.
TEST(Restore, FilesAreReadableByTheirOwnerOnly) {
  QTemporaryDir top;
  const DbSettings s = folderOnly(top.path() + "/data");
  const ProcessRun init = admin(s, {"init-db"});
  ASSERT_EQ(init.code, 0) << init.err.toStdString();
  ASSERT_EQ(admin(s, {"backup"}).code, 0);
  const QString backup = QDir(backupRoot(s)).filePath(finishedBackups(backupRoot(s)).value(0));
  const QString good = top.path() + "/good";
  ASSERT_EQ(admin(s, {"backup", good}).code, 0);
  ASSERT_EQ(admin(s, {"restore", good}).code, 0);
  appendBackupLog(s, QDateTime::currentDateTime(), "test");
  const QList<QPair<QString, int>> expected = {
      {s.dataDir, 0700},           {s.localDbPath(), 0600},  {s.remoteDbPath(), 0600}, {s.pictureDir(), 0700},
      {backupRoot(s), 0700},       {backup, 0700},           {backup + "/fm.db", 0600}, {backup + "/loc.db", 0600},
      {backup + "/backup.info", 0600}, {good + "/fm.db", 0600}, {backupLogPath(s), 0600},
      {DatabaseLocks::lockPathOf(s.remoteDbPath()), 0600}};
  for (const auto& [path, mode] : expected) EXPECT_EQ(modeOf(path), mode) << path.toStdString();
  for (const QString& kept : QDir(s.dataDir).entryList({"*.replaced-*"}, QDir::Files))
    EXPECT_EQ(modeOf(QDir(s.dataDir).filePath(kept)), 0600) << kept.toStdString();
}

// Run as root, a backup and a restore leave everything they make or replace to
// the owner of the data folder, so that the shop's user can go on saving.
TEST(Restore, CommandsRunAsRootKeepTheFolderOwner) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root";
  DataFolder folder(RemoteKind::Sqlite);
  TCM_REQUIRE_FOLDER(folder);
  const DbSettings& s = folder.settings();
  const uid_t shopUser = 65534;  // nobody
  for (const QString& f : QDir(s.dataDir).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot))
    ASSERT_EQ(::chown(QFile::encodeName(QDir(s.dataDir).filePath(f)).constData(), shopUser, shopUser), 0);
  ASSERT_EQ(::chown(QFile::encodeName(s.dataDir).constData(), shopUser, shopUser), 0);
  ASSERT_EQ(admin(s, {"backup"}).code, 0);
  const QString made = QDir(backupRoot(s)).filePath(finishedBackups(backupRoot(s)).value(0));
  const ProcessRun restored = admin(s, {"restore", made});
  ASSERT_EQ(restored.code, 0) << restored.err.toStdString();
  auto ownerOf = [](const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_uid : uid_t(-1);
  };
  for (const QString& path : {s.remoteDbPath(), s.localDbPath(), DatabaseLocks::lockPathOf(s.remoteDbPath()),
                              DatabaseLocks::lockPathOf(s.localDbPath()), backupRoot(s), made, made + "/fm.db",
                              made + "/backup.info"})
    EXPECT_EQ(ownerOf(path), shopUser) << path.toStdString();
}

}  // namespace

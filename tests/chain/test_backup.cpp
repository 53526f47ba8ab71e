// Backups of the embedded databases and putting one back, through the
// tcmcare-admin binary and the client's daily backup.
#include <QCryptographicHash>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTimer>

#include "db/backup.h"
#include "db/daily_backup.h"
#include "db/folder_lock.h"
#include "db/gateway.h"
#include "shop_reads.h"
#include "test_support.h"

using namespace tcm;
using namespace tcm::test;

namespace {

struct AdminRun {
  int code = -1;
  QString out, err;
};

AdminRun admin(const DbSettings& s, const QStringList& args) {
  QProcess p;
  QStringList all{"--data", s.dataDir};
  if (!s.remoteUrl.isEmpty()) all << "--remote" << s.remoteUrl;
  p.start(QStringLiteral(TCM_ADMIN), all + args);
  p.waitForFinished(120000);
  return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

QByteArray digest(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}


bool addCustomer(const DbSettings& s, const QString& name) {
  SilentMessages quiet;
  TDMServer dm(s, &quiet);
  return dm.ExecSql(Sql("insert into pat(shopId,Name,wrDate) values(?,?,?)", {1, name, "2026-03-14"}), true);
}

TEST(Backup, CopyWhileACounterSavesThenRestoreKeepsTheReplacedFiles) {
  DataFolder folder(RemoteKind::Sqlite, /*withKnowledge=*/true);
  TCM_REQUIRE_FOLDER(folder);
  const DbSettings& s = folder.settings();
  ASSERT_TRUE(addCustomer(s, QStringLiteral("备份前")));

  // A counter keeps saving while the copy is made.
  QProcess counter;
  counter.start(QStringLiteral(TCM_CHAIN_COUNTER),
                {"--data", s.dataDir, "--shop", "1", "--counter", "0", "--ops", "60", "--base", "20260314092653"});
  ASSERT_TRUE(counter.waitForStarted());
  ASSERT_TRUE(counter.waitForReadyRead(60000));  // set up and saving
  const QString target = QDir(folder.path()).filePath("copy");
  const AdminRun backup = admin(s, {"backup", target});
  ASSERT_TRUE(counter.waitForFinished(120000));
  EXPECT_EQ(counter.exitCode(), 0);
  ASSERT_EQ(backup.code, 0) << backup.err.toStdString();
  EXPECT_TRUE(backup.out.contains(target)) << backup.out.toStdString();
  EXPECT_TRUE(backupProblems(target).isEmpty()) << backupProblems(target).join('\n').toStdString();
  EXPECT_FALSE(QFile::exists(target + "/fm.db-wal"));  // one self-contained file each
  const QStringList copied = customers(target);
  EXPECT_TRUE(copied.contains(QStringLiteral("备份前")));
  {
    // One moment of the file: each visit's first save and the constitution it
    // wrote to the customer are in the copy together or not at all.
    DbSettings c;
    c.dataDir = target;
    SilentMessages quiet;
    TDMServer dm(c, &quiet);
    QSqlQuery* q = dm.GetDB(Sql("select count(*) from pat_med m join pat p on p.PatId = m.patId "
                                "where m.shopId = 1 and p.Name like ? and coalesce(p.bodyType,'') <> coalesce(m.Disease,'')",
                                {QStringLiteral("店1台0%")}),
                            true);
    ASSERT_TRUE(q && q->next());
    EXPECT_EQ(q->value(0).toInt(), 0);
  }

  // Later work, then the backup is put back.
  ASSERT_TRUE(addCustomer(s, QStringLiteral("备份后")));
  const QStringList before = customers(s.dataDir);
  ASSERT_TRUE(before.contains(QStringLiteral("备份后")));
  const AdminRun restore = admin(s, {"restore", target});
  ASSERT_EQ(restore.code, 0) << restore.err.toStdString();
  EXPECT_EQ(customers(s.dataDir), copied);
  // The replaced files are kept beside the restored ones and still hold the later work.
  const QStringList kept = QDir(s.dataDir).entryList({"fm.db.replaced-*"}, QDir::Files);
  ASSERT_EQ(kept.filter(QRegularExpression("^fm\\.db\\.replaced-\\d{8}-\\d{6}$")).size(), 1) << kept.join(' ').toStdString();
  const QString keptDir = QDir(folder.path()).filePath("kept");
  QDir().mkpath(keptDir);
  ASSERT_TRUE(QFile::rename(QDir(s.dataDir).filePath(kept.filter(QRegularExpression("\\d$")).first()), keptDir + "/fm.db"));
  for (const QString& side : QDir(s.dataDir).entryList({"fm.db.replaced-*-wal"}, QDir::Files))
    QFile::rename(QDir(s.dataDir).filePath(side), keptDir + "/fm.db-wal");
  QFile::copy(s.localDbPath(), keptDir + "/loc.db");
  EXPECT_EQ(customers(keptDir), before);
  EXPECT_EQ(QDir(s.dataDir).entryList({"loc.db.replaced-*"}, QDir::Files).size(), 1);
}

TEST(Backup, DamagedOrIncompleteBackupsAndABusyFolderAreRefusedAndChangeNothing) {
  DataFolder folder(RemoteKind::Sqlite, /*withKnowledge=*/true);
  TCM_REQUIRE_FOLDER(folder);
  const DbSettings& s = folder.settings();
  const QString good = QDir(folder.path()).filePath("good");
  const AdminRun made = admin(s, {"backup", good});
  ASSERT_EQ(made.code, 0) << made.err.toStdString();
  ASSERT_TRUE(backupProblems(good).isEmpty());
  // A second backup into the same folder would overwrite the first: refused.
  EXPECT_EQ(admin(s, {"backup", good}).code, 1);

  // Damaged: pages in the middle of fm.db overwritten.
  const QString damaged = QDir(folder.path()).filePath("damaged");
  QDir().mkpath(damaged);
  ASSERT_TRUE(QFile::copy(good + "/fm.db", damaged + "/fm.db"));
  ASSERT_TRUE(QFile::copy(good + "/loc.db", damaged + "/loc.db"));
  {
    QFile f(damaged + "/fm.db");
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_GT(f.size(), 8 * 4096);
    for (qint64 at = 2 * 4096; at < f.size(); at += 3 * 4096) {
      f.seek(at + 100);
      f.write(QByteArray(600, '\x5a'));
    }
  }
  // Not a database at all.
  const QString garbage = QDir(folder.path()).filePath("garbage");
  QDir().mkpath(garbage);
  {
    QFile f(garbage + "/fm.db");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(50000, 'x'));
  }
  ASSERT_TRUE(QFile::copy(good + "/loc.db", garbage + "/loc.db"));
  // Sound files, but a table the system uses is gone.
  const QString incomplete = QDir(folder.path()).filePath("incomplete");
  QDir().mkpath(incomplete);
  ASSERT_TRUE(QFile::copy(good + "/fm.db", incomplete + "/fm.db"));
  ASSERT_TRUE(QFile::copy(good + "/loc.db", incomplete + "/loc.db"));
  {
    DbSettings c;
    c.dataDir = incomplete;
    SilentMessages quiet;
    TDMServer dm(c, &quiet);
    ASSERT_TRUE(dm.ExecSql(Sql("drop table pat_med"), true));
  }
  // Only one of the two files.
  const QString half = QDir(folder.path()).filePath("half");
  QDir().mkpath(half);
  ASSERT_TRUE(QFile::copy(good + "/fm.db", half + "/fm.db"));

  ASSERT_TRUE(addCustomer(s, QStringLiteral("现有客户")));
  const QStringList live = customers(s.dataDir);
  struct Case {
    QString dir, says;
  };
  const QList<Case> cases = {{damaged, QStringLiteral("fm.db 未通过完整性检查")},
                             {garbage, QStringLiteral("fm.db 未通过完整性检查")},
                             {incomplete, QStringLiteral("fm.db 缺少表 pat_med")},
                             {half, QStringLiteral("备份中缺少 loc.db")},
                             {QDir(folder.path()).filePath("nowhere"), QStringLiteral("备份中缺少 fm.db")}};
  for (const Case& c : cases) {
    const AdminRun r = admin(s, {"restore", c.dir});
    EXPECT_EQ(r.code, 1) << c.dir.toStdString();
    EXPECT_TRUE(r.err.contains(c.says)) << c.dir.toStdString() << ": " << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("未作任何改动"))) << r.err.toStdString();
  }
  // A client holds the folder: even a sound backup is refused.
  {
    DatabaseLocks client;
    QString error;
    ASSERT_TRUE(client.acquire(s.embeddedDatabasePaths(), FolderLock::Mode::Shared, &error)) << error.toStdString();
    const AdminRun r = admin(s, {"restore", good});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("有客户端正在使用数据库"))) << r.err.toStdString();
    // And while a restore holds them, a client does not start.
    DatabaseLocks restoring;
    EXPECT_FALSE(restoring.acquire(s.embeddedDatabasePaths(), FolderLock::Mode::Exclusive, &error));
  }
  // Nothing changed: the same customers, no replaced files, no leftovers.
  EXPECT_EQ(customers(s.dataDir), live);
  EXPECT_TRUE(QDir(s.dataDir).entryList({"*.replaced-*", "restore-*"}, QDir::Files | QDir::Dirs).isEmpty());
  const QByteArray goodDigest = digest(good + "/fm.db");
  EXPECT_EQ(digest(good + "/fm.db"), goodDigest);
}

TEST(Backup, AServerIsLeftToItsOwnDumpAndRestore) {
  DataFolder folder(RemoteKind::Postgres);
  TCM_REQUIRE_FOLDER(folder);
  for (const QStringList& args : {QStringList{"backup"}, QStringList{"restore", folder.path()}}) {
    const AdminRun r = admin(folder.settings(), args);
    EXPECT_EQ(r.code, 3) << args.join(' ').toStdString();
    EXPECT_TRUE(r.err.contains("pg_dump")) << r.err.toStdString();
  }
  EXPECT_FALSE(QDir(backupRoot(folder.settings())).exists());
  DailyBackupResult r = runDailyBackup(folder.settings(), QDateTime(QDate(2026, 3, 14), QTime(9, 0)));
  EXPECT_EQ(r.kind, DailyBackupResult::Kind::Server);
}

TEST(DailyBackup, OncePerDayKeepsTheNewestFourteenAndReportsAFailureOnce) {
  DataFolder folder(RemoteKind::Sqlite);
  TCM_REQUIRE_FOLDER(folder);
  const DbSettings& s = folder.settings();
  const QString root = backupRoot(s);
  // A backup of an earlier day that never finished.
  QDir().mkpath(root + "/20260101-080000");
  const QDateTime first(QDate(2026, 3, 1), QTime(8, 30, 0));
  for (int day = 0; day < 16; ++day) {
    const QDateTime login = first.addDays(day);
    const DailyBackupResult made = runDailyBackup(s, login);
    ASSERT_EQ(made.kind, DailyBackupResult::Kind::Made) << made.error.toStdString();
    EXPECT_EQ(made.folder, QDir(root).filePath(backupFolderName(login)));
    // The day's second login makes none.
    EXPECT_EQ(runDailyBackup(s, login.addSecs(3600)).kind, DailyBackupResult::Kind::NotDue);
    if (day == 0) {
      EXPECT_EQ(made.removed, QStringList{"20260101-080000"});
    }
    if (day == 14) {
      EXPECT_EQ(made.removed, QStringList{"20260301-083000"});
    }
    if (day == 15) {
      EXPECT_EQ(made.removed, QStringList{"20260302-083000"});
    }
  }
  const QStringList kept = finishedBackups(root);
  ASSERT_EQ(kept.size(), 14);
  EXPECT_EQ(kept.first(), "20260303-083000");
  EXPECT_EQ(kept.last(), "20260316-083000");
  EXPECT_TRUE(backupProblems(QDir(root).filePath(kept.last())).isEmpty());

  // The job runs behind the caller and hands its result back through the event loop.
  DailyBackupJob job(s);
  QList<DailyBackupResult> results;
  QObject::connect(&job, &DailyBackupJob::finished, [&](const DailyBackupResult& r) { results << r; });
  auto runJob = [&](const QDateTime& when) {
    QEventLoop loop;
    QObject::connect(&job, &DailyBackupJob::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    EXPECT_TRUE(job.start(when));
    loop.exec();
  };
  runJob(QDateTime(QDate(2026, 3, 17), QTime(8, 0)));
  ASSERT_EQ(results.size(), 1);
  EXPECT_EQ(results[0].kind, DailyBackupResult::Kind::Made);
  EXPECT_EQ(finishedBackups(root).size(), 14);
  EXPECT_FALSE(job.running());

  // The backup folder cannot be written: the failure is logged and reported once; the databases are untouched.
  const QStringList before = customers(s.dataDir);
  ASSERT_TRUE(QDir(root).removeRecursively());
  {
    QFile blocker(root);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  }
  runJob(QDateTime(QDate(2026, 3, 18), QTime(8, 0)));
  ASSERT_EQ(results.size(), 2);
  EXPECT_EQ(results[1].kind, DailyBackupResult::Kind::Failed);
  EXPECT_TRUE(results[1].error.contains(root)) << results[1].error.toStdString();
  EXPECT_TRUE(dailyBackupFailureMessage(results[1].error).contains(results[1].error));
  QFile log(backupLogPath(s));
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  const QStringList lines = QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts);
  EXPECT_EQ(lines.filter(QStringLiteral("每日备份失败")).size(), 1);
  EXPECT_TRUE(lines.last().startsWith("2026-03-18 08:00:00")) << lines.last().toStdString();
  EXPECT_EQ(lines.filter(QStringLiteral("每日备份完成")).size(), 17);
  EXPECT_EQ(customers(s.dataDir), before);
}

}  // namespace

namespace {

// The clock set back before the day's first login: the backup just made is
// kept, the oldest by the time each was made goes, and the log names it.
TEST(DailyBackup, WithTheClockSetBackTheNewBackupIsKeptAndTheOldestByItsTimeRemoved) {
  DataFolder folder(RemoteKind::Sqlite);
  TCM_REQUIRE_FOLDER(folder);
  const DbSettings& s = folder.settings();
  const QString root = backupRoot(s);
  const QDateTime first(QDate(2026, 3, 10), QTime(8, 30, 0));
  for (int day = 0; day < kKeptDailyBackups; ++day)
    ASSERT_EQ(runDailyBackup(s, first.addDays(day)).kind, DailyBackupResult::Kind::Made);
  const QDateTime setBack(QDate(2026, 3, 1), QTime(9, 0, 0));
  const DailyBackupResult made = runDailyBackup(s, setBack);
  ASSERT_EQ(made.kind, DailyBackupResult::Kind::Made) << made.error.toStdString();
  EXPECT_TRUE(QFileInfo(made.folder + "/fm.db").isFile());
  EXPECT_TRUE(backupProblems(made.folder).isEmpty());
  EXPECT_EQ(made.removed, QStringList{"20260310-083000"});
  const QStringList kept = finishedBackups(root);
  EXPECT_EQ(kept.size(), kKeptDailyBackups);
  EXPECT_EQ(kept.last(), "20260301-090000");  // made last, whatever its clock said
  EXPECT_EQ(backupMadeAt(made.folder), setBack);
  QFile log(backupLogPath(s));
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  const QString last = QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts).last();
  EXPECT_TRUE(last.contains(QStringLiteral("每日备份完成：") + made.folder)) << last.toStdString();
  EXPECT_TRUE(last.contains(QStringLiteral("删除旧备份 20260310-083000"))) << last.toStdString();
  // Another day of the wrong clock: yesterday's backup is still the newest but one and stays.
  const DailyBackupResult next = runDailyBackup(s, setBack.addDays(1));
  ASSERT_EQ(next.kind, DailyBackupResult::Kind::Made);
  EXPECT_EQ(next.removed, QStringList{"20260311-083000"});
  // The day's second login makes none and removes nothing.
  const QStringList keptNext = finishedBackups(root);
  EXPECT_EQ(keptNext.mid(keptNext.size() - 2), QStringList({"20260301-090000", "20260302-090000"}));
  EXPECT_EQ(runDailyBackup(s, setBack.addDays(1).addSecs(600)).kind, DailyBackupResult::Kind::NotDue);
  EXPECT_EQ(finishedBackups(root), keptNext);
}

}  // namespace

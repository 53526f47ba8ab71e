#include "data/backup.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "data/folder_lock.h"
#include "data/gateway.h"
#include "data/schema.h"
#include "messages.h"

namespace tcm {
namespace {

// One raw SQLite connection, closed with its owner. The backups use SQLite
// directly: its online backup has no counterpart in Qt SQL, and a connection of
// its own is safe on any thread.
class SqliteFile {
 public:
  SqliteFile() = default;
  ~SqliteFile() { close(); }
  SqliteFile(const SqliteFile&) = delete;
  SqliteFile& operator=(const SqliteFile&) = delete;

  bool open(const QString& path, int flags, QString* error) {
    const QByteArray name = QFile::encodeName(path);
    if (sqlite3_open_v2(name.constData(), &db_, flags, nullptr) != SQLITE_OK) {
      *error = QStringLiteral("无法打开 %1：%2").arg(path, message());
      return false;
    }
    sqlite3_busy_timeout(db_, 5000);
    return true;
  }
  void close() {
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
  }
  sqlite3* handle() const { return db_; }
  QString message() const {
    return db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QStringLiteral("内存不足");
  }
  // Runs one statement; the first column of each row it gives goes to `rows`.
  bool exec(const char* sql, QStringList* rows, QString* error) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db_, sql, -1, &st, nullptr) != SQLITE_OK) {
      *error = message();
      return false;
    }
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
      if (rows) rows->append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))));
    }
    const bool ok = rc == SQLITE_DONE;
    if (!ok) *error = message();
    sqlite3_finalize(st);
    return ok;
  }

 private:
  sqlite3* db_ = nullptr;
};

void removeSqliteFile(const QString& path) {
  for (const char* suffix : {"", "-journal", "-wal", "-shm"}) QFile::remove(path + QLatin1String(suffix));
}

QString partialName(const QString& file) { return file + QStringLiteral(".partial"); }

// Copies every file of the backup into `stagingDir` and checks the copies
// there, so that the check may write (the schema check opens the files as the
// client does) without touching the backup itself.
QStringList stageBackup(const QString& backupDir, const QString& stagingDir) {
  QStringList problems;
  for (const QString& f : embeddedDatabaseFiles()) {
    const QString source = QDir(backupDir).filePath(f);
    if (!QFileInfo(source).isFile()) {
      problems << QStringLiteral("备份中缺少 %1").arg(f);
      continue;
    }
    QString found;
    if (!sqliteIntegrityOk(source, &found)) {
      problems << QStringLiteral("%1 未通过完整性检查：%2").arg(f, found);
      continue;
    }
    QString error;
    if (!copySqliteDatabase(source, QDir(stagingDir).filePath(f), &error))
      problems << QStringLiteral("%1 无法复制：%2").arg(f, error);
  }
  if (!problems.isEmpty()) return problems;

  DbSettings staged;
  staged.dataDir = stagingDir;
  {
    SilentMessages quiet;
    TDMServer dm(staged, &quiet);
    for (const QString& part : missingSchemaParts(dm, Database::Local))
      problems << QStringLiteral("loc.db 缺少%1").arg(part);
    for (const QString& part : missingSchemaParts(dm, Database::Remote))
      problems << QStringLiteral("fm.db 缺少%1").arg(part);
  }
  // The check opened the copies in write-ahead mode: fold the log back in so
  // that each copy is one self-contained file again.
  for (const QString& f : embeddedDatabaseFiles()) {
    SqliteFile db;
    QString error;
    if (!db.open(QDir(stagingDir).filePath(f), SQLITE_OPEN_READWRITE, &error) ||
        !db.exec("PRAGMA journal_mode=DELETE", nullptr, &error))
      problems << QStringLiteral("%1：%2").arg(f, error);
  }
  return problems;
}

struct Move {
  QString from, to;
};

bool moveFile(const QString& from, const QString& to, QList<Move>* done, QString* error) {
  if (!QFile::rename(from, to)) {
    *error = QStringLiteral("无法把 %1 改名为 %2").arg(from, to);
    return false;
  }
  done->append({from, to});
  return true;
}

void undoMoves(const QList<Move>& done) {
  for (auto it = done.crbegin(); it != done.crend(); ++it) {
    QFile::remove(it->from);
    QFile::rename(it->to, it->from);
  }
}

}  // namespace

QStringList embeddedDatabaseFiles() { return {QStringLiteral("fm.db"), QStringLiteral("loc.db")}; }

QString backupRoot(const DbSettings& settings) { return QDir(settings.dataDir).filePath(QStringLiteral("backup")); }

QString backupFolderName(const QDateTime& when) { return when.toString(QStringLiteral("yyyyMMdd-hhmmss")); }

bool remoteIsEmbedded(const DbSettings& settings) {
  const RemoteUrl url = RemoteUrl::parse(settings.remoteUrl, settings.remoteDbPath());
  return url.error.isEmpty() && !url.postgres &&
         QFileInfo(url.path).absoluteFilePath() == QFileInfo(settings.remoteDbPath()).absoluteFilePath();
}

QString serverBackupAdvice() {
  return QStringLiteral(
      "远程数据库在 PostgreSQL 服务器上：请在服务器上用 pg_dump 备份、pg_restore 恢复（见 README 的 “Backups and restoring them”），"
      "本命令不复制任何文件。");
}

bool sqliteIntegrityOk(const QString& path, QString* problems) {
  if (!QFileInfo(path).isFile()) {
    *problems = QStringLiteral("文件不存在：%1").arg(path);
    return false;
  }
  SqliteFile db;
  QStringList rows;
  if (!db.open(path, SQLITE_OPEN_READONLY, problems) || !db.exec("PRAGMA integrity_check", &rows, problems))
    return false;
  if (rows == QStringList{QStringLiteral("ok")}) return true;
  *problems = rows.isEmpty() ? QStringLiteral("检查没有结果") : rows.join(QLatin1Char('\n'));
  return false;
}

bool copySqliteDatabase(const QString& source, const QString& target, QString* error) {
  if (!QFileInfo(source).isFile()) {
    *error = QStringLiteral("找不到数据库文件：%1").arg(source);
    return false;
  }
  if (QFileInfo::exists(target)) {
    *error = QStringLiteral("目标文件已存在：%1").arg(target);
    return false;
  }
  bool ok = false;
  {
    SqliteFile from, to;
    if (!from.open(source, SQLITE_OPEN_READWRITE, error) ||
        !to.open(target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, error))
      return false;
    sqlite3_backup* b = sqlite3_backup_init(to.handle(), "main", from.handle(), "main");
    if (!b) {
      *error = QStringLiteral("无法开始备份 %1：%2").arg(source, to.message());
    } else {
      // All pages in one step: one read transaction, one consistent picture of
      // the file however the clients write meanwhile (they are not held up: the
      // write-ahead log lets them go on).
      int rc = SQLITE_OK;
      for (int tries = 0; tries < 200; ++tries) {
        rc = sqlite3_backup_step(b, -1);
        if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED) break;
        sqlite3_sleep(25);
      }
      sqlite3_backup_finish(b);
      if (rc != SQLITE_DONE) {
        *error = QStringLiteral("备份 %1 失败：%2").arg(source, QString::fromUtf8(sqlite3_errstr(rc)));
      } else {
        ok = to.exec("PRAGMA journal_mode=DELETE", nullptr, error);
      }
    }
  }
  QString problems;
  if (ok && !sqliteIntegrityOk(target, &problems)) {
    *error = QStringLiteral("%1 的副本未通过完整性检查：%2").arg(source, problems);
    ok = false;
  }
  if (!ok) removeSqliteFile(target);
  return ok;
}

bool backupEmbeddedDatabases(const DbSettings& settings, const QString& targetDir, QString* error) {
  if (!remoteIsEmbedded(settings)) {
    *error = serverBackupAdvice();
    return false;
  }
  const QDir dir(targetDir);
  if (!QDir().mkpath(targetDir)) {
    *error = QStringLiteral("无法创建备份目录：%1").arg(targetDir);
    return false;
  }
  for (const QString& f : embeddedDatabaseFiles()) {
    if (QFileInfo::exists(dir.filePath(f))) {
      *error = QStringLiteral("备份目录中已有 %1：%2").arg(f, targetDir);
      return false;
    }
  }
  const QStringList files = embeddedDatabaseFiles();
  for (const QString& f : files) {
    const QString part = dir.filePath(partialName(f));
    removeSqliteFile(part);  // left by a backup that stopped half-way
    if (!copySqliteDatabase(QDir(settings.dataDir).filePath(f), part, error)) {
      for (const QString& g : files) removeSqliteFile(dir.filePath(partialName(g)));
      return false;
    }
  }
  for (const QString& f : files) {
    if (!QFile::rename(dir.filePath(partialName(f)), dir.filePath(f))) {
      *error = QStringLiteral("无法完成备份文件 %1").arg(dir.filePath(f));
      return false;
    }
  }
  return true;
}

QStringList backupProblems(const QString& backupDir) {
  QTemporaryDir staging;
  if (!staging.isValid()) return {QStringLiteral("无法建立临时目录")};
  return stageBackup(backupDir, staging.path());
}

bool restoreEmbeddedDatabases(const DbSettings& settings, const QString& backupDir, const QDateTime& now,
                              RestoreReport* report, QString* error) {
  if (!remoteIsEmbedded(settings)) {
    *error = serverBackupAdvice();
    return false;
  }
  const QDir data(settings.dataDir);
  if (QFileInfo(backupDir).absoluteFilePath() == QFileInfo(settings.dataDir).absoluteFilePath()) {
    *error = QStringLiteral("备份目录不能是数据目录本身");
    return false;
  }
  FolderLock lock;
  QString lockError;
  if (!lock.acquire(settings.dataDir, FolderLock::Mode::Exclusive, &lockError)) {
    *error = QStringLiteral("未恢复：%1").arg(lockError);
    return false;
  }
  const QString stamp = backupFolderName(now);
  const QString stagingDir = data.filePath(QStringLiteral("restore-%1.staging").arg(stamp));
  QDir(stagingDir).removeRecursively();
  if (!QDir().mkpath(stagingDir)) {
    *error = QStringLiteral("无法建立临时目录：%1").arg(stagingDir);
    return false;
  }
  const QStringList problems = stageBackup(backupDir, stagingDir);
  if (!problems.isEmpty()) {
    QDir(stagingDir).removeRecursively();
    *error = QStringLiteral("备份未通过检查，数据未作任何改动：\n") + problems.join(QLatin1Char('\n'));
    return false;
  }

  // The replaced files are renamed, not copied: they stay exactly as they were,
  // together with their write-ahead log, so that a mistaken restore can be undone.
  QList<Move> done;
  RestoreReport r;
  QString failure;
  const QString suffix = QStringLiteral(".replaced-") + stamp;
  for (const QString& f : embeddedDatabaseFiles()) {
    const QString live = data.filePath(f);
    if (QFileInfo::exists(live)) {
      if (!moveFile(live, live + suffix, &done, &failure)) break;
      r.kept << live + suffix;
      for (const char* side : {"-wal", "-journal"}) {
        const QString sideFile = live + QLatin1String(side);
        if (QFileInfo::exists(sideFile)) (void)moveFile(sideFile, live + suffix + QLatin1String(side), &done, &failure);
      }
      if (!failure.isEmpty()) break;
      QFile::remove(live + QStringLiteral("-shm"));  // rebuilt by the next connection
    }
    if (!moveFile(QDir(stagingDir).filePath(f), live, &done, &failure)) break;
    r.restored << live;
  }
  if (!failure.isEmpty()) {
    undoMoves(done);
    QDir(stagingDir).removeRecursively();
    *error = QStringLiteral("恢复中断，数据目录已复原：") + failure;
    return false;
  }
  QDir(stagingDir).removeRecursively();
  if (report) *report = r;
  return true;
}

}  // namespace tcm

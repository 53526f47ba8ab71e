#include "db/backup.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QTemporaryDir>
#include <algorithm>
#include <csignal>

#include "db/daily_backup.h"
#include "db/folder_lock.h"
#include "db/gateway.h"
#include "db/schema.h"
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

// The files SQLite keeps beside a database while it is in use.
const QStringList& sideSuffixes() {
  static const QStringList s = {QStringLiteral("-wal"), QStringLiteral("-journal")};
  return s;
}

void removeSqliteFile(const QString& path) {
  for (const char* suffix : {"", "-journal", "-wal", "-shm"}) QFile::remove(path + QLatin1String(suffix));
}

QString partialName(const QString& file) { return file + QStringLiteral(".partial"); }

QString infoName() { return QStringLiteral("backup.info"); }

// Folds a write-ahead log back into its database, so that the file alone holds
// all its work; false when the file cannot be opened or the log not folded in.
bool foldLogIn(const QString& path, QString* error) {
  SqliteFile db;
  return db.open(path, SQLITE_OPEN_READWRITE, error) && db.exec("PRAGMA journal_mode=DELETE", nullptr, error);
}

// Where each backup file is checked before it is put in place: a staging
// folder beside the live file, so that putting it in place is a rename.
struct Staged {
  QString name;     // fm.db, loc.db
  QString live;     // the file it replaces
  QString staging;  // its staging folder
  QString path() const { return QDir(staging).filePath(name); }
};

QString stagingName(const QString& stamp) { return QStringLiteral("restore-%1.staging").arg(stamp); }

// Copies every file of the backup into its staging place and checks the copies
// there, so that the check and the schema steps may write without touching the
// backup itself. `upgraded` says which files got which steps.
QStringList stageBackup(const QString& backupDir, const QList<Staged>& staged, QStringList* upgraded) {
  QStringList problems;
  for (const Staged& s : staged) {
    const QString source = QDir(backupDir).filePath(s.name);
    if (!QFileInfo(source).isFile()) {
      problems << QStringLiteral("备份中缺少 %1").arg(s.name);
      continue;
    }
    QString found;
    if (!sqliteIntegrityOk(source, &found)) {
      problems << QStringLiteral("%1 未通过完整性检查：%2").arg(s.name, found);
      continue;
    }
    QString error;
    if (!copySqliteDatabase(source, s.path(), &error)) problems << QStringLiteral("%1 无法复制：%2").arg(s.name, error);
  }
  if (!problems.isEmpty()) return problems;

  DbSettings check;
  for (const Staged& s : staged) {
    if (s.name == QLatin1String("loc.db")) check.dataDir = s.staging;
    if (s.name == QLatin1String("fm.db")) check.remoteUrl = QStringLiteral("sqlite:") + s.path();
  }
  {
    SilentMessages quiet;
    TDMServer dm(check, &quiet);
    for (const auto& [which, name] : {std::pair{Database::Local, QStringLiteral("loc.db")},
                                      std::pair{Database::Remote, QStringLiteral("fm.db")}}) {
      const int version = schemaVersion(dm, which);
      const int latest = latestSchemaVersion(which);
      if (version > latest) {
        problems << QStringLiteral("%1 的结构为第 %2 版，比本程序的第 %3 版新，请用新版本的程序恢复").arg(name).arg(version).arg(latest);
        continue;
      }
      // What the backup's own version should hold is there, or the copy is incomplete.
      const QStringList missing = missingSchemaParts(dm, which, version > 0 ? version : latest);
      for (const QString& part : missing) problems << QStringLiteral("%1 缺少%2").arg(name, part);
      if (!missing.isEmpty() || version == latest) continue;
      // The steps the backup lacks are applied to the copy before it is put in place.
      QString error;
      if (!applyMissingSchemaSteps(dm, which, &error)) {
        problems << QStringLiteral("%1 无法升级到当前结构（第 %2 版）：%3").arg(name).arg(latest).arg(error);
        continue;
      }
      for (const QString& part : missingSchemaParts(dm, which)) problems << QStringLiteral("%1 缺少%2").arg(name, part);
      *upgraded << QStringLiteral("%1：第 %2 版升级到第 %3 版").arg(name).arg(version).arg(latest);
    }
  }
  // The check opened the copies in write-ahead mode: fold the log back in so
  // that each copy is one self-contained file again.
  for (const Staged& s : staged) {
    QString error;
    if (!foldLogIn(s.path(), &error)) problems << QStringLiteral("%1：%2").arg(s.name, error);
    QFile::remove(DatabaseLocks::lockPathOf(s.path()));
  }
  return problems;
}

// ---- the journal of a restore's swap ----------------------------------------

struct Move {
  QString from, to;
};

struct Journal {
  QStringList copies;    // every place this journal is written
  QStringList stagings;  // the staging folders
  QStringList databases; // the live files whose locks the swap needs
  QList<Move> moves;     // in the order they are made
  bool committed = false;
};

QString journalName() { return QStringLiteral("restore.journal"); }

QByteArray journalText(const Journal& j) {
  QStringList lines{QStringLiteral("tcmcare restore journal 1")};
  for (const QString& c : j.copies) lines << QStringLiteral("copy\t") + c;
  for (const QString& s : j.stagings) lines << QStringLiteral("staging\t") + s;
  for (const QString& d : j.databases) lines << QStringLiteral("database\t") + d;
  for (const Move& m : j.moves) lines << QStringLiteral("move\t%1\t%2").arg(m.from, m.to);
  if (j.committed) lines << QStringLiteral("committed");
  lines << QStringLiteral("end");
  return (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

// False when the journal is unreadable or was cut short (it is written whole, so
// a cut one was never acted on).
bool readJournal(const QString& path, Journal* j) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return false;
  const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  if (lines.isEmpty() || lines.first() != QLatin1String("tcmcare restore journal 1") || lines.last() != QLatin1String("end"))
    return false;
  for (const QString& line : lines) {
    const QStringList f2 = line.split(QLatin1Char('\t'));
    if (f2[0] == QLatin1String("copy") && f2.size() == 2) j->copies << f2[1];
    else if (f2[0] == QLatin1String("staging") && f2.size() == 2) j->stagings << f2[1];
    else if (f2[0] == QLatin1String("database") && f2.size() == 2) j->databases << f2[1];
    else if (f2[0] == QLatin1String("move") && f2.size() == 3) j->moves.append({f2[1], f2[2]});
    else if (f2[0] == QLatin1String("committed")) j->committed = true;
  }
  return true;
}

bool writeJournal(const Journal& j, QString* error) {
  for (const QString& path : j.copies) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(journalText(j)) < 0 || !f.commit()) {
      *error = QStringLiteral("无法写入恢复记录 %1").arg(path);
      return false;
    }
    restrictFile(path);
  }
  return true;
}

// Puts back every move made so far, newest first: a move is made when its
// target exists and its source does not.
bool rollBack(const QList<Move>& moves, QString* error) {
  bool ok = true;
  for (auto it = moves.crbegin(); it != moves.crend(); ++it) {
    if (!QFileInfo::exists(it->to) || QFileInfo::exists(it->from)) continue;
    if (!QFile::rename(it->to, it->from)) {
      *error = QStringLiteral("无法把 %1 改回 %2").arg(it->to, it->from);
      ok = false;
    }
  }
  return ok;
}

void removeJournal(const Journal& j) {
  for (const QString& s : j.stagings) QDir(s).removeRecursively();
  // The journal goes last: until then the next start would do this again.
  for (const QString& c : j.copies) QFile::remove(c);
}

// The test of a killed restore stops the swap after this many renames.
void stopHereForTest(int movesMade) {
  bool ok = false;
  const int stopAfter = qEnvironmentVariableIntValue("TCM_RESTORE_STOP_AFTER", &ok);
  if (ok && stopAfter == movesMade) std::raise(SIGKILL);
}

QStringList databaseFolders(const DbSettings& settings) {
  QStringList out;
  for (const QString& db : settings.embeddedDatabasePaths()) {
    const QString folder = QFileInfo(db).absolutePath();
    if (!out.contains(folder)) out << folder;
  }
  return out;
}

QStringList journalsIn(const DbSettings& settings) {
  QStringList out;
  for (const QString& folder : databaseFolders(settings)) {
    const QString j = QDir(folder).filePath(journalName());
    if (QFileInfo::exists(j)) out << j;
  }
  return out;
}

QStringList stagingFoldersIn(const DbSettings& settings) {
  QStringList out;
  for (const QString& folder : databaseFolders(settings))
    for (const QString& name : QDir(folder).entryList({QStringLiteral("restore-*.staging")}, QDir::Dirs | QDir::NoDotAndDotDot))
      out << QDir(folder).filePath(name);
  return out;
}

// Under the exclusive locks `locks` (more are taken for the files a journal
// names): every journal completed or rolled back, then the staging folders removed.
bool recoverWithLocks(const DbSettings& settings, DatabaseLocks* locks, QString* done, QString* error) {
  for (const QString& path : journalsIn(settings)) {
    Journal j;
    if (!readJournal(path, &j)) {
      // A journal cut short was never acted on: no rename was made before it was whole.
      QFile::remove(path);
      continue;
    }
    if (!locks->acquire(j.databases, FolderLock::Mode::Exclusive, error)) return false;
    if (j.committed) {
      *done = QStringLiteral("上次恢复备份已完成，已清理其临时文件");
    } else {
      if (!rollBack(j.moves, error)) {
        *error = QStringLiteral("上次恢复备份中断，无法复原数据文件：%1（恢复记录 %2 保留）").arg(*error, path);
        return false;
      }
      *done = QStringLiteral("上次恢复备份中断，数据文件已复原为恢复前的状态");
    }
    removeJournal(j);
  }
  for (const QString& staging : stagingFoldersIn(settings)) QDir(staging).removeRecursively();
  return true;
}

// "-n" added when a file of that name is already kept (a second restore in the same second).
QString keptSuffix(const QList<Staged>& staged, const QString& stamp) {
  for (int n = 1;; ++n) {
    const QString suffix = QStringLiteral(".replaced-") + stamp + (n == 1 ? QString() : QStringLiteral("-%1").arg(n));
    bool free = true;
    for (const Staged& s : staged)
      for (const QString& side : QStringList{QString()} + sideSuffixes())
        if (QFileInfo::exists(s.live + suffix + side)) free = false;
    if (free) return suffix;
  }
}

QString uniqueStamp(const QStringList& folders, const QString& stamp) {
  for (int n = 1;; ++n) {
    const QString s = n == 1 ? stamp : QStringLiteral("%1-%2").arg(stamp).arg(n);
    bool free = true;
    for (const QString& folder : folders)
      if (QFileInfo::exists(QDir(folder).filePath(stagingName(s)))) free = false;
    if (free) return s;
  }
}

}  // namespace

QStringList embeddedDatabaseFiles() { return {QStringLiteral("fm.db"), QStringLiteral("loc.db")}; }

QString liveDatabasePath(const DbSettings& settings, const QString& name) {
  return name == QLatin1String("fm.db") ? settings.embeddedRemotePath() : QFileInfo(settings.localDbPath()).absoluteFilePath();
}

QString backupRoot(const DbSettings& settings) { return QDir(settings.dataDir).filePath(QStringLiteral("backup")); }

QString backupFolderName(const QDateTime& when) { return when.toString(QStringLiteral("yyyyMMdd-hhmmss")); }

bool remoteIsEmbedded(const DbSettings& settings) { return !settings.embeddedRemotePath().isEmpty(); }

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
    // The copy is the shop's data too: its owner's alone from the first byte.
    QFile made(target);
    if (!made.open(QIODevice::WriteOnly)) {
      *error = QStringLiteral("无法创建文件 %1：%2").arg(target, made.errorString());
      return false;
    }
    made.close();
    restrictFile(target);
    keepFolderOwner(target);
    SqliteFile from, to;
    if (!from.open(source, SQLITE_OPEN_READWRITE, error) || !to.open(target, SQLITE_OPEN_READWRITE, error)) {
      to.close();
      removeSqliteFile(target);
      return false;
    }
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

bool backupEmbeddedDatabases(const DbSettings& settings, const QString& targetDir, QString* error,
                             const QDateTime& made) {
  if (!remoteIsEmbedded(settings)) {
    *error = serverBackupAdvice();
    return false;
  }
  // Held like a client: a restore does not start while the copy is made.
  DatabaseLocks locks;
  if (!locks.acquire(settings.embeddedDatabasePaths(), FolderLock::Mode::Shared, error)) return false;
  const QDir dir(targetDir);
  if (!makePrivateFolder(targetDir)) {
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
  auto dropPartials = [&] {
    for (const QString& g : files) removeSqliteFile(dir.filePath(partialName(g)));
  };
  for (const QString& f : files) {
    const QString part = dir.filePath(partialName(f));
    removeSqliteFile(part);  // left by a backup that stopped half-way
    if (!copySqliteDatabase(liveDatabasePath(settings, f), part, error)) {
      dropPartials();
      return false;
    }
  }
  {
    int order = 0;
    const QDir parent = QFileInfo(dir.absolutePath()).absoluteDir();
    for (const QString& sibling : parent.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
      order = std::max(order, backupOrder(parent.filePath(sibling)));
    QSaveFile info(dir.filePath(infoName()));
    const QString text = QStringLiteral("made\t%1\norder\t%2\n").arg(made.toString(Qt::ISODateWithMs)).arg(order + 1);
    if (!info.open(QIODevice::WriteOnly) || info.write(text.toUtf8()) < 0 || !info.commit()) {
      *error = QStringLiteral("无法写入 %1").arg(dir.filePath(infoName()));
      dropPartials();
      return false;
    }
    restrictFile(dir.filePath(infoName()));
    keepFolderOwner(dir.filePath(infoName()));
  }
  for (const QString& f : files) {
    if (!QFile::rename(dir.filePath(partialName(f)), dir.filePath(f))) {
      *error = QStringLiteral("无法完成备份文件 %1").arg(dir.filePath(f));
      return false;
    }
  }
  return true;
}

namespace {

// The value of one "key<TAB>value" line of backup.info; empty when absent.
QString infoValue(const QString& backupDir, const QString& key) {
  QFile f(QDir(backupDir).filePath(infoName()));
  if (!f.open(QIODevice::ReadOnly)) return {};
  for (const QString& line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n')))
    if (line.startsWith(key + QLatin1Char('\t'))) return line.mid(key.size() + 1).trimmed();
  return {};
}

}  // namespace

QDateTime backupMadeAt(const QString& backupDir) {
  const QDateTime t = QDateTime::fromString(infoValue(backupDir, QStringLiteral("made")), Qt::ISODateWithMs);
  if (t.isValid()) return t;
  return QDateTime::fromString(QFileInfo(backupDir).fileName(), QStringLiteral("yyyyMMdd-hhmmss"));
}

int backupOrder(const QString& backupDir) { return infoValue(backupDir, QStringLiteral("order")).toInt(); }

QStringList backupProblems(const QString& backupDir) {
  QTemporaryDir staging;
  if (!staging.isValid()) return {QStringLiteral("无法建立临时目录")};
  QStringList upgraded;
  QList<Staged> staged;
  for (const QString& f : embeddedDatabaseFiles()) staged.append({f, QDir(staging.path()).filePath(f), staging.path()});
  return stageBackup(backupDir, staged, &upgraded);
}

bool finishInterruptedRestore(const DbSettings& settings, QString* done, QString* error) {
  done->clear();
  const bool journal = !journalsIn(settings).isEmpty();
  if (!journal && stagingFoldersIn(settings).isEmpty()) return true;
  DatabaseLocks locks;
  if (!locks.acquire(settings.embeddedDatabasePaths(), FolderLock::Mode::Exclusive, error)) {
    // A staging folder alone is only tidied away when nobody works on the files.
    if (!journal) return true;
    *error = QStringLiteral("数据库正在恢复备份，请稍后再打开：%1").arg(*error);
    return false;
  }
  return recoverWithLocks(settings, &locks, done, error);
}

QStringList restoreLeftovers(const DbSettings& settings) {
  QStringList out = journalsIn(settings) + stagingFoldersIn(settings);
  for (const QString& db : settings.embeddedDatabasePaths()) {
    const QDir folder = QFileInfo(db).absoluteDir();
    for (const QString& name : folder.entryList({QFileInfo(db).fileName() + QStringLiteral(".replaced-*")}, QDir::Files))
      out << folder.filePath(name);
  }
  return out;
}

bool restoreEmbeddedDatabases(const DbSettings& settings, const QString& backupDir, const QDateTime& now,
                              RestoreReport* report, QString* error) {
  if (!remoteIsEmbedded(settings)) {
    *error = serverBackupAdvice();
    return false;
  }
  if (QFileInfo(backupDir).absoluteFilePath() == QFileInfo(settings.dataDir).absoluteFilePath()) {
    *error = QStringLiteral("备份目录不能是数据目录本身");
    return false;
  }
  DatabaseLocks locks;
  QString lockError;
  if (!locks.acquire(settings.embeddedDatabasePaths(), FolderLock::Mode::Exclusive, &lockError)) {
    *error = QStringLiteral("未恢复：%1").arg(lockError);
    return false;
  }
  RestoreReport r;
  if (!recoverWithLocks(settings, &locks, &r.recovered, error)) return false;

  QList<Staged> staged;
  QStringList folders;
  for (const QString& f : embeddedDatabaseFiles()) {
    const QString live = liveDatabasePath(settings, f);
    staged.append({f, live, QString()});
    if (!folders.contains(QFileInfo(live).absolutePath())) folders << QFileInfo(live).absolutePath();
  }
  const QString stamp = uniqueStamp(folders, backupFolderName(now));
  QStringList stagings;
  for (Staged& s : staged) {
    s.staging = QDir(QFileInfo(s.live).absolutePath()).filePath(stagingName(stamp));
    if (!stagings.contains(s.staging)) stagings << s.staging;
  }
  auto dropStagings = [&] {
    for (const QString& s : stagings) QDir(s).removeRecursively();
  };
  for (const QString& s : stagings) {
    if (!makePrivateFolder(s)) {
      dropStagings();
      *error = QStringLiteral("无法建立临时目录：%1").arg(s);
      return false;
    }
  }
  const QStringList problems = stageBackup(backupDir, staged, &r.upgraded);
  if (!problems.isEmpty()) {
    dropStagings();
    *error = QStringLiteral("备份未通过检查，数据未作任何改动：\n") + problems.join(QLatin1Char('\n'));
    return false;
  }

  // The replaced files are renamed, not copied, so that a mistaken restore can
  // be undone. Their write-ahead log is folded in first (nobody has them open),
  // so that the kept file alone holds all its work; a log that cannot be folded
  // in is kept beside it under the same name.
  const QString suffix = keptSuffix(staged, stamp);
  Journal journal;
  journal.stagings = stagings;
  for (const QString& folder : folders + QStringList{QDir(settings.dataDir).absolutePath()})
    if (!journal.copies.contains(QDir(folder).filePath(journalName()))) journal.copies << QDir(folder).filePath(journalName());
  for (const Staged& s : staged) {
    journal.databases << s.live;
    if (QFileInfo::exists(s.live)) {
      QString ignored;
      (void)foldLogIn(s.live, &ignored);
      QFile::remove(s.live + QStringLiteral("-shm"));  // an index of the log, rebuilt by the next connection
      journal.moves.append({s.live, s.live + suffix});
      r.kept << s.live + suffix;
      for (const QString& side : sideSuffixes()) {
        if (!QFileInfo::exists(s.live + side)) continue;
        journal.moves.append({s.live + side, s.live + suffix + side});
        r.kept << s.live + suffix + side;
      }
    }
    journal.moves.append({s.path(), s.live});
    r.restored << s.live;
  }
  if (!writeJournal(journal, error)) {
    for (const QString& c : journal.copies) QFile::remove(c);
    dropStagings();
    return false;
  }
  int made = 0;
  stopHereForTest(made);
  for (const Move& m : journal.moves) {
    if (!QFile::rename(m.from, m.to)) {
      QString undo;
      const bool undone = rollBack(journal.moves, &undo);
      *error = QStringLiteral("无法把 %1 改名为 %2").arg(m.from, m.to);
      if (!undone) {
        *error += QStringLiteral("；复原失败：%1（恢复记录保留，下次启动时再复原）").arg(undo);
        return false;
      }
      removeJournal(journal);
      *error = QStringLiteral("恢复中断，数据目录已复原：") + *error;
      return false;
    }
    stopHereForTest(++made);
  }
  journal.committed = true;
  if (!writeJournal(journal, error)) {
    // The swap is made: the next start finds the journal and undoes it.
    return false;
  }
  stopHereForTest(++made);
  for (const Staged& s : staged) {
    restrictFile(s.live);
    keepFolderOwner(s.live);
  }
  removeJournal(journal);
  if (report) *report = r;
  return true;
}

bool beginClientSession(TDMServer& dm, QString* error) {
  QString done;
  if (!finishInterruptedRestore(dm.settings(), &done, error)) return false;
  if (!done.isEmpty()) appendBackupLog(dm.settings(), QDateTime::currentDateTime(), done);
  if (!dm.holdDatabaseLocks(error)) return false;
  const QString outdated = outdatedSchemaMessage(dm);
  if (!outdated.isEmpty()) {
    *error = outdated;
    return false;
  }
  return true;
}

}  // namespace tcm

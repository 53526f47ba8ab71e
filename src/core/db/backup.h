#pragma once
// Copies of the embedded databases (fm.db and loc.db) and putting one back.
// A copy is made with SQLite's online backup, page by page inside one read
// transaction, so it is consistent while clients keep saving; it is checked
// before it counts. An embedded remote database is copied wherever it lives
// (the data folder's fm.db or the file a "sqlite:" setting names).
//
// A restore checks the copy first (integrity, every table and column the
// system uses), brings it to the current schema, and runs only while nobody
// holds the lock of any file it replaces. The swap itself is journalled: the
// journal lists every rename before the first one is made, so a restore that
// was killed half-way is completed or rolled back by the next start (client,
// init-db, restore) before anything else opens the files.
#include <QDateTime>
#include <QString>
#include <QStringList>

#include "db/db_settings.h"

namespace tcm {

class TDMServer;

// The files a backup holds, in the order they are copied.
QStringList embeddedDatabaseFiles();
// The live file of a backup file's name ("fm.db" or "loc.db") under these settings.
QString liveDatabasePath(const DbSettings& settings, const QString& name);
// <data>/backup: where the client and tcmcare-admin put dated backups.
QString backupRoot(const DbSettings& settings);
// "yyyyMMdd-hhmmss": the name of a dated backup folder.
QString backupFolderName(const QDateTime& when);
// True when the remote database is an embedded SQLite file (false for a PostgreSQL server).
bool remoteIsEmbedded(const DbSettings& settings);
// What the operator of a PostgreSQL server does instead.
QString serverBackupAdvice();

// Online copy of one SQLite file into `target` (which must not exist yet); the
// copy is left self-contained (no write-ahead log), readable by its owner only,
// and passes an integrity check.
[[nodiscard]] bool copySqliteDatabase(const QString& source, const QString& target, QString* error);
// "ok", or the problems SQLite's integrity check found (one per line); a file that
// is no database at all gives the error of opening it.
[[nodiscard]] bool sqliteIntegrityOk(const QString& path, QString* problems);

// Copies fm.db and loc.db into `targetDir` (created when missing; it must not
// hold the files yet), holding the files' shared locks like a client. Each file
// is written under a ".partial" name and renamed only when both copies are made
// and checked; the time the backup was made is kept in it (backup.info).
[[nodiscard]] bool backupEmbeddedDatabases(const DbSettings& settings, const QString& targetDir, QString* error,
                                           const QDateTime& made = QDateTime::currentDateTime());
// The time kept in a backup folder; invalid when it holds none (made by an
// earlier version: the folder's name is read instead, if it is a dated one).
QDateTime backupMadeAt(const QString& backupDir);
// The place of a backup among those beside it in the order they were made (one
// more than the highest beside it when it was made, whatever the clock said);
// 0 for a backup made by an earlier version.
int backupOrder(const QString& backupDir);

// Every problem of a backup folder (missing file, failed integrity check, a
// missing table or column, a schema step that cannot be applied); empty when
// it may be restored.
QStringList backupProblems(const QString& backupDir);

struct RestoreReport {
  QStringList restored;  // the live files that now hold the backup
  QStringList kept;      // every replaced file, kept beside them (".replaced-yyyyMMdd-hhmmss[-n]", with its log)
  QStringList upgraded;  // "fm.db：第 1 版升级到第 3 版"
  QString recovered;     // what became of an earlier restore that had stopped half-way
};

// Puts the backup in `backupDir` back. Refused, with nothing changed, when the
// remote database is a server, when the backup has any problem, or when any
// process holds the lock of a file it replaces.
[[nodiscard]] bool restoreEmbeddedDatabases(const DbSettings& settings, const QString& backupDir,
                                            const QDateTime& now, RestoreReport* report, QString* error);

// Completes or rolls back a restore that stopped during its swap, and removes
// staging folders a stopped restore left; true when nothing was left to do or it
// is done (`done` then says what happened, empty when nothing), false when a
// restore is running now or the swap cannot be put right (the error says why).
[[nodiscard]] bool finishInterruptedRestore(const DbSettings& settings, QString* done, QString* error);

// What a restore leaves in the folders of the databases: replaced files,
// staging folders, an unfinished journal. A missing database is never created
// fresh beside them: the shop's data is in them.
QStringList restoreLeftovers(const DbSettings& settings);

// What every client does at its start, before the first window opens: finish
// an interrupted restore, take the lock of every embedded database, and refuse
// a database whose schema is older than this program's. False with the
// message the client shows before it exits.
[[nodiscard]] bool beginClientSession(TDMServer& dm, QString* error);

}  // namespace tcm

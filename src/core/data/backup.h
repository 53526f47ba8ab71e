#pragma once
// Copies of the embedded databases (fm.db and loc.db) and putting one back.
// A copy is made with SQLite's online backup, page by page inside one read
// transaction, so it is consistent while clients keep saving; it is checked
// before it counts. A restore checks the copy first (integrity, every table and
// column the system uses), runs only while no client holds the data folder,
// and keeps the files it replaces beside the restored ones.
#include <QDateTime>
#include <QString>
#include <QStringList>

#include "data/db_settings.h"

namespace tcm {

// The files a backup holds, in the order they are copied.
QStringList embeddedDatabaseFiles();
// <data>/backup: where the client and tcmcare-admin put dated backups.
QString backupRoot(const DbSettings& settings);
// "yyyyMMdd-hhmmss": the name of a dated backup folder.
QString backupFolderName(const QDateTime& when);
// True when the remote database is the embedded fm.db (false for a PostgreSQL server).
bool remoteIsEmbedded(const DbSettings& settings);
// What the operator of a PostgreSQL server does instead.
QString serverBackupAdvice();

// Online copy of one SQLite file into `target` (which must not exist yet); the
// copy is left self-contained (no write-ahead log) and passes an integrity check.
[[nodiscard]] bool copySqliteDatabase(const QString& source, const QString& target, QString* error);
// "ok", or the problems SQLite's integrity check found (one per line); a file that
// is no database at all gives the error of opening it.
[[nodiscard]] bool sqliteIntegrityOk(const QString& path, QString* problems);

// Copies fm.db and loc.db of the data folder into `targetDir` (created when
// missing; it must not hold the files yet). Each file is written under a
// ".partial" name and renamed only when both copies are made and checked.
[[nodiscard]] bool backupEmbeddedDatabases(const DbSettings& settings, const QString& targetDir, QString* error);

// Every problem of a backup folder (missing file, failed integrity check, a
// missing table or column); empty when it may be restored.
QStringList backupProblems(const QString& backupDir);

struct RestoreReport {
  QStringList restored;  // the data folder's files that now hold the backup
  QStringList kept;      // the replaced files, kept beside them (".replaced-yyyyMMdd-hhmmss")
};

// Puts the backup in `backupDir` back into the data folder. Refused, with
// nothing changed, when the remote database is a server, when the backup has any
// problem, or when a client holds the data folder.
[[nodiscard]] bool restoreEmbeddedDatabases(const DbSettings& settings, const QString& backupDir,
                                            const QDateTime& now, RestoreReport* report, QString* error);

}  // namespace tcm

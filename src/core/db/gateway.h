#pragma once
// The data module: the one way the system reaches its two databases.
// Local: the SQLite file loc.db. Remote: the SQLite file fm.db beside it, or a
// shared PostgreSQL database. Values are always bound, never spliced.
#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "db/db_settings.h"
#include "db/dialect.h"
#include "db/folder_lock.h"
#include "model/knowledge.h"
#include "db/sql.h"
#include "engine/negative_findings.h"

namespace tcm {

class Messages;

class TDMServer : public NegativeFindingSource {
 public:
  TDMServer(DbSettings settings, Messages* messages);
  ~TDMServer() override;
  TDMServer(const TDMServer&) = delete;
  TDMServer& operator=(const TDMServer&) = delete;

  const DbSettings& settings() const { return settings_; }
  const Dialect& remoteDialect() const { return remoteDialect_; }
  const Dialect& localDialect() const { return localDialect_; }
  // Empty when the remote setting was understood.
  const QString& configError() const { return configError_; }

  // Query operations: the open result set (before its first row; valid until the
  // next use of the same statement object), or nullptr after the failure has been
  // shown in the plain message box. GetDB first makes sure the remote connection
  // answers (reopening it when it does not), whichever database it queries.
  QSqlQuery* GetDB(const Sql& sql, bool webSql);
  QSqlQuery* GetDB1(const Sql& sql);
  // Called when a row loop's next() said false: true when the result set ended at
  // its last row; false, with the failure shown like a failed query, when reading
  // stopped on an error (a damaged file). A partly read result is never a success.
  [[nodiscard]] bool rowsReadToEnd(const QSqlQuery& q);

  // Statement operations: true when the statement ran; false on any failure, shown to nobody.
  bool ExecSql(const Sql& sql, bool webSql);
  bool ExecMSSql(const Sql& sql);
  // All statements in one transaction, on a freshly reopened connection: all or nothing.
  bool ExecLstSql(const QList<Sql>& Lstsql, bool webSql);

  // Inserts one row and reads back the id the database assigned; nullopt on failure (silent).
  std::optional<qint64> InsertAndGetId(const Sql& insert, const QString& idColumn, bool webSql);

  // Id of the herb catalogue row with exactly this name: "0" when the query
  // failed, empty when there is no such herb.
  QString getHerbId(const QString& herName);

  // The knowledge table of the last successful load (never null).
  KnowledgeTablePtr knowledge() const { return knowledge_; }
  void setKnowledge(KnowledgeTablePtr table) { knowledge_ = std::move(table); }

  // Direct access for schema set-up and seeding.
  QSqlDatabase& localConnection();
  QSqlDatabase& remoteConnection();
  const QString& lastError() const { return lastError_; }
  // The database's own error behind the last failure and the kind of database
  // that gave it (data/failure_cause.h reads them); empty after clearLastError.
  const QSqlError& lastSqlError() const { return lastSqlError_; }
  Dialect::Kind lastErrorKind() const { return lastErrorKind_; }
  // Forgets the last failure, so a routine reads only the failures of its own statements.
  void clearLastError();
  // Takes now the shared lock of every embedded database file of the settings
  // (opening a file takes its lock too; a restore waits for all of them).
  [[nodiscard]] bool holdDatabaseLocks(QString* error);

 private:
  bool openLocal();
  bool openRemote(bool reopen);
  bool remoteAlive();
  bool execute(QSqlQuery& stmt, const Dialect& dialect, const Sql& sql);
  QSqlQuery* runQuery(QSqlDatabase& db, std::unique_ptr<QSqlQuery>& stmt, const Dialect& dialect, const Sql& sql);
  bool runStatement(QSqlDatabase& db, std::unique_ptr<QSqlQuery>& stmt, const Dialect& dialect, const Sql& sql);
  void reportDbError(const QString& text);
  // Keeps a failure of the database: its error, its kind and the text shown for it.
  void noteSqlError(const QSqlError& e, Dialect::Kind kind, const QString& text);
  // Cached lookup of the local negative-finding table: nullopt code when absent.
  [[nodiscard]] bool lookUpImplied(const QString& chunk, std::optional<QString>* code, QString* error) override;

  DbSettings settings_;
  Messages* messages_;
  Dialect localDialect_{Dialect::Kind::Sqlite};
  Dialect remoteDialect_{Dialect::Kind::Sqlite};
  QString configError_;
  QString localName_, remoteName_;
  QSqlDatabase con_, con1_;
  // Statement objects, each reused: a new text ends the result set it held.
  std::unique_ptr<QSqlQuery> Qry1_, qry2_, EXE_, qryMsSql_, qryMSSqlExec_;
  QHash<QString, std::optional<QString>> negativeCache_;
  KnowledgeTablePtr knowledge_;
  QString lastError_;
  QSqlError lastSqlError_;
  Dialect::Kind lastErrorKind_ = Dialect::Kind::Sqlite;
  DatabaseLocks locks_;  // held as long as the data module lives
};

}  // namespace tcm

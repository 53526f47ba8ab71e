#include "db/gateway.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>

#include "messages.h"
#include "text/item_list.h"

namespace tcm {
namespace {

QString nextConnectionName(const char* what) {
  static QAtomicInt counter;
  return QStringLiteral("tcm-%1-%2").arg(QLatin1String(what)).arg(counter.fetchAndAddRelaxed(1));
}

QString errorText(const QSqlError& e) {
  QString t = e.text().trimmed();
  if (t.isEmpty()) t = QStringLiteral("数据库操作失败");
  return t;
}

void bindAll(QSqlQuery& q, const QVariantList& values) {
  for (const QVariant& v : values) q.addBindValue(v);
}

// Several clients may share one SQLite file (two windows of one shop): the
// write-ahead log lets readers go on while one writes, and a writer waits for
// the lock up to the busy time-out before its statement fails. The mode is kept
// in the file; setting it again is a no-op.
void shareSqliteFile(QSqlDatabase& db) {
  QSqlQuery q(db);
  (void)q.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
}

QString sqliteOptions(const DbSettings& s) {
  return QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(s.sqliteBusyTimeoutMs);
}

}  // namespace

TDMServer::TDMServer(DbSettings settings, Messages* messages)
    : settings_(std::move(settings)), messages_(messages), knowledge_(std::make_shared<KnowledgeTable>()) {
  const RemoteUrl url = RemoteUrl::parse(settings_.remoteUrl, settings_.remoteDbPath());
  configError_ = url.error;
  remoteDialect_ = Dialect(url.postgres ? Dialect::Kind::Postgres : Dialect::Kind::Sqlite);

  localName_ = nextConnectionName("loc");
  con_ = QSqlDatabase::addDatabase(localDialect_.driverName(), localName_);
  con_.setDatabaseName(settings_.localDbPath());
  con_.setConnectOptions(sqliteOptions(settings_));

  remoteName_ = nextConnectionName("fm");
  con1_ = QSqlDatabase::addDatabase(remoteDialect_.driverName(), remoteName_);
  if (url.postgres) {
    con1_.setHostName(url.host);
    con1_.setPort(url.port);
    con1_.setUserName(url.user);
    con1_.setPassword(url.password);
    con1_.setDatabaseName(url.database);
    // The server's NOTICE lines ("already exists, skipping") are for nobody at the counter.
    con1_.setConnectOptions(QStringLiteral("connect_timeout=5;options=-cclient_min_messages=warning"));
  } else {
    con1_.setDatabaseName(url.path);
    con1_.setConnectOptions(sqliteOptions(settings_));
  }
}

TDMServer::~TDMServer() {
  Qry1_.reset();
  qry2_.reset();
  EXE_.reset();
  qryMsSql_.reset();
  qryMSSqlExec_.reset();
  con_.close();
  con1_.close();
  con_ = QSqlDatabase();
  con1_ = QSqlDatabase();
  QSqlDatabase::removeDatabase(localName_);
  QSqlDatabase::removeDatabase(remoteName_);
}

bool TDMServer::holdDatabaseLocks(QString* error) {
  QStringList present;  // a file that is not there yet holds nothing to protect
  for (const QString& file : settings_.embeddedDatabasePaths())
    if (QFileInfo::exists(file)) present << file;
  if (locks_.acquire(present, FolderLock::Mode::Shared, error)) return true;
  lastError_ = *error;
  return false;
}

QSqlDatabase& TDMServer::localConnection() {
  openLocal();
  return con_;
}

QSqlDatabase& TDMServer::remoteConnection() {
  openRemote(false);
  return con1_;
}

bool TDMServer::rowsReadToEnd(const QSqlQuery& q) {
  if (q.lastError().type() == QSqlError::NoError) return true;
  const bool postgres = q.driver() && q.driver()->dbmsType() == QSqlDriver::PostgreSQL;
  noteSqlError(q.lastError(), postgres ? Dialect::Kind::Postgres : Dialect::Kind::Sqlite, errorText(q.lastError()));
  reportDbError(lastError_);
  return false;
}

void TDMServer::reportDbError(const QString& text) {
  lastError_ = text;
  if (messages_) messages_->showDbError(text);
}

void TDMServer::noteSqlError(const QSqlError& e, Dialect::Kind kind, const QString& text) {
  lastSqlError_ = e;
  lastErrorKind_ = kind;
  lastError_ = text;
}

void TDMServer::clearLastError() {
  lastError_.clear();
  lastSqlError_ = QSqlError();
  lastErrorKind_ = Dialect::Kind::Sqlite;
}

bool TDMServer::openLocal() {
  if (con_.isOpen()) return true;
  if (!QFileInfo::exists(con_.databaseName())) {
    // SQLite would create an empty file; a missing local database is a failure.
    lastError_ = QStringLiteral("找不到本地数据库文件：%1").arg(con_.databaseName());
    return false;
  }
  if (!locks_.acquire({con_.databaseName()}, FolderLock::Mode::Shared, &lastError_)) return false;
  if (!con_.open()) {
    noteSqlError(con_.lastError(), localDialect_.kind(), errorText(con_.lastError()));
    return false;
  }
  shareSqliteFile(con_);
  return true;
}

bool TDMServer::remoteAlive() {
  if (remoteDialect_.kind() == Dialect::Kind::Sqlite) return QFileInfo::exists(con1_.databaseName());
  QSqlQuery ping(con1_);
  return ping.exec(QStringLiteral("select 1"));
}

bool TDMServer::openRemote(bool reopen) {
  if (!configError_.isEmpty()) {
    lastError_ = configError_;
    return false;
  }
  if (reopen) {
    // Every earlier remote result set ends here. The connection itself is kept
    // while it answers (a fresh PostgreSQL connection costs tens of
    // milliseconds); one that no longer answers is closed and opened again.
    qryMsSql_.reset();
    qryMSSqlExec_.reset();
    if (con1_.isOpen() && !remoteAlive()) con1_.close();
  }
  if (con1_.isOpen()) return true;
  if (remoteDialect_.kind() == Dialect::Kind::Sqlite && !QFileInfo::exists(con1_.databaseName())) {
    lastError_ = QStringLiteral("找不到远程数据库文件：%1").arg(con1_.databaseName());
    return false;
  }
  if (remoteDialect_.kind() == Dialect::Kind::Sqlite &&
      !locks_.acquire({con1_.databaseName()}, FolderLock::Mode::Shared, &lastError_))
    return false;
  if (!con1_.open()) {
    noteSqlError(con1_.lastError(), remoteDialect_.kind(),
                 QStringLiteral("无法连接远程数据库：%1").arg(errorText(con1_.lastError())));
    return false;
  }
  if (remoteDialect_.kind() == Dialect::Kind::Sqlite) shareSqliteFile(con1_);
  return true;
}

bool TDMServer::execute(QSqlQuery& stmt, const Dialect& dialect, const Sql& sql) {
  const QString text = dialect.translate(sql.text);
  // A statement without values runs as it is (PostgreSQL prepares only data statements).
  const bool ok = sql.values.isEmpty() ? stmt.exec(text) : (stmt.prepare(text) && (bindAll(stmt, sql.values), stmt.exec()));
  if (!ok) noteSqlError(stmt.lastError(), dialect.kind(), errorText(stmt.lastError()));
  return ok;
}

QSqlQuery* TDMServer::runQuery(QSqlDatabase& db, std::unique_ptr<QSqlQuery>& stmt, const Dialect& dialect,
                               const Sql& sql) {
  stmt = std::make_unique<QSqlQuery>(db);
  stmt->setForwardOnly(true);
  if (!execute(*stmt, dialect, sql)) {
    stmt.reset();
    return nullptr;
  }
  return stmt.get();
}

bool TDMServer::runStatement(QSqlDatabase& db, std::unique_ptr<QSqlQuery>& stmt, const Dialect& dialect,
                             const Sql& sql) {
  stmt = std::make_unique<QSqlQuery>(db);
  return execute(*stmt, dialect, sql);
}

QSqlQuery* TDMServer::GetDB(const Sql& sql, bool webSql) {
  if (!openRemote(true)) {
    reportDbError(lastError_);
    return nullptr;
  }
  QSqlQuery* q = nullptr;
  if (webSql) {
    q = runQuery(con1_, qryMsSql_, remoteDialect_, sql);
  } else if (openLocal()) {
    q = runQuery(con_, Qry1_, localDialect_, sql);
  }
  if (!q) reportDbError(lastError_);
  return q;
}

QSqlQuery* TDMServer::GetDB1(const Sql& sql) {
  QSqlQuery* q = openLocal() ? runQuery(con_, qry2_, localDialect_, sql) : nullptr;
  if (!q) reportDbError(lastError_);
  return q;
}

bool TDMServer::ExecSql(const Sql& sql, bool webSql) {
  if (webSql) return openRemote(false) && runStatement(con1_, qryMSSqlExec_, remoteDialect_, sql);
  return openLocal() && runStatement(con_, EXE_, localDialect_, sql);
}

bool TDMServer::ExecMSSql(const Sql& sql) { return ExecSql(sql, true); }

bool TDMServer::ExecLstSql(const QList<Sql>& Lstsql, bool webSql) {
  QSqlDatabase& db = webSql ? con1_ : con_;
  std::unique_ptr<QSqlQuery>& stmt = webSql ? qryMSSqlExec_ : qry2_;
  const Dialect& dialect = webSql ? remoteDialect_ : localDialect_;
  if (webSql) {
    if (!openRemote(true)) return false;
  } else {
    qry2_.reset();
    Qry1_.reset();
    EXE_.reset();
    con_.close();
    if (!openLocal()) return false;
  }
  if (!db.transaction()) {
    noteSqlError(db.lastError(), dialect.kind(), errorText(db.lastError()));
    return false;
  }
  for (const Sql& s : Lstsql) {
    if (s.text.trimmed().isEmpty()) continue;
    if (!runStatement(db, stmt, dialect, s)) {
      stmt.reset();
      db.rollback();
      return false;
    }
  }
  stmt.reset();
  if (!db.commit()) {
    noteSqlError(db.lastError(), dialect.kind(), errorText(db.lastError()));
    db.rollback();
    return false;
  }
  return true;
}

std::optional<qint64> TDMServer::InsertAndGetId(const Sql& insert, const QString& idColumn, bool webSql) {
  const Dialect& dialect = webSql ? remoteDialect_ : localDialect_;
  QSqlDatabase& db = webSql ? con1_ : con_;
  if (webSql ? !openRemote(false) : !openLocal()) return std::nullopt;
  Sql s = insert;
  s.text += dialect.returningClause(idColumn);
  std::unique_ptr<QSqlQuery>& stmt = webSql ? qryMSSqlExec_ : EXE_;
  if (!runStatement(db, stmt, dialect, s)) return std::nullopt;
  QVariant id;
  if (dialect.kind() == Dialect::Kind::Postgres) {
    if (stmt->next()) id = stmt->value(0);
  } else {
    id = stmt->lastInsertId();
  }
  bool ok = false;
  const qint64 v = id.toLongLong(&ok);
  if (!ok) return std::nullopt;
  return v;
}

bool TDMServer::lookUpImplied(const QString& chunk, std::optional<QString>* code, QString* error) {
  const auto hit = negativeCache_.constFind(chunk);
  if (hit != negativeCache_.constEnd()) {
    *code = *hit;
    return true;
  }
  bool numeric = false;
  const qint64 id = chunk.toLongLong(&numeric);
  if (!numeric) {
    *error = QStringLiteral("阴性症状编码无效：%1").arg(chunk);
    return false;
  }
  if (!openLocal()) {
    *error = lastError_;
    return false;
  }
  QSqlQuery* q = runQuery(con_, Qry1_, localDialect_,
                          Sql(QStringLiteral("SELECT negativesymptomId FROM negative_symptom where symptomId = ?"), {id}));
  if (!q) {
    *error = lastError_;
    return false;
  }
  std::optional<QString> found;
  if (q->next()) found = fmt(q->value(0).toString());
  Qry1_.reset();
  negativeCache_.insert(chunk, found);
  *code = found;
  return true;
}

QString TDMServer::getHerbId(const QString& herName) {
  QSqlQuery* q = GetDB(Sql(QStringLiteral("select id from herb where  name=?"), {herName}), true);
  if (!q) return QStringLiteral("0");
  return q->next() ? q->value(0).toString() : QString();
}

}  // namespace tcm

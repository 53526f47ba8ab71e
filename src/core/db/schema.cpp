#include "db/schema.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <QSqlQuery>

#include "db/gateway.h"

namespace tcm {
namespace {

QString folderOf(Database which) {
  return which == Database::Local ? QStringLiteral(":/sql/local") : QStringLiteral(":/sql/remote");
}

QStringList stepFiles(Database which) {
  QStringList files = QDir(folderOf(which)).entryList({QStringLiteral("*.sql")}, QDir::Files, QDir::Name);
  return files;
}

// Statements of a schema file: split at ";" that ends a line; "--" comments dropped.
QStringList statementsOf(const QString& text) {
  QStringList out;
  QString current;
  for (const QString& rawLine : text.split(QLatin1Char('\n'))) {
    QString line = rawLine;
    const qsizetype comment = line.indexOf(QLatin1String("--"));
    if (comment >= 0) line.truncate(comment);
    if (line.trimmed().isEmpty()) continue;
    current += line + QLatin1Char('\n');
    if (line.trimmed().endsWith(QLatin1Char(';'))) {
      current = current.trimmed();
      current.chop(1);
      out << current;
      current.clear();
    }
  }
  if (!current.trimmed().isEmpty()) out << current.trimmed();
  return out;
}

// "create table"/"create index" made safe to re-run: what exists is kept.
QString ifNotExists(const QString& statement) {
  static const QRegularExpression create(QStringLiteral("^\\s*CREATE\\s+(UNIQUE\\s+)?(TABLE|INDEX)\\s+(?!IF\\s)"),
                                         QRegularExpression::CaseInsensitiveOption);
  const QRegularExpressionMatch m = create.match(statement);
  if (!m.hasMatch()) return statement;
  return statement.left(m.capturedEnd()) + QStringLiteral("IF NOT EXISTS ") + statement.mid(m.capturedEnd());
}

// A repair only creates: a step's other statements (dropping an index it
// replaces) ran once with the step and are not repeated.
bool isCreateStatement(const QString& statement) {
  return statement.trimmed().startsWith(QStringLiteral("CREATE"), Qt::CaseInsensitive);
}

QStringList stepStatements(Database which, const QString& file, QString* error) {
  QFile f(folderOf(which) + QLatin1Char('/') + file);
  if (!f.open(QIODevice::ReadOnly)) {
    *error = QStringLiteral("无法读取结构文件 %1").arg(file);
    return {};
  }
  QStringList statements = statementsOf(QString::fromUtf8(f.readAll()));
  for (QString& st : statements) st = ifNotExists(st);
  return statements;
}

// The tables and columns the steps create: table name -> column names.
QList<QPair<QString, QStringList>> expectedTables(Database which, int uptoVersion) {
  static const QRegularExpression createTable(
      QStringLiteral("^\\s*CREATE\\s+TABLE\\s+(?:IF\\s+NOT\\s+EXISTS\\s+)?\\[?(\\w+)\\]?\\s*\\((.*)\\)\\s*$"),
      QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
  static const QStringList notColumns = {"PRIMARY", "UNIQUE", "CONSTRAINT", "FOREIGN", "CHECK"};
  QList<QPair<QString, QStringList>> out;
  QString ignored;
  const QStringList files = stepFiles(which);
  for (qsizetype step = 0; step < files.size() && (uptoVersion < 0 || step < uptoVersion); ++step) {
    for (const QString& st : stepStatements(which, files[step], &ignored)) {
      const QRegularExpressionMatch m = createTable.match(st);
      if (!m.hasMatch()) continue;
      QStringList columns;
      for (const QString& line : m.captured(2).split(QLatin1Char('\n'))) {
        // "[OR] TEXT," names the column OR (keyword names are bracketed).
        const QString first = line.trimmed()
                                  .section(QLatin1Char(' '), 0, 0)
                                  .remove(QLatin1Char(','))
                                  .remove(QLatin1Char('['))
                                  .remove(QLatin1Char(']'));
        if (first.isEmpty() || notColumns.contains(first.toUpper())) continue;
        columns << first;
      }
      out.append({m.captured(1), columns});
    }
  }
  return out;
}

struct SchemaStatement {
  QString text;
  QVariantList values;
  QString file;  // named in the error
};

// All statements or none.
bool runInOneTransaction(QSqlDatabase& db, const QList<SchemaStatement>& statements, QString* error) {
  if (!db.transaction()) {
    *error = db.lastError().text();
    return false;
  }
  QSqlQuery q(db);
  for (const SchemaStatement& st : statements) {
    bool ok = st.values.isEmpty() ? q.exec(st.text) : q.prepare(st.text);
    for (const QVariant& v : st.values) q.addBindValue(v);
    if (ok && !st.values.isEmpty()) ok = q.exec();
    if (!ok) {
      *error = QStringLiteral("%1: %2").arg(st.file, q.lastError().text());
      q.finish();
      db.rollback();
      return false;
    }
  }
  q.finish();
  if (!db.commit()) {
    *error = db.lastError().text();
    db.rollback();
    return false;
  }
  return true;
}

QSqlDatabase& connectionOf(TDMServer& dm, Database which) {
  return which == Database::Local ? dm.localConnection() : dm.remoteConnection();
}

const Dialect& dialectOf(TDMServer& dm, Database which) {
  return which == Database::Local ? dm.localDialect() : dm.remoteDialect();
}

}  // namespace

int latestSchemaVersion(Database which) { return static_cast<int>(stepFiles(which).size()); }

int schemaVersion(TDMServer& dm, Database which) {
  QSqlDatabase& db = connectionOf(dm, which);
  if (!db.isOpen()) return -1;
  if (!db.tables().contains(QStringLiteral("schema_version"), Qt::CaseInsensitive)) return 0;
  QSqlQuery q(db);
  if (!q.exec(QStringLiteral("select max(version) from schema_version")) || !q.next()) return -1;
  return q.value(0).toInt();
}

bool applySchema(TDMServer& dm, Database which, QString* error) {
  return applyMissingSchemaSteps(dm, which, error) && repairSchema(dm, which, error);
}

QString outdatedSchemaMessage(TDMServer& dm) {
  QStringList old;
  for (const auto& [which, name] : {std::pair{Database::Local, QStringLiteral("本地数据库")},
                                    std::pair{Database::Remote, QStringLiteral("远程数据库")}}) {
    const int version = schemaVersion(dm, which);
    const int latest = latestSchemaVersion(which);
    if (version >= 0 && version < latest)
      old << QStringLiteral("%1的结构为第 %2 版，本程序需要第 %3 版").arg(name).arg(version).arg(latest);
  }
  if (old.isEmpty()) return {};
  return QStringLiteral("数据库结构版本过旧：%1。\n请先运行 tcmcare-admin init-db 升级数据库，再打开客户端。")
      .arg(old.join(QStringLiteral("；")));
}

bool applyMissingSchemaSteps(TDMServer& dm, Database which, QString* error) {
  QSqlDatabase& db = connectionOf(dm, which);
  if (!db.isOpen()) {
    *error = dm.lastError();
    return false;
  }
  const Dialect& dialect = dialectOf(dm, which);
  {
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("create table if not exists schema_version (version integer not null)"))) {
      *error = q.lastError().text();
      return false;
    }
  }
  const int current = schemaVersion(dm, which);
  if (current < 0) {
    *error = QStringLiteral("无法读取数据库结构版本");
    return false;
  }
  const QStringList files = stepFiles(which);
  // A database whose version record was lost gets every step again: each one
  // only creates what is missing.
  for (int step = current + 1; step <= files.size(); ++step) {
    QList<SchemaStatement> statements;
    for (const QString& st : stepStatements(which, files[step - 1], error))
      statements.append({dialect.schemaText(st), {}, files[step - 1]});
    if (statements.isEmpty()) return false;
    statements.append({QStringLiteral("insert into schema_version(version) values(?)"), {step}, files[step - 1]});
    if (!runInOneTransaction(db, statements, error)) return false;
  }
  return true;
}

QStringList missingSchemaParts(TDMServer& dm, Database which, int uptoVersion) {
  QSqlDatabase& db = connectionOf(dm, which);
  QStringList missing;
  if (!db.isOpen()) return {QStringLiteral("数据库无法打开：%1").arg(dm.lastError())};
  QSet<QString> tables;
  for (const QString& t : db.tables()) tables.insert(t.toLower());
  for (const auto& [table, columns] : expectedTables(which, uptoVersion)) {
    if (!tables.contains(table.toLower())) {
      missing << QStringLiteral("表 %1").arg(table);
      continue;
    }
    const QSqlRecord record = db.record(db.driver()->escapeIdentifier(table.toLower(), QSqlDriver::TableName));
    QSet<QString> present;
    for (int i = 0; i < record.count(); ++i) present.insert(record.fieldName(i).toLower());
    for (const QString& c : columns)
      if (!present.contains(c.toLower())) missing << QStringLiteral("列 %1.%2").arg(table, c);
  }
  return missing;
}

bool repairSchema(TDMServer& dm, Database which, QString* error) {
  QSqlDatabase& db = connectionOf(dm, which);
  const Dialect& dialect = dialectOf(dm, which);
  // Tables and indexes dropped since their step ran are created again.
  if (!missingSchemaParts(dm, which).isEmpty()) {
    QList<SchemaStatement> statements;
    for (const QString& file : stepFiles(which))
      for (const QString& st : stepStatements(which, file, error))
        if (isCreateStatement(st)) statements.append({dialect.schemaText(st), {}, file});
    if (!runInOneTransaction(db, statements, error)) return false;
  }
  const QStringList missing = missingSchemaParts(dm, which);
  if (!missing.isEmpty()) {
    *error = QStringLiteral("%1数据库结构不完整，缺少：%2")
                 .arg(which == Database::Local ? QStringLiteral("本地") : QStringLiteral("远程"), missing.join(QStringLiteral("、")));
    return false;
  }
  return true;
}

}  // namespace tcm

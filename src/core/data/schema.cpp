#include "data/schema.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>

#include "data/gateway.h"

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
  for (int step = current + 1; step <= files.size(); ++step) {
    QFile f(folderOf(which) + QLatin1Char('/') + files[step - 1]);
    if (!f.open(QIODevice::ReadOnly)) {
      *error = QStringLiteral("无法读取结构文件 %1").arg(files[step - 1]);
      return false;
    }
    QStringList statements = statementsOf(QString::fromUtf8(f.readAll()));
    for (QString& s : statements) s = dialect.schemaText(s);
    if (!db.transaction()) {
      *error = db.lastError().text();
      return false;
    }
    QSqlQuery q(db);
    for (const QString& s : statements) {
      if (!q.exec(s)) {
        *error = QStringLiteral("%1: %2").arg(files[step - 1], q.lastError().text());
        q.finish();
        db.rollback();
        return false;
      }
    }
    q.prepare(QStringLiteral("insert into schema_version(version) values(?)"));
    q.addBindValue(step);
    if (!q.exec()) {
      *error = q.lastError().text();
      db.rollback();
      return false;
    }
    q.finish();
    if (!db.commit()) {
      *error = db.lastError().text();
      db.rollback();
      return false;
    }
  }
  return true;
}

}  // namespace tcm

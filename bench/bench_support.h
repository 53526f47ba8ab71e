#pragma once
// Pieces the benchmarks that generate a large shop share.
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariantList>

namespace tcm::bench {

// Runs one generating statement; its values are bound. A statement without
// values is run unprepared (PostgreSQL cannot prepare every such statement).
inline bool exec(QSqlDatabase& db, const QString& sql, const QVariantList& values, QString* error) {
  QSqlQuery q(db);
  bool ran = false;
  if (values.isEmpty()) {
    ran = q.exec(sql);
  } else {
    q.prepare(sql);
    for (const QVariant& v : values) q.addBindValue(v);
    ran = q.exec();
  }
  if (ran) return true;
  *error = q.lastError().text() + QStringLiteral(" — ") + sql.left(120);
  return false;
}

}  // namespace tcm::bench

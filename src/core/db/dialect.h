#pragma once
// What differs between the two kinds of database behind the gateway.
#include <QString>

namespace tcm {

class Dialect {
 public:
  enum class Kind { Sqlite, Postgres };
  explicit Dialect(Kind kind) : kind_(kind) {}

  Kind kind() const { return kind_; }
  QString driverName() const;

  // Statement texts are written once for both: bracketed keyword names
  // ([user], [OR]) and "select top N" are turned into the database's form.
  QString translate(const QString& sql) const;

  // Schema files use {{ID}} (an id assigned by the database), {{DATETIME}} and {{MONEY}}.
  QString schemaText(const QString& sql) const;

  // Appended to an insert so that it yields the new row's id (empty for SQLite,
  // which reports it through the driver).
  QString returningClause(const QString& idColumn) const;

 private:
  Kind kind_;
};

}  // namespace tcm

#include "db/dialect.h"

#include <QRegularExpression>

namespace tcm {

QString Dialect::driverName() const {
  return kind_ == Kind::Sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL");
}

QString Dialect::translate(const QString& sql) const {
  QString out;
  out.reserve(sql.size() + 16);
  // Bracketed names become quoted lower-case names; quoted literals are left alone.
  bool inLiteral = false;
  for (qsizetype i = 0; i < sql.size(); ++i) {
    const QChar c = sql[i];
    if (c == QLatin1Char('\'')) inLiteral = !inLiteral;
    if (!inLiteral && c == QLatin1Char('[')) {
      const qsizetype close = sql.indexOf(QLatin1Char(']'), i + 1);
      if (close > i) {
        out += QLatin1Char('"') + sql.mid(i + 1, close - i - 1).toLower() + QLatin1Char('"');
        i = close;
        continue;
      }
    }
    out += c;
  }
  static const QRegularExpression top(QStringLiteral("^\\s*select\\s+top\\s+(\\d+)\\s+"),
                                      QRegularExpression::CaseInsensitiveOption);
  const auto m = top.match(out);
  if (m.hasMatch()) {
    out = QStringLiteral("select ") + out.mid(m.capturedEnd()) + QStringLiteral(" limit ") + m.captured(1);
  }
  return out;
}

QString Dialect::schemaText(const QString& sql) const {
  QString s = translate(sql);
  const bool lite = kind_ == Kind::Sqlite;
  s.replace(QLatin1String("{{ID}}"), lite ? QLatin1String("INTEGER PRIMARY KEY AUTOINCREMENT")
                                          : QLatin1String("SERIAL PRIMARY KEY"));
  s.replace(QLatin1String("{{DATETIME}}"), lite ? QLatin1String("TEXT") : QLatin1String("TIMESTAMP"));
  s.replace(QLatin1String("{{MONEY}}"), QLatin1String("NUMERIC(14,4)"));
  return s;
}

QString Dialect::returningClause(const QString& idColumn) const {
  return kind_ == Kind::Postgres ? QStringLiteral(" returning ") + idColumn : QString();
}

}  // namespace tcm

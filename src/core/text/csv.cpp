#include "text/csv.h"

namespace tcm {

QStringList parseCsvLine(const QString& line) {
  QStringList fields;
  QString current;
  bool quoted = false;
  for (qsizetype i = 0; i < line.size(); ++i) {
    const QChar c = line[i];
    if (quoted) {
      if (c == QLatin1Char('"')) {
        if (i + 1 < line.size() && line[i + 1] == QLatin1Char('"')) {
          current += QLatin1Char('"');
          ++i;
        } else {
          quoted = false;
        }
      } else {
        current += c;
      }
    } else if (c == QLatin1Char('"')) {
      quoted = true;
    } else if (c == QLatin1Char(',')) {
      fields << current;
      current.clear();
    } else {
      current += c;
    }
  }
  fields << current;
  return fields;
}

QString CsvTable::field(qsizetype row, const QString& column) const {
  const qsizetype col = columnIndex(column);
  if (row < 0 || row >= rows.size() || col < 0 || col >= rows[row].size()) return {};
  return rows[row][col].trimmed();
}

CsvTable parseCsv(const QString& text) {
  CsvTable t;
  QString body = text;
  if (body.startsWith(QChar(0xFEFF))) body.remove(0, 1);
  const QStringList lines = body.split(QLatin1Char('\n'));
  int number = 0;
  for (QString line : lines) {
    ++number;
    if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    if (line.trimmed().isEmpty()) continue;
    if (t.header.isEmpty()) {
      for (const QString& h : parseCsvLine(line)) t.header << h.trimmed();
      continue;
    }
    t.rows << parseCsvLine(line);
    t.lineNumbers << number;
  }
  return t;
}

}  // namespace tcm

#pragma once
// Reading the reviewable seed tables: UTF-8 CSV with a header line.
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace tcm {

// One line of CSV: fields separated by ",", a field in double quotes may hold
// commas, a doubled quote stands for one.
QStringList parseCsvLine(const QString& line);

struct CsvTable {
  QStringList header;
  QList<QStringList> rows;
  QList<int> lineNumbers;  // line of each row in the file, from 1
  // The field of `row` in the named column (empty when missing).
  QString field(qsizetype row, const QString& column) const;
  qsizetype columnIndex(const QString& column) const { return header.indexOf(column); }
};

// Parses a whole file's text; blank lines are skipped.
CsvTable parseCsv(const QString& text);

}  // namespace tcm

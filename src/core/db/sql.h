#pragma once
// A statement text with "?" placeholders and the values bound to them, in order.
// Values are never spliced into the text.
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace tcm {

struct Sql {
  QString text;
  QVariantList values;

  Sql() = default;
  Sql(QString t) : text(std::move(t)) {}  // NOLINT: a literal statement without values
  Sql(const char* t) : text(QString::fromUtf8(t)) {}  // NOLINT
  Sql(QString t, QVariantList v) : text(std::move(t)), values(std::move(v)) {}
};

}  // namespace tcm

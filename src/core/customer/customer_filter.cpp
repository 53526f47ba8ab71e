#include "customer/customer_filter.h"

namespace tcm {
namespace {

std::optional<qint64> digitsValue(const QString& text) {
  if (text.isEmpty()) return std::nullopt;
  qint64 value = 0;
  for (QChar c : text) {
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
    value = value * 10 + (c.unicode() - '0');
  }
  return value;
}

}  // namespace

bool ChkSql(const QString& typed) {
  if (typed.contains(QLatin1Char('\'')) || typed.size() > 11) return false;
  for (QChar c : typed) {
    const char16_t u = c.unicode();
    if ((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z')) return false;
  }
  return true;
}

CustomerTextFilter customerTextFilter(const QString& typed) {
  CustomerTextFilter f;
  if (!ChkSql(typed)) return f;
  const QString text = typed.trimmed();
  if (!text.isEmpty() && text[0] >= QLatin1Char('0') && text[0] <= QLatin1Char('9')) {
    f.kind = CustomerTextFilter::Kind::TelEnding;
    f.tel1 = digitsValue(text.left(4));
    return f;
  }
  f.kind = CustomerTextFilter::Kind::Name;
  f.name = text;
  return f;
}

std::optional<qint64> phoneEnding(const QString& trimmedPhone) { return digitsValue(trimmedPhone.right(4)); }

}  // namespace tcm

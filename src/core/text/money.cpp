#include "text/money.h"

#include <cmath>

namespace tcm {
namespace {

constexpr int kMaxIntDigits = 9;
constexpr int kMaxFracDigits = 6;
constexpr int kMaxWholeDigits = 5;

bool pow10(int n, DecimalUnits* out) {
  DecimalUnits p = 1;
  for (int i = 0; i < n; ++i)
    if (__builtin_mul_overflow(p, 10, &p)) return false;
  *out = p;
  return true;
}

// `units` brought to `scale` decimal places (scale >= from).
bool rescale(DecimalUnits units, int from, int scale, DecimalUnits* out) {
  DecimalUnits p = 0;
  return pow10(scale - from, &p) && !__builtin_mul_overflow(units, p, out);
}

QString digits(DecimalUnits n) {  // n >= 0
  if (n == 0) return QStringLiteral("0");
  QString s;
  while (n > 0) {
    s.prepend(QChar(u'0' + static_cast<char16_t>(n % 10)));
    n /= 10;
  }
  return s;
}

}  // namespace

Decimal Decimal::invalid() {
  Decimal d;
  d.valid_ = false;
  return d;
}

Decimal Decimal::fromInt(qint64 n) { return Decimal(n, 0); }

Decimal Decimal::fromPrice(double price) {
  if (!std::isfinite(price) || std::fabs(price) >= 1e10) return Decimal();
  return Decimal(static_cast<DecimalUnits>(std::llround(price * 10000.0)), 4);
}

Decimal Decimal::operator+(const Decimal& o) const {
  if (!valid_ || !o.valid_) return invalid();
  const int scale = std::max(scale_, o.scale_);
  DecimalUnits a = 0, b = 0, sum = 0;
  if (!rescale(units_, scale_, scale, &a) || !rescale(o.units_, o.scale_, scale, &b) ||
      __builtin_add_overflow(a, b, &sum))
    return invalid();
  return Decimal(sum, scale);
}

Decimal Decimal::operator*(const Decimal& o) const {
  if (!valid_ || !o.valid_) return invalid();
  DecimalUnits product = 0;
  if (__builtin_mul_overflow(units_, o.units_, &product) || scale_ + o.scale_ > 30) return invalid();
  return Decimal(product, scale_ + o.scale_);
}

bool Decimal::operator==(const Decimal& o) const {
  if (!valid_ || !o.valid_) return valid_ == o.valid_;
  const int scale = std::max(scale_, o.scale_);
  DecimalUnits a = 0, b = 0;
  return rescale(units_, scale_, scale, &a) && rescale(o.units_, o.scale_, scale, &b) && a == b;
}

QString Decimal::toText1() const {
  if (!valid_) return {};
  const bool negative = units_ < 0;
  const DecimalUnits magnitude = negative ? -units_ : units_;
  DecimalUnits tenths = 0;
  if (scale_ <= 1) {
    if (!rescale(magnitude, scale_, 1, &tenths)) return {};
  } else {
    DecimalUnits divisor = 0;
    pow10(scale_ - 1, &divisor);
    tenths = magnitude / divisor;
    if ((magnitude % divisor) * 2 >= divisor) ++tenths;
  }
  QString text = digits(tenths / 10) + QLatin1Char('.') + QChar(u'0' + static_cast<char16_t>(tenths % 10));
  if (negative && tenths != 0) text.prepend(QLatin1Char('-'));
  return text;
}

std::optional<Decimal> parseDecimal(const QString& text) {
  const QString t = text.trimmed();
  DecimalUnits units = 0;
  int intDigits = 0, fracDigits = 0;
  bool point = false;
  for (QChar c : t) {
    if (c == QLatin1Char('.')) {
      if (point) return std::nullopt;
      point = true;
    } else if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
      if (point ? ++fracDigits > kMaxFracDigits : ++intDigits > kMaxIntDigits) return std::nullopt;
      units = units * 10 + (c.unicode() - u'0');
    } else {
      return std::nullopt;
    }
  }
  if (intDigits + fracDigits == 0) return std::nullopt;
  return Decimal(units, fracDigits);
}

std::optional<int> parseWholeNumber(const QString& text) {
  const QString t = text.trimmed();
  if (t.isEmpty() || t.size() > kMaxWholeDigits) return std::nullopt;
  int n = 0;
  for (QChar c : t) {
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
    n = n * 10 + (c.unicode() - u'0');
  }
  return n;
}

Decimal dosageValue(const QString& text) { return parseDecimal(text).value_or(Decimal()); }

}  // namespace tcm

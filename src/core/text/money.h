#pragma once
// Exact decimal amounts for the prescription editors' weights and prices.
// Dosages are read from their text and unit prices rounded to the four places
// the price list keeps, so 3 × 0.15 is exactly 0.45 and shows "0.5"; the
// "0.0" form rounds half up on that exact value, never on a binary double.
#include <QString>
#include <optional>

namespace tcm {

// 128-bit units: the editors' bounded inputs can never overflow them.
__extension__ typedef __int128 DecimalUnits;

class Decimal {
 public:
  Decimal() = default;
  static Decimal fromInt(qint64 n);
  // The unit price as the decimal the price list stores: rounded to four
  // places; NaN, infinities and amounts of 10^10 or more count as 0.
  static Decimal fromPrice(double price);

  Decimal operator+(const Decimal& o) const;
  Decimal operator*(const Decimal& o) const;
  Decimal& operator+=(const Decimal& o) { return *this = *this + o; }
  bool operator==(const Decimal& o) const;

  bool isZero() const { return units_ == 0; }
  bool isNegative() const { return units_ < 0; }
  // False after an overflow (not reachable from the parsed inputs below).
  bool isValid() const { return valid_; }

  // The pattern "0.0": one decimal, half up (away from zero), no thousands
  // separator; empty for an invalid value.
  QString toText1() const;

 private:
  friend std::optional<Decimal> parseDecimal(const QString& text);
  Decimal(DecimalUnits units, int scale) : units_(units), scale_(scale) {}
  static Decimal invalid();
  DecimalUnits units_ = 0;  // value = units_ / 10^scale_
  int scale_ = 0;
  bool valid_ = true;
};

// A dosage as typed: blanks around it allowed, digits with at most one point
// ("10", "7.5", ".5", "3."), at most nine digits before and six after the point.
// Anything else (signs, exponents, letters, an empty text) is not a number.
std::optional<Decimal> parseDecimal(const QString& text);

// A number of doses or a quantity: blanks around it allowed, one to five digits.
std::optional<int> parseWholeNumber(const QString& text);

// parseDecimal(...).value_or(0): a dosage that is not a number counts as 0.
Decimal dosageValue(const QString& text);

}  // namespace tcm

#include "engine/values/Arithmetic.h"

#include <cmath>

#include "engine/values/Calendar.h"
#include "engine/values/Convert.h"
#include "engine/values/Errors.h"
#include "engine/values/NumberForms.h"

namespace telvarn::values {
namespace {

using Kind = Variant::Kind;

// An operand reduced to the subtypes arithmetic distinguishes: Empty, Byte,
// Short, Long, Currency (whole holds its units), Single, Double, Date.
struct Number {
  Kind kind = Kind::Empty;
  int64_t whole = 0;
  double real = 0;

  double value() const {
    switch (kind) {
      case Kind::Single:
      case Kind::Double:
      case Kind::Date:
        return real;
      case Kind::Currency:
        return static_cast<double>(whole) / kCurrencyUnitsPerOne;
      default:
        return static_cast<double>(whole);
    }
  }
  bool isWhole() const {
    return kind == Kind::Empty || kind == Kind::Byte || kind == Kind::Short || kind == Kind::Long;
  }
};

Number numberOf(const Variant& v) {
  switch (v.kind()) {
    case Kind::Empty:
      return {};
    case Kind::Boolean:
      return {Kind::Short, v.wholeValue(), 0};
    case Kind::Byte:
    case Kind::Short:
    case Kind::Long:
      return {v.kind(), v.wholeValue(), 0};
    case Kind::Integer:
      if (v.wholeValue() >= INT32_MIN && v.wholeValue() <= INT32_MAX)
        return {Kind::Long, v.wholeValue(), 0};
      return {Kind::Double, 0, static_cast<double>(v.wholeValue())};
    case Kind::Currency:
      return {Kind::Currency, v.currencyUnits(), 0};
    case Kind::Single:
    case Kind::Double:
    case Kind::Date:
      return {v.kind(), 0, v.realValue()};
    case Kind::Text:
      return {Kind::Double, 0, numberOfText(v.textValue())};
    default:
      fail(kTypeMismatch);
  }
}

bool either(const Number& a, const Number& b, Kind kind) {
  return a.kind == kind || b.kind == kind;
}

// A whole result of `kind` (Byte, Short or Long), widened until it fits.
Variant whole(int64_t value, Kind kind) {
  if (kind == Kind::Byte && value >= 0 && value <= 255)
    return Variant::fromByte(static_cast<uint8_t>(value));
  if (kind != Kind::Long && value >= INT16_MIN && value <= INT16_MAX)
    return Variant::fromShort(static_cast<int16_t>(value));
  if (value >= INT32_MIN && value <= INT32_MAX) return Variant::fromLong(static_cast<int32_t>(value));
  return Variant(static_cast<double>(value));
}

Variant real(double value) {
  if (!std::isfinite(value)) fail(kOverflow);
  return Variant(value);
}

Variant single(double value) {
  const auto narrow = static_cast<float>(value);
  return std::isinf(narrow) ? real(value) : Variant::fromSingle(narrow);
}

Variant date(double value) {
  return momentOf(value) ? Variant::fromDate(value) : real(value);
}

int64_t unitsOf(const Number& n) {
  if (n.kind == Kind::Currency) return n.whole;
  if (n.isWhole()) return n.whole * kCurrencyUnitsPerOne;
  return currencyFromDouble(n.value());
}

// The wider whole kind of two whole operands (Empty with Empty is Short).
Kind wholeKind(const Number& a, const Number& b) {
  if (either(a, b, Kind::Long)) return Kind::Long;
  if (either(a, b, Kind::Short) || (a.kind == Kind::Empty && b.kind == Kind::Empty))
    return Kind::Short;
  return Kind::Byte;
}

enum class Additive { Add, Subtract };

Variant additive(const Number& a, const Number& b, Additive op) {
  const double sign = op == Additive::Add ? 1 : -1;
  if (either(a, b, Kind::Date)) {
    const double result = a.value() + sign * b.value();
    if (op == Additive::Subtract && a.kind == Kind::Date && b.kind == Kind::Date) return real(result);
    return date(result);
  }
  if (either(a, b, Kind::Currency)) {
    int64_t units;
    const bool overflow = op == Additive::Add
                              ? __builtin_add_overflow(unitsOf(a), unitsOf(b), &units)
                              : __builtin_sub_overflow(unitsOf(a), unitsOf(b), &units);
    if (overflow) fail(kOverflow);
    return Variant::fromCurrency(units);
  }
  if (either(a, b, Kind::Double)) return real(a.value() + sign * b.value());
  if (either(a, b, Kind::Single)) {
    const double result = a.value() + sign * b.value();
    return either(a, b, Kind::Long) ? real(result) : single(result);
  }
  return whole(op == Additive::Add ? a.whole + b.whole : a.whole - b.whole, wholeKind(a, b));
}

// Currency units times currency units, back in units, halves to even.
int64_t multiplyUnits(int64_t a, int64_t b) {
  const __int128 product = static_cast<__int128>(a) * b;
  __int128 quotient = product / kCurrencyUnitsPerOne;
  const __int128 rest = product % kCurrencyUnitsPerOne;
  const __int128 twice = 2 * (rest < 0 ? -rest : rest);
  if (twice > kCurrencyUnitsPerOne || (twice == kCurrencyUnitsPerOne && quotient % 2 != 0))
    quotient += product < 0 ? -1 : 1;
  if (quotient < INT64_MIN || quotient > INT64_MAX) fail(kOverflow);
  return static_cast<int64_t>(quotient);
}

Variant product(const Number& a, const Number& b) {
  if (either(a, b, Kind::Double) || either(a, b, Kind::Date)) return real(a.value() * b.value());
  if (either(a, b, Kind::Single)) {
    const double result = a.value() * b.value();
    return either(a, b, Kind::Long) || either(a, b, Kind::Currency) ? real(result) : single(result);
  }
  if (either(a, b, Kind::Currency)) {
    if (a.kind == Kind::Currency && b.kind == Kind::Currency)
      return Variant::fromCurrency(multiplyUnits(a.whole, b.whole));
    int64_t units;
    const Number& money = a.kind == Kind::Currency ? a : b;
    const Number& factor = a.kind == Kind::Currency ? b : a;
    if (__builtin_mul_overflow(money.whole, factor.whole, &units)) fail(kOverflow);
    return Variant::fromCurrency(units);
  }
  return whole(a.whole * b.whole, wholeKind(a, b));
}

// An operand of \ and Mod: Bytes and Integers as they are, anything else
// rounded to a Long.
Number roundedWhole(const Variant& v) {
  const Number n = numberOf(v);
  if (n.kind == Kind::Empty || n.kind == Kind::Byte || n.kind == Kind::Short) return n;
  return {Kind::Long, toLong(v.kind() == Kind::Text ? Variant(n.real) : v), 0};
}

template <typename Operation>
Variant wholeDivision(const Variant& a, const Variant& b, Operation operation) {
  if (a.isNull() || b.isNull()) return Variant::null();
  const Number x = roundedWhole(a);
  const Number y = roundedWhole(b);
  if (y.whole == 0) fail(kDivisionByZero);
  Kind kind = wholeKind(x, y);
  if (x.kind == Kind::Empty || y.kind == Kind::Empty) kind = kind == Kind::Byte ? Kind::Short : kind;
  return whole(operation(x.whole, y.whole), kind);
}

}  // namespace

Variant add(const Variant& a, const Variant& b) {
  if (a.isNull() || b.isNull()) return Variant::null();
  if (a.kind() == Kind::Empty) return b.kind() == Kind::Empty ? Variant::fromShort(0) : b;
  if (b.kind() == Kind::Empty) return a;
  if (a.kind() == Kind::Text && b.kind() == Kind::Text) return a.textValue() + b.textValue();
  return additive(numberOf(a), numberOf(b), Additive::Add);
}

Variant subtract(const Variant& a, const Variant& b) {
  if (a.isNull() || b.isNull()) return Variant::null();
  return additive(numberOf(a), numberOf(b), Additive::Subtract);
}

Variant multiply(const Variant& a, const Variant& b) {
  if (a.isNull() || b.isNull()) return Variant::null();
  return product(numberOf(a), numberOf(b));
}

Variant divide(const Variant& a, const Variant& b) {
  if (a.isNull() || b.isNull()) return Variant::null();
  const Number x = numberOf(a);
  const Number y = numberOf(b);
  if (y.value() == 0) fail(x.value() == 0 ? kOverflow : kDivisionByZero);
  const double result = x.value() / y.value();
  const auto narrow = [](const Number& n) {
    return n.kind == Kind::Single || n.kind == Kind::Short || n.kind == Kind::Byte ||
           n.kind == Kind::Empty;
  };
  if (either(x, y, Kind::Single) && narrow(x) && narrow(y)) return single(result);
  return real(result);
}

Variant integerDivide(const Variant& a, const Variant& b) {
  return wholeDivision(a, b, [](int64_t x, int64_t y) { return x / y; });
}

Variant modulo(const Variant& a, const Variant& b) {
  return wholeDivision(a, b, [](int64_t x, int64_t y) { return x % y; });
}

Variant power(const Variant& a, const Variant& b) {
  if (a.isNull() || b.isNull()) return Variant::null();
  const double base = numberOf(a).value();
  const double exponent = numberOf(b).value();
  if (base == 0 && exponent < 0) fail(kDivisionByZero);
  const double result = std::pow(base, exponent);
  if (std::isnan(result)) fail(kInvalidCall);
  return real(result);
}

Variant negate(const Variant& a) {
  if (a.isNull()) return Variant::null();
  const Number n = numberOf(a);
  switch (n.kind) {
    case Kind::Currency:
      if (n.whole == INT64_MIN) fail(kOverflow);
      return Variant::fromCurrency(-n.whole);
    case Kind::Single:
      return Variant::fromSingle(static_cast<float>(-n.real));
    case Kind::Double:
      return Variant(-n.real);
    case Kind::Date:
      return date(-n.real);
    case Kind::Long:
      return whole(-n.whole, Kind::Long);
    default:
      return whole(-n.whole, Kind::Short);
  }
}

Variant concatenate(const Variant& a, const Variant& b) {
  if (a.isNull() && b.isNull()) return Variant::null();
  return (a.isNull() ? "" : toText(a)) + (b.isNull() ? "" : toText(b));
}

}  // namespace telvarn::values

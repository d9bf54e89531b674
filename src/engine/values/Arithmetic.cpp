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

bool either(Kind a, Kind b, Kind kind) {
  return a == kind || b == kind;
}

// The subtype arithmetic reads an operand of `kind` as (a 64-bit whole
// number as a Long, which its value may still make a Double).
Kind operandKind(Kind kind) {
  switch (kind) {
    case Kind::Boolean:
      return Kind::Short;
    case Kind::Integer:
      return Kind::Long;
    case Kind::Text:
      return Kind::Double;
    case Kind::Binary:
      fail(kTypeMismatch);
    default:
      return kind;
  }
}

// The wider whole kind of two whole operands (Empty with Empty is Short).
Kind wholeKind(Kind a, Kind b) {
  if (either(a, b, Kind::Long)) return Kind::Long;
  if (either(a, b, Kind::Short) || (a == Kind::Empty && b == Kind::Empty)) return Kind::Short;
  return Kind::Byte;
}

enum class Additive { Add, Subtract };

Kind additiveKind(Kind a, Kind b, Additive op) {
  if (either(a, b, Kind::Date))
    return op == Additive::Subtract && a == Kind::Date && b == Kind::Date ? Kind::Double
                                                                          : Kind::Date;
  if (either(a, b, Kind::Currency)) return Kind::Currency;
  if (either(a, b, Kind::Double)) return Kind::Double;
  if (either(a, b, Kind::Single)) return either(a, b, Kind::Long) ? Kind::Double : Kind::Single;
  return wholeKind(a, b);
}

Kind productKind(Kind a, Kind b) {
  if (either(a, b, Kind::Double) || either(a, b, Kind::Date)) return Kind::Double;
  if (either(a, b, Kind::Single))
    return either(a, b, Kind::Long) || either(a, b, Kind::Currency) ? Kind::Double : Kind::Single;
  if (either(a, b, Kind::Currency)) return Kind::Currency;
  return wholeKind(a, b);
}

bool narrow(Kind kind) {
  return kind == Kind::Single || kind == Kind::Short || kind == Kind::Byte || kind == Kind::Empty;
}

Kind quotientKind(Kind a, Kind b) {
  return either(a, b, Kind::Single) && narrow(a) && narrow(b) ? Kind::Single : Kind::Double;
}

// An operand of \ and Mod: Bytes and Integers as they are, anything else
// rounded to a Long.
Kind roundedKind(Kind kind) {
  return kind == Kind::Empty || kind == Kind::Byte || kind == Kind::Short ? kind : Kind::Long;
}

Kind wholeDivisionKind(Kind a, Kind b) {
  const Kind kind = wholeKind(a, b);
  return kind == Kind::Byte && either(a, b, Kind::Empty) ? Kind::Short : kind;
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

Variant additive(const Number& a, const Number& b, Additive op) {
  const double result = a.value() + (op == Additive::Add ? 1 : -1) * b.value();
  const Kind kind = additiveKind(a.kind, b.kind, op);
  switch (kind) {
    case Kind::Date:
      return date(result);
    case Kind::Double:
      return real(result);
    case Kind::Single:
      return single(result);
    case Kind::Currency: {
      int64_t units;
      const bool overflow = op == Additive::Add
                                ? __builtin_add_overflow(unitsOf(a), unitsOf(b), &units)
                                : __builtin_sub_overflow(unitsOf(a), unitsOf(b), &units);
      if (overflow) fail(kOverflow);
      return Variant::fromCurrency(units);
    }
    default:
      return whole(op == Additive::Add ? a.whole + b.whole : a.whole - b.whole, kind);
  }
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
  const Kind kind = productKind(a.kind, b.kind);
  switch (kind) {
    case Kind::Double:
      return real(a.value() * b.value());
    case Kind::Single:
      return single(a.value() * b.value());
    case Kind::Currency: {
      if (a.kind == Kind::Currency && b.kind == Kind::Currency)
        return Variant::fromCurrency(multiplyUnits(a.whole, b.whole));
      int64_t units;
      const Number& money = a.kind == Kind::Currency ? a : b;
      const Number& factor = a.kind == Kind::Currency ? b : a;
      if (__builtin_mul_overflow(money.whole, factor.whole, &units)) fail(kOverflow);
      return Variant::fromCurrency(units);
    }
    default:
      return whole(a.whole * b.whole, kind);
  }
}

Number roundedWhole(const Variant& v) {
  const Number n = numberOf(v);
  if (roundedKind(n.kind) == n.kind) return n;
  return {Kind::Long, toLong(v.kind() == Kind::Text ? Variant(n.real) : v), 0};
}

template <typename Operation>
Variant wholeDivision(const Variant& a, const Variant& b, Operation operation) {
  if (a.isNull() || b.isNull()) return Variant::null();
  const Number x = roundedWhole(a);
  const Number y = roundedWhole(b);
  if (y.whole == 0) fail(kDivisionByZero);
  return whole(operation(x.whole, y.whole), wholeDivisionKind(x.kind, y.kind));
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
  return quotientKind(x.kind, y.kind) == Kind::Single ? single(result) : real(result);
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
  switch (negatedKind(n.kind)) {
    case Kind::Currency:
      if (n.whole == INT64_MIN) fail(kOverflow);
      return Variant::fromCurrency(-n.whole);
    case Kind::Single:
      return Variant::fromSingle(static_cast<float>(-n.real));
    case Kind::Double:
      return Variant(-n.real);
    case Kind::Date:
      return date(-n.real);
    default:
      return whole(-n.whole, negatedKind(n.kind));
  }
}

Variant concatenate(const Variant& a, const Variant& b) {
  if (a.isNull() && b.isNull()) return Variant::null();
  return (a.isNull() ? "" : toText(a)) + (b.isNull() ? "" : toText(b));
}

Variant::Kind resultKind(Operator op, Kind a, Kind b) {
  if (op == Operator::Concatenate) return Kind::Text;
  if (a == Kind::Null || b == Kind::Null) return Kind::Null;
  if (op == Operator::Add) {
    if (a == Kind::Empty) return b == Kind::Empty ? Kind::Short : b;
    if (b == Kind::Empty) return a;
    if (a == Kind::Text && b == Kind::Text) return Kind::Text;
  }
  const Kind x = operandKind(a);
  const Kind y = operandKind(b);
  switch (op) {
    case Operator::Add:
      return additiveKind(x, y, Additive::Add);
    case Operator::Subtract:
      return additiveKind(x, y, Additive::Subtract);
    case Operator::Multiply:
      return productKind(x, y);
    case Operator::Divide:
      return quotientKind(x, y);
    case Operator::IntegerDivide:
    case Operator::Modulo:
      return wholeDivisionKind(roundedKind(x), roundedKind(y));
    default:
      return Kind::Double;
  }
}

Variant::Kind negatedKind(Kind a) {
  switch (a) {
    case Kind::Null:
    case Kind::Currency:
    case Kind::Single:
    case Kind::Double:
    case Kind::Date:
    case Kind::Long:
      return a;
    default: {
      const Kind kind = operandKind(a);
      return kind == a ? Kind::Short : negatedKind(kind);
    }
  }
}

}  // namespace telvarn::values

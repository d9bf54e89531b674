#include "engine/values/MathFunctions.h"

#include <cmath>
#include <cstdio>

#include "engine/Conversions.h"
#include "engine/values/Arithmetic.h"
#include "engine/values/Calendar.h"
#include "engine/values/Comparison.h"
#include "engine/values/Convert.h"
#include "engine/values/Errors.h"
#include "engine/values/NumberForms.h"

namespace telvarn::values {
namespace {

using Kind = Variant::Kind;

// The value as Int, Fix, Abs and Round see it: Booleans and Empty as
// Integers, whole numbers of 64 bits as Longs or Doubles, text as Doubles.
Variant operand(const Variant& value) {
  switch (value.kind()) {
    case Kind::Empty:
      return Variant::fromShort(0);
    case Kind::Boolean:
      return Variant::fromShort(static_cast<int16_t>(value.wholeValue()));
    case Kind::Integer:
      if (value.wholeValue() >= INT32_MIN && value.wholeValue() <= INT32_MAX)
        return Variant::fromLong(static_cast<int32_t>(value.wholeValue()));
      return Variant(static_cast<double>(value.wholeValue()));
    case Kind::Text:
    case Kind::Binary:
      return Variant(toDouble(value));
    default:
      return value;
  }
}

// The whole part of the value in its own subtype: the next whole number
// down (Int) or toward zero (Fix).
Variant wholePart(const Variant& value, bool down) {
  if (value.isNull()) return Variant::null();
  const Variant v = operand(value);
  const auto cut = [down](double x) { return down ? std::floor(x) : std::trunc(x); };
  switch (v.kind()) {
    case Kind::Currency: {
      const int64_t units = v.currencyUnits();
      int64_t whole = units / kCurrencyUnitsPerOne;
      if (down && units % kCurrencyUnitsPerOne < 0) --whole;
      return Variant::fromCurrency(whole * kCurrencyUnitsPerOne);
    }
    case Kind::Single:
      return Variant::fromSingle(static_cast<float>(cut(v.realValue())));
    case Kind::Double:
      return Variant(cut(v.realValue()));
    case Kind::Date:
      return Variant::fromDate(cut(v.realValue()));
    default:
      return v;  // already whole
  }
}

double number(const Variant& value) {
  return toDouble(value);
}

Variant real(double value) {
  if (std::isinf(value)) fail(kOverflow);
  return Variant(value);
}

template <double (*function)(double)>
Variant applied(const Variant& value) {
  if (value.isNull()) return Variant::null();
  return real(function(number(value)));
}

Variant digits(const Variant& value, const char* format) {
  if (value.isNull()) return Variant::null();
  const Variant v = operand(value);
  const int64_t whole = toLong(v);
  const bool narrow = v.kind() == Kind::Short || v.kind() == Kind::Byte;
  const uint32_t pattern = narrow ? static_cast<uint16_t>(whole) : static_cast<uint32_t>(whole);
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, format, pattern);
  return std::string(buffer);
}

}  // namespace

Variant::Kind keptKind(Kind kind) {
  switch (kind) {
    case Kind::Empty:
    case Kind::Boolean:
      return Kind::Short;
    case Kind::Integer:
      return Kind::Long;
    case Kind::Text:
    case Kind::Binary:
      return Kind::Double;
    default:
      return kind;
  }
}

Variant abs(const Variant& value) {
  if (value.isNull()) return Variant::null();
  const std::optional<int> sign = order(operand(value), Variant::fromShort(0));
  return *sign < 0 ? negate(operand(value)) : operand(value);
}

Variant intPart(const Variant& value) {
  return wholePart(value, true);
}

Variant fix(const Variant& value) {
  return wholePart(value, false);
}

Variant round(const Variant& value, const Variant& places) {
  if (places.isNull()) fail(kInvalidUseOfNull);
  const int32_t count = toLong(places);
  if (count < 0) fail(kInvalidCall);
  if (value.isNull()) return Variant::null();
  const Variant v = operand(value);
  const double scale = std::pow(10.0, std::min(count, 22));
  const auto atPlaces = [&](double x) {
    const double scaled = x * scale;
    return std::isfinite(scaled) ? roundHalfEven(scaled) / scale : x;
  };
  switch (v.kind()) {
    case Kind::Currency: {
      if (count >= 4) return v;
      int64_t step = 1;
      for (int i = count; i < 4; ++i) step *= 10;
      int64_t kept = v.currencyUnits() / step;
      const int64_t rest = v.currencyUnits() % step;
      const int64_t twice = 2 * (rest < 0 ? -rest : rest);
      if (twice > step || (twice == step && kept % 2 != 0)) kept += rest < 0 ? -1 : 1;
      return Variant::fromCurrency(kept * step);
    }
    case Kind::Single:
      return Variant::fromSingle(static_cast<float>(atPlaces(v.realValue())));
    case Kind::Double:
      return Variant(atPlaces(v.realValue()));
    case Kind::Date:
      return Variant::fromDate(atPlaces(v.realValue()));
    default:
      return v;
  }
}

Variant sgn(const Variant& value) {
  if (value.isNull()) return Variant::null();
  return Variant::fromShort(static_cast<int16_t>(*order(operand(value), Variant::fromShort(0))));
}

Variant sqr(const Variant& value) {
  if (value.isNull()) return Variant::null();
  const double x = number(value);
  if (x < 0) fail(kInvalidCall);
  return Variant(std::sqrt(x));
}

Variant exp(const Variant& value) {
  return applied<std::exp>(value);
}

Variant log(const Variant& value) {
  if (value.isNull()) return Variant::null();
  const double x = number(value);
  if (x <= 0) fail(kInvalidCall);
  return Variant(std::log(x));
}

Variant atn(const Variant& value) {
  return applied<std::atan>(value);
}

Variant cos(const Variant& value) {
  return applied<std::cos>(value);
}

Variant sin(const Variant& value) {
  return applied<std::sin>(value);
}

Variant tan(const Variant& value) {
  return applied<std::tan>(value);
}

Variant hex(const Variant& value) {
  return digits(value, "%X");
}

Variant oct(const Variant& value) {
  return digits(value, "%o");
}

}  // namespace telvarn::values

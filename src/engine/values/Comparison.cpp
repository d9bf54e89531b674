#include "engine/values/Comparison.h"

#include <cfloat>
#include <cmath>

#include "engine/values/Convert.h"
#include "engine/values/Errors.h"
#include "engine/GeneralSortOrder.h"

namespace telvarn::values {
namespace {

using Kind = Variant::Kind;

bool isTextual(Kind kind) {
  return kind == Kind::Text;
}

template <typename T>
int sign(T a, T b) {
  return (a > b) - (a < b);
}

bool isReal(Kind kind) {
  return kind == Kind::Single || kind == Kind::Double || kind == Kind::Date;
}

// Exact for whole numbers and Currency; a Single or Double beside a
// Currency is rounded to ten-thousandths and a Double beside a Single to a
// Single, unless it lies beyond that type's range.
int numericOrder(const Variant& a, const Variant& b) {
  const double x = toDouble(a);
  const double y = toDouble(b);
  if (a.kind() == Kind::Currency || b.kind() == Kind::Currency) {
    if (std::fabs(x) < 9.2e14 && std::fabs(y) < 9.2e14) {
      return sign(toCurrencyUnits(a), toCurrencyUnits(b));
    }
    return sign(x, y);
  }
  if ((a.kind() == Kind::Single) != (b.kind() == Kind::Single) &&
      (a.kind() == Kind::Double || b.kind() == Kind::Double) && std::fabs(x) <= FLT_MAX &&
      std::fabs(y) <= FLT_MAX)
    return sign(static_cast<float>(x), static_cast<float>(y));
  if (!isReal(a.kind()) && !isReal(b.kind())) return sign(a.wholeValue(), b.wholeValue());
  return sign(x, y);
}

}  // namespace

std::optional<int> order(const Variant& a, const Variant& b) {
  if (a.isNull() || b.isNull()) return std::nullopt;
  if (a.kind() == Kind::Binary || b.kind() == Kind::Binary) {
    if (a.kind() != b.kind()) fail(kTypeMismatch);
    return sign(a.textValue().compare(b.textValue()), 0);
  }
  const bool textA = isTextual(a.kind()) || (a.kind() == Kind::Empty && isTextual(b.kind()));
  const bool textB = isTextual(b.kind()) || (b.kind() == Kind::Empty && isTextual(a.kind()));
  if (textA && textB) return sign(compareGeneral(a.textValue(), b.textValue()), 0);
  if (textA || textB) fail(kTypeMismatch);
  return numericOrder(a, b);
}

Variant compare(Comparison comparison, const Variant& a, const Variant& b) {
  const std::optional<int> result = order(a, b);
  if (!result) return Variant::null();
  switch (comparison) {
    case Comparison::Equal:
      return *result == 0;
    case Comparison::NotEqual:
      return *result != 0;
    case Comparison::Less:
      return *result < 0;
    case Comparison::LessOrEqual:
      return *result <= 0;
    case Comparison::Greater:
      return *result > 0;
    case Comparison::GreaterOrEqual:
      return *result >= 0;
  }
  return Variant::null();
}

}  // namespace telvarn::values

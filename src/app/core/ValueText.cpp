#include "app/core/ValueText.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "app/core/BinaryText.h"
#include "engine/DataType.h"
#include "engine/values/DateText.h"
#include "engine/values/NumberForms.h"

namespace telvarn {
namespace {

// The shortest text that reads back as the same number, whatever the
// language setting.
template <typename Number>
std::string shortest(Number number) {
  char buffer[64];
  const std::to_chars_result end = std::to_chars(buffer, buffer + sizeof buffer, number);
  return std::string(buffer, end.ptr);
}

// Whether a Double is a float's value: what a storage that hands a Single
// over as a Double gives.
bool isFloat(double number) {
  return std::isfinite(number) && std::fabs(number) <= std::numeric_limits<float>::max() &&
         static_cast<double>(static_cast<float>(number)) == number;
}

}  // namespace

std::string exportText(int type, const Variant& value) {
  using Kind = Variant::Kind;
  switch (value.kind()) {
    case Kind::Boolean:
      return value.toBoolean() ? "True" : "False";
    case Kind::Currency:
      return values::currencyText(value.currencyUnits());
    case Kind::Single:
      return shortest(static_cast<float>(value.realValue()));
    case Kind::Double:
      if (type == DataType::Single && isFloat(value.realValue()))
        return shortest(static_cast<float>(value.realValue()));
      return shortest(value.realValue());
    case Kind::Date:
      return dateFromSerial(value.realValue()).value_or(shortest(value.realValue()));
    case Kind::Binary:
      return hexText(value.textValue());
    case Kind::Text:
      if (type == DataType::Binary || type == DataType::LongBinary)
        return hexText(value.textValue());
      return value.textValue();
    default:
      return std::to_string(value.wholeValue());
  }
}

}  // namespace telvarn

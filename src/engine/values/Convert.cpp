#include "engine/values/Convert.h"

#include <cfloat>
#include <cmath>

#include "engine/Conversions.h"
#include "engine/values/Calendar.h"
#include "engine/values/DateFormat.h"
#include "engine/values/DateReading.h"
#include "engine/values/Errors.h"
#include "engine/values/NumberForms.h"

namespace telvarn::values {
namespace {

using Kind = Variant::Kind;

bool isWhole(Kind kind) {
  return kind == Kind::Boolean || kind == Kind::Byte || kind == Kind::Short ||
         kind == Kind::Long || kind == Kind::Integer;
}

double numeric(const Variant& value) {
  switch (value.kind()) {
    case Kind::Empty:
      return 0;
    case Kind::Null:
      fail(kInvalidUseOfNull);
    case Kind::Currency:
      return static_cast<double>(value.currencyUnits()) / kCurrencyUnitsPerOne;
    case Kind::Single:
    case Kind::Double:
    case Kind::Date:
      return value.realValue();
    case Kind::Text:
      return numberOfText(value.textValue());
    case Kind::Binary:
      fail(kTypeMismatch);
    default:
      return static_cast<double>(value.wholeValue());
  }
}

// Currency units to whole units, halves to even, exactly.
int64_t wholeOfCurrency(int64_t units) {
  int64_t whole = units / kCurrencyUnitsPerOne;
  const int64_t rest = units % kCurrencyUnitsPerOne;
  const int64_t twice = 2 * (rest < 0 ? -rest : rest);
  if (twice > kCurrencyUnitsPerOne || (twice == kCurrencyUnitsPerOne && whole % 2 != 0))
    whole += units < 0 ? -1 : 1;
  return whole;
}

int64_t wholeInRange(const Variant& value, int64_t low, int64_t high) {
  int64_t whole;
  if (isWhole(value.kind())) {
    whole = value.wholeValue();
  } else if (value.kind() == Kind::Currency) {
    whole = wholeOfCurrency(value.currencyUnits());
  } else {
    const double rounded = roundHalfEven(numeric(value));
    if (!(rounded >= static_cast<double>(low) && rounded <= static_cast<double>(high)))
      fail(kOverflow);
    return static_cast<int64_t>(rounded);
  }
  if (whole < low || whole > high) fail(kOverflow);
  return whole;
}

// Val's number: where the text's leading number ends.
size_t numberEnd(const std::string& text, bool& fractional) {
  size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  const size_t digitsStart = i;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
  if (i < text.size() && text[i] == '.') {
    fractional = true;
    ++i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
  }
  if (i == digitsStart || (i == digitsStart + 1 && text[digitsStart] == '.')) return 0;
  if (i < text.size() && std::string_view("eEdD").find(text[i]) != std::string_view::npos) {
    size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    const size_t exponentStart = j;
    while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) ++j;
    if (j > exponentStart) {
      fractional = true;
      i = j;
    }
  }
  return i;
}

// Val of "&H..."/"&O...": the digits as far as they go.
double radixVal(const std::string& text) {
  const bool hex = std::toupper(static_cast<unsigned char>(text[1])) == 'H';
  size_t end = 2;
  while (end < text.size() && (hex ? std::isxdigit(static_cast<unsigned char>(text[end]))
                                   : text[end] >= '0' && text[end] <= '7'))
    ++end;
  const std::optional<double> number = parseNumber(text.substr(0, end));
  return number.value_or(0);
}

}  // namespace

double numberOfText(const std::string& text) {
  const std::optional<double> number = parseNumber(text);
  if (!number) fail(kTypeMismatch);
  if (!std::isfinite(*number)) fail(kOverflow);
  return *number;
}

bool toFieldBool(const Variant& value) {
  try {
    return value.toBoolean();
  } catch (const AppError& error) {
    if (error.number() == kTypeMismatch) throw engineError(3421);
    throw;
  }
}

bool toBool(const Variant& value) {
  switch (value.kind()) {
    case Kind::Null:
      fail(kInvalidUseOfNull);
    case Kind::Text:
      return toBoolean(value.textValue());
    case Kind::Binary:
      fail(kTypeMismatch);
    case Kind::Currency:
      return value.currencyUnits() != 0;
    default:
      return numeric(value) != 0;
  }
}

uint8_t toByte(const Variant& value) {
  return static_cast<uint8_t>(wholeInRange(value, 0, 255));
}

int16_t toShort(const Variant& value) {
  return static_cast<int16_t>(wholeInRange(value, -32768, 32767));
}

int32_t toLong(const Variant& value) {
  return static_cast<int32_t>(wholeInRange(value, -2147483648LL, 2147483647LL));
}

int64_t toCurrencyUnits(const Variant& value) {
  if (isWhole(value.kind())) {
    int64_t units;
    if (__builtin_mul_overflow(value.wholeValue(), kCurrencyUnitsPerOne, &units)) fail(kOverflow);
    return units;
  }
  switch (value.kind()) {
    case Kind::Currency:
      return value.currencyUnits();
    case Kind::Text: {
      const std::optional<int64_t> units = currencyFromText(value.textValue());
      if (!units) fail(kTypeMismatch);
      return *units;
    }
    default:
      return currencyFromDouble(numeric(value));
  }
}

float toSingle(const Variant& value) {
  const double number = numeric(value);
  const auto single = static_cast<float>(number);
  if (std::isinf(single)) fail(kOverflow);
  return single;
}

double toDouble(const Variant& value) {
  return numeric(value);
}

double toDate(const Variant& value) {
  if (value.kind() == Kind::Text) {
    const std::optional<double> date = readDate(value.textValue());
    if (!date) fail(kTypeMismatch);
    return *date;
  }
  const double date = numeric(value);
  if (!momentOf(date)) fail(kOverflow);
  return date;
}

std::string toText(const Variant& value) {
  switch (value.kind()) {
    case Kind::Empty:
      return "";
    case Kind::Null:
      fail(kInvalidUseOfNull);
    case Kind::Boolean:
      return value.wholeValue() != 0 ? "True" : "False";
    case Kind::Currency:
      return currencyText(value.currencyUnits());
    case Kind::Single:
      return singleText(static_cast<float>(value.realValue()));
    case Kind::Double:
      return doubleText(value.realValue());
    case Kind::Date:
      return generalDate(value.realValue());
    case Kind::Text:
      return value.textValue();
    case Kind::Binary:
      fail(kTypeMismatch);
    default:
      return std::to_string(value.wholeValue());
  }
}

double val(const Variant& value) {
  if (value.isNull()) fail(kInvalidUseOfNull);
  std::string text;
  for (char c : value.kind() == Kind::Text ? value.textValue() : toText(value)) {
    if (c != ' ' && c != '\t' && c != '\n') text += c;
  }
  if (text.size() > 1 && text[0] == '&') {
    const char radix = static_cast<char>(std::toupper(static_cast<unsigned char>(text[1])));
    return radix == 'H' || radix == 'O' ? radixVal(text) : 0;
  }
  bool fractional = false;
  const size_t end = numberEnd(text, fractional);
  if (end == 0) return 0;
  if (fractional && end < text.size() && (text[end] == '%' || text[end] == '&'))
    fail(kTypeMismatch);
  return numberOfText(text.substr(0, end));
}

Variant str(const Variant& value) {
  switch (value.kind()) {
    case Kind::Null:
      return Variant::null();
    case Kind::Boolean:
    case Kind::Date:
      return toText(value);
    case Kind::Text:
      return str(Variant(numberOfText(value.textValue())));
    default: {
      std::string text = toText(value.kind() == Kind::Empty ? Variant::fromShort(0) : value);
      // Like Print, Str writes no zero before the point: " .5", "-.25".
      const size_t digits = text[0] == '-' ? 1 : 0;
      if (text.compare(digits, 2, "0.") == 0) text.erase(digits, 1);
      return text[0] == '-' ? text : " " + text;
    }
  }
}

bool isNumeric(const Variant& value) {
  switch (value.kind()) {
    case Kind::Null:
    case Kind::Date:
    case Kind::Binary:
      return false;
    case Kind::Text:
      return parseNumber(value.textValue()).has_value();
    default:
      return true;
  }
}

bool isDate(const Variant& value) {
  if (value.kind() == Kind::Date) return true;
  return value.kind() == Kind::Text && readDate(value.textValue()).has_value();
}

}  // namespace telvarn::values

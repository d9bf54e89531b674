// Format's user-defined number formats, one section at a time (Format.cpp
// chooses the section and the sign).
#pragma once

#include <string>
#include <string_view>

#include "engine/Variant.h"

namespace telvarn::values {

// A number as decimal digits: 0.digits x 10^point, no leading zeros in
// `digits` (empty for zero).
struct DecimalNumber {
  bool negative = false;
  std::string digits;
  int point = 0;

  bool isZero() const { return digits.empty(); }
};

// A number's decimal digits: Doubles to 15 significant digits, Singles to
// 7, whole numbers and Currency exactly, text as the Double it holds.
DecimalNumber decimalOf(const Variant& number);

// Whether a section holds a digit placeholder (0 or #) outside quotes and
// backslashes.
bool hasDigitPlaceholders(std::string_view section);

// The magnitude of `number` written by one section: digit placeholders 0
// (a digit or 0) and # (a digit or nothing), a decimal point, commas that
// group thousands (between placeholders) or divide by 1000 (before the point
// or after the last placeholder), % (times 100, shown), E+ E- e+ e- with
// exponent placeholders, "quoted" and \ literals, and any other character
// as itself. Rounds half away from zero at the last place shown.
std::string formatNumber(DecimalNumber number, std::string_view section);

}  // namespace telvarn::values

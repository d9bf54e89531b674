// Conversions of text to numbers and Booleans as the BASIC run-time library
// makes them: the script's 16-bit fields, the values given to engine
// properties and the dialect's values (engine/values/) all go through these,
// so all of them read a number the same way and fail with the same numbers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace telvarn {

// A number text taken apart. A decimal form is its sign and the value
// digits x 10^exponent, exactly as written ("-12.5e1": negative, "125", 0);
// an "&H"/"&O" form is its value (`radix` set, `digits` empty).
struct ScannedNumber {
  bool negative = false;
  std::string digits;
  int exponent = 0;
  std::optional<int64_t> radix;
};

// Reads a number the way the run-time library's numeric conversion does:
// blanks around it, an optional sign, digits with an optional "." fraction
// and exponent (E or D), or "&H"/"&O" hexadecimal and octal, whose values up
// to &HFFFF are 16-bit (&HFFFF is -1) and up to &HFFFFFFFF 32-bit. Anything
// else, "12abc" and "1,000" included, is nullopt.
std::optional<ScannedNumber> scanNumber(std::string_view text);

// scanNumber's value as the nearest double (infinite when the exponent is
// beyond a double's range).
std::optional<double> parseNumber(std::string_view text);

// Rounds half to even, as the run-time library does for integer conversions.
double roundHalfEven(double value);

// CInt: the text as a signed 16-bit integer. Empty or not a number: 13;
// outside -32768..32767 after rounding: 6.
int16_t toInteger16(const std::string& text);

// CBool: "True"/"False" in any letter case (also "#TRUE#"/"#FALSE#") or any
// number (non-zero is True). Anything else, the empty text and "Yes"
// included, is 13.
bool toBoolean(const std::string& text);

}  // namespace telvarn

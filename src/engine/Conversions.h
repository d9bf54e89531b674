// Conversions of text to numbers and Booleans as the BASIC run-time library
// makes them: the script's 16-bit fields and the values given to engine
// properties both go through these, so both fail with the same numbers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace telvarn {

// Reads a number the way the run-time library's numeric conversion does:
// blanks around it, an optional sign, digits with an optional "." fraction
// and exponent, or "&H"/"&O" hexadecimal and octal. Anything else is nullopt.
std::optional<double> parseNumber(const std::string& text);

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

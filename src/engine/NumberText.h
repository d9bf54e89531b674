// Numbers as text in the one form the program reads and writes, whatever the
// user's locale: "." before the fraction, no thousands separators, "e" before
// an exponent. Every number read from or written to text goes through here,
// never through the C library's locale-bound strtod or printf.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace telvarn {

// A decimal number at the start of a text and how many characters it takes.
struct LeadingNumber {
  double value = 0;
  size_t length = 0;
};

// The decimal number at the start of `text`: an optional sign, digits with an
// optional "." fraction (digits on at least one side), an optional exponent
// ("e" or "E", an optional sign, digits). A number beyond a double's range is
// infinity, one below it zero. Nothing for text that does not start so (no
// "inf", "nan" or hexadecimal forms).
std::optional<LeadingNumber> readLeadingDecimal(std::string_view text);

// The whole of `text` as such a number, or nothing.
std::optional<double> readDecimal(std::string_view text);

// How writeDouble lays a number out, named after printf's conversions.
enum class Notation {
  General,     // %g: `precision` significant digits, exponent when needed
  Fixed,       // %f: `precision` digits after the point
  Scientific,  // %e: one digit, the point, `precision` digits, exponent
};

// `value` as printf writes it with that conversion and precision in the "C"
// locale: "2.75", "1e+20", "inf", "nan".
std::string writeDouble(double value, Notation notation, int precision);

}  // namespace telvarn

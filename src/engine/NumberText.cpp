#include "engine/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace telvarn {
namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

size_t skipDigits(std::string_view text, size_t at) {
  while (at < text.size() && isDigit(text[at])) ++at;
  return at;
}

// Whether a number from_chars found out of range is too large rather than
// too small: the power of ten of its first significant digit, plus its
// exponent, is positive.
bool isTooLarge(std::string_view mantissa, std::string_view exponent) {
  long long power = 0;
  bool significant = false;
  bool afterPoint = false;
  for (char c : mantissa) {
    if (c == '.') {
      afterPoint = true;
    } else if (isDigit(c)) {
      significant = significant || c != '0';
      if (!afterPoint && significant) ++power;
      if (afterPoint && !significant) --power;
    }
  }
  long long shift = 0;
  for (char c : exponent) {
    if (isDigit(c) && shift < 1'000'000'000) shift = shift * 10 + (c - '0');
  }
  if (!exponent.empty() && exponent.front() == '-') shift = -shift;
  return power + shift > 0;
}

}  // namespace

std::optional<LeadingNumber> readLeadingDecimal(std::string_view text) {
  size_t at = 0;
  const bool negative = at < text.size() && text[at] == '-';
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
  const size_t start = at;
  at = skipDigits(text, at);
  size_t digits = at - start;
  if (at < text.size() && text[at] == '.') {
    const size_t fraction = at + 1;
    at = skipDigits(text, fraction);
    digits += at - fraction;
  }
  if (digits == 0) return std::nullopt;
  const size_t mantissaEnd = at;
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    size_t exponent = at + 1;
    if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) ++exponent;
    const size_t exponentEnd = skipDigits(text, exponent);
    if (exponentEnd > exponent) at = exponentEnd;
  }
  // from_chars takes no "+" of its own; the sign is put back afterwards.
  double magnitude = 0;
  const auto [end, error] =
      std::from_chars(text.data() + start, text.data() + at, magnitude, std::chars_format::general);
  if (error == std::errc::result_out_of_range) {
    const std::string_view exponent =
        at > mantissaEnd ? text.substr(mantissaEnd + 1, at - mantissaEnd - 1) : std::string_view();
    magnitude = isTooLarge(text.substr(start, mantissaEnd - start), exponent)
                    ? std::numeric_limits<double>::infinity()
                    : 0.0;
  } else if (error != std::errc() || end != text.data() + at) {
    return std::nullopt;
  }
  return LeadingNumber{negative ? -magnitude : magnitude, at};
}

std::optional<double> readDecimal(std::string_view text) {
  const std::optional<LeadingNumber> number = readLeadingDecimal(text);
  if (!number || number->length != text.size()) return std::nullopt;
  return number->value;
}

std::string writeDouble(double value, Notation notation, int precision) {
  const std::chars_format format = notation == Notation::General ? std::chars_format::general
                                   : notation == Notation::Fixed ? std::chars_format::fixed
                                                                 : std::chars_format::scientific;
  // The widest: a fixed 1e308 with its decimals.
  std::string text(static_cast<size_t>(330 + std::max(precision, 0)), '\0');
  const auto [end, error] =
      std::to_chars(text.data(), text.data() + text.size(), value, format, precision);
  text.resize(error == std::errc() ? static_cast<size_t>(end - text.data()) : 0);
  return text;
}

}  // namespace telvarn

#include "engine/Conversions.h"

#include <cctype>
#include <cmath>
#include "engine/NumberText.h"

#include "engine/AppError.h"

namespace telvarn {
namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool isDigit(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// "&H"/"&O" digits; like the library's literals, a value that fits in 16
// bits is a 16-bit Integer and one that fits in 32 bits a Long, so &HFFFF
// is -1 and &H10000 is 65536.
std::optional<int64_t> radixValue(std::string_view digits, int radix) {
  if (digits.empty() || digits.size() > 16) return std::nullopt;
  uint64_t value = 0;
  for (char c : digits) {
    int digit;
    if (isDigit(c))
      digit = c - '0';
    else if (radix == 16 && c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (radix == 16 && c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      return std::nullopt;
    if (digit >= radix) return std::nullopt;
    value = value * static_cast<uint64_t>(radix) + static_cast<uint64_t>(digit);
  }
  if (value <= 0xFFFF) return static_cast<int16_t>(static_cast<uint16_t>(value));
  if (value <= 0xFFFFFFFF) return static_cast<int32_t>(static_cast<uint32_t>(value));
  return static_cast<int64_t>(value);
}

}  // namespace

std::optional<ScannedNumber> scanNumber(std::string_view text) {
  text = trimBlanks(text);
  ScannedNumber number;
  if (text.size() > 2 && text[0] == '&') {
    const char kind = static_cast<char>(std::toupper(static_cast<unsigned char>(text[1])));
    if (kind != 'H' && kind != 'O') return std::nullopt;
    number.radix = radixValue(text.substr(2), kind == 'H' ? 16 : 8);
    if (!number.radix) return std::nullopt;
    return number;
  }
  size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) number.negative = text[i++] == '-';
  while (i < text.size() && isDigit(text[i])) number.digits += text[i++];
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && isDigit(text[i])) {
      number.digits += text[i++];
      --number.exponent;
    }
  }
  if (number.digits.empty()) return std::nullopt;
  if (i < text.size() && std::string_view("eEdD").find(text[i]) != std::string_view::npos) {
    ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size()) return std::nullopt;
    int power = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) {
      power = std::min(power * 10 + (text[i] - '0'), 100000);
    }
    number.exponent += negative ? -power : power;
  }
  if (i != text.size()) return std::nullopt;
  return number;
}

std::optional<double> parseNumber(std::string_view text) {
  const std::optional<ScannedNumber> number = scanNumber(text);
  if (!number) return std::nullopt;
  if (number->radix) return static_cast<double>(*number->radix);
  const std::string written =
      (number->negative ? "-" : "") + number->digits + "e" + std::to_string(number->exponent);
  return readDecimal(written);
}

double roundHalfEven(double value) {
  const double floor = std::floor(value);
  const double fraction = value - floor;
  if (fraction > 0.5) return floor + 1;
  if (fraction < 0.5) return floor;
  return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

int16_t toInteger16(const std::string& text) {
  const std::optional<double> number = parseNumber(text);
  if (!number) throw engineError(13);
  const double rounded = roundHalfEven(*number);
  if (!(rounded >= -32768 && rounded <= 32767)) throw engineError(6);
  return static_cast<int16_t>(rounded);
}

bool toBoolean(const std::string& text) {
  std::string word(trimBlanks(text));
  for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (word == "TRUE" || word == "#TRUE#") return true;
  if (word == "FALSE" || word == "#FALSE#") return false;
  const std::optional<double> number = parseNumber(text);
  if (!number) throw engineError(13);
  return *number != 0;
}

}  // namespace telvarn

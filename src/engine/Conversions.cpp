#include "engine/Conversions.h"

#include <cctype>
#include <cmath>

#include "engine/AppError.h"
#include "engine/NumberText.h"

namespace telvarn {
namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string trimBlanks(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && isBlank(text[begin])) ++begin;
  while (end > begin && isBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::optional<double> parseRadix(const std::string& digits, int radix) {
  if (digits.empty() || digits.size() > 16) return std::nullopt;
  uint64_t value = 0;
  for (char c : digits) {
    int digit;
    if (c >= '0' && c <= '9')
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
  // "&H" literals of up to four digits are 16-bit values, so &HFFFF is -1.
  if (digits.size() <= 4 && radix == 16 && value > 0x7FFF)
    return static_cast<double>(value) - 65536;
  return static_cast<double>(value);
}

// A "D" exponent is the run-time library's mark of a Double; it reads as "E".
std::optional<double> parseDecimal(std::string text) {
  for (char& c : text) {
    if (c == 'd' || c == 'D') c = 'e';
  }
  return readDecimal(text);
}

}  // namespace

std::optional<double> parseNumber(const std::string& text) {
  const std::string trimmed = trimBlanks(text);
  if (trimmed.size() > 2 && trimmed[0] == '&') {
    const char kind = static_cast<char>(std::toupper(static_cast<unsigned char>(trimmed[1])));
    if (kind == 'H') return parseRadix(trimmed.substr(2), 16);
    if (kind == 'O') return parseRadix(trimmed.substr(2), 8);
    return std::nullopt;
  }
  return parseDecimal(trimmed);
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
  std::string word = trimBlanks(text);
  for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (word == "TRUE" || word == "#TRUE#") return true;
  if (word == "FALSE" || word == "#FALSE#") return false;
  const std::optional<double> number = parseNumber(text);
  if (!number) throw engineError(13);
  return *number != 0;
}

}  // namespace telvarn

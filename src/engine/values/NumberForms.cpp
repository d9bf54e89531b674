#include "engine/values/NumberForms.h"

#include <cmath>
#include <limits>

#include "engine/Conversions.h"
#include "engine/NumberText.h"
#include "engine/values/Errors.h"

namespace telvarn::values {
namespace {

// printf's %G with the given significant digits matches the library: it
// switches to E notation at the same places and writes at least two
// exponent digits (written here without the locale).
std::string significant(double value, int digits) {
  if (value == 0) return "0";  // also -0
  std::string text = writeDouble(value, Notation::General, digits);
  for (char& c : text) {
    if (c == 'e') c = 'E';
  }
  return text;
}

}  // namespace

std::string doubleText(double value) {
  return significant(value, 15);
}

std::string singleText(float value) {
  return significant(value, 7);
}

std::string currencyText(int64_t units) {
  const bool negative = units < 0;
  const uint64_t magnitude =
      negative ? uint64_t{0} - static_cast<uint64_t>(units) : static_cast<uint64_t>(units);
  std::string text = std::to_string(magnitude / kCurrencyUnitsPerOne);
  std::string fraction = std::to_string(magnitude % kCurrencyUnitsPerOne + kCurrencyUnitsPerOne);
  fraction.erase(0, 1);  // the leading "1" that kept its zeros
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  if (!fraction.empty()) text += "." + fraction;
  return negative ? "-" + text : text;
}

std::optional<int64_t> currencyFromText(std::string_view text) {
  const std::optional<ScannedNumber> number = scanNumber(text);
  if (!number) return std::nullopt;
  if (number->radix) return currencyFromDouble(static_cast<double>(*number->radix));
  // The digits scaled to ten-thousandths: whole units kept, the rest decide
  // the rounding.
  const size_t first = number->digits.find_first_not_of('0');
  if (first == std::string::npos) return 0;
  const int shift = number->exponent + 4;
  std::string kept = number->digits.substr(first);
  std::string dropped;
  if (shift >= 0) {
    if (shift > 40) fail(kOverflow);
    kept.append(static_cast<size_t>(shift), '0');
  } else if (static_cast<size_t>(-shift) >= kept.size()) {
    dropped = std::string(static_cast<size_t>(-shift) - kept.size(), '0') + kept;
    kept.clear();
  } else {
    dropped = kept.substr(kept.size() - static_cast<size_t>(-shift));
    kept.resize(kept.size() - static_cast<size_t>(-shift));
  }
  unsigned __int128 magnitude = 0;
  for (char digit : kept) {
    magnitude = magnitude * 10 + static_cast<unsigned>(digit - '0');
    if (magnitude > static_cast<unsigned __int128>(std::numeric_limits<int64_t>::max()) + 1)
      fail(kOverflow);
  }
  if (!dropped.empty()) {
    const bool half = dropped[0] == '5' && dropped.find_first_not_of('0', 1) == std::string::npos;
    if (dropped[0] > '5' || (dropped[0] == '5' && !half) || (half && magnitude % 2 == 1))
      ++magnitude;
  }
  const unsigned __int128 limit =
      static_cast<unsigned __int128>(std::numeric_limits<int64_t>::max()) + (number->negative ? 1 : 0);
  if (magnitude > limit) fail(kOverflow);
  return number->negative ? static_cast<int64_t>(-static_cast<__int128>(magnitude))
                          : static_cast<int64_t>(magnitude);
}

int64_t currencyFromDouble(double value) {
  const double units = roundHalfEven(value * kCurrencyUnitsPerOne);
  if (!(units >= -9223372036854775808.0 && units < 9223372036854775808.0)) fail(kOverflow);
  return static_cast<int64_t>(units);
}

}  // namespace telvarn::values

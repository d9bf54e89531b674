#include "engine/mdb/StoredValue.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "engine/AppError.h"
#include "engine/mdb/FixedValue.h"
#include "engine/mdb/TextCodec.h"
#include "engine/values/NumberForms.h"

namespace telvarn::mdb {
namespace {

using u128 = unsigned __int128;

// The largest magnitude a Decimal holds: 96 bits, as the engine's own.
constexpr u128 kDecimalLimit = (u128{1} << 96) - 1;
constexpr int64_t kCurrencyLimit = std::numeric_limits<int64_t>::max();

void putLittle(std::vector<uint8_t>& out, uint64_t value, int bytes) {
  const size_t at = out.size();
  out.resize(at + static_cast<size_t>(bytes));
  for (int i = 0; i < bytes; ++i)
    out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

template <typename Call>
auto converted(Call call) {
  try {
    return call();
  } catch (const AppError& error) {
    // A text that is no number (13) or a number too large for any
    // integer (6) cannot be the column's value.
    if (error.number() == 13) throw engineError(3421);
    if (error.number() == 6) throw engineError(3349);
    throw;
  }
}

int64_t integerIn(const Variant& value, int64_t low, int64_t high) {
  const int64_t number = converted([&] { return value.toInteger(); });
  if (number < low || number > high) throw engineError(3349);
  return number;
}

double doubleOf(const Variant& value) {
  return converted([&] { return value.toDouble(); });
}

// The exact decimal text of a value: texts as they are, numbers as the
// shortest text that reads back as the same double.
std::string decimalText(const Variant& value) {
  if (value.kind() == Variant::Kind::Text) return value.toText();
  if (value.kind() == Variant::Kind::Currency) return values::currencyText(value.currencyUnits());
  if (value.kind() == Variant::Kind::Double) {
    char text[64];
    for (int digits = 15; digits <= 17; ++digits) {
      std::snprintf(text, sizeof text, "%.*g", digits, value.toDouble());
      if (std::strtod(text, nullptr) == value.toDouble()) break;
    }
    return text;
  }
  return std::to_string(converted([&] { return value.toInteger(); }));
}

// A decimal number written out ("-12.5", "1.5E+20") as a sign and its
// magnitude times 10^scale, digits beyond the scale rounded half to even;
// false when the text is no such number or the magnitude overflows.
bool scaledInteger(const std::string& text, int scale, bool& negative, u128& magnitude) {
  size_t at = 0;
  negative = false;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
  std::string digits;
  int exponent = 0;
  bool seenDigit = false;
  bool seenPoint = false;
  for (; at < text.size(); ++at) {
    const char c = text[at];
    if (c >= '0' && c <= '9') {
      digits += c;
      seenDigit = true;
      if (seenPoint) --exponent;
    } else if (c == '.' && !seenPoint) {
      seenPoint = true;
    } else {
      break;
    }
  }
  if (!seenDigit) return false;
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    ++at;
    bool minus = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) minus = text[at++] == '-';
    int power = 0;
    const size_t start = at;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9' && power < 1000; ++at)
      power = power * 10 + (text[at] - '0');
    if (at == start) return false;
    exponent += minus ? -power : power;
  }
  if (at != text.size()) return false;
  // The digits times 10^(exponent + scale), rounded half to even.
  const int shift = exponent + scale;
  const size_t kept = shift >= 0 ? digits.size()
                                 : (static_cast<size_t>(-shift) >= digits.size()
                                        ? 0
                                        : digits.size() - static_cast<size_t>(-shift));
  const u128 limit = std::numeric_limits<u128>::max() / 10 - 10;
  magnitude = 0;
  for (size_t i = 0; i < kept; ++i) {
    if (magnitude > limit) return false;
    magnitude = magnitude * 10 + static_cast<u128>(digits[i] - '0');
  }
  for (int i = 0; i < shift; ++i) {
    if (magnitude > limit) return false;
    magnitude *= 10;
  }
  if (kept < digits.size()) {
    const std::string rest = digits.substr(kept);
    const bool moreThanHalf =
        rest[0] > '5' || (rest[0] == '5' && rest.find_first_not_of('0', 1) != std::string::npos);
    const bool half = rest[0] == '5' && !moreThanHalf;
    if (moreThanHalf || (half && (magnitude % 2) == 1)) ++magnitude;
  }
  return true;
}

std::vector<uint8_t> currencyBytes(const Variant& value) {
  std::vector<uint8_t> out;
  if (value.kind() == Variant::Kind::Currency) {
    putLittle(out, static_cast<uint64_t>(value.currencyUnits()), 8);
    return out;
  }
  bool negative = false;
  u128 magnitude = 0;
  if (!scaledInteger(decimalText(value), 4, negative, magnitude)) throw engineError(3421);
  if (magnitude > static_cast<u128>(kCurrencyLimit) + (negative ? 1 : 0)) throw engineError(3349);
  const uint64_t bits =
      negative ? 0 - static_cast<uint64_t>(magnitude) : static_cast<uint64_t>(magnitude);
  putLittle(out, bits, 8);
  return out;
}

int digitCount(u128 value) {
  int digits = 0;
  do {
    ++digits;
    value /= 10;
  } while (value != 0);
  return digits;
}

// A sign byte (0x80 for negative), then the magnitude in four 32-bit
// little-endian words, the most significant word first.
std::vector<uint8_t> decimalBytes(const ColumnDef& column, const Variant& value) {
  bool negative = false;
  u128 magnitude = 0;
  if (!scaledInteger(decimalText(value), column.scale, negative, magnitude))
    throw engineError(3421);
  if (magnitude > kDecimalLimit || digitCount(magnitude) > column.precision)
    throw engineError(3349);
  std::vector<uint8_t> out{static_cast<uint8_t>(negative && magnitude != 0 ? 0x80 : 0x00)};
  for (int word = 3; word >= 0; --word)
    putLittle(out, static_cast<uint32_t>(magnitude >> (32 * word)), 4);
  return out;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "{01234567-89AB-CDEF-0123-456789ABCDEF}": the first three groups are
// numbers stored little-endian, the last two bytes as written.
std::vector<uint8_t> guidBytes(const Variant& value) {
  std::string text = value.toText();
  if (text.size() == 38 && text.front() == '{' && text.back() == '}') text = text.substr(1, 36);
  static const int kGroups[] = {4, 2, 2, 2, 6};
  std::vector<uint8_t> bytes;
  size_t at = 0;
  for (int group = 0; group < 5; ++group) {
    if (group > 0 && (at >= text.size() || text[at++] != '-')) throw engineError(3421);
    std::vector<uint8_t> part;
    for (int i = 0; i < kGroups[group]; ++i, at += 2) {
      const int high = at + 1 < text.size() ? hexDigit(text[at]) : -1;
      const int low = at + 1 < text.size() ? hexDigit(text[at + 1]) : -1;
      if (high < 0 || low < 0) throw engineError(3421);
      part.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    if (group < 3) std::reverse(part.begin(), part.end());
    bytes.insert(bytes.end(), part.begin(), part.end());
  }
  if (at != text.size()) throw engineError(3421);
  return bytes;
}

// A Binary value gives its bytes as they are (it has no text form).
std::vector<uint8_t> rawBytes(const ColumnDef& column, const Variant& value) {
  const std::string text =
      value.kind() == Variant::Kind::Binary ? value.textValue() : value.toText();
  if (text.size() > column.length) throw engineError(3163);
  std::vector<uint8_t> bytes(text.begin(), text.end());
  if (column.fixed()) bytes.resize(column.length, 0);
  return bytes;
}

// As encodeText, for text already in UTF-16 units.
std::vector<uint8_t> encodeUnits(const std::vector<uint16_t>& units, bool compress) {
  bool oneByte = compress && units.size() > 2;
  for (size_t i = 0; oneByte && i < units.size(); ++i) oneByte = units[i] >= 1 && units[i] <= 0xFF;
  std::vector<uint8_t> out;
  if (oneByte) {
    out.reserve(2 + units.size());
    out.push_back(0xFF);
    out.push_back(0xFE);
    for (const uint16_t unit : units) out.push_back(static_cast<uint8_t>(unit));
    return out;
  }
  out.reserve(2 * units.size());
  for (const uint16_t unit : units) putLittle(out, unit, 2);
  return out;
}

// A fixed Text column holds its whole length, filled up with blanks.
std::vector<uint8_t> textBytes(const ColumnDef& column, const Variant& value) {
  std::vector<uint16_t> units = unitsFromUtf8(value.toText());
  if (units.size() * 2 > column.length) throw engineError(3163);
  if (column.fixed()) units.resize(column.length / 2, u' ');
  return encodeUnits(units, column.compressedUnicode() && !column.fixed());
}

}  // namespace

std::vector<uint8_t> encodeText(const std::string& utf8, bool compress) {
  return encodeUnits(unitsFromUtf8(utf8), compress);
}

std::vector<uint8_t> storedBytes(const ColumnDef& column, const Variant& value) {
  std::vector<uint8_t> out;
  switch (column.type) {
    case ColumnType::Byte:
      putLittle(out, static_cast<uint64_t>(integerIn(value, 0, 255)), 1);
      return out;
    case ColumnType::Integer:
      putLittle(out, static_cast<uint64_t>(integerIn(value, -32768, 32767)), 2);
      return out;
    case ColumnType::Long:
      putLittle(out, static_cast<uint64_t>(integerIn(value, INT32_MIN, INT32_MAX)), 4);
      return out;
    case ColumnType::Currency:
      return currencyBytes(value);
    case ColumnType::Single: {
      const double number = doubleOf(value);
      if (std::isfinite(number) && std::fabs(number) > std::numeric_limits<float>::max())
        throw engineError(3349);
      const float single = static_cast<float>(number);
      uint32_t bits;
      std::memcpy(&bits, &single, sizeof bits);
      putLittle(out, bits, 4);
      return out;
    }
    case ColumnType::Double:
    case ColumnType::DateTime: {
      const double number = doubleOf(value);
      uint64_t bits;
      std::memcpy(&bits, &number, sizeof bits);
      putLittle(out, bits, 8);
      return out;
    }
    case ColumnType::Guid:
      return guidBytes(value);
    case ColumnType::Numeric:
      return decimalBytes(column, value);
    case ColumnType::Text:
      return textBytes(column, value);
    default:
      return rawBytes(column, value);
  }
}

}  // namespace telvarn::mdb

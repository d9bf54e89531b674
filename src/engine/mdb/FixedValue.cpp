#include "engine/mdb/FixedValue.h"

#include <cstdio>

#include "engine/mdb/TableDefinition.h"
#include "engine/mdb/TextCodec.h"

namespace telvarn::mdb {
namespace {

std::string numericText(const ColumnDef& column, ByteView bytes) {
  unsigned __int128 magnitude = 0;
  for (size_t word = 0; word < 4; ++word) magnitude = (magnitude << 32) | bytes.u32(1 + 4 * word);
  return scaledText((bytes.u8(0) & 0x80) != 0, magnitude, column.scale);
}

}  // namespace

size_t fixedLength(const ColumnDef& column) {
  switch (column.type) {
    case ColumnType::Byte:
      return 1;
    case ColumnType::Integer:
      return 2;
    case ColumnType::Long:
    case ColumnType::Single:
      return 4;
    case ColumnType::Currency:
    case ColumnType::Double:
    case ColumnType::DateTime:
      return 8;
    case ColumnType::Guid:
      return 16;
    case ColumnType::Numeric:
      return 17;
    case ColumnType::Boolean:
      return 0;
    default:
      return column.fixed() ? column.length : 0;
  }
}

Variant fixedValue(const ColumnDef& column, ByteView bytes) {
  switch (column.type) {
    case ColumnType::Byte:
      return Variant(int{bytes.u8(0)});
    case ColumnType::Integer:
      return Variant(int{bytes.i16(0)});
    case ColumnType::Long:
      return Variant(int{bytes.i32(0)});
    case ColumnType::Currency:
      return Variant::fromCurrency(bytes.i64(0));
    case ColumnType::Single:
      return Variant(static_cast<double>(bytes.f32(0)));
    case ColumnType::Double:
      return Variant(bytes.f64(0));
    case ColumnType::DateTime:
      return Variant::fromDate(bytes.f64(0));
    case ColumnType::Guid:
      return Variant(guidText(bytes));
    case ColumnType::Numeric:
      return Variant(numericText(column, bytes));
    case ColumnType::Text:
      return Variant(decodeText(bytes, true));
    default: {
      const auto* data = reinterpret_cast<const char*>(bytes.data());
      return Variant(std::string(data, bytes.size()));
    }
  }
}

std::string scaledText(bool negative, unsigned __int128 magnitude, int scale) {
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(magnitude % 10)));
    magnitude /= 10;
  } while (magnitude != 0);
  if (static_cast<int>(digits.size()) <= scale) {
    digits.insert(0, static_cast<size_t>(scale) + 1 - digits.size(), '0');
  }
  std::string whole = digits.substr(0, digits.size() - static_cast<size_t>(scale));
  std::string fraction = digits.substr(whole.size());
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  const bool zero = whole == "0" && fraction.empty();
  return (negative && !zero ? "-" : "") + whole + (fraction.empty() ? "" : "." + fraction);
}

std::string guidText(ByteView bytes) {
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                bytes.u32(0), bytes.u16(4), bytes.u16(6), bytes.u8(8), bytes.u8(9), bytes.u8(10),
                bytes.u8(11), bytes.u8(12), bytes.u8(13), bytes.u8(14), bytes.u8(15));
  return text;
}

}  // namespace telvarn::mdb

#include "engine/mdb/IndexKey.h"

#include <algorithm>

#include "engine/GeneralSortOrder.h"
#include "engine/mdb/FixedValue.h"
#include "engine/mdb/RowDecoder.h"
#include "engine/mdb/TextCodec.h"

namespace telvarn::mdb {
namespace {

constexpr uint8_t kValueFlag = 0x7F;
constexpr uint8_t kNullFlag = 0x00;

// Little-endian stored bytes reversed, with the sign bit flipped.
std::vector<uint8_t> integerKey(ByteView stored) {
  std::vector<uint8_t> key(stored.data(), stored.data() + stored.size());
  std::reverse(key.begin(), key.end());
  key[0] ^= 0x80;
  return key;
}

std::vector<uint8_t> floatingKey(ByteView stored) {
  std::vector<uint8_t> key(stored.data(), stored.data() + stored.size());
  std::reverse(key.begin(), key.end());
  if (key[0] & 0x80) {
    for (uint8_t& byte : key) byte = static_cast<uint8_t>(~byte);
  } else {
    key[0] ^= 0x80;
  }
  return key;
}

void invert(std::vector<uint8_t>& bytes, size_t from, size_t to) {
  for (size_t i = from; i < to; ++i) bytes[i] = static_cast<uint8_t>(~bytes[i]);
}

// Bytes of any length in runs of eight, each followed by a count: 9 when
// more runs follow, else the bytes the last run holds (padded with zeros).
// Descending inverts everything but the 9s.
std::vector<uint8_t> binaryKey(const std::vector<uint8_t>& value, bool descending) {
  std::vector<uint8_t> key;
  for (size_t at = 0; at < value.size(); at += 8) {
    const size_t length = std::min<size_t>(8, value.size() - at);
    const size_t start = key.size();
    key.insert(key.end(), value.begin() + static_cast<long>(at),
               value.begin() + static_cast<long>(at + length));
    key.resize(start + 8, 0);
    const bool last = at + 8 >= value.size();
    key.push_back(last ? static_cast<uint8_t>(length) : 9);
    if (descending) invert(key, start, last ? key.size() : key.size() - 1);
  }
  return key;
}

// A GUID's bytes in the order it is written: its first three groups are
// stored little-endian.
std::vector<uint8_t> guidKey(ByteView stored, bool descending) {
  std::vector<uint8_t> value = stored.bytes();
  std::reverse(value.begin(), value.begin() + 4);
  std::reverse(value.begin() + 4, value.begin() + 6);
  std::reverse(value.begin() + 6, value.begin() + 8);
  return binaryKey(value, descending);
}

// A Decimal: the magnitude big-endian behind a sign byte of 0xFF (0x00 when
// negative); negative values ascending, and positive ones descending, have
// their magnitude inverted. (Version 4 keeps this order, which sorts
// descending keys of positive values the wrong way round.)
std::vector<uint8_t> decimalKey(ByteView stored, bool descending) {
  const bool negative = (stored.u8(0) & 0x80) != 0;
  std::vector<uint8_t> key{0};
  for (size_t word = 0; word < 4; ++word) {
    const uint32_t value = stored.u32(1 + 4 * word);
    for (int i = 3; i >= 0; --i) key.push_back(static_cast<uint8_t>(value >> (8 * i)));
  }
  if (negative != descending) invert(key, 1, key.size());
  key[0] = negative ? 0x00 : 0xFF;
  return key;
}

// A Yes/No value is never Null: the value flag, then Yes before No.
KeyResult booleanKey(bool yes, bool descending) {
  std::vector<uint8_t> key{kValueFlag, static_cast<uint8_t>(yes ? 0x00 : 0xFF)};
  if (descending) invert(key, 0, key.size());
  return {key, ""};
}

// The value part of a key, ascending unless `descending`.
KeyResult valueKey(const ColumnDef& column, ByteView stored, bool descending) {
  const size_t length = fixedLength(column);
  if (length != 0 && stored.size() != length) damaged("a value shorter or longer than its type");
  std::vector<uint8_t> key;
  switch (column.type) {
    case ColumnType::Byte:
      key = {stored.u8(0)};
      break;
    case ColumnType::Integer:
    case ColumnType::Long:
    case ColumnType::Currency:
      key = integerKey(stored);
      break;
    case ColumnType::Single:
    case ColumnType::Double:
    case ColumnType::DateTime:
      key = floatingKey(stored);
      break;
    case ColumnType::Text: {
      auto text = generalSortKey(textUnits(stored, column.fixed()));
      if (!text) return {std::nullopt, "a character whose sort weights are not known"};
      if (column.sortOrder != 0x409) return {std::nullopt, "a sort order other than General"};
      key = std::move(*text);
      break;
    }
    case ColumnType::Guid:
      return {guidKey(stored, descending), ""};
    case ColumnType::Numeric:
      return {decimalKey(stored, descending), ""};
    case ColumnType::Binary:
      return {binaryKey(stored.bytes(), descending), ""};
    default:
      return {std::nullopt, "a column type whose keys are not known"};
  }
  if (descending) invert(key, 0, key.size());
  return {key, ""};
}

}  // namespace

KeyResult columnKey(const ColumnDef& column, ByteView stored, bool present, bool descending) {
  const uint8_t flag = present ? kValueFlag : kNullFlag;
  KeyResult result{std::vector<uint8_t>{descending ? static_cast<uint8_t>(~flag) : flag}, ""};
  if (!present) return result;
  const KeyResult value = valueKey(column, stored, descending);
  if (!value.key) return value;
  result.key->insert(result.key->end(), value.key->begin(), value.key->end());
  return result;
}

KeyResult indexKey(const TableDefinition& table, const PhysicalIndex& index, ByteView row,
                   const RowDecoder& decoder) {
  KeyResult whole{std::vector<uint8_t>{}, ""};
  for (const PhysicalIndexColumn& part : index.columns) {
    const ColumnDef* column = table.columnByNumber(part.number);
    if (column == nullptr) return {std::nullopt, "an index over a missing column"};
    bool present = false;
    const ByteView stored = decoder.columnBytes(row, *column, present);
    const KeyResult key = column->type == ColumnType::Boolean
                              ? booleanKey(present, part.descending)
                              : columnKey(*column, stored, present, part.descending);
    if (!key.key) return key;
    whole.key->insert(whole.key->end(), key.key->begin(), key.key->end());
  }
  return whole;
}

}  // namespace telvarn::mdb

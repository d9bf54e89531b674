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

using Bytes = std::vector<uint8_t>;

void invert(Bytes& bytes, size_t from, size_t to) {
  for (size_t i = from; i < to; ++i) bytes[i] = static_cast<uint8_t>(~bytes[i]);
}

// Little-endian stored bytes reversed, with the sign bit flipped.
void appendIntegerKey(ByteView stored, Bytes& key) {
  const size_t start = key.size();
  for (size_t i = stored.size(); i-- > 0;) key.push_back(stored.u8(i));
  key[start] ^= 0x80;
}

void appendFloatingKey(ByteView stored, Bytes& key) {
  const size_t start = key.size();
  for (size_t i = stored.size(); i-- > 0;) key.push_back(stored.u8(i));
  if (key[start] & 0x80) {
    invert(key, start, key.size());
  } else {
    key[start] ^= 0x80;
  }
}

// Bytes of any length in runs of eight, each followed by a count: 9 when
// more runs follow, else the bytes the last run holds (padded with zeros).
// Descending inverts everything but the 9s.
void appendBinaryKey(const Bytes& value, bool descending, Bytes& key) {
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
}

// A GUID's bytes in the order it is written: its first three groups are
// stored little-endian.
void appendGuidKey(ByteView stored, bool descending, Bytes& key) {
  Bytes value = stored.bytes();
  std::reverse(value.begin(), value.begin() + 4);
  std::reverse(value.begin() + 4, value.begin() + 6);
  std::reverse(value.begin() + 6, value.begin() + 8);
  appendBinaryKey(value, descending, key);
}

// A Decimal: the magnitude big-endian behind a sign byte of 0xFF (0x00 when
// negative); negative values ascending, and positive ones descending, have
// their magnitude inverted. (Version 4 keeps this order, which sorts
// descending keys of positive values the wrong way round.)
void appendDecimalKey(ByteView stored, bool descending, Bytes& key) {
  const bool negative = (stored.u8(0) & 0x80) != 0;
  key.push_back(negative ? 0x00 : 0xFF);
  const size_t start = key.size();
  for (size_t word = 0; word < 4; ++word) {
    const uint32_t value = stored.u32(1 + 4 * word);
    for (int i = 3; i >= 0; --i) key.push_back(static_cast<uint8_t>(value >> (8 * i)));
  }
  if (negative != descending) invert(key, start, key.size());
}

// A Yes/No value is never Null: the value flag, then Yes before No.
void appendBooleanKey(bool yes, bool descending, Bytes& key) {
  const size_t start = key.size();
  key.insert(key.end(), {kValueFlag, static_cast<uint8_t>(yes ? 0x00 : 0xFF)});
  if (descending) invert(key, start, key.size());
}

// Appends the value part of a key, ascending unless `descending`: nullptr,
// or why no key is made (`key` then holds part of one).
const char* appendValueKey(const ColumnDef& column, ByteView stored, bool descending, Bytes& key) {
  const size_t length = fixedLength(column);
  if (length != 0 && stored.size() != length) damaged("a value shorter or longer than its type");
  const size_t start = key.size();
  switch (column.type) {
    case ColumnType::Byte:
      key.push_back(stored.u8(0));
      break;
    case ColumnType::Integer:
    case ColumnType::Long:
    case ColumnType::Currency:
      appendIntegerKey(stored, key);
      break;
    case ColumnType::Single:
    case ColumnType::Double:
    case ColumnType::DateTime:
      appendFloatingKey(stored, key);
      break;
    case ColumnType::Text:
      if (column.sortOrder != 0x409) return "a sort order other than General";
      if (!appendGeneralSortKey(textUnits(stored, column.fixed()), key))
        return "a character whose sort weights are not known";
      break;
    case ColumnType::Guid:
      appendGuidKey(stored, descending, key);
      return nullptr;
    case ColumnType::Numeric:
      appendDecimalKey(stored, descending, key);
      return nullptr;
    case ColumnType::Binary:
      appendBinaryKey(stored.bytes(), descending, key);
      return nullptr;
    default:
      return "a column type whose keys are not known";
  }
  if (descending) invert(key, start, key.size());
  return nullptr;
}

// Appends one column's flag and value.
const char* appendColumnKey(const ColumnDef& column, ByteView stored, bool present, bool descending,
                            Bytes& key) {
  if (column.type == ColumnType::Boolean) {
    appendBooleanKey(present, descending, key);
    return nullptr;
  }
  const uint8_t flag = present ? kValueFlag : kNullFlag;
  key.push_back(descending ? static_cast<uint8_t>(~flag) : flag);
  return present ? appendValueKey(column, stored, descending, key) : nullptr;
}

}  // namespace

KeyResult columnKey(const ColumnDef& column, ByteView stored, bool present, bool descending) {
  Bytes key;
  if (const char* why = appendColumnKey(column, stored, present, descending, key))
    return {std::nullopt, why};
  return {std::move(key), ""};
}

KeyResult indexKey(const TableDefinition& table, const PhysicalIndex& index, ByteView row,
                   const RowDecoder& decoder) {
  Bytes key;
  for (const PhysicalIndexColumn& part : index.columns) {
    const ColumnDef* column = table.columnByNumber(part.number);
    if (column == nullptr) return {std::nullopt, "an index over a missing column"};
    bool present = false;
    const ByteView stored = decoder.columnBytes(row, *column, present);
    if (const char* why = appendColumnKey(*column, stored, present, part.descending, key))
      return {std::nullopt, why};
  }
  return {std::move(key), ""};
}

}  // namespace telvarn::mdb

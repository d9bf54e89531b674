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

KeyResult valueKey(const ColumnDef& column, ByteView stored) {
  const size_t length = fixedLength(column);
  if (length != 0 && stored.size() != length) damaged("a value shorter or longer than its type");
  switch (column.type) {
    case ColumnType::Byte:
      return {std::vector<uint8_t>{stored.u8(0)}, ""};
    case ColumnType::Integer:
    case ColumnType::Long:
    case ColumnType::Currency:
      return {integerKey(stored), ""};
    case ColumnType::Single:
    case ColumnType::Double:
    case ColumnType::DateTime:
      return {floatingKey(stored), ""};
    case ColumnType::Text: {
      auto key = generalSortKey(textUnits(stored, column.fixed()));
      if (!key) return {std::nullopt, "a character whose sort weights are not known"};
      if (column.sortOrder != 0x409) return {std::nullopt, "a sort order other than General"};
      return {key, ""};
    }
    default:
      return {std::nullopt, "a column type whose keys are not known"};
  }
}

}  // namespace

KeyResult columnKey(const ColumnDef& column, ByteView stored, bool present, bool descending) {
  KeyResult result;
  if (!present) {
    result.key = std::vector<uint8_t>{kNullFlag};
  } else {
    result = valueKey(column, stored);
    if (!result.key) return result;
    result.key->insert(result.key->begin(), kValueFlag);
  }
  if (descending) {
    for (uint8_t& byte : *result.key) byte = static_cast<uint8_t>(~byte);
  }
  return result;
}

KeyResult indexKey(const TableDefinition& table, const PhysicalIndex& index, ByteView row,
                   const RowDecoder& decoder) {
  KeyResult whole{std::vector<uint8_t>{}, ""};
  for (const PhysicalIndexColumn& part : index.columns) {
    const ColumnDef* column = table.columnByNumber(part.number);
    if (column == nullptr) return {std::nullopt, "an index over a missing column"};
    if (column->type == ColumnType::Boolean) return {std::nullopt, "a Yes/No column"};
    bool present = false;
    const ByteView stored = decoder.columnBytes(row, *column, present);
    const KeyResult key = columnKey(*column, stored, present, part.descending);
    if (!key.key) return key;
    whole.key->insert(whole.key->end(), key.key->begin(), key.key->end());
  }
  return whole;
}

}  // namespace telvarn::mdb

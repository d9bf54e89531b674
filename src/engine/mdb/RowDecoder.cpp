#include "engine/mdb/RowDecoder.h"

#include <algorithm>

#include "engine/mdb/FixedValue.h"
#include "engine/mdb/LongValue.h"
#include "engine/mdb/TextCodec.h"

namespace telvarn::mdb {
namespace {

struct RowLayout {
  uint16_t slots = 0;
  size_t maskAt = 0;
  uint16_t varCount = 0;
  size_t varTableEnd = 0;  // the position of the first offset entry + 2
};

RowLayout layoutOf(ByteView row, bool hasVariable) {
  RowLayout layout;
  layout.slots = row.u16(0);
  const size_t maskSize = (layout.slots + 7u) / 8u;
  if (maskSize + 2 > row.size()) damaged("a row shorter than its null mask");
  layout.maskAt = row.size() - maskSize;
  if (hasVariable) {
    layout.varCount = row.u16(layout.maskAt - 2);
    layout.varTableEnd = layout.maskAt - 2;
    if (2u * layout.varCount + 4 > layout.varTableEnd) damaged("a row with too many offsets");
  }
  return layout;
}

bool slotBit(ByteView row, const RowLayout& layout, uint16_t slot) {
  if (slot >= layout.slots) return false;
  return (row.u8(layout.maskAt + slot / 8) >> (slot % 8)) & 1;
}

uint16_t varOffset(ByteView row, const RowLayout& layout, uint16_t index) {
  return row.u16(layout.varTableEnd - 2 - 2u * index);
}

Variant textValue(ByteView bytes) {
  return Variant(decodeText(bytes));
}

}  // namespace

Variant variableValue(PageSource& pages, const ColumnDef& column, ByteView bytes) {
  if (column.longValue()) {
    if (bytes.size() == 0) return Variant(std::string());
    const std::vector<uint8_t> value = readLongValue(pages, bytes);
    if (column.type == ColumnType::Memo) return textValue(ByteView(value));
    return Variant(std::string(value.begin(), value.end()));
  }
  if (column.type == ColumnType::Text) return textValue(bytes);
  return fixedValue(column, bytes);
}

ByteView RowDecoder::columnBytes(ByteView row, const ColumnDef& column, bool& present) const {
  const RowLayout layout = layoutOf(row, table_.varColumns > 0);
  present = slotBit(row, layout, column.number);
  if (!present || column.type == ColumnType::Boolean) return {};
  if (column.fixed()) return row.sub(2u + column.fixedOffset, fixedLength(column));
  if (column.varIndex >= layout.varCount) {
    present = false;
    return {};
  }
  const uint16_t start = varOffset(row, layout, column.varIndex);
  const uint16_t end = varOffset(row, layout, column.varIndex + 1);
  if (start > end) damaged("a variable value with negative length");
  return row.sub(start, end - start);
}

std::string RowDecoder::layoutFault(ByteView row) const {
  const RowLayout layout = layoutOf(row, table_.varColumns > 0);
  if (layout.slots > table_.maxColumns) {
    return "it has " + std::to_string(layout.slots) + " column slots where the table's rows have " +
           std::to_string(table_.maxColumns) + " at most";
  }
  if (table_.varColumns == 0) return "";
  size_t fixedEnd = 2;
  for (const ColumnDef& column : table_.columns) {
    if (column.fixed() && column.number < layout.slots) {
      fixedEnd = std::max(fixedEnd, 2u + column.fixedOffset + fixedLength(column));
    }
  }
  // The last offset is where the variable-length values end.
  const size_t offsetTable = layout.varTableEnd - 2u - 2u * layout.varCount;
  size_t previous = fixedEnd;
  for (uint16_t index = 0; index <= layout.varCount; ++index) {
    const size_t offset = varOffset(row, layout, index);
    if (offset < previous || offset > offsetTable) {
      return "its variable-length value " + std::to_string(index) + " lies at " +
             std::to_string(offset) + ", outside " + std::to_string(previous) + " to " +
             std::to_string(offsetTable);
    }
    previous = offset;
  }
  return "";
}

Variant RowDecoder::value(ByteView row, const ColumnDef& column) const {
  bool present = false;
  const ByteView bytes = columnBytes(row, column, present);
  if (column.type == ColumnType::Boolean) return Variant(present);
  if (!present) return Variant::null();
  if (column.fixed()) return fixedValue(column, bytes);
  return variableValue(pages_, column, bytes);
}

std::vector<Variant> RowDecoder::decode(ByteView row) const {
  std::vector<Variant> values;
  values.reserve(table_.columns.size());
  for (const ColumnDef& column : table_.columns) values.push_back(value(row, column));
  return values;
}

}  // namespace telvarn::mdb

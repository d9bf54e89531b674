#include "engine/mdb/RowEncoder.h"

#include <algorithm>

#include "engine/mdb/FixedValue.h"

namespace telvarn::mdb {
namespace {

void put16(std::vector<uint8_t>& row, size_t at, uint16_t value) {
  row[at] = static_cast<uint8_t>(value);
  row[at + 1] = static_cast<uint8_t>(value >> 8);
}

void append16(std::vector<uint8_t>& row, uint16_t value) {
  row.push_back(static_cast<uint8_t>(value));
  row.push_back(static_cast<uint8_t>(value >> 8));
}

}  // namespace

std::vector<uint8_t> encodeRow(const TableDefinition& table,
                               const std::vector<ColumnBytes>& values) {
  uint16_t slots = table.maxColumns;
  size_t fixedEnd = 0;
  // A row's column count is its fixed slots and its variable ones, those
  // of deleted columns among them.
  uint16_t varSlots = table.varColumns;
  for (const ColumnDef& column : table.columns) {
    slots = std::max<uint16_t>(slots, column.number + 1);
    if (column.type == ColumnType::Boolean) continue;
    if (column.fixed()) {
      fixedEnd = std::max(fixedEnd, size_t{column.fixedOffset} + fixedLength(column));
    } else {
      varSlots = std::max<uint16_t>(varSlots, column.varIndex + 1);
    }
  }
  std::vector<uint8_t> mask((slots + 7u) / 8u, 0);
  size_t valueBytes = 0;
  for (const ColumnBytes& value : values) valueBytes += value.bytes.size();
  std::vector<uint8_t> row;
  row.reserve(2 + fixedEnd + valueBytes + 2 * (varSlots + 2u) + mask.size());
  row.resize(2 + fixedEnd, 0);
  put16(row, 0, slots);

  std::vector<const ColumnBytes*> variableValue(varSlots, nullptr);
  for (size_t i = 0; i < table.columns.size(); ++i) {
    const ColumnDef& column = table.columns[i];
    const ColumnBytes& value = values[i];
    if (value.present) mask[column.number / 8] |= static_cast<uint8_t>(1u << (column.number % 8));
    if (column.type == ColumnType::Boolean || !value.present) continue;
    if (column.fixed()) {
      std::copy_n(value.bytes.begin(), std::min(value.bytes.size(), fixedLength(column)),
                  row.begin() + 2 + column.fixedOffset);
    } else {
      variableValue[column.varIndex] = &value;
    }
  }
  // Whether a row has the variable part at all goes by the table's count
  // of variable columns, as RowDecoder reads it.
  if (table.varColumns > 0) {
    std::vector<uint16_t> offsets;
    offsets.reserve(varSlots);
    for (uint16_t slot = 0; slot < varSlots; ++slot) {
      offsets.push_back(static_cast<uint16_t>(row.size()));
      if (variableValue[slot] != nullptr)
        row.insert(row.end(), variableValue[slot]->bytes.begin(), variableValue[slot]->bytes.end());
    }
    append16(row, static_cast<uint16_t>(row.size()));
    for (size_t slot = offsets.size(); slot-- > 0;) append16(row, offsets[slot]);
    append16(row, varSlots);
  }
  row.insert(row.end(), mask.begin(), mask.end());
  return row;
}

}  // namespace telvarn::mdb

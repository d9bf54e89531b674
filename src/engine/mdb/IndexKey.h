// Index keys: the bytes an index entry holds for a row, built so that
// comparing them byte by byte orders the rows as the index does. Each column
// gives a flag (0x7F a value, 0x00 Null) and its value: bytes as they are,
// integers and Currency big-endian with the sign bit flipped, floating
// numbers and dates big-endian with the sign bit flipped (all bits when
// negative), text as its sort key, Yes/No as 0x00 for Yes and 0xFF for No,
// GUIDs and binary values in runs of eight bytes each followed by a count,
// Decimals behind a sign byte. A descending column has its bytes inverted
// (but for the counts between runs and the sign byte of Decimals).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/mdb/ByteView.h"
#include "engine/mdb/TableDefinition.h"

namespace telvarn::mdb {

struct KeyResult {
  std::optional<std::vector<uint8_t>> key;
  std::string unsupported;  // why there is no key
};

// The key of one column from its stored bytes (as the row holds them;
// `present` false for Null). 3049 when the bytes are not as long as the
// column's type.
KeyResult columnKey(const ColumnDef& column, ByteView stored, bool present, bool descending);

// The whole key of a stored row for a physical index.
KeyResult indexKey(const TableDefinition& table, const PhysicalIndex& index, ByteView row,
                   const class RowDecoder& decoder);

}  // namespace telvarn::mdb

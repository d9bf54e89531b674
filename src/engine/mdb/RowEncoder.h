// RowEncoder: a row in the stored form RowDecoder reads. The column count
// (the table's highest, deleted columns included), the fixed area (every
// fixed column's space, Null or not), the variable values in the order of
// their slots, then from the end backwards the null mask, the number of
// variable slots, their offsets and the offset where the data ends. Version
// 4 keeps two-byte offsets, so there is no jump table.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/mdb/TableDefinition.h"

namespace telvarn::mdb {

// One column's stored value: `present` false for Null (for Yes/No, the
// value itself: true is Yes); the bytes of fixed and variable values (for
// Memo and OLE, the long-value reference).
struct ColumnBytes {
  bool present = false;
  std::vector<uint8_t> bytes;
};

// `values` holds one entry per column of `table.columns`, in that order.
std::vector<uint8_t> encodeRow(const TableDefinition& table, const std::vector<ColumnBytes>& values);

}  // namespace telvarn::mdb

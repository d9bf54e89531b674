// LongValueWriter: Memo and OLE values in their stored form (see
// LongValue.h). A value of up to 64 bytes that fits the row stays inline;
// one of up to 4076 bytes takes one record of the column's long-value
// pages; a longer one a chain of records of up to 4072 bytes each, every
// one starting with the row pointer of the next (0 in the last). Memo
// text is compressed as Text is, up to 1024 characters.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/Variant.h"
#include "engine/mdb/ByteView.h"
#include "engine/mdb/PageFile.h"
#include "engine/mdb/TableDefinition.h"

namespace telvarn::mdb {

// The bytes a Memo or OLE value is made of (text encoded, bytes as given).
std::vector<uint8_t> longValueData(const ColumnDef& column, const Variant& value);

// The reference the row holds for `data`, writing the records it needs:
// inline only if `rowRoom` (what the row may still take) allows. 3049 when
// the table definition lists no long-value pages for the column.
std::vector<uint8_t> writeLongValue(PageFile& file, const TableDefinition& table,
                                    const ColumnDef& column, const std::vector<uint8_t>& data,
                                    size_t rowRoom);

// Removes the records a reference leads to (nothing for inline values).
void removeLongValue(PageFile& file, const TableDefinition& table, const ColumnDef& column,
                     ByteView reference);

}  // namespace telvarn::mdb

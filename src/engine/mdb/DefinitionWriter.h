// DefinitionWriter: a table definition (see TableDefinition.h) written back
// into its chain of definition pages, the inverse of readTableDefinition.
//
// The definition is one run of bytes: the first page's 8-byte header, then
// the table block, an entry per physical index, per column (in the table's
// order), their names, an entry per physical index tree, per logical index
// and their names (logical indexes in the order of their names, as the
// engine keeps them), and the long-value maps of Memo and OLE columns ended
// by a column number 0xFFFF. The first page holds its first 4,096 bytes,
// each next page (with its own 8-byte header) 4,088 more. The fields whose
// meaning is not known carry the values every file of the engine's shows.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/mdb/PageFile.h"
#include "engine/mdb/TableDefinition.h"

namespace telvarn::mdb {

// The definition's bytes as they run over its pages (first page header
// included, continuation headers left out), as readTableDefinition reads
// them.
std::vector<uint8_t> encodeTableDefinition(const TableDefinition& table);

// Writes the definition over `table.definitionPages`, taking pages from
// the file when it grows (a new definition has none yet; its first page is
// where the table's id points) and giving back those it no longer needs;
// `table.definitionPages` and `table.page` follow. Within a transaction.
// 3049 for a definition longer than 64 pages.
void writeTableDefinition(PageFile& file, TableDefinition& table);

// The logical indexes in the order the definition keeps them: by name, in
// the General sort order.
std::vector<LogicalIndex> logicalIndexesInStoredOrder(std::vector<LogicalIndex> indexes);

}  // namespace telvarn::mdb

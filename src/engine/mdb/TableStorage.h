// TableStorage: the pages a table's structures take beside its definition,
// made for a new table, column or index and given back when it goes.
//
// Usage maps are records on pages that hold nothing else (data pages owned
// by no table); a new map is an inline record covering pages 0 to 511 with
// none of them marked, as the engine makes them, put beside the maps of the
// same table where their page has room. An index tree starts as one empty
// leaf, its root, which its usage map lists.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/mdb/PageFile.h"
#include "engine/mdb/TableDefinition.h"

namespace telvarn::mdb {

// The row pointer of a new, empty usage map, put on the first of
// `nearMaps`' pages with room for it, or else on a new page. Within a
// transaction.
uint32_t newUsageMap(PageFile& file, const std::vector<uint32_t>& nearMaps);

// Removes the map's record and gives back its bitmap pages and, with
// `releaseListed`, every page it lists.
void removeUsageMap(PageFile& file, uint32_t map, bool releaseListed);

// Gives `index` (of the table whose definition starts on `tablePage`) an
// empty tree: a root leaf and a usage map listing it.
void newIndexTree(PageFile& file, uint32_t tablePage, PhysicalIndex& index,
                  const std::vector<uint32_t>& nearMaps);

// Gives every page of the tree back, its usage map too.
void removeIndexTree(PageFile& file, const PhysicalIndex& index);

// Gives a Memo or OLE column its two maps of long-value pages.
LongValueMaps newLongValueMaps(PageFile& file, uint16_t column,
                               const std::vector<uint32_t>& nearMaps);

// Gives a new table (its columns and indexes described) its maps, the
// long-value maps of its Memo and OLE columns, its index trees and its
// definition's pages (the first at `table.page` when that is set), and
// writes the definition.
void newTableStorage(PageFile& file, TableDefinition& table, const std::vector<uint32_t>& nearMaps);

// Gives back every page of the table: its rows', its long values', its
// index trees', its maps and its definition's.
void removeTableStorage(PageFile& file, const TableDefinition& table);

}  // namespace telvarn::mdb

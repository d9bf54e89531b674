// TypeChange: a column given a new type or size, or a new AutoNumber
// column its numbers, every row rewritten.
//
// The column becomes a new one of the new type under the same name and in
// the same place of the table's order; it takes the table's next number
// and a new slot, and the old number and slot stay taken, as the engine's
// own changes leave them. Each row is rewritten with its value converted
// (ColumnConversion.h) and its other values as they were stored (long
// values stay where they are); a row that no longer fits its page moves.
// The index trees over the column are made again from the rewritten rows;
// the old column's long values go with their pages.
#pragma once

#include <string>

#include "engine/Catalog.h"
#include "engine/mdb/PageFile.h"
#include "engine/mdb/SchemaTable.h"

namespace telvarn::mdb {

// Within a transaction; the definition is written. 3303 when a
// relationship needs the column; 3421, 3349 or 3163 for a value that does
// not convert, 3047 for a row that outgrows 4,060 bytes, 3022 or 3058 for
// rows that now break an index over the column.
void changeColumnType(PageFile& file, SchemaTable& table, const std::string& name,
                      const FieldRecord& changed);

// A new AutoNumber `column`, in `table`'s definition but not in `before`,
// the same table's definition without it: the rows take the next numbers
// in the order they are stored, and the definition (written) keeps the
// last one given. Within a transaction.
void numberRows(PageFile& file, SchemaTable& table, const TableDefinition& before,
                const ColumnDef& column);

}  // namespace telvarn::mdb

// ColumnLayout: the column a field of the engine becomes, and its place in
// the rows of its table.
//
// A field's type gives the column's type code and length (Text and fixed
// Text two bytes a character, Binary its size, Memo and OLE 0; Yes/No lives
// in the null mask and takes no fixed space), whether it is fixed or
// variable, and its flags: every column may hold Null (Required is a
// property), an AutoIncrement Long counts by itself, a Hyperlink Memo is
// marked. Text sorts in the General order. Text made here is stored
// uncompressed, as the engine makes fields when no one asks for Unicode
// compression.
//
// A new column takes the table's next number (numbers of deleted columns
// are never given again, so rows written before it keep their column count
// and read it as Null), the last place in the table's order, and the next
// variable slot or the end of the fixed area.
#pragma once

#include "engine/Catalog.h"
#include "engine/mdb/TableDefinition.h"

namespace telvarn::mdb {

// The column of `field`, not yet placed in a table. 3259 for a type no
// column of a table has (Decimal included: the engine makes none).
ColumnDef columnOf(const FieldRecord& field);

// Gives `column` its number, order and slot in `table` and appends it.
void placeColumn(TableDefinition& table, ColumnDef column);

// Removes the column named `name` from the definition (3265 when there is
// none): its number and slot stay taken, the columns after it move up in
// the table's order. Its long-value maps are the caller's to give back.
void removeColumn(TableDefinition& table, const std::string& name);

// The column named `name` (the General sort order's sameness); nullptr
// when there is none.
const ColumnDef* findColumn(const TableDefinition& table, const std::string& name);

}  // namespace telvarn::mdb

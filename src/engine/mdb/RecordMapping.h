// How the file's own descriptions become the records the object model reads:
// column types and flags as the engine's field types and attributes, stored
// properties as built-in field properties or user-defined ones, physical and
// logical indexes as the table's named indexes; and a field's properties
// back as the file stores them.
#pragma once

#include <vector>

#include "engine/Catalog.h"
#include "engine/mdb/PropertyBlock.h"
#include "engine/mdb/TableDefinition.h"

namespace telvarn::mdb {

namespace FieldAttribute {
enum : int { Fixed = 1, Variable = 2, AutoIncrement = 16, Hyperlink = 32768 };
}

// The engine's type code for a column type (Decimal is 20).
int engineType(const ColumnDef& column);

// The field's Size as the engine reports it.
int engineSize(const ColumnDef& column);

// The field of a column, with the properties of its set (if any).
FieldRecord fieldRecord(const ColumnDef& column, const PropertySet* properties);

// The properties the file keeps for a field: DefaultValue, Required and
// AllowZeroLength (engine properties, marked DDL) where they differ from a
// new field's, then the field's other properties; ValidationRule and
// ValidationText only when they hold text. With `before` (the column's
// stored set) the properties it has keep their place, flags and width
// and take their new values (Required and AllowZeroLength stay, as No),
// the others come after them: a field whose properties did not change
// keeps its set byte for byte.
std::vector<StoredProperty> storedProperties(const FieldRecord& field,
                                             const PropertySet* before = nullptr);

// The table's fields and indexes (the indexes of its design: not those
// that relationships keep on it to find the rows referring to its keys);
// `properties` are the sets of its property block.
void describeTable(const TableDefinition& table, const std::vector<PropertySet>& properties,
                   TableRecord& record);

}  // namespace telvarn::mdb

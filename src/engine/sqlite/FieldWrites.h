// What every statement that writes rows shares: the table it writes, each
// value on its way into a field (converted to the field's type, then held
// against Required, AllowZeroLength and the indexes that refuse Null), and
// the values of fields an INSERT does not name.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/Catalog.h"
#include "engine/Variant.h"
#include "engine/sqlite/ExpressionTranslator.h"
#include "engine/sqlite/LinkedTables.h"

namespace telvarn {
class Storage;
}

namespace telvarn::sqlite {

// The table `name`, or 3078.
TableRecord requireTable(Storage& storage, const std::string& name);

// The rows a statement writes: a local table's own; a linked table's, as
// the executor shows its source table (3251 where it shows none, as in a
// stored query, and for a source table without fields), or, for a link into
// the running file itself, that table. The storage of a link's source gives
// its AutoNumbers itself, as every storage but our own file does.
struct WriteTarget {
  TableRecord table;         // a link's record carries its source table's fields
  std::string sql;           // SQLite text naming the rows
  std::string sqlName;       // the name alone, which qualifies their columns
  bool numbersHere = false;  // the statement gives the AutoNumbers
};
WriteTarget writeTarget(Storage& storage, TableRecord table, LinkedTables* links);

// `value` as the field stores it; a value that does not fit fails the
// statement with 3421, 3349, 3163, 3314, 3315 or 3058. A number literal
// goes into a Currency field digit for digit (3349 at once beyond its
// range).
std::string stored(ExpressionTranslator& translator, const TableRecord& table,
                   const FieldRecord& field, const Translated& value);

// What an INSERT writes into a field it does not name: the next number of
// an AutoNumber, the default value, or Null (which a Yes/No field stores as
// No and a required field refuses). `manyRows`: the INSERT adds the rows of
// a SELECT, each of which needs its own next number.
std::optional<std::string> omittedValue(const TableRecord& table, const FieldRecord& field,
                                        ExpressionTranslator& translator, bool manyRows);

// 3061 with their count when the statement has names that are no field.
void requireNoParameters(const ExpressionTranslator& translator);

}  // namespace telvarn::sqlite

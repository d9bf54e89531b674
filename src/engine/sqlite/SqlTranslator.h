// SqlTranslator: an action statement of the dialect as one SQLite statement
// with bound parameters, its names checked against the catalog.
#pragma once

#include <string>
#include <vector>

#include "engine/Catalog.h"
#include "engine/Variant.h"
#include "engine/jetsql/Ast.h"

namespace telvarn {
class Storage;
}

namespace telvarn::sqlite {

class LinkedTables;

// One SQLite statement and the value of each of its "?", in order.
struct SqlText {
  std::string sql;
  std::vector<Variant> parameters;
};

// The statement whole, and the same one row at a time for a run that must
// leave out the rows that break a rule of the table: `rows` yields the rows
// the statement works on (the row id of each row an UPDATE or DELETE
// changes, the values of each row an INSERT ... SELECT adds), and `oneRow`
// works on one of them, its columns bound to :r1, :r2, ... Both are empty
// for a statement of a single row (INSERT ... VALUES).
struct TranslatedStatement {
  SqlText whole;  // empty: nothing to do (a DELETE on a table with no field yet)
  SqlText rows;
  SqlText oneRow;
};

// 3078 for a missing table, 3127 for an unknown field in the INSERT column
// list, 3346 when the values do not match the fields, 3061 (with their
// count) for names that are no field, 3085 for an unknown function, 3086
// for a DELETE whose target is not its table, 3075 "Expression too complex"
// for an expression nested too deep. Values written to a field are
// converted to its type and checked against Required and AllowZeroLength.
// `links` names the rows of the links the statement reads (LinkedTables.h).
TranslatedStatement translate(Storage& storage, const jetsql::DataStatement& statement,
                              LinkedTables* links);

// The columns `select` yields (name, type, size), its names checked as a
// statement's are; nothing is run.
std::vector<FieldRecord> describeSelect(Storage& storage, const jetsql::SelectStatement& select,
                                        LinkedTables* links);

}  // namespace telvarn::sqlite

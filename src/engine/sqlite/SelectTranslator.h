// SelectTranslator: a SELECT of the dialect (with its joins, unions and
// subqueries) as one SQLite SELECT, and the names and types of the columns
// it yields.
#pragma once

#include <string>
#include <vector>

#include "engine/Catalog.h"
#include "engine/jetsql/Ast.h"
#include "engine/sqlite/ExpressionTranslator.h"

namespace telvarn::sqlite {

// A result column whose values' kind differs from row to row has type 0;
// in the query's select list it is followed by a column of that name
// (kindColumn) holding each value's kind letter (ValueCodec.h), which
// whoever reads the query's rows gives the value back (telvarn_typed).
struct TranslatedQuery {
  std::string sql;
  std::vector<FieldRecord> columns;  // name, type and size of each result column
  bool readsOuterLevels = false;     // a name in it is a field of a level around it
};

// The column beside `name` that holds its values' kinds.
std::string kindColumn(const std::string& name);

// A query standing inside an expression or statement that `outer`
// translates: its names may refer to the tables of `outer`'s levels. 3078
// for a table or query that does not exist, 3079 for an ambiguous name,
// 3307 for a union whose parts differ in their number of columns, 3102 for
// a stored query that uses itself.
TranslatedQuery translateQuery(ExpressionTranslator& outer, const jetsql::SelectQuery& query);

// A FROM item as SQLite text; its tables join `scope`, which `translator`
// reads its names in (and the joins' ON conditions with them).
std::string translateSource(const jetsql::TableSource& source, Scope& scope,
                            ExpressionTranslator& translator);

}  // namespace telvarn::sqlite

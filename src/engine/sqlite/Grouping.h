// Grouping: what a query level that groups or aggregates may show, and the
// records DISTINCTROW keeps apart.
#pragma once

#include <string>
#include <string_view>

#include "engine/jetsql/Ast.h"
#include "engine/sqlite/Scope.h"

namespace telvarn::sqlite {

// Whether the level groups its rows: GROUP BY, or an aggregate function in
// its select list, HAVING or ORDER BY.
bool isGrouped(const jetsql::SelectQuery& query);

// For a grouped level, 3120 when the select list has a "*", else 3122
// (quoting the expression as `sql` writes it) for
// the first expression of the select list, HAVING or ORDER BY that uses a
// field of the level neither grouped on nor inside an aggregate.
void checkGrouping(const jetsql::SelectQuery& query, const Scope& scope, std::string_view sql);

// With DISTINCT, 3093 for the first ORDER BY key the select list does not
// show: the rows it would sort by are gone once duplicates are.
void checkDistinctOrder(const jetsql::SelectQuery& query, const Scope& scope, std::string_view sql);

// DISTINCTROW as a GROUP BY over the rowids of the tables whose fields the
// select list shows, so that each combination of their records comes once.
// Empty where it has no effect: one table, a grouped level, every table
// shown, or a shown source that is a query rather than a table.
std::string distinctRecords(const jetsql::SelectQuery& query, const Scope& scope);

}  // namespace telvarn::sqlite

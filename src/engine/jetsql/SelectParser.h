// SELECT queries: the select list with its predicates, FROM with joins
// written as the dialect writes them (nested in parentheses), WHERE, GROUP
// BY, HAVING, UNION and ORDER BY. Each malformed clause fails with its own
// number: 3141 for the skeleton, 3131 FROM, 3135 a join, 3132 GROUP BY,
// 3133 HAVING, 3138 ORDER BY, 3319 a union; 3075 inside an expression.
#pragma once

#include "engine/jetsql/Ast.h"
#include "engine/jetsql/TokenCursor.h"

namespace telvarn::jetsql {

// After "SELECT". `nested`: the query stands inside parentheses, which the
// caller closes; its clauses then end at that ")". A nested query leaves
// the cursor's syntax error number as it found it.
QueryPtr parseSelectQuery(TokenCursor& cursor, bool nested);

// One item of a FROM list: a table with its alias, a parenthesised query,
// or joins of them. UPDATE and DELETE read their tables with it.
SourcePtr parseFromItem(TokenCursor& cursor);

}  // namespace telvarn::jetsql

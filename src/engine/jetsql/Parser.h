// Parser: one statement of the engine's SQL dialect to its syntax tree.
#pragma once

#include <string>

#include "engine/jetsql/Ast.h"

namespace telvarn::jetsql {

// The tree of `sql`, or the dialect's error for it: 3078 (insertion: the
// text) when it does not begin with a statement verb, the statement's own
// syntax error number for a malformed one, 3075 for a malformed expression,
// 3142 for more text after the one ";" a statement may end with.
// A SELECT is checked only loosely: its tree tells whether it makes a table.
Statement parseStatement(const std::string& sql);

// The parts of a crosstab (PARAMETERS may stand in front), which
// parseStatement reads only to its end: for storing it as a query. 3143 for
// a malformed one, the SELECT's own numbers inside it.
Crosstab parseCrosstab(const std::string& sql);

// Whether `sql` begins with a word that starts a statement (SELECT, INSERT,
// UPDATE, DELETE, CREATE, ALTER, DROP, TRANSFORM, PARAMETERS). Text that
// does not may still name a stored query.
bool beginsWithVerb(const std::string& sql);

}  // namespace telvarn::jetsql

// Execute: what Database::execute does with a statement of the dialect.
#pragma once

#include <string>

#include "engine/RowsAffected.h"

namespace telvarn {
class Database;
}

namespace telvarn::jetsql {

// Runs one statement: data definition through the object model, so that the
// catalog stays true, and action queries through the storage. A text that is
// no statement but the name of a stored query runs that query. A SELECT is
// refused with 3065. What an action query did to the rows comes back (a
// definition changes none).
RowsAffected execute(Database& db, const std::string& sql);

// What CreateQueryDef checks before it stores `sql`: 3129 when the text does
// not begin with a statement verb, and the parser's error for a malformed
// statement.
void checkQueryText(const std::string& sql);

}  // namespace telvarn::jetsql

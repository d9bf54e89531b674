// ActionRun: an action query, translated, run on a connection with the
// rule for rows: a row that breaks a rule of its table (see RowsAffected.h)
// is left out and counted, the others are changed, and no error is raised
// for it. Every other error is raised, and the statement then changes
// nothing.
//
// The statement runs whole first; only when a row breaks a rule does it
// run again, from the start, one row at a time, each row in a savepoint of
// its own. The caller runs it inside a transaction, which an error of the
// statement rolls back.
#pragma once

#include <string_view>

#include "engine/RowsAffected.h"
#include "engine/sqlite/Connection.h"
#include "engine/sqlite/SqlTranslator.h"

namespace telvarn::sqlite {

RowsAffected runAction(Connection& connection, const TranslatedStatement& statement,
                       std::string_view source);

}  // namespace telvarn::sqlite

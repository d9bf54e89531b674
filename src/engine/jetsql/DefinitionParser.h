// The data-definition statements: CREATE TABLE, CREATE INDEX, ALTER TABLE
// and DROP. Each reader starts after its leading words and leaves the
// cursor on what follows the statement, with the statement's own syntax
// error number set for any text found there.
#pragma once

#include "engine/jetsql/Ast.h"
#include "engine/jetsql/TokenCursor.h"

namespace telvarn::jetsql {

// After "CREATE TABLE".
CreateTable parseCreateTable(TokenCursor& cursor);
// After "CREATE [UNIQUE] INDEX".
CreateIndex parseCreateIndex(TokenCursor& cursor, bool unique);
// After "ALTER TABLE".
AlterTable parseAlterTable(TokenCursor& cursor);
// After "DROP": a DropTable or a DropIndex.
std::variant<DropTable, DropIndex> parseDrop(TokenCursor& cursor);

// A type with its optional length, as in a column definition: 3292 for an
// unknown type or a length that is no whole number from 1 up, 3017 for a
// text or binary length above 255.
FieldType parseFieldType(TokenCursor& cursor);

}  // namespace telvarn::jetsql

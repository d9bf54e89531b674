// The action statements on rows: INSERT INTO ... VALUES, UPDATE and DELETE.
// Each reader starts after the statement's verb.
#pragma once

#include "engine/jetsql/Ast.h"
#include "engine/jetsql/TokenCursor.h"

namespace telvarn::jetsql {

InsertStatement parseInsert(TokenCursor& cursor);
UpdateStatement parseUpdate(TokenCursor& cursor);
DeleteStatement parseDelete(TokenCursor& cursor);

}  // namespace telvarn::jetsql

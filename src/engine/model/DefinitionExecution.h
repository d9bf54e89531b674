// The data-definition statements carried out through the object model, so
// that every table, field and index they make is one the catalog knows.
#pragma once

#include "engine/jetsql/Ast.h"

namespace telvarn {
class Database;
}

namespace telvarn::jetsql {

// 3191 for a column named twice, 3283 for a second primary key, 3409 for a
// constraint on a column the statement does not define; 3010 (from the
// append) when the table exists. The table, its fields and its constraint
// indexes are saved in one append.
void executeDefinition(Database& db, const CreateTable& create);
// 3376 for a missing table; 3371 when one of several tables is missing (and
// then none is dropped).
void executeDefinition(Database& db, const DropTable& drop);
// 3376 for a missing table (3611 for a link, here and for indexes), 3380 when ADD COLUMN names an
// existing field, 3381 when ALTER/DROP COLUMN name a missing one, 3375 when ADD CONSTRAINT names an
// existing index, 3371 when DROP CONSTRAINT names a missing one.
void executeDefinition(Database& db, const AlterTable& alter);
// 3376 for a missing table, 3375 for an index name in use, 3409 for a
// column the table does not have.
void executeDefinition(Database& db, const CreateIndex& create);
// 3376 for a missing table, 3372 for a missing index.
void executeDefinition(Database& db, const DropIndex& drop);

}  // namespace telvarn::jetsql

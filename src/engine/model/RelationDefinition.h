// FOREIGN KEY and REFERENCES constraints: relationships the storage
// enforces, each with an index on the referring fields named after it
// (unless the constraint says NO INDEX).
#pragma once

#include <string>
#include <vector>

#include "engine/jetsql/Ast.h"

namespace telvarn {
class Database;
}

namespace telvarn::jetsql {

// Makes the relationship of `table`'s `columns` that `constraint` asks for:
// 3376 when the referenced table is missing, 3371 when it names no fields
// and has no primary key, 3409 for a field either table lacks or lists of
// different lengths, 3368 for fields of different types, 3173 when no
// unique index of the referenced table covers exactly its fields, 3201 when
// rows already refer to nothing.
void addForeignKey(Database& db, const std::string& table, const ConstraintDef& constraint,
                   const std::vector<std::string>& columns);

// DROP CONSTRAINT of a relationship of `table`: false when there is none
// of that name.
bool dropForeignKey(Database& db, const std::string& table, const std::string& name);

}  // namespace telvarn::jetsql

// MSysRelationships, the catalog table of relationships: one row per pair
// of columns, laid out as the desktop engine lays out its own. Files made
// before relationships existed have no such table; it is made with the
// first relationship. Callers hold the write transaction for changes.
#pragma once

#include <string>
#include <vector>

#include "engine/Catalog.h"
#include "engine/sqlite/Connection.h"

namespace telvarn::sqlite::relations {

std::vector<RelationRecord> readAll(Connection& db);
void insert(Connection& db, const RelationRecord& relation);
void remove(Connection& db, const std::string& name);
void renameField(Connection& db, const std::string& table, const std::string& from,
                 const std::string& to);

// Whether a relationship holds `table` (and, when given, its field `field`).
bool uses(const RelationRecord& relation, const std::string& table, const std::string& field = "");

// The triggers that enforce a relationship on every write, named
// "telvarn.<relationship>.<what>", so that they can all be found again.
void createTriggers(Connection& db, const RelationRecord& relation);
// Whether any row of the referring table lacks the row it refers to.
bool anyOrphan(Connection& db, const RelationRecord& relation);

}  // namespace telvarn::sqlite::relations

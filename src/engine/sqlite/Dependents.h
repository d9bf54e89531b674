// The SQLite objects that depend on user tables: a view for every stored
// query that translates (so that other SQLite tools see the query), the
// triggers that enforce relationships and those that move AutoNumbers on.
// A change of a table drops them all first, so that SQLite never refuses
// the change over them, and makes them again afterwards from the catalog;
// a view whose query no longer translates stays away until a later change
// makes it translate again.
#pragma once

#include "engine/Catalog.h"
#include "engine/sqlite/Connection.h"

namespace telvarn::sqlite {

class SqliteStorage;

namespace dependents {

void dropAll(Connection& db);
void createAll(SqliteStorage& storage);
// The view of one stored query; false when the query is no SELECT or does
// not translate.
bool createView(SqliteStorage& storage, const QueryRecord& query);

}  // namespace dependents
}  // namespace telvarn::sqlite

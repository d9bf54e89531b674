// The SQLite objects that depend on user tables: a view for every stored
// query that translates (so that other SQLite tools see the query), the
// triggers that enforce relationships and those that move AutoNumbers on.
// A change of a table drops them all first, so that SQLite never refuses
// the change over them, and makes them again afterwards from the catalog;
// a view whose query no longer translates stays away until a later change
// makes it translate again. A change that only adds (a table, a field) cannot break any of them and
// leaves them standing, when what the last change made is still known.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/Catalog.h"
#include "engine/sqlite/Connection.h"

namespace telvarn::sqlite {

class SqliteStorage;

class Dependents {
 public:
  explicit Dependents(SqliteStorage& storage) : storage_(storage) {}

  // Whether what the last change made is known (no other connection and no
  // rolled back change touched the file since).
  bool known();
  // Before a change that may reshape tables.
  void dropAll();
  // Before that change commits: all of them again, from the catalog.
  void createAll();
  // Before a change that only added `table` or a field of it commits, when
  // they are known: the numbering of its AutoNumber, and the views of the
  // queries that did not translate before and may now.
  void createFor(const std::string& table);
  // After the change committed.
  void committed();

 private:
  void createViews(const std::vector<std::string>& queries);

  SqliteStorage& storage_;
  std::vector<std::string> untranslated_;  // stored queries without a view
  std::optional<Connection::Stamp> knownAt_;
};

// The view of one stored query; false when the query is no SELECT or does
// not translate.
bool createView(SqliteStorage& storage, const QueryRecord& query);

}  // namespace telvarn::sqlite

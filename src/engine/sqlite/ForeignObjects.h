// Objects other tools made inside our files: views, triggers and indexes
// the engine did not make and keeps no record of. The engine keeps them
// through its own changes (or refuses a change that would break one), and
// never lets one fire on its writes to the catalog.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/sqlite/Connection.h"

namespace telvarn::sqlite::foreign {

struct Object {
  std::string type;  // "view", "trigger" or "index"
  std::string name;
  std::string table;  // the table a trigger or index is on; a view's own name
  std::string sql;    // as SQLite keeps it, to make the object again
};

// Every view, trigger and index of the file the engine did not make, in the
// order they were made: a view that is no stored query's, a trigger not
// named "telvarn.*", an index that is no index of the catalog (SQLite's own
// automatic indexes aside).
std::vector<Object> all(Connection& db);
// Those of them on `table`.
std::vector<Object> on(Connection& db, const std::string& table);
// Makes each object again from its SQL.
void makeAgain(Connection& db, const std::vector<Object>& objects);

// Whether a table is one of the catalog's (MSys...).
bool isCatalogTable(const std::string& table);

// The triggers other tools put on the catalog tables, set aside (dropped)
// while the engine writes to its catalog so that those writes never fire
// them, and made again before the change commits; inside the caller's
// transaction, so that a change that rolls back brings them back too. The
// engine's changes leave them as they were: what one change found holds
// for the next while no other connection changed the file, so that a
// change does not read the whole schema again.
class CatalogTriggers {
 public:
  explicit CatalogTriggers(Connection& db) : db_(db) {}
  void setAside();
  void restore();
  // After the change committed.
  void committed() { knownAt_ = db_.stamp(); }

 private:
  Connection& db_;
  std::vector<Object> triggers_;
  std::optional<Connection::Stamp> knownAt_;
};

}  // namespace telvarn::sqlite::foreign

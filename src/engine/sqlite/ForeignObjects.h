// Objects other tools made inside our files: views, triggers and indexes
// the engine did not make and keeps no record of. The engine keeps them
// through its own changes (or refuses a change that would break one), and
// never lets one fire on its writes to the catalog.
#pragma once

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

// For as long as it lives, the triggers other tools put on the catalog
// tables are dropped, so that the engine's writes to its catalog never
// fire them; restore() makes them again. Inside the caller's transaction:
// a change that rolls back brings them back too.
class CatalogTriggersAside {
 public:
  explicit CatalogTriggersAside(Connection& db);
  void restore();

 private:
  Connection& db_;
  std::vector<Object> triggers_;
};

}  // namespace telvarn::sqlite::foreign

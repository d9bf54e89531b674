#include "engine/sqlite/ForeignObjects.h"

#include <algorithm>

#include "engine/Catalog.h"

namespace telvarn::sqlite::foreign {
namespace {

// What the engine did not make, by type: views are its stored queries,
// triggers its relationships' ("telvarn.*"), indexes its catalog's
// ("table.index"). SQLite's automatic indexes have no SQL.
constexpr const char* kForeign =
    "sql IS NOT NULL AND ((type = 'view' AND name NOT IN (SELECT Name FROM MSysObjects WHERE "
    "Type = 5)) OR (type = 'index' AND name NOT IN (SELECT TableName || '.' || Name FROM "
    "MSysIndexes)) OR (type = 'trigger' AND name NOT LIKE 'telvarn.%'))";

std::vector<Object> objectsWhere(Connection& db, const std::string& condition) {
  Statement row(db, "SELECT type, name, tbl_name, sql FROM sqlite_master WHERE " + condition +
                        " ORDER BY rowid");
  std::vector<Object> objects;
  while (row.step()) objects.push_back({row.text(0), row.text(1), row.text(2), row.text(3)});
  return objects;
}

}  // namespace

std::vector<Object> all(Connection& db) {
  return objectsWhere(db, kForeign);
}

std::vector<Object> on(Connection& db, const std::string& table) {
  std::vector<Object> objects = all(db);
  std::erase_if(objects, [&](const Object& object) {
    return object.type == "view" || !sameName(object.table, table);
  });
  return objects;
}

void makeAgain(Connection& db, const std::vector<Object>& objects) {
  for (const Object& object : objects) db.exec(object.sql);
}

bool isCatalogTable(const std::string& table) {
  return table.size() >= 4 && sameName(table.substr(0, 4), "MSys");
}

void CatalogTriggers::setAside() {
  if (knownAt_ != db_.stamp()) {
    triggers_ = objectsWhere(
        db_, std::string(kForeign) + " AND type = 'trigger' AND tbl_name LIKE 'MSys%'");
  }
  for (const Object& trigger : triggers_)
    db_.exec("DROP TRIGGER " + Connection::quote(trigger.name));
}

void CatalogTriggers::restore() {
  makeAgain(db_, triggers_);
}

}  // namespace telvarn::sqlite::foreign

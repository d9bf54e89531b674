#include "engine/sqlite/AutoNumbers.h"

namespace telvarn::sqlite::autonumbers {
namespace {

std::string quote(const std::string& name) {
  return Connection::quote(name);
}

bool exists(Connection& db) {
  return db.hasTable("MSysAutoNumbers");
}

// One row per table: a table has at most one AutoNumber field.
void ensureTable(Connection& db) {
  db.exec(
      "CREATE TABLE IF NOT EXISTS MSysAutoNumbers(TableName TEXT NOT NULL COLLATE NOCASE "
      "PRIMARY KEY, FieldName TEXT NOT NULL COLLATE NOCASE, Seed INTEGER NOT NULL, "
      "Increment INTEGER NOT NULL, NextValue INTEGER NOT NULL)");
}

void insert(Connection& db, const std::string& table, const FieldRecord& field, int64_t next) {
  db.noteCatalogChange();
  ensureTable(db);
  Statement(db,
            "INSERT INTO MSysAutoNumbers(TableName, FieldName, Seed, Increment, NextValue) "
            "VALUES (?, ?, ?, ?, ?)")
      .bind(1, table)
      .bind(2, field.name)
      .bind(3, field.seed)
      .bind(4, field.increment)
      .bind(5, next)
      .run();
}

// The number after the highest (for a negative increment, the lowest) the
// field's rows hold; the seed when they hold none.
int64_t following(Connection& db, const std::string& table, const std::string& field, int64_t seed,
                  int64_t increment) {
  const std::string column = quote(field);
  const std::string extreme = increment > 0 ? "max(" + column + ")" : "min(" + column + ")";
  Statement row(db, "SELECT " + extreme + " + ? FROM " + quote(table));
  row.bind(1, increment);
  return row.step() && !row.isNull(0) ? row.integer(0) : seed;
}

std::string catalogValue(const char* column, const std::string& table) {
  return std::string("(SELECT ") + column +
         " FROM MSysAutoNumbers WHERE TableName = " + Connection::literal(table) + ")";
}

// The triggers of the AutoNumbers the condition picks out of the catalog.
void createTriggersWhere(Connection& db, const std::string& condition) {
  if (!exists(db)) return;
  Statement row(db, "SELECT TableName, FieldName FROM MSysAutoNumbers" + condition);
  std::vector<std::pair<std::string, std::string>> numbered;
  while (row.step()) numbered.emplace_back(row.text(0), row.text(1));
  for (const auto& [table, field] : numbered) {
    const std::string value = "NEW." + quote(field);
    db.exec("CREATE TRIGGER IF NOT EXISTS " + quote("telvarn." + table + "." + field + ".number") +
            " AFTER INSERT ON " + quote(table) + " WHEN " + value +
            " IS NOT NULL BEGIN UPDATE MSysAutoNumbers SET NextValue = " + value +
            " + Increment WHERE TableName = " + Connection::literal(table) +
            " AND (Increment > 0 AND " + value + " >= NextValue OR Increment < 0 AND " + value +
            " <= NextValue); END");
  }
}

}  // namespace

void add(Connection& db, const std::string& table, const FieldRecord& field) {
  const int64_t rows = db.queryInteger("SELECT count(*) FROM " + quote(table)).value_or(0);
  if (rows > 0) {
    Statement(db, "UPDATE " + quote(table) + " SET " + quote(field.name) +
                      " = numbered.value FROM (SELECT rowid AS row, ? + (row_number() OVER "
                      "(ORDER BY rowid) - 1) * ? AS value FROM " +
                      quote(table) + ") AS numbered WHERE " + quote(table) +
                      ".rowid = numbered.row")
        .bind(1, field.seed)
        .bind(2, field.increment)
        .run();
  }
  insert(db, table, field, field.seed + rows * field.increment);
}

void adopt(Connection& db, const std::string& table, const FieldRecord& field) {
  insert(db, table, field, following(db, table, field.name, field.seed, field.increment));
}

void remove(Connection& db, const std::string& table, const std::string& field) {
  if (!exists(db)) return;
  db.noteCatalogChange();
  Statement(db, "DELETE FROM MSysAutoNumbers WHERE TableName = ? AND FieldName = ?")
      .bind(1, table)
      .bind(2, field)
      .run();
}

void removeTable(Connection& db, const std::string& table) {
  if (!exists(db)) return;
  db.noteCatalogChange();
  Statement(db, "DELETE FROM MSysAutoNumbers WHERE TableName = ?").bind(1, table).run();
}

void renameField(Connection& db, const std::string& table, const std::string& from,
                 const std::string& to) {
  if (!exists(db)) return;
  db.noteCatalogChange();
  Statement(db, "UPDATE MSysAutoNumbers SET FieldName = ? WHERE TableName = ? AND FieldName = ?")
      .bind(1, to)
      .bind(2, table)
      .bind(3, from)
      .run();
}

void read(Connection& db, const std::string& table, std::vector<FieldRecord>& fields) {
  if (!exists(db)) return;
  Statement row(db, "SELECT FieldName, Seed, Increment FROM MSysAutoNumbers WHERE TableName = ?");
  row.bind(1, table);
  if (!row.step()) return;
  for (FieldRecord& field : fields) {
    if (!sameName(field.name, row.text(0))) continue;
    field.seed = row.integer(1);
    field.increment = row.integer(2);
  }
}

void createTriggers(Connection& db) {
  createTriggersWhere(db, "");
}

void createTrigger(Connection& db, const std::string& table) {
  createTriggersWhere(db, " WHERE TableName = " + Connection::literal(table));
}

std::string next(const std::string& table, bool manyRows) {
  const std::string first = catalogValue("NextValue", table);
  if (!manyRows) return first;
  return "(" + first + " + (row_number() OVER () - 1) * " + catalogValue("Increment", table) + ")";
}

bool anyMissing(Connection& db) {
  const std::string missing =
      "SELECT 1 FROM MSysFields WHERE Attributes & " + std::to_string(kAutoIncrementAttribute) +
      (exists(db) ? " AND TableName NOT IN (SELECT TableName FROM MSysAutoNumbers)" : "");
  return db.queryInteger(missing).has_value();
}

void addMissing(Connection& db) {
  Statement row(db, "SELECT TableName, Name FROM MSysFields WHERE Attributes & " +
                        std::to_string(kAutoIncrementAttribute));
  std::vector<std::pair<std::string, std::string>> fields;
  while (row.step()) fields.emplace_back(row.text(0), row.text(1));
  const bool any = exists(db);
  for (const auto& [table, name] : fields) {
    if (any && db.queryInteger("SELECT 1 FROM MSysAutoNumbers WHERE TableName = " +
                               Connection::literal(table)))
      continue;
    FieldRecord field;
    field.name = name;
    insert(db, table, field, following(db, table, name, field.seed, field.increment));
  }
  createTriggers(db);
}

}  // namespace telvarn::sqlite::autonumbers

#include "engine/sqlite/PhysicalSchema.h"

#include <algorithm>

#include "engine/DataType.h"
#include "engine/sqlite/ForeignObjects.h"
#include "engine/sqlite/TextOrder.h"
#include "engine/sqlite/ValueCodec.h"

namespace telvarn::sqlite::physical {
namespace {

std::string columnDefinition(const FieldRecord& field) {
  return Connection::quote(field.name) + " " + storageDeclaration(field.type);
}

std::string columnList(const std::vector<FieldRecord>& fields) {
  std::string list;
  for (const FieldRecord& field : fields) {
    if (!list.empty()) list += ", ";
    list += columnDefinition(field);
  }
  return list;
}

// While it lives, renaming a table changes that table alone: the views and
// triggers that name it are neither rewritten nor checked.
class LegacyRename {
 public:
  explicit LegacyRename(Connection& db) : db_(db) { db_.exec("PRAGMA legacy_alter_table = ON"); }
  ~LegacyRename() {
    sqlite3_exec(db_.handle(), "PRAGMA legacy_alter_table = OFF", nullptr, nullptr, nullptr);
  }
  LegacyRename(const LegacyRename&) = delete;
  LegacyRename& operator=(const LegacyRename&) = delete;

 private:
  Connection& db_;
};

// Index names are per table in the engine but per file in SQLite; a "."
// never occurs in an engine name, so "table.index" cannot collide.
std::string indexName(const std::string& table, const std::string& index) {
  return Connection::quote(table + "." + index);
}

}  // namespace

void createTable(Connection& db, const std::string& table, const std::vector<FieldRecord>& fields) {
  db.exec("CREATE TABLE " + Connection::quote(table) + " (" + columnList(fields) + ")");
}

void dropTable(Connection& db, const std::string& table) {
  db.exec("DROP TABLE IF EXISTS " + Connection::quote(table));
}

void addColumn(Connection& db, const std::string& table, const FieldRecord& field) {
  // A Yes/No field cannot hold Null: the rows already there hold False,
  // which SQLite gives them without rewriting the table.
  const std::string holds = field.type == DataType::Boolean ? " DEFAULT 0" : "";
  db.exec("ALTER TABLE " + Connection::quote(table) + " ADD COLUMN " + columnDefinition(field) +
          holds);
}

bool dropColumn(Connection& db, const std::string& table, const std::string& column) {
  return db.accepts("ALTER TABLE " + Connection::quote(table) + " DROP COLUMN " +
                    Connection::quote(column));
}

bool renameColumn(Connection& db, const std::string& table, const std::string& from,
                  const std::string& to) {
  return db.accepts("ALTER TABLE " + Connection::quote(table) + " RENAME COLUMN " +
                    Connection::quote(from) + " TO " + Connection::quote(to));
}

void changeColumnType(Connection& db, const std::string& table,
                      const std::vector<FieldRecord>& fieldsAfter, const FieldRecord& changed,
                      int typeBefore, const std::vector<IndexRecord>& indexes) {
  const std::string copy = table + ".rebuild";
  std::string columns;
  std::string values;
  for (const FieldRecord& field : fieldsAfter) {
    if (!columns.empty()) columns += ", ";
    if (!values.empty()) values += ", ";
    columns += Connection::quote(field.name);
    if (sameName(field.name, changed.name)) {
      values += "telvarn_convert(" + Connection::quote(field.name) + ", '" +
                kindLetter(kindOfField(typeBefore)) + "', " + std::to_string(changed.type) + ", " +
                std::to_string(changed.size) + ")";
    } else {
      values += Connection::quote(field.name);
    }
  }
  const std::vector<foreign::Object> foreignObjects = foreign::on(db, table);
  createTable(db, copy, fieldsAfter);
  db.exec("INSERT INTO " + Connection::quote(copy) + " (rowid, " + columns + ") SELECT rowid, " +
          values + " FROM " + Connection::quote(table));
  db.exec("DROP TABLE " + Connection::quote(table));
  {
    // SQLite's own renaming would hold every view and trigger that names
    // the table against the schema while the table is away, and refuse.
    const LegacyRename legacy(db);
    db.exec("ALTER TABLE " + Connection::quote(copy) + " RENAME TO " + Connection::quote(table));
  }
  for (const IndexRecord& index : indexes) createIndex(db, table, fieldsAfter, index);
  foreign::makeAgain(db, foreignObjects);
}

bool hasRows(Connection& db, const std::string& table) {
  return db.queryInteger("SELECT 1 FROM " + Connection::quote(table) + " LIMIT 1").has_value();
}

bool anyNull(Connection& db, const std::string& table, const std::vector<IndexColumn>& columns) {
  std::string condition;
  for (const IndexColumn& column : columns) {
    if (!condition.empty()) condition += " OR ";
    condition += Connection::quote(column.field) + " IS NULL";
  }
  return db
      .queryInteger("SELECT 1 FROM " + Connection::quote(table) + " WHERE " + condition +
                    " LIMIT 1")
      .has_value();
}

void createIndex(Connection& db, const std::string& table, const std::vector<FieldRecord>& fields,
                 const IndexRecord& index) {
  std::string columns;
  for (const IndexColumn& column : index.columns) {
    const auto field = std::find_if(fields.begin(), fields.end(), [&](const FieldRecord& f) {
      return sameName(f.name, column.field);
    });
    if (!columns.empty()) columns += ", ";
    columns += Connection::quote(column.field) +
               (field != fields.end() ? collateText(field->type) : "") +
               (column.descending ? " DESC" : "");
  }
  const bool unique = index.unique || index.primary;
  db.exec(std::string("CREATE ") + (unique ? "UNIQUE " : "") + "INDEX " +
          indexName(table, index.name) + " ON " + Connection::quote(table) + " (" + columns + ")");
}

void dropIndex(Connection& db, const std::string& table, const std::string& index) {
  db.exec("DROP INDEX IF EXISTS " + indexName(table, index));
}

}  // namespace telvarn::sqlite::physical

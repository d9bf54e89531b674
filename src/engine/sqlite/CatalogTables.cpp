#include "engine/sqlite/CatalogTables.h"

#include "engine/AppError.h"
#include "engine/sqlite/FileLayout.h"

namespace telvarn::sqlite::catalog {
namespace {

// Property values keep their kind: the type column holds the engine's type
// code of the value (1 Boolean, 4 Long, 7 Double, 10 Text). A stored value
// that is no value of its type was not written by the engine: the file is
// damaged, 3343, as SQLite's own damage is.
Variant readValue(const Statement& row, int column, int type, const std::string& path) {
  const Variant stored = row.value(column);
  if (stored.isNull()) return stored;
  try {
    switch (type) {
      case 1:
        return Variant(stored.toInteger() != 0);
      case 2:
      case 3:
      case 4:
        return Variant(stored.toInteger());
      case 6:
      case 7:
        return Variant(stored.toDouble());
      default:
        return Variant(row.text(column));
    }
  } catch (const AppError&) {
    throw engineError(3343, {path});
  }
}

void insertProperties(Connection& db, const std::string& table, const FieldRecord& field) {
  db.noteCatalogChange();
  int position = 0;
  for (const UserProperty& property : field.properties) {
    Statement(db,
              "INSERT INTO MSysProperties(TableName, FieldName, Name, Type, Value, Position) "
              "VALUES (?, ?, ?, ?, ?, ?)")
        .bind(1, table)
        .bind(2, field.name)
        .bind(3, property.name)
        .bind(4, int64_t{property.type})
        .bind(5, property.value)
        .bind(6, int64_t{position++})
        .run();
  }
}

void deleteProperties(Connection& db, const std::string& table, const std::string& field) {
  db.noteCatalogChange();
  Statement(db, "DELETE FROM MSysProperties WHERE TableName = ? AND FieldName = ?")
      .bind(1, table)
      .bind(2, field)
      .run();
}

std::vector<UserProperty> readProperties(Connection& db, const std::string& table,
                                         const std::string& field) {
  Statement row(db,
                "SELECT Name, Type, Value FROM MSysProperties WHERE TableName = ? AND "
                "FieldName = ? ORDER BY Position");
  row.bind(1, table).bind(2, field);
  std::vector<UserProperty> properties;
  while (row.step()) {
    const int type = static_cast<int>(row.integer(1));
    properties.push_back({row.text(0), type, readValue(row, 2, type, db.path())});
  }
  return properties;
}

}  // namespace

bool exists(Connection& db) {
  return db.hasTable("MSysObjects");
}

void createTables(Connection& db) {
  db.noteCatalogChange();
  db.exec(
      "CREATE TABLE MSysObjects(Name TEXT NOT NULL COLLATE NOCASE PRIMARY KEY, "
      "Type INTEGER NOT NULL, Connect TEXT NOT NULL DEFAULT '', "
      "ForeignName TEXT NOT NULL DEFAULT '', Sql TEXT NOT NULL DEFAULT '');"
      "CREATE TABLE MSysFields(TableName TEXT NOT NULL COLLATE NOCASE, "
      "Name TEXT NOT NULL COLLATE NOCASE, Position INTEGER NOT NULL, Type INTEGER NOT NULL, "
      "Size INTEGER NOT NULL, Attributes INTEGER NOT NULL, DefaultValue TEXT NOT NULL, "
      "AllowZeroLength INTEGER NOT NULL, Required INTEGER NOT NULL, "
      "PRIMARY KEY(TableName, Name));"
      "CREATE TABLE MSysProperties(TableName TEXT NOT NULL COLLATE NOCASE, "
      "FieldName TEXT NOT NULL COLLATE NOCASE, Name TEXT NOT NULL COLLATE NOCASE, "
      "Type INTEGER NOT NULL, Value, Position INTEGER NOT NULL, "
      "PRIMARY KEY(TableName, FieldName, Name));"
      "CREATE TABLE MSysIndexes(TableName TEXT NOT NULL COLLATE NOCASE, "
      "Name TEXT NOT NULL COLLATE NOCASE, IsPrimary INTEGER NOT NULL, "
      "IsUnique INTEGER NOT NULL, IsRequired INTEGER NOT NULL, IgnoreNulls INTEGER NOT NULL, "
      "PRIMARY KEY(TableName, Name));"
      "CREATE TABLE MSysIndexColumns(TableName TEXT NOT NULL COLLATE NOCASE, "
      "IndexName TEXT NOT NULL COLLATE NOCASE, Position INTEGER NOT NULL, "
      "FieldName TEXT NOT NULL COLLATE NOCASE, Descending INTEGER NOT NULL, "
      "PRIMARY KEY(TableName, IndexName, Position));");
  setFormatVersion(db, kFormatVersion);
}

int formatVersion(Connection& db) {
  if (!db.queryInteger("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'MSysFormat'"))
    return 1;
  return static_cast<int>(db.queryInteger("SELECT Version FROM MSysFormat").value_or(1));
}

void setFormatVersion(Connection& db, int version) {
  db.noteCatalogChange();
  db.exec("CREATE TABLE IF NOT EXISTS MSysFormat(Version INTEGER NOT NULL)");
  db.exec("DELETE FROM MSysFormat");
  Statement(db, "INSERT INTO MSysFormat(Version) VALUES (?)").bind(1, int64_t{version}).run();
}

std::optional<ObjectEntry> findObject(Connection& db, const std::string& name) {
  // The catalog's own columns compare with NOCASE, which any SQLite tool
  // knows; a name is found as the engine finds names. Names equal but for
  // the case of ASCII letters are equal in both, so the NOCASE key finds
  // most names at once; only a miss reads every name.
  for (const char* comparison : {"", " COLLATE JETGENERAL"}) {
    Statement row(db, std::string("SELECT Name, Type, Connect, ForeignName, Sql FROM MSysObjects "
                                  "WHERE Name = ?") +
                          comparison);
    row.bind(1, name);
    if (row.step()) {
      return ObjectEntry{row.text(0), static_cast<int>(row.integer(1)), row.text(2), row.text(3),
                         row.text(4)};
    }
  }
  return std::nullopt;
}

std::vector<std::string> objectNames(Connection& db, int typeA, int typeB) {
  Statement row(
      db, "SELECT Name FROM MSysObjects WHERE Type IN (?, ?) ORDER BY Name COLLATE JETGENERAL");
  row.bind(1, int64_t{typeA}).bind(2, int64_t{typeB});
  std::vector<std::string> names;
  while (row.step()) names.push_back(row.text(0));
  return names;
}

void insertObject(Connection& db, const ObjectEntry& entry) {
  db.noteCatalogChange();
  Statement(db, "INSERT INTO MSysObjects(Name, Type, Connect, ForeignName, Sql) VALUES (?,?,?,?,?)")
      .bind(1, entry.name)
      .bind(2, int64_t{entry.type})
      .bind(3, entry.connect)
      .bind(4, entry.foreignName)
      .bind(5, entry.sql)
      .run();
}

void deleteObject(Connection& db, const std::string& name) {
  db.noteCatalogChange();
  for (const char* sql :
       {"DELETE FROM MSysObjects WHERE Name = ?", "DELETE FROM MSysFields WHERE TableName = ?",
        "DELETE FROM MSysProperties WHERE TableName = ?",
        "DELETE FROM MSysIndexes WHERE TableName = ?",
        "DELETE FROM MSysIndexColumns WHERE TableName = ?"}) {
    Statement(db, sql).bind(1, name).run();
  }
}

std::vector<FieldRecord> readFields(Connection& db, const std::string& table) {
  Statement row(db,
                "SELECT Name, Type, Size, Attributes, DefaultValue, AllowZeroLength, Required "
                "FROM MSysFields WHERE TableName = ? ORDER BY Position");
  row.bind(1, table);
  std::vector<FieldRecord> fields;
  while (row.step()) {
    FieldRecord field;
    field.name = row.text(0);
    field.type = static_cast<int>(row.integer(1));
    field.size = static_cast<int>(row.integer(2));
    field.attributes = static_cast<int>(row.integer(3));
    field.defaultValue = row.text(4);
    field.allowZeroLength = row.integer(5) != 0;
    field.required = row.integer(6) != 0;
    fields.push_back(std::move(field));
  }
  for (FieldRecord& field : fields) field.properties = readProperties(db, table, field.name);
  return fields;
}

void insertField(Connection& db, const std::string& table, const FieldRecord& field) {
  db.noteCatalogChange();
  Statement next(db, "SELECT coalesce(max(Position) + 1, 0) FROM MSysFields WHERE TableName = ?");
  next.bind(1, table);
  next.step();
  Statement(db,
            "INSERT INTO MSysFields(TableName, Name, Position, Type, Size, Attributes, "
            "DefaultValue, AllowZeroLength, Required) VALUES (?,?,?,?,?,?,?,?,?)")
      .bind(1, table)
      .bind(2, field.name)
      .bind(3, next.integer(0))
      .bind(4, int64_t{field.type})
      .bind(5, int64_t{field.size})
      .bind(6, int64_t{field.attributes})
      .bind(7, field.defaultValue)
      .bind(8, int64_t{field.allowZeroLength})
      .bind(9, int64_t{field.required})
      .run();
  insertProperties(db, table, field);
}

void updateField(Connection& db, const std::string& table, const std::string& field,
                 const FieldRecord& changed) {
  db.noteCatalogChange();
  Statement(db,
            "UPDATE MSysFields SET Name = ?, Type = ?, Size = ?, Attributes = ?, "
            "DefaultValue = ?, AllowZeroLength = ?, Required = ? "
            "WHERE TableName = ? AND Name = ?")
      .bind(1, changed.name)
      .bind(2, int64_t{changed.type})
      .bind(3, int64_t{changed.size})
      .bind(4, int64_t{changed.attributes})
      .bind(5, changed.defaultValue)
      .bind(6, int64_t{changed.allowZeroLength})
      .bind(7, int64_t{changed.required})
      .bind(8, table)
      .bind(9, field)
      .run();
  Statement(db, "UPDATE MSysIndexColumns SET FieldName = ? WHERE TableName = ? AND FieldName = ?")
      .bind(1, changed.name)
      .bind(2, table)
      .bind(3, field)
      .run();
  deleteProperties(db, table, field);
  insertProperties(db, table, changed);
}

void deleteField(Connection& db, const std::string& table, const std::string& field) {
  db.noteCatalogChange();
  Statement(db, "DELETE FROM MSysFields WHERE TableName = ? AND Name = ?")
      .bind(1, table)
      .bind(2, field)
      .run();
  deleteProperties(db, table, field);
}

std::vector<IndexRecord> readIndexes(Connection& db, const std::string& table) {
  Statement row(db,
                "SELECT Name, IsPrimary, IsUnique, IsRequired, IgnoreNulls FROM MSysIndexes "
                "WHERE TableName = ? ORDER BY rowid");
  row.bind(1, table);
  std::vector<IndexRecord> indexes;
  while (row.step()) {
    indexes.push_back({row.text(0),
                       row.integer(1) != 0,
                       row.integer(2) != 0,
                       row.integer(3) != 0,
                       row.integer(4) != 0,
                       {}});
  }
  for (IndexRecord& index : indexes) {
    Statement column(db,
                     "SELECT FieldName, Descending FROM MSysIndexColumns WHERE TableName = ? "
                     "AND IndexName = ? ORDER BY Position");
    column.bind(1, table).bind(2, index.name);
    while (column.step()) index.columns.push_back({column.text(0), column.integer(1) != 0});
  }
  return indexes;
}

void insertIndex(Connection& db, const std::string& table, const IndexRecord& index) {
  db.noteCatalogChange();
  Statement(db,
            "INSERT INTO MSysIndexes(TableName, Name, IsPrimary, IsUnique, IsRequired, "
            "IgnoreNulls) VALUES (?,?,?,?,?,?)")
      .bind(1, table)
      .bind(2, index.name)
      .bind(3, int64_t{index.primary})
      .bind(4, int64_t{index.unique})
      .bind(5, int64_t{index.required})
      .bind(6, int64_t{index.ignoreNulls})
      .run();
  int64_t position = 0;
  for (const IndexColumn& column : index.columns) {
    Statement(db,
              "INSERT INTO MSysIndexColumns(TableName, IndexName, Position, FieldName, "
              "Descending) VALUES (?,?,?,?,?)")
        .bind(1, table)
        .bind(2, index.name)
        .bind(3, position++)
        .bind(4, column.field)
        .bind(5, int64_t{column.descending})
        .run();
  }
}

void deleteIndex(Connection& db, const std::string& table, const std::string& index) {
  db.noteCatalogChange();
  for (const char* sql : {"DELETE FROM MSysIndexes WHERE TableName = ? AND Name = ?",
                          "DELETE FROM MSysIndexColumns WHERE TableName = ? AND IndexName = ?"}) {
    Statement(db, sql).bind(1, table).bind(2, index).run();
  }
}

}  // namespace telvarn::sqlite::catalog

// The catalog tables inside a SQLite database file: reading and writing the
// engine's records for tables, fields, properties, indexes and queries.
// Callers hold the write transaction; these functions only read and write
// rows.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/Catalog.h"
#include "engine/sqlite/Connection.h"

namespace telvarn::sqlite::catalog {

// Object types as MSysObjects numbers them.
constexpr int kTable = 1;
constexpr int kQuery = 5;
constexpr int kLink = 6;

bool exists(Connection& db);
// The catalog of a new file, of the current layout.
void createTables(Connection& db);

// The layout of the file's values (FileLayout.h), kept in MSysFormat; 1
// for a file written before the table was.
int formatVersion(Connection& db);
void setFormatVersion(Connection& db, int version);

// The stored spelling and type of the object called `name`, if any.
struct ObjectEntry {
  std::string name;
  int type = 0;
  std::string connect;
  std::string foreignName;
  std::string sql;
};
std::optional<ObjectEntry> findObject(Connection& db, const std::string& name);
std::vector<std::string> objectNames(Connection& db, int typeA, int typeB);
void insertObject(Connection& db, const ObjectEntry& entry);
void deleteObject(Connection& db, const std::string& name);

std::vector<FieldRecord> readFields(Connection& db, const std::string& table);
void insertField(Connection& db, const std::string& table, const FieldRecord& field);
void updateField(Connection& db, const std::string& table, const std::string& field,
                 const FieldRecord& changed);
void deleteField(Connection& db, const std::string& table, const std::string& field);

std::vector<IndexRecord> readIndexes(Connection& db, const std::string& table);
void insertIndex(Connection& db, const std::string& table, const IndexRecord& index);
void deleteIndex(Connection& db, const std::string& table, const std::string& index);

}  // namespace telvarn::sqlite::catalog

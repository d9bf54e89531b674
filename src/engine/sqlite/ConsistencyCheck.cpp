// SqliteStorage::check: SQLite's own integrity check, then the catalog held
// against the SQLite schema: every table the catalog knows has a SQLite table
// with exactly its columns (none while it has no field), every index its
// SQLite index on the same columns. Every table, index, view and trigger the
// catalog does not know is named, one sentence each.
#include <set>

#include "engine/DataType.h"
#include "engine/sqlite/CatalogTables.h"
#include "engine/sqlite/ForeignObjects.h"
#include "engine/sqlite/SqliteStorage.h"

namespace telvarn::sqlite {
namespace {

struct Column {
  std::string name;
  std::string declaration;
};

std::vector<Column> sqliteColumns(Connection& db, const std::string& table) {
  Statement row(db, "SELECT name, type FROM pragma_table_info(?) ORDER BY cid");
  row.bind(1, table);
  std::vector<Column> columns;
  while (row.step()) columns.push_back({row.text(0), row.text(1)});
  return columns;
}

std::vector<std::string> sqliteIndexColumns(Connection& db, const std::string& index) {
  Statement row(db, "SELECT name FROM pragma_index_info(?) ORDER BY seqno");
  row.bind(1, index);
  std::vector<std::string> columns;
  while (row.step()) columns.push_back(row.text(0));
  return columns;
}

std::set<std::string> sqliteObjects(Connection& db, const std::string& type) {
  Statement row(db,
                "SELECT name FROM sqlite_master WHERE type = ? AND name NOT LIKE 'sqlite_%' AND "
                "name NOT LIKE 'MSys%'");
  row.bind(1, type);
  std::set<std::string> names;
  while (row.step()) names.insert(row.text(0));
  return names;
}

// The declared type SQLite reports drops the collation.
std::string declaredType(int type) {
  const std::string declaration = storageDeclaration(type);
  return declaration.substr(0, declaration.find(' '));
}

void checkTable(Connection& db, const TableRecord& table, std::vector<std::string>& faults,
                std::set<std::string>& tables, const std::set<std::string>& indexes) {
  tables.erase(table.name);
  const std::vector<Column> columns = sqliteColumns(db, table.name);
  if (table.fields.empty()) {
    if (!columns.empty()) faults.push_back("table " + table.name + " has no field but has rows");
    return;
  }
  if (columns.size() != table.fields.size()) {
    faults.push_back("table " + table.name + " has " + std::to_string(table.fields.size()) +
                     " fields in the catalog and " + std::to_string(columns.size()) + " columns");
    return;
  }
  for (size_t i = 0; i < columns.size(); ++i) {
    const FieldRecord& field = table.fields[i];
    if (columns[i].name != field.name || columns[i].declaration != declaredType(field.type)) {
      faults.push_back("field " + table.name + "." + field.name + " is stored as " +
                       columns[i].name + " " + columns[i].declaration);
    }
  }
  for (const IndexRecord& index : table.indexes) {
    const std::string name = table.name + "." + index.name;
    std::vector<std::string> expected;
    for (const IndexColumn& column : index.columns) expected.push_back(column.field);
    if (indexes.count(name) == 0 || sqliteIndexColumns(db, name) != expected) {
      faults.push_back("index " + name + " is missing or covers other columns");
    }
  }
}

}  // namespace

std::vector<std::string> SqliteStorage::check() {
  ReadTransaction read(connection_);
  std::vector<std::string> faults;
  Statement integrity(connection_, "PRAGMA integrity_check");
  while (integrity.step()) {
    if (integrity.text(0) != "ok") faults.push_back("storage: " + integrity.text(0));
  }
  std::set<std::string> tables = sqliteObjects(connection_, "table");
  const std::set<std::string> indexes = sqliteObjects(connection_, "index");
  for (const std::string& name :
       catalog::objectNames(connection_, catalog::kTable, catalog::kTable)) {
    checkTable(connection_, *findTable(name), faults, tables, indexes);
  }
  Statement orphans(connection_,
                    "SELECT DISTINCT TableName FROM MSysFields WHERE TableName NOT IN "
                    "(SELECT Name FROM MSysObjects)");
  while (orphans.step()) faults.push_back("fields of a table that is gone: " + orphans.text(0));
  for (const std::string& table : tables)
    faults.push_back("table " + table + " is not in the catalog");
  for (const foreign::Object& object : foreign::all(connection_)) {
    faults.push_back(object.type + " " + object.name +
                     (object.type == "view" ? "" : " on table " + object.table) +
                     " is not in the catalog" +
                     (foreign::isCatalogTable(object.table)
                          ? "; the engine sets it aside while it writes its catalog"
                          : ""));
  }
  return faults;
}

}  // namespace telvarn::sqlite

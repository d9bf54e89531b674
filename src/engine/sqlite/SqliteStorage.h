// SqliteStorage: a database kept in a plain SQLite file. User tables are
// ordinary SQLite tables, a row's id its rowid; what SQLite does not know
// (the engine's types and sizes, field properties, index flags, stored
// queries, links, tables that have no field yet) lives in catalog tables
// named MSys... in the same file, so any SQLite tool can still read it.
// Each call is one SQLite transaction, or a savepoint inside an open one.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/Storage.h"
#include "engine/sqlite/CatalogTables.h"
#include "engine/sqlite/Connection.h"
#include "engine/sqlite/Dependents.h"
#include "engine/sqlite/ForeignObjects.h"

namespace telvarn::sqlite {

class SqliteStorage : public Storage {
 public:
  // Opens an existing file; 3343 when it is not one of ours.
  explicit SqliteStorage(const std::string& path);
  // Writes a new file with an empty catalog.
  static void create(const std::string& path);

  const std::string& path() const override { return connection_.path(); }

  std::optional<TableRecord> findTable(const std::string& name) override;
  std::vector<std::string> tableNames() override;
  void createTable(const TableRecord& table) override;
  void dropTable(const std::string& name) override;
  void addField(const std::string& table, const FieldRecord& field) override;
  void deleteField(const std::string& table, const std::string& field) override;
  void changeField(const std::string& table, const std::string& field,
                   const FieldRecord& changed) override;
  void addIndex(const std::string& table, const IndexRecord& index) override;
  void dropIndex(const std::string& table, const std::string& index) override;
  std::optional<QueryRecord> findQuery(const std::string& name) override;
  std::vector<std::string> queryNames() override;
  void createQuery(const QueryRecord& query) override;
  void deleteQuery(const std::string& name) override;
  std::vector<RelationRecord> relations() override;
  void addRelation(const RelationRecord& relation) override;
  void dropRelation(const std::string& name) override;

  std::unique_ptr<RowCursor> scan(const std::string& table) override;
  std::unique_ptr<RowCursor> seek(const std::string& table, const std::string& index,
                                  const std::vector<Variant>& key) override;
  uint64_t rowCount(const std::string& table) override;
  RowId insertRow(const std::string& table, const std::vector<Variant>& values) override;
  void updateRow(const std::string& table, RowId row, const std::vector<Variant>& values) override;
  void deleteRow(const std::string& table, RowId row) override;

  void begin() override;
  void commit() override;
  void rollBack() override;

  std::vector<std::string> check() override;
  bool newFieldsCarryDisplayProperties() const override { return true; }

  Connection& connection() { return connection_; }
  // The views and triggers made on the file's tables (Dependents.h).
  Dependents& dependents() { return dependents_; }

 private:
  // A change of the catalog, and a change of a table (which also keeps the
  // dependent views and triggers), each in one transaction.
  class CatalogChange;
  class TableChange;

  std::optional<TableRecord> readTable(const std::string& name);
  // The catalog's entry of that name. A name looked up in vain is not
  // looked up again while the catalog stays as it is: checks for a new
  // name ask for it several times, and a miss reads every name.
  std::optional<catalog::ObjectEntry> findObject(const std::string& name);
  // A local table the object model has found; its absence is a fault of
  // the caller (3000).
  TableRecord existingTable(const std::string& name);

  // Table records as last read, by their name in lower case.
  struct CachedTable {
    TableRecord record;
    uint64_t catalogChanges;
    int64_t dataVersion;
  };

  Connection connection_;
  foreign::CatalogTriggers catalogTriggers_{connection_};
  Dependents dependents_{*this};
  std::optional<std::pair<std::string, Connection::Stamp>> absent_;
  std::unordered_map<std::string, CachedTable> tables_;
  std::vector<std::unique_ptr<Transaction>> transactions_;
};

}  // namespace telvarn::sqlite

// SqliteStorage: a database kept in a plain SQLite file. User tables are
// ordinary SQLite tables; what SQLite does not know (the engine's types and
// sizes, field properties, index flags, stored queries, links, tables that
// have no field yet) lives in catalog tables named MSys... in the same file,
// so any SQLite tool can still read it.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>

#include "engine/Storage.h"
#include "engine/sqlite/Connection.h"

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
  void forEachRow(const std::string& table, const RowVisitor& visit) override;
  void executeData(const jetsql::DataStatement& statement) override;
  std::vector<std::string> check() override;
  std::vector<FieldRecord> describeQuery(const jetsql::SelectStatement& select) override;
  void atomically(const std::function<void()>& work) override;

  Connection& connection() { return connection_; }

 private:
  std::optional<TableRecord> readTable(const std::string& name);

  // Table records as last read, by their name in lower case.
  struct CachedTable {
    TableRecord record;
    uint64_t catalogChanges;
    int64_t dataVersion;
  };

  Connection connection_;
  std::unordered_map<std::string, CachedTable> tables_;
};

}  // namespace telvarn::sqlite

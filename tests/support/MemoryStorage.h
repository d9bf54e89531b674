// MemoryStorage: a database held in memory, written from Storage.h's
// contract alone, so that the engine can be run over a storage that shares
// no code with the file-backed ones. Rows are kept per table in the order
// they were added, named by ids that only grow; a transaction is a copy of
// the whole database taken at begin, put back at roll-back. It checks what
// a storage checks: duplicates in a unique index (3022; Nulls in every
// column are no duplicate), Null in a primary key or a required index
// (3058), references to nothing and rows still referred to (3201, 3200).
// Nothing else can fail here: there is no disk, lock or damage.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/Storage.h"
#include "engine/model/Database.h"

namespace telvarn::test {

class MemoryStorage : public Storage {
 public:
  // `path`: the name the database answers to (never a file).
  explicit MemoryStorage(std::string path);

  const std::string& path() const override { return path_; }

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

  std::vector<std::string> check() override { return {}; }
  bool newFieldsCarryDisplayProperties() const override { return true; }

  using Row = std::vector<Variant>;
  struct Table {
    TableRecord record;
    std::map<RowId, Row> rows;  // by id, which is the order they were added in
    RowId lastId = 0;
    int64_t nextNumber = 0;  // of the AutoNumber field, when there is one
  };

 private:
  struct State {
    std::vector<Table> tables;
    std::vector<QueryRecord> queries;
    std::vector<RelationRecord> relations;
  };

  Table* find(const std::string& name);
  // A local table the object model has found (3078, 3251 as the rows ask).
  Table& local(const std::string& name);
  // Runs `change` on the state; when it throws, the state is as before.
  template <typename Change>
  void whole(Change&& change);
  // 3022 or 3058 for a row `table` may not hold beside its other rows.
  void checkKeys(const Table& table, RowId id, const Row& row) const;
  // 3201 when `row` of `table` refers to nothing; 3200 when rows refer to
  // the key `before` held and `after` (nullptr for a deleted row) lacks.
  void checkReferences(const Table& table, const Row* before, const Row* after);

  std::string path_;
  State state_;
  std::vector<State> savepoints_;
};

// A Database over a new MemoryStorage named `path`, its data statements
// run by the executor every non-SQLite storage has; `sources` opens the
// databases links name.
std::shared_ptr<Database> memoryDatabase(const std::string& path, Database::SourceOpener sources);

}  // namespace telvarn::test

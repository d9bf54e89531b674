// MdbStorage: a database file of the desktop program (format version 4, as
// its 2000-2003 editions write it), read and written in place page by page.
// Rows (TableWriter), definitions and stored queries (SchemaWriter) are
// written in place within the file's transactions (PageFile: journal,
// savepoints, the writer's lock). A row's id is its row pointer.
// Opened on another page source than a file (a test's, the fuzzer's), every
// write and transaction fails with 3027.
//
// Beyond the Storage calls it reads what the object model has no record
// for yet (table properties, the file's own index descriptions).
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/Storage.h"
#include "engine/mdb/FileHeader.h"
#include "engine/mdb/PageSource.h"
#include "engine/mdb/PropertyBlock.h"
#include "engine/mdb/SystemCatalog.h"
#include "engine/mdb/TableDefinition.h"

namespace telvarn::mdb {

class PageFile;
class SchemaWriter;
class TableWriter;

class MdbStorage : public Storage {
 public:
  // Opens the file: 3343 (with the reason) for another edition or an encoded
  // file, 3049 when its catalog is damaged.
  explicit MdbStorage(const std::string& path);
  // Reads through `pages`, which stands for the file at `path`.
  MdbStorage(std::string path, std::unique_ptr<PageSource> pages);
  ~MdbStorage() override;

  const std::string& path() const override { return path_; }

  std::optional<TableRecord> findTable(const std::string& name) override;
  // User tables and links, in the catalog's order; system tables are left
  // out (findTable still finds them).
  std::vector<std::string> tableNames() override;
  std::optional<QueryRecord> findQuery(const std::string& name) override;
  std::vector<std::string> queryNames() override;
  // MSysRelationships, each relationship's columns in their order.
  std::vector<RelationRecord> relations() override;

  void createTable(const TableRecord& table) override;
  void dropTable(const std::string& name) override;
  void addField(const std::string& table, const FieldRecord& field) override;
  void deleteField(const std::string& table, const std::string& field) override;
  void changeField(const std::string& table, const std::string& field,
                   const FieldRecord& changed) override;
  void addIndex(const std::string& table, const IndexRecord& index) override;
  void dropIndex(const std::string& table, const std::string& index) override;
  void createQuery(const QueryRecord& query) override;
  void deleteQuery(const std::string& name) override;
  void addRelation(const RelationRecord& relation) override;
  void dropRelation(const std::string& name) override;

  // Live rows in storage order (see FixedValue.h for how each type is
  // given); a seek walks the index's tree.
  std::unique_ptr<RowCursor> scan(const std::string& table) override;
  std::unique_ptr<RowCursor> seek(const std::string& table, const std::string& index,
                                  const std::vector<Variant>& key) override;
  // A row id is a row pointer: the row is read where it points, when a live
  // record of one of the table's own pages is there.
  std::unique_ptr<RowCursor> row(const std::string& table, RowId row) override;
  // The row count the table's definition keeps (the desktop program's own
  // files may hold it stale by a row or two; see FileCheck.h).
  uint64_t rowCount(const std::string& table) override;
  RowId insertRow(const std::string& table, const std::vector<Variant>& values) override;
  void updateRow(const std::string& table, RowId row, const std::vector<Variant>& values) override;
  void deleteRow(const std::string& table, RowId row) override;

  // PageFile's numbers: 3027, 3260 (the desktop program has the file open),
  // 3045 (another writer), 3026 and 3043 at commit.
  void begin() override;
  void commit() override;
  void rollBack() override;

  // Every structure of the file held against the rules of the format, one
  // sentence per fault (see FileCheck.h).
  std::vector<std::string> check() override;
  // The file's fields have a Caption or DisplayControl once something
  // created one, as the desktop program's own fields do.
  bool newFieldsCarryDisplayProperties() const override { return false; }

  // The file's description of a local table (3078 / 3251 as above).
  const TableDefinition& definition(const std::string& table);
  // The table's own properties (not its fields'): Description, ...
  std::vector<StoredProperty> tableProperties(const std::string& table);
  // Every catalog entry, system objects included.
  const std::vector<CatalogEntry>& catalog() const { return catalog_; }
  const FileHeader& header() const { return header_; }
  PageSource& pages() { return *pages_; }

 private:
  const CatalogEntry* find(const std::string& name, bool (*kind)(const CatalogEntry&)) const;
  const CatalogEntry& localTable(const std::string& name);
  std::vector<PropertySet> propertySets(const CatalogEntry& entry);
  // The definition as the file holds it now, shared with the cursors that
  // read by it.
  std::shared_ptr<const TableDefinition> sharedDefinition(const std::string& table);
  // The writer of a local table's rows; 3027 when the pages are no file.
  TableWriter& writer(const std::string& table);
  // After rows changed: definitions are read again (row counts, AutoNumber).
  void rowsChanged();
  // After the catalog changed (or a transaction went back): the catalog,
  // the definitions and the writer are read again.
  void catalogChanged();
  // The writer of definitions; 3027 when the pages are no file.
  SchemaWriter schema();
  // Runs `change` on the schema writer, the catalog read again after it,
  // whether it succeeds or fails.
  template <typename Change>
  void changeSchema(Change&& change);

  std::string path_;
  std::unique_ptr<PageSource> pages_;
  PageFile* file_ = nullptr;  // pages_, when it is a file that may be written
  FileHeader header_;
  std::vector<CatalogEntry> catalog_;
  std::map<uint32_t, std::shared_ptr<const TableDefinition>> definitions_;
  // Each catalog entry's property sets, by its row, read once (a statement
  // looks at every table's fields, and with them their properties).
  std::map<uint32_t, std::vector<PropertySet>> properties_;
  // The writer of the table last written, while the file's pages stay as
  // it last saw them (the same generation).
  std::unique_ptr<TableWriter> writer_;
  uint64_t writerGeneration_ = 0;
  std::string writerTable_;  // the name the writer was last asked for by
};

}  // namespace telvarn::mdb

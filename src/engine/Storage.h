// Storage: where a database file keeps what the object model gives it, as
// three small interfaces: the catalog (the definitions of tables, links,
// queries and relationships), the rows of its tables, and transactions.
// None of them knows SQL. The object model checks every rule of the engine
// before it calls them (names, existence, duplicates, dependencies), so a
// storage reports only what it finds in the file itself: a key or Null
// that the rows break (3022, 3058, 3201), a full disk (3026), a read-only
// file (3027), a lock (3045), damage (3049, 3343). Names passed in are the
// stored spellings of objects the object model has found.
//
// A new storage implements all three and is chosen by DBEngine for the
// files (or connect strings) it recognises.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/Catalog.h"
#include "engine/Variant.h"

namespace telvarn {

class StorageCatalog {
 public:
  virtual ~StorageCatalog() = default;

  // Tables and links; nullopt when there is none of that name.
  virtual std::optional<TableRecord> findTable(const std::string& name) = 0;
  virtual std::vector<std::string> tableNames() = 0;
  // A new table (with its fields and indexes, possibly none) or link.
  virtual void createTable(const TableRecord& table) = 0;
  virtual void dropTable(const std::string& name) = 0;

  // An AutoNumber field added to a table with rows numbers them in the
  // order they are stored.
  virtual void addField(const std::string& table, const FieldRecord& field) = 0;
  // 3280 when another object of the file (not the engine's) needs it.
  virtual void deleteField(const std::string& table, const std::string& field) = 0;
  // Replaces the definition of `field` by `changed`: a new name renames the
  // column (in the table's indexes and relationships too), a new type
  // converts its values in place, keeping the rows. 3211 when another object
  // of the file would not survive the rename; 3421, 3349 or 3163 for a value
  // the new type cannot hold, 3022 when converted values fall together in a
  // unique index (nothing changes); 3219 when anything but user-defined
  // properties changes on a link's field.
  virtual void changeField(const std::string& table, const std::string& field,
                           const FieldRecord& changed) = 0;

  // 3022 when the rows hold duplicates of a unique index (keys whose
  // columns are all Null are none), 3058 when they hold Null in a primary
  // key or a required index.
  virtual void addIndex(const std::string& table, const IndexRecord& index) = 0;
  virtual void dropIndex(const std::string& table, const std::string& index) = 0;

  virtual std::optional<QueryRecord> findQuery(const std::string& name) = 0;
  virtual std::vector<std::string> queryNames() = 0;
  virtual void createQuery(const QueryRecord& query) = 0;
  virtual void deleteQuery(const std::string& name) = 0;

  // Relationships the rows must keep. addRelation: 3201 when rows already
  // refer to nothing. A storage whose relationships keep an index of their
  // own on the referring table, named as the relationship, lets it take
  // the place of a plain index of that name over the referring columns
  // (the one a FOREIGN KEY constraint adds with its relationship), so the
  // table still has one index of that name.
  virtual std::vector<RelationRecord> relations() = 0;
  virtual void addRelation(const RelationRecord& relation) = 0;
  virtual void dropRelation(const std::string& name) = 0;
};

// A row's id: it names the row for as long as the row lives, whatever else
// changes in the table.
using RowId = int64_t;

// The rows a scan or a seek meets, one at a time, in the storage's order.
class RowCursor {
 public:
  virtual ~RowCursor() = default;
  // Moves to the next row; false when there is none left.
  virtual bool next() = 0;
  virtual RowId id() const = 0;
  // One value per field, in the order of the table's fields.
  virtual const std::vector<Variant>& values() const = 0;
  // The value of one field (below the table's field count): a cursor may
  // read only the fields asked for.
  virtual const Variant& value(size_t field) const { return values()[field]; }
};

class StorageRows {
 public:
  virtual ~StorageRows() = default;

  // Every row of a local table. 3078 when there is no such table, 3251 for
  // a link (its rows are in another file), here and below.
  virtual std::unique_ptr<RowCursor> scan(const std::string& table) = 0;
  // The rows whose columns of `index` hold `key` (one value per column, as
  // the index compares them: text in the General sort order).
  virtual std::unique_ptr<RowCursor> seek(const std::string& table, const std::string& index,
                                          const std::vector<Variant>& key) = 0;
  // The row of id `row`: a cursor over that one row, or over none when no
  // row has the id. A storage that can find a row by its id says so here;
  // this one looks for it in a scan.
  virtual std::unique_ptr<RowCursor> row(const std::string& table, RowId row);
  virtual uint64_t rowCount(const std::string& table) = 0;

  // Values are one per field, converted to the field's type (3421, 3349,
  // 3163 when one does not fit). An Empty or Null value of an AutoNumber
  // field takes its next number, and one given moves the numbering past
  // it; updateRow leaves a field given Empty as it is, and an AutoNumber
  // takes no other value (3164). 3022 and 3058 for a key the table's indexes
  // refuse (as addIndex), 3201 (naming the table that holds the keys) when
  // the row would refer to a key no row has, 3200 (naming the referring
  // table) when rows refer to a key the change takes away, 3167 for an id
  // that names no row.
  virtual RowId insertRow(const std::string& table, const std::vector<Variant>& values) = 0;
  virtual void updateRow(const std::string& table, RowId row,
                         const std::vector<Variant>& values) = 0;
  virtual void deleteRow(const std::string& table, RowId row) = 0;

  // Every row's values through `visit`, which returns false to stop.
  using RowVisitor = std::function<bool(const std::vector<Variant>& values)>;
  void forEachRow(const std::string& table, const RowVisitor& visit);
};

// Every call of the other two interfaces changes the file whole or not at
// all; a transaction makes several of them one change. Transactions nest:
// an inner one is a savepoint whose changes go back alone, or stay for the
// outer one to commit.
class StorageTransactions {
 public:
  virtual ~StorageTransactions() = default;

  // 3045 when another process holds the file, 3027 when it is read-only.
  virtual void begin() = 0;
  // 3026 when the disk is full; the transaction is then rolled back.
  virtual void commit() = 0;
  virtual void rollBack() = 0;
};

class Storage : public StorageCatalog, public StorageRows, public StorageTransactions {
 public:
  // The file's full path, as it was opened.
  virtual const std::string& path() const = 0;

  // What is wrong with the file, one sentence per fault: the storage's own
  // integrity, whether the catalog agrees with what holds the rows, and each
  // object in the file the catalog does not know. Empty when the file is
  // consistent.
  virtual std::vector<std::string> check() = 0;

  // Whether every field the engine makes in this file carries an empty
  // Caption, and every Yes/No field a DisplayControl: the convention of our
  // own files, so that a caption or check-box step takes effect on them. In
  // other files such a property exists once something created it.
  virtual bool newFieldsCarryDisplayProperties() const = 0;
};

// A transaction for the life of a scope: rolled back unless committed.
class StorageTransaction {
 public:
  explicit StorageTransaction(StorageTransactions& storage) : storage_(storage) {
    storage_.begin();
  }
  ~StorageTransaction() {
    if (open_) storage_.rollBack();
  }
  StorageTransaction(const StorageTransaction&) = delete;
  StorageTransaction& operator=(const StorageTransaction&) = delete;

  void commit() {
    open_ = false;
    storage_.commit();
  }

 private:
  StorageTransactions& storage_;
  bool open_ = true;
};

// Runs `work` as one change of the storage.
inline void atomically(StorageTransactions& storage, const std::function<void()>& work) {
  StorageTransaction transaction(storage);
  work();
  transaction.commit();
}

}  // namespace telvarn

// StorageTables: the tables of any storage shown to SQLite as virtual
// tables, so that one translation of a statement runs over every storage.
// SQLite plans and computes; the storage only scans, seeks and writes rows
// by row id through its row interface:
//
//   xBestIndex  an index whose every column is compared with "=" is a seek
//               through it, anything else a scan of the table;
//   xFilter     the storage's scan or seek (a seek only for keys of the
//               column's own kind; SQLite checks each constraint again, so
//               a seek that finds more rows than the comparison takes loses
//               nothing);
//   xUpdate     insertRow, updateRow and deleteRow by the row's id;
//   xBegin ...  the storage's transactions: one for the statement, nested
//               ones for SQLite's savepoints, shared by every table of the
//               same storage. A table only read begins none, so a file
//               that is only read (a link's source) is never locked for
//               writing nor left inside a transaction.
//
// Values reach SQLite in the form our own files keep them, so a statement
// reads the same over a virtual table as over a table of our file.
// An engine error the storage raises (3022, 3058, 3201, 3026, 3027, 3045,
// 3049, ...) fails the SQLite statement; Connection's failure handling
// turns it back into the same AppError, number and text.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <string>

#include "engine/Storage.h"

namespace telvarn::executor {

class StorageTables {
 public:
  // Registers the virtual-table module on `db`; `db` must outlive this.
  explicit StorageTables(sqlite3* db);
  ~StorageTables();
  StorageTables(const StorageTables&) = delete;
  StorageTables& operator=(const StorageTables&) = delete;

  // Makes `schema`.`name` (an attached or the temp schema) stand for the
  // local table `table` of `storage`, with the table's fields as columns.
  // 3078 when the storage has no such table, 3251 for a link. `storage`
  // must outlive the virtual table.
  void show(Storage& storage, const std::string& table, const std::string& schema,
            const std::string& name);

  // What a virtual table fixes of its table when it is shown: the fields'
  // names and types and the indexes it seeks through. A table whose shape
  // changed since must be shown again.
  static std::string shapeOf(const TableRecord& table);

  struct Registry;

 private:
  sqlite3* db_;
  Registry* registry_;  // owned by the module registration
};

}  // namespace telvarn::executor

// Connection: one open SQLite file with the few calls the storage needs,
// every SQLite failure turned into the engine's numbered error.
#pragma once

#include <sqlite3.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/AppError.h"
#include "engine/Variant.h"

namespace telvarn::sqlite {

class Connection;

// A prepared statement; rows are read with step() and the column readers.
// The connection keeps statements prepared for reuse: when this object goes,
// its statement is reset (ending any read it had begun) and kept.
class Statement {
 public:
  // `source`: the text a statement beyond SQLite's limits of size and depth
  // is refused quoting, with 3075 "Expression too complex".
  Statement(Connection& connection, const std::string& sql, std::string_view source = {});
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& bind(int index, const std::string& value);
  Statement& bind(int index, int64_t value);
  Statement& bind(int index, const Variant& value);
  // A value as SQLite holds it, bound to the parameter named `name` (one the
  // statement may not have).
  Statement& bind(const char* name, const sqlite3_value* value);
  // True while there is a row to read; false when done.
  bool step();
  void run() {
    while (step()) {
    }
  }

  std::string text(int column) const;
  int64_t integer(int column) const;
  bool isNull(int column) const;
  // The value as SQLite holds it: Null, an Integer, a Double or a Text
  // (bytes as text).
  Variant value(int column) const;
  // The value of a column that holds a field of engine type `type`, in the
  // engine's form (ValueCodec.h).
  Variant fieldValue(int column, int type) const;
  int columnCount() const { return sqlite3_column_count(stmt_); }
  // The column's value as SQLite hands values to functions.
  sqlite3_value* rawValue(int column) const { return sqlite3_column_value(stmt_, column); }

 private:
  Connection& connection_;
  sqlite3_stmt* stmt_ = nullptr;
  bool borrowed_ = false;
};

class Connection {
 public:
  // Opens an existing file for reading and writing; never creates one.
  explicit Connection(const std::string& path, bool create = false);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  sqlite3* handle() const { return db_; }
  const std::string& path() const { return path_; }

  // Runs statements that return nothing.
  void exec(const std::string& sql);
  // Runs one statement that returns nothing; false when SQLite refuses it
  // as not fitting the schema (a change of a table that a view or trigger
  // would not survive), which changes nothing.
  bool accepts(const std::string& sql);
  // The first column of the first row, if there is a row.
  std::optional<int64_t> queryInteger(const std::string& sql);
  // Whether the file has a table of that name, found without reading the
  // whole schema.
  bool hasTable(const std::string& name);

  // The state of the schema and the catalog, to tell whether what was read
  // of them still holds: it moves with every change of a table, index, view
  // or trigger, every write to the catalog tables (committed or not) and
  // every commit of another connection.
  struct Stamp {
    int64_t schema = -1;
    uint64_t catalog = 0;
    int64_t data = -1;
    bool operator==(const Stamp&) const = default;
  };
  Stamp stamp();

  // The database text of a name: "name" with inner quotes doubled.
  static std::string quote(const std::string& name);
  // The database text of a text value: 'text' with inner quotes doubled.
  static std::string literal(const std::string& text);

  // Every write to the catalog tables is counted, so that what was read from
  // them before it is known to be stale, whether its transaction commits or
  // rolls back.
  void noteCatalogChange() { ++catalogChanges_; }
  uint64_t catalogChanges() const { return catalogChanges_; }
  // Whether the transaction now open has written to the catalog: what is read
  // then may yet be rolled back.
  bool catalogChangedInTransaction() const;

  // Work to run at the start of the first write transaction (bringing a
  // file of an earlier layout up to date), so that it is committed with
  // that transaction's change or rolled back with it, and then run again
  // with the next one.
  void beforeFirstWrite(std::function<void()> work);

 private:
  friend class Statement;
  // The cached prepared statement for `sql`, or nullptr when there is none
  // free and the caller must prepare its own.
  sqlite3_stmt* borrow(const std::string& sql);
  // Takes a statement the caller prepared into the cache, in use by it;
  // false when the cache does not keep it.
  bool keep(const std::string& sql, sqlite3_stmt* statement);
  void giveBack(sqlite3_stmt* statement);

  struct Cached {
    sqlite3_stmt* statement = nullptr;
    bool inUse = false;
  };
  friend class Transaction;
  friend class ReadTransaction;
  sqlite3* db_ = nullptr;
  std::string path_;
  std::unordered_map<std::string, Cached> cache_;
  uint64_t catalogChanges_ = 0;
  uint64_t changesAtBegin_ = 0;
  std::function<void()> firstWrite_;
  bool firstWriteDone_ = false;
};

// A write transaction that rolls back unless committed, so that every
// storage call changes the file whole or not at all. Inside another one it
// is a savepoint: its changes go back alone, or stay for the outer one to
// commit.
class Transaction {
 public:
  explicit Transaction(Connection& connection);
  ~Transaction();
  void commit();

 private:
  void rollBack();

  Connection& connection_;
  bool nested_;
  bool done_ = false;
  bool ranFirstWrite_ = false;
};

// Several reads seen as one: the file is locked once for all of them rather
// than once per statement, and no other process's change lands in between.
// Inside a write transaction it does nothing.
class ReadTransaction {
 public:
  explicit ReadTransaction(Connection& connection);
  ~ReadTransaction();

 private:
  Connection& connection_;
  bool began_ = false;
};

// The message that fails a SQLite call from inside (a function, a virtual
// table's method) with `error`: fail() raises the same error again, number
// and text.
std::string failureMessage(const AppError& error);

// The engine error for a failed SQLite call on `connection`; `source` as
// for Statement.
[[noreturn]] void fail(sqlite3* db, int code, const std::string& path,
                       std::string_view source = {});

}  // namespace telvarn::sqlite

// The floor of an UPDATE through a virtual table: SQLite alone, no TELVARN
// code. A table shaped as Northwind's Order Details (2,155 rows, a primary
// key over two fields and an index on each) is updated in every row
// directly, and through the least a virtual table over another connection
// can be: it steps that connection's scan, hands each value on as it is,
// and writes the one changed field by row id. SQLite gathers the rows of an
// UPDATE through a virtual table before it writes any, and the write is a
// second statement on the other connection, so the ratio says how near
// the .mdb storage's UPDATE can come to the same statement on our file
// (see mdb-write-bench). Usage: update-floor-bench [folder]
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>

namespace {

constexpr int kRepeats = 20;
constexpr int kQuantity = 3;  // the changed field's place

sqlite3* source = nullptr;
sqlite3_stmt* write = nullptr;

struct Cursor {
  sqlite3_vtab_cursor base{};
  sqlite3_stmt* rows = nullptr;
  bool atEnd = true;
};

Cursor& cursorOf(sqlite3_vtab_cursor* cursor) {
  return *reinterpret_cast<Cursor*>(cursor);
}

int connect(sqlite3* db, void*, int, const char* const*, sqlite3_vtab** out, char**) {
  sqlite3_declare_vtab(db,
                       "CREATE TABLE x (OrderID INTEGER, ProductID INTEGER, UnitPrice INTEGER, "
                       "Quantity INTEGER, Discount REAL)");
  *out = new sqlite3_vtab{};
  return SQLITE_OK;
}
int bestIndex(sqlite3_vtab*, sqlite3_index_info* info) {
  info->estimatedCost = 1e6;
  return SQLITE_OK;
}
int disconnect(sqlite3_vtab* vtab) {
  delete vtab;
  return SQLITE_OK;
}
int open(sqlite3_vtab*, sqlite3_vtab_cursor** out) {
  *out = &(new Cursor)->base;
  return SQLITE_OK;
}
int close(sqlite3_vtab_cursor* cursor) {
  sqlite3_finalize(cursorOf(cursor).rows);
  delete &cursorOf(cursor);
  return SQLITE_OK;
}
int next(sqlite3_vtab_cursor* cursor) {
  cursorOf(cursor).atEnd = sqlite3_step(cursorOf(cursor).rows) != SQLITE_ROW;
  return SQLITE_OK;
}
int filter(sqlite3_vtab_cursor* cursor, int, const char*, int, sqlite3_value**) {
  sqlite3_finalize(cursorOf(cursor).rows);
  sqlite3_prepare_v2(source,
                     "SELECT rowid, OrderID, ProductID, UnitPrice, Quantity, Discount FROM OD",
                     -1, &cursorOf(cursor).rows, nullptr);
  return next(cursor);
}
int eof(sqlite3_vtab_cursor* cursor) {
  return cursorOf(cursor).atEnd;
}
int column(sqlite3_vtab_cursor* cursor, sqlite3_context* context, int i) {
  if (sqlite3_vtab_nochange(context)) return SQLITE_OK;
  sqlite3_result_value(context, sqlite3_column_value(cursorOf(cursor).rows, i + 1));
  return SQLITE_OK;
}
int rowid(sqlite3_vtab_cursor* cursor, sqlite3_int64* out) {
  *out = sqlite3_column_int64(cursorOf(cursor).rows, 0);
  return SQLITE_OK;
}
int update(sqlite3_vtab*, int, sqlite3_value** argv, sqlite3_int64*) {
  sqlite3_bind_value(write, 1, argv[2 + kQuantity]);
  sqlite3_bind_int64(write, 2, sqlite3_value_int64(argv[0]));
  const int done = sqlite3_step(write);
  sqlite3_reset(write);
  return done == SQLITE_DONE ? SQLITE_OK : SQLITE_ERROR;
}
int begin(sqlite3_vtab*) {
  return sqlite3_exec(source, "BEGIN", nullptr, nullptr, nullptr);
}
int sync(sqlite3_vtab*) {
  return SQLITE_OK;
}
int commit(sqlite3_vtab*) {
  return sqlite3_exec(source, "COMMIT", nullptr, nullptr, nullptr);
}
int rollback(sqlite3_vtab*) {
  return sqlite3_exec(source, "ROLLBACK", nullptr, nullptr, nullptr);
}

void show(sqlite3* db, const std::string& path) {
  static sqlite3_module module{};
  module.xCreate = connect;
  module.xConnect = connect;
  module.xBestIndex = bestIndex;
  module.xDisconnect = disconnect;
  module.xDestroy = disconnect;
  module.xOpen = open;
  module.xClose = close;
  module.xFilter = filter;
  module.xNext = next;
  module.xEof = eof;
  module.xColumn = column;
  module.xRowid = rowid;
  module.xUpdate = update;
  module.xBegin = begin;
  module.xSync = sync;
  module.xCommit = commit;
  module.xRollback = rollback;
  sqlite3_open(path.c_str(), &source);
  sqlite3_prepare_v2(source, "UPDATE OD SET Quantity = ? WHERE rowid = ?", -1, &write, nullptr);
  sqlite3_create_module(db, "hand_on", &module, nullptr);
  sqlite3_exec(db, "CREATE VIRTUAL TABLE temp.HandedOn USING hand_on", nullptr, nullptr, nullptr);
}

double processorSeconds(sqlite3* db, const char* statement) {
  const std::clock_t start = std::clock();
  char* message = nullptr;
  if (sqlite3_exec(db, statement, nullptr, nullptr, &message) != SQLITE_OK)
    std::fprintf(stderr, "update-floor-bench: %s\n", message);
  sqlite3_free(message);
  return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path folder =
      argc > 1 ? std::filesystem::path(argv[1])
               : std::filesystem::temp_directory_path() /
                     ("update-floor-bench-" +
                      std::to_string(std::chrono::system_clock::now().time_since_epoch().count()));
  std::filesystem::create_directories(folder);
  const std::string path = (folder / "details.db").string();
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_exec(db,
               "CREATE TABLE OD (OrderID INTEGER, ProductID INTEGER, UnitPrice INTEGER, "
               "Quantity INTEGER, Discount REAL, PRIMARY KEY (OrderID, ProductID));"
               "CREATE INDEX ByOrder ON OD (OrderID); CREATE INDEX ByProduct ON OD (ProductID);"
               "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 2154) "
               "INSERT INTO OD SELECT 10248 + i / 3, i % 77, 10000 * (i % 300), i % 50, 0.05 "
               "FROM n",
               nullptr, nullptr, nullptr);
  show(db, path);
  double direct = 0;
  double handedOn = 0;
  for (int i = 0; i < kRepeats; ++i) {
    direct += processorSeconds(db, "UPDATE OD SET Quantity = Quantity + 1");
    handedOn += processorSeconds(db, "UPDATE HandedOn SET Quantity = Quantity + 1");
  }
  std::printf(
      "UPDATE of 2,155 rows x%d: directly %.3fs cpu | through a virtual table that hands "
      "the change on %.3fs cpu | ratio %.2f\n",
      kRepeats, direct, handedOn, handedOn / direct);
  sqlite3_finalize(write);
  sqlite3_close(source);
  sqlite3_close(db);
  std::filesystem::remove_all(folder);
  return 0;
}

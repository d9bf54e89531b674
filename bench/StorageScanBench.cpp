// Times a read of every value of 1,000,000 rows by SQLite through the virtual table
// that shows a storage's table (the way every storage but our own file, and
// every link, is read) against SQLite scanning the same table of the file
// directly, and prints the ratio of processor time (best of three runs, so a
// loaded machine does not count) and the growth of peak memory during the
// scans.
// A third run reads the table through the least a virtual table over
// another connection can be, for the floor of the ratio.
// Usage: storage-scan-bench [folder]   (default: a new folder under /tmp)
#include <sqlite3.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>

#include "engine/executor/StorageTables.h"
#include "engine/model/Database.h"
#include "engine/open/DBEngine.h"
#include "engine/sqlite/SqliteStorage.h"

namespace {

constexpr int kRows = 1000000;
constexpr char kQuery[] = "SELECT ID, Name, Amount FROM ";

double bestProcessorSeconds(const std::function<void()>& work) {
  double best = 1e9;
  for (int run = 0; run < 3; ++run) {
    const std::clock_t start = std::clock();
    work();
    best = std::min(best, static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC);
  }
  return best;
}

long peakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// The least a virtual table over another connection can cost: one that
// steps that connection's scan of the table and hands each value on as it
// is, converting nothing and holding nothing. Its ratio to the direct scan
// is the floor of the storage's virtual table.
namespace handOn {

sqlite3* source = nullptr;

struct Cursor {
  sqlite3_vtab_cursor base{};
  sqlite3_stmt* rows = nullptr;
  bool atEnd = true;
};

int connect(sqlite3* db, void*, int, const char* const*, sqlite3_vtab** out, char**) {
  sqlite3_declare_vtab(db, "CREATE TABLE x (ID INTEGER, Name TEXT, Amount REAL)");
  *out = new sqlite3_vtab{};
  return SQLITE_OK;
}
int bestIndex(sqlite3_vtab*, sqlite3_index_info* info) {
  info->estimatedCost = kRows;
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
  auto* held = reinterpret_cast<Cursor*>(cursor);
  sqlite3_finalize(held->rows);
  delete held;
  return SQLITE_OK;
}
int next(sqlite3_vtab_cursor* cursor) {
  auto* held = reinterpret_cast<Cursor*>(cursor);
  held->atEnd = sqlite3_step(held->rows) != SQLITE_ROW;
  return SQLITE_OK;
}
int filter(sqlite3_vtab_cursor* cursor, int, const char*, int, sqlite3_value**) {
  auto* held = reinterpret_cast<Cursor*>(cursor);
  sqlite3_finalize(held->rows);
  sqlite3_prepare_v2(source, "SELECT rowid, ID, Name, Amount FROM T", -1, &held->rows, nullptr);
  return next(cursor);
}
int eof(sqlite3_vtab_cursor* cursor) {
  return reinterpret_cast<Cursor*>(cursor)->atEnd;
}
int column(sqlite3_vtab_cursor* cursor, sqlite3_context* context, int i) {
  sqlite3_result_value(context,
                       sqlite3_column_value(reinterpret_cast<Cursor*>(cursor)->rows, i + 1));
  return SQLITE_OK;
}
int rowid(sqlite3_vtab_cursor* cursor, sqlite3_int64* out) {
  *out = sqlite3_column_int64(reinterpret_cast<Cursor*>(cursor)->rows, 0);
  return SQLITE_OK;
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
  sqlite3_open(path.c_str(), &source);
  sqlite3_create_module(db, "hand_on", &module, nullptr);
  sqlite3_exec(db, "CREATE VIRTUAL TABLE temp.HandedOn USING hand_on", nullptr, nullptr, nullptr);
}

}  // namespace handOn

// Every value of every row, as a statement reading the table hands them on;
// the sums tell whether both sides read the same.
std::string scan(sqlite3* db, const std::string& table) {
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db, (kQuery + table).c_str(), -1, &statement, nullptr);
  int64_t ids = 0;
  size_t textBytes = 0;
  double amounts = 0;
  while (sqlite3_step(statement) == SQLITE_ROW) {
    ids += sqlite3_column_int64(statement, 0);
    sqlite3_column_text(statement, 1);
    textBytes += static_cast<size_t>(sqlite3_column_bytes(statement, 1));
    amounts += sqlite3_column_double(statement, 2);
  }
  sqlite3_finalize(statement);
  return std::to_string(ids) + " " + std::to_string(textBytes) + " " + std::to_string(amounts);
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path folder =
      argc > 1 ? std::filesystem::path(argv[1])
               : std::filesystem::temp_directory_path() /
                     ("storage-scan-bench-" +
                      std::to_string(std::chrono::system_clock::now().time_since_epoch().count()));
  std::filesystem::create_directories(folder);
  const std::string path = (folder / "rows.mdb").string();
  telvarn::DBEngine::createDatabase(path);
  telvarn::DBEngine engine;
  auto database = engine.openDatabase(path);
  database->execute("CREATE TABLE T (ID LONG, Name TEXT(50), Amount DOUBLE)");
  auto& storage = dynamic_cast<telvarn::sqlite::SqliteStorage&>(database->storage());
  storage.connection().exec(
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
      std::to_string(kRows) + ") INSERT INTO T SELECT i, 'name ' || i, i + 0.5 FROM n");

  sqlite3* direct = nullptr;
  sqlite3_open(path.c_str(), &direct);
  sqlite3* shown = nullptr;
  sqlite3_open(":memory:", &shown);
  telvarn::executor::StorageTables tables(shown);
  tables.show(storage, "T", "temp", "T");

  std::string directResult;
  std::string shownResult;
  const double native = bestProcessorSeconds([&] { directResult = scan(direct, "T"); });
  const long before = peakKilobytes();
  const double virtualTable = bestProcessorSeconds([&] { shownResult = scan(shown, "temp.T"); });
  const long growth = peakKilobytes() - before;
  const double rowsAlone = bestProcessorSeconds([&] {
    const auto rows = storage.scan("T");
    while (rows->next()) {
    }
  });
  handOn::show(shown, path);
  std::string handedOnResult;
  const double handedOn =
      bestProcessorSeconds([&] { handedOnResult = scan(shown, "temp.HandedOn"); });
  std::printf("the storage's scan alone %.3fs\n", rowsAlone);
  std::printf(
      "a virtual table that only hands on another connection's values: %.3fs, ratio %.2f "
      "(the least a virtual table costs)\n",
      handedOn, handedOn / native);
  if (directResult != shownResult || directResult != handedOnResult) {
    std::fprintf(stderr, "different answers: %s / %s\n", directResult.c_str(), shownResult.c_str());
    return 1;
  }
  std::printf(
      "scan of %d rows: virtual table %.3fs  SQLite %.3fs  ratio %.2f  "
      "peak memory +%ld KB\n",
      kRows, virtualTable, native, virtualTable / native, growth);
  sqlite3_close(shown);
  sqlite3_close(handOn::source);
  sqlite3_close(direct);
  if (argc <= 1) std::filesystem::remove_all(folder);
  return 0;
}

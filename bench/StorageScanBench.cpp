// Times a read of every value of 1,000,000 rows by SQLite through the virtual table
// that shows a storage's table (the way every storage but our own file, and
// every link, is read) against SQLite scanning the same table of the file
// directly, and prints the ratio of processor time (best of three runs, so a
// loaded machine does not count) and the growth of peak memory during the
// scans.
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
  std::printf("the storage's scan alone %.3fs\n", rowsAlone);
  if (directResult != shownResult) {
    std::fprintf(stderr, "different answers: %s / %s\n", directResult.c_str(), shownResult.c_str());
    return 1;
  }
  std::printf(
      "scan of %d rows: virtual table %.3fs  SQLite %.3fs  ratio %.2f  "
      "peak memory +%ld KB\n",
      kRows, virtualTable, native, virtualTable / native, growth);
  sqlite3_close(shown);
  sqlite3_close(direct);
  if (argc <= 1) std::filesystem::remove_all(folder);
  return 0;
}

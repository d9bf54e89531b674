// Times the dialect's statements through Database::execute against the same
// work written in SQLite's own dialect and run by SQLite directly, in one
// program, and prints the ratios:
//   1. 100,000 single-row INSERT statements, one transaction each;
//   2. one UPDATE ... WHERE over 1,000,000 rows, best of five.
// The table has a Date/Time and a Currency field beside a Long, a Text and
// a Double, and SQLite's side writes them in the form our files keep (the
// day number, the count of ten-thousandths). Both sides run with PRAGMA
// synchronous=OFF (the same rollback journal), so the times are the
// statements' own work rather than the disk's; each is the processor time
// the program spends, as the machine is shared, and the sides take turns.
// Usage: dialect-bench [folder]   (default: a new folder under /tmp)
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>

#include "engine/model/Database.h"
#include "engine/open/DBEngine.h"
#include "engine/sqlite/SqliteStorage.h"

namespace {

using telvarn::Database;
using telvarn::DBEngine;

constexpr int kInserts = 100000;
constexpr int kRows = 1000000;

double processorSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double seconds(const std::function<void()>& work) {
  const double start = processorSeconds();
  work();
  return processorSeconds() - start;
}

void exec(sqlite3* db, const std::string& sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    std::fprintf(stderr, "sqlite: %s\n", error ? error : "?");
    std::exit(1);
  }
}

// One row's values; `dated` and `priced` are the Date/Time and Currency
// values as each side writes them.
std::string insertValues(int i, const std::string& dated, const std::string& priced) {
  return "(" + std::to_string(i) + ", 'name " + std::to_string(i) + "', " + std::to_string(i) +
         ".5, " + dated + ", " + priced + ")";
}

const char* const kColumns = " (ID, Name, Amount, Due, Price) VALUES ";
const char* const kUpdate =
    "UPDATE T SET Amount = Amount * 2, ID = ID + 1, Due = Due + 1, Price = Price + Price "
    "WHERE ID > 10";

struct Sides {
  std::shared_ptr<Database> ours;
  sqlite3* theirs = nullptr;
};

// The same table on both sides: ours made by the engine, theirs as the
// engine would declare it.
Sides open(DBEngine& engine, const std::filesystem::path& folder, const std::string& tag) {
  const std::string ourPath = (folder / ("ours-" + tag + ".mdb")).string();
  const std::string theirPath = (folder / ("theirs-" + tag + ".db")).string();
  DBEngine::createDatabase(ourPath);
  Sides sides;
  sides.ours = engine.openDatabase(ourPath);
  sides.ours->execute(
      "CREATE TABLE T (ID LONG, Name TEXT(50), Amount DOUBLE, Due DATETIME, Price CURRENCY)");
  auto& storage = dynamic_cast<telvarn::sqlite::SqliteStorage&>(sides.ours->storage());
  storage.connection().exec("PRAGMA synchronous=OFF");
  sqlite3_open(theirPath.c_str(), &sides.theirs);
  exec(sides.theirs, "PRAGMA synchronous=OFF");
  exec(sides.theirs,
       "CREATE TABLE T (ID INTEGER, Name TEXT COLLATE NOCASE, Amount REAL, Due DATETIME, "
       "Price NUMERIC)");
  return sides;
}

void report(const char* what, double ours, double theirs) {
  std::printf("%-34s TELVARN %8.3fs  SQLite %8.3fs  ratio %.2f\n", what, ours, theirs,
              ours / theirs);
}

// The two sides take turns, a tenth of the statements at a time, so that
// a busy spell of the machine falls on both alike.
void inserts(DBEngine& engine, const std::filesystem::path& folder) {
  Sides sides = open(engine, folder, "inserts");
  double ours = 0;
  double theirs = 0;
  constexpr int kTurn = kInserts / 10;
  for (int first = 1; first <= kInserts; first += kTurn) {
    ours += seconds([&] {
      for (int i = first; i < first + kTurn; ++i) {
        sides.ours->execute(std::string("INSERT INTO T") + kColumns +
                            insertValues(i, "#3/14/2024 6:00 PM#", "12.5"));
      }
    });
    theirs += seconds([&] {
      for (int i = first; i < first + kTurn; ++i) {
        exec(sides.theirs, "BEGIN IMMEDIATE");
        exec(sides.theirs,
             std::string("INSERT INTO T") + kColumns + insertValues(i, "45365.75", "125000"));
        exec(sides.theirs, "COMMIT");
      }
    });
  }
  report("100,000 single-row INSERTs", ours, theirs);
  sqlite3_close(sides.theirs);
}

void update(DBEngine& engine, const std::filesystem::path& folder) {
  Sides sides = open(engine, folder, "update");
  const std::string fill =
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
      std::to_string(kRows) +
      ") INSERT INTO T SELECT i, 'name ' || i, i + 0.5, 36526 + i % 3000 + 0.25, i * 100 FROM n";
  auto& storage = dynamic_cast<telvarn::sqlite::SqliteStorage&>(sides.ours->storage());
  storage.connection().exec(fill);
  exec(sides.theirs, fill);
  double ours = 1e9;
  double theirs = 1e9;
  for (int run = 0; run < 5; ++run) {
    ours = std::min(ours, seconds([&] { sides.ours->execute(kUpdate); }));
    theirs = std::min(theirs, seconds([&] {
                        exec(sides.theirs, "BEGIN IMMEDIATE");
                        exec(sides.theirs, kUpdate);
                        exec(sides.theirs, "COMMIT");
                      }));
  }
  report("UPDATE ... WHERE of 1,000,000 rows", ours, theirs);
  sqlite3_close(sides.theirs);
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path folder =
      argc > 1 ? std::filesystem::path(argv[1])
               : std::filesystem::temp_directory_path() /
                     ("dialect-bench-" +
                      std::to_string(std::chrono::system_clock::now().time_since_epoch().count()));
  std::filesystem::create_directories(folder);
  DBEngine engine;
  inserts(engine, folder);
  update(engine, folder);
  if (argc <= 1) std::filesystem::remove_all(folder);
  return 0;
}

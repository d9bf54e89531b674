// Times the dialect's statements through Database::execute against the same
// work written in SQLite's own dialect and run by SQLite directly, in one
// program, and prints the ratios:
//   1. 100,000 single-row INSERT statements, one transaction each;
//   2. one UPDATE ... WHERE over 1,000,000 rows.
// Both sides run with PRAGMA synchronous=OFF (the same rollback journal),
// so the times are the statements' own work rather than the disk's.
// Usage: dialect-bench [folder]   (default: a new folder under /tmp)
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "engine/DBEngine.h"
#include "engine/Database.h"
#include "engine/sqlite/SqliteStorage.h"

namespace {

using telvarn::Database;
using telvarn::DBEngine;

constexpr int kInserts = 100000;
constexpr int kRows = 1000000;

double seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void exec(sqlite3* db, const std::string& sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    std::fprintf(stderr, "sqlite: %s\n", error ? error : "?");
    std::exit(1);
  }
}

std::string insertValues(int i) {
  return "(" + std::to_string(i) + ", 'name " + std::to_string(i) + "', " + std::to_string(i) +
         ".5)";
}

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
  sides.ours->execute("CREATE TABLE T (ID LONG, Name TEXT(50), Amount DOUBLE)");
  auto& storage = dynamic_cast<telvarn::sqlite::SqliteStorage&>(sides.ours->storage());
  storage.connection().exec("PRAGMA synchronous=OFF");
  sqlite3_open(theirPath.c_str(), &sides.theirs);
  exec(sides.theirs, "PRAGMA synchronous=OFF");
  exec(sides.theirs, "CREATE TABLE T (ID INTEGER, Name TEXT COLLATE NOCASE, Amount REAL)");
  return sides;
}

void report(const char* what, double ours, double theirs) {
  std::printf("%-34s TELVARN %8.3fs  SQLite %8.3fs  ratio %.2f\n", what, ours, theirs,
              ours / theirs);
}

void inserts(DBEngine& engine, const std::filesystem::path& folder) {
  Sides sides = open(engine, folder, "inserts");
  const double ours = seconds([&] {
    for (int i = 1; i <= kInserts; ++i) {
      sides.ours->execute("INSERT INTO T (ID, Name, Amount) VALUES " + insertValues(i));
    }
  });
  const double theirs = seconds([&] {
    for (int i = 1; i <= kInserts; ++i) {
      exec(sides.theirs, "BEGIN IMMEDIATE");
      exec(sides.theirs, "INSERT INTO T (ID, Name, Amount) VALUES " + insertValues(i));
      exec(sides.theirs, "COMMIT");
    }
  });
  report("100,000 single-row INSERTs", ours, theirs);
  sqlite3_close(sides.theirs);
}

void update(DBEngine& engine, const std::filesystem::path& folder) {
  Sides sides = open(engine, folder, "update");
  const std::string fill =
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
      std::to_string(kRows) + ") INSERT INTO T SELECT i, 'name ' || i, i + 0.5 FROM n";
  auto& storage = dynamic_cast<telvarn::sqlite::SqliteStorage&>(sides.ours->storage());
  storage.connection().exec(fill);
  exec(sides.theirs, fill);
  const double ours = seconds(
      [&] { sides.ours->execute("UPDATE T SET Amount = Amount * 2, ID = ID + 1 WHERE ID > 10"); });
  const double theirs = seconds([&] {
    exec(sides.theirs, "BEGIN IMMEDIATE");
    exec(sides.theirs, "UPDATE T SET Amount = Amount * 2, ID = ID + 1 WHERE ID > 10");
    exec(sides.theirs, "COMMIT");
  });
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

// Times a unique index on 1,000,000 text values made by the engine, whose
// text indexes use the General sort order, against the same index made by
// SQLite with the NOCASE collation of the same column, and prints the ratio.
// The values are European words of both letter cases, with and without
// accents, each with a number that makes it unique, in random order.
// Usage: text-order-bench [folder]   (default: a new folder under /tmp)
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "engine/model/Database.h"
#include "engine/open/DBEngine.h"
#include "engine/sqlite/SqliteStorage.h"

namespace {

using telvarn::DBEngine;

constexpr int kRows = 1000000;
constexpr int kRounds = 3;

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

std::vector<std::string> values() {
  static const char* const words[] = {"Müller", "müller", "Ärger",  "apfel", "Zebra",   "côte",
                                      "Straße", "ŁÓDŹ",   "Smith",  "JONES", "Ødegård", "naïve",
                                      "Café",   "co-op",  "O'Neil", "garçon"};
  std::vector<std::string> out;
  out.reserve(kRows);
  for (int i = 0; i < kRows; ++i) {
    out.push_back(std::string(words[i % std::size(words)]) + " " + std::to_string(i));
  }
  std::shuffle(out.begin(), out.end(), std::mt19937(42));
  return out;
}

void fill(sqlite3* db, const std::vector<std::string>& rows) {
  exec(db, "BEGIN");
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO T (Name) VALUES (?)", -1, &insert, nullptr);
  for (const std::string& value : rows) {
    sqlite3_bind_text(insert, 1, value.data(), static_cast<int>(value.size()), SQLITE_STATIC);
    sqlite3_step(insert);
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  exec(db, "COMMIT");
}

// The engine's table, filled, with its index made and dropped again.
double ours(DBEngine& engine, const std::string& path, const std::vector<std::string>& rows) {
  DBEngine::createDatabase(path);
  auto db = engine.openDatabase(path);
  db->execute("CREATE TABLE T (Name TEXT(50))");
  auto& connection = dynamic_cast<telvarn::sqlite::SqliteStorage&>(db->storage()).connection();
  connection.exec("PRAGMA synchronous=OFF");
  fill(connection.handle(), rows);
  double best = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    best = std::min(best, seconds([&] { db->execute("CREATE UNIQUE INDEX ix ON T (Name)"); }));
    db->execute("DROP INDEX ix ON T");
  }
  return best;
}

double theirs(const std::string& path, const std::vector<std::string>& rows) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  exec(db, "PRAGMA synchronous=OFF");
  exec(db, "CREATE TABLE T (Name TEXT COLLATE NOCASE)");
  fill(db, rows);
  double best = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    best = std::min(best, seconds([&] {
                      exec(db, "BEGIN IMMEDIATE");
                      exec(db, "CREATE UNIQUE INDEX ix ON T (Name)");
                      exec(db, "COMMIT");
                    }));
    exec(db, "DROP INDEX ix");
  }
  sqlite3_close(db);
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path folder =
      argc > 1 ? std::filesystem::path(argv[1])
               : std::filesystem::temp_directory_path() /
                     ("text-order-bench-" +
                      std::to_string(std::chrono::system_clock::now().time_since_epoch().count()));
  std::filesystem::create_directories(folder);
  const std::vector<std::string> rows = values();
  DBEngine engine;
  const double general = ours(engine, (folder / "general.mdb").string(), rows);
  const double nocase = theirs((folder / "nocase.db").string(), rows);
  std::printf("unique index on 1,000,000 texts  General %.3fs  NOCASE %.3fs  ratio %.2f\n", general,
              nocase, general / nocase);
  if (argc <= 1) std::filesystem::remove_all(folder);
  return 0;
}

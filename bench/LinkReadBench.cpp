// Times a statement that reads every row of a 100,000-row linked table (its
// source another file of ours) through Database::execute, against two
// references: the same statement on a local table of the same shape, and
// the earlier way of reading a link, which copied its rows into a temporary
// table of the connection first (rebuilt here, the copy and the same
// statement over it). Prints processor time, best of three runs, and the
// ratios.
// Usage: link-read-bench [folder]   (default: a new folder under /tmp)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>

#include "engine/DataType.h"
#include "engine/model/Database.h"
#include "engine/model/TableDef.h"
#include "engine/open/DBEngine.h"
#include "engine/sqlite/Connection.h"
#include "engine/sqlite/SqliteStorage.h"
#include "engine/sqlite/ValueCodec.h"

namespace {

using telvarn::sqlite::Connection;

constexpr int kRows = 100000;
constexpr char kFields[] = "(ID LONG, Name TEXT(50), Amount DOUBLE)";
// One row out, so that the time is the read's.
constexpr char kRead[] = "INSERT INTO Sums (Total) SELECT Sum(ID + Amount) FROM ";

double bestProcessorSeconds(const std::function<void()>& work) {
  double best = 1e9;
  for (int run = 0; run < 3; ++run) {
    const std::clock_t start = std::clock();
    work();
    best = std::min(best, static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC);
  }
  return best;
}

telvarn::sqlite::SqliteStorage& ownStorage(telvarn::Database& database) {
  return dynamic_cast<telvarn::sqlite::SqliteStorage&>(database.storage());
}

void fill(telvarn::Database& database, const std::string& table) {
  database.execute("CREATE TABLE " + table + " " + kFields);
  ownStorage(database).connection().exec(
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
      std::to_string(kRows) + ") INSERT INTO " + table + " SELECT i, 'name ' || i, i + 0.5 FROM n");
}

// The earlier way: every row of the source table copied into a temporary
// table of `database`'s connection, each value through telvarn_convert with
// its kind, one INSERT per row.
void copyRows(telvarn::Database& database, telvarn::Storage& source, const std::string& copy) {
  Connection& connection = ownStorage(database).connection();
  const std::vector<telvarn::FieldRecord> fields = source.findTable("T")->fields;
  std::string columns;
  std::string values;
  for (size_t i = 0; i < fields.size(); ++i) {
    columns += (i ? ", " : "") + Connection::quote(fields[i].name) + " " +
               telvarn::storageDeclaration(fields[i].type);
    values += (i ? ", " : "") + std::string("telvarn_convert(?, ?, ") +
              std::to_string(fields[i].type) + ", " + std::to_string(fields[i].size) + ")";
  }
  connection.exec("DROP TABLE IF EXISTS temp." + copy);
  connection.exec("CREATE TABLE temp." + copy + " (" + columns + ")");
  const std::string insert = "INSERT INTO temp." + copy + " VALUES (" + values + ")";
  source.forEachRow("T", [&](const std::vector<telvarn::Variant>& row) {
    telvarn::sqlite::Statement statement(connection, insert);
    for (size_t i = 0; i < row.size(); ++i) {
      const auto place = static_cast<int>(2 * i + 1);
      statement.bind(place, row[i])
          .bind(place + 1, std::string(1, telvarn::sqlite::kindLetter(row[i].kind())));
    }
    statement.run();
    return true;
  });
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path folder =
      argc > 1 ? std::filesystem::path(argv[1])
               : std::filesystem::temp_directory_path() /
                     ("link-read-bench-" +
                      std::to_string(std::chrono::system_clock::now().time_since_epoch().count()));
  std::filesystem::create_directories(folder);
  const std::string sourcePath = (folder / "source.mdb").string();
  const std::string mainPath = (folder / "main.mdb").string();
  telvarn::DBEngine::createDatabase(sourcePath);
  telvarn::DBEngine::createDatabase(mainPath);
  telvarn::DBEngine engine;
  auto source = engine.openDatabase(sourcePath);
  auto database = engine.openDatabase(mainPath);
  fill(*source, "T");
  fill(*database, "Loc");
  database->execute("CREATE TABLE Sums (Total DOUBLE)");
  auto link = database->createTableDef("Lnk");
  link->setConnect(";DATABASE=" + sourcePath);
  link->setSourceTableName("T");
  database->appendTableDef(link);

  const double linked =
      bestProcessorSeconds([&] { database->execute(std::string(kRead) + "Lnk"); });
  const double local = bestProcessorSeconds([&] { database->execute(std::string(kRead) + "Loc"); });
  const double copied = bestProcessorSeconds([&] {
    database->atomically([&] {
      copyRows(*database, source->storage(), "Copied");
      ownStorage(*database).connection().exec(std::string(kRead) + "temp.Copied");
    });
  });
  const auto totals =
      ownStorage(*database).connection().queryInteger("SELECT Count(DISTINCT Total) FROM Sums");
  if (totals != 1) {
    std::fprintf(stderr, "the reads disagree\n");
    return 1;
  }
  std::printf(
      "a statement reading all %d rows of a link: %.3fs; the same on a local table "
      "%.3fs (ratio %.2f); copied first, as links were read before, %.3fs (ratio %.2f)\n",
      kRows, linked, local, linked / local, copied, linked / copied);
  database.reset();
  source.reset();
  if (argc <= 1) std::filesystem::remove_all(folder);
  return 0;
}

// Times data statements on copies of the desktop program's files against
// the same statements on our own file holding the same rows and indexes,
// and prints the ratios (processor time, which a loaded machine does not
// distort, and elapsed time, which counts the journal's syncs) and the
// growth of peak memory:
//   1. INSERT ... SELECT of 100,000 rows into a table with two indexes (a
//      text primary key and a text index that ignores Nulls);
//   2. then, on those 100,000 rows, a size change (Text 50 to 100) and a
//      new index;
//   3. an UPDATE of every row of Northwind's Order Details, 20 times.
// Usage: mdb-write-bench [corpus folder] [hundreds of thousands of rows]
// (default ../shared/mdb-corpus and 1: the INSERT runs that many times, each
// with its own prefix to the key, so that memory can be seen not to grow
// with the table).
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>

#include "engine/Storage.h"
#include "engine/model/Database.h"
#include "engine/open/DBEngine.h"

namespace {

namespace fs = std::filesystem;
using telvarn::Database;
using telvarn::DBEngine;

struct Cost {
  double processor = 0;
  double elapsed = 0;
};

Cost cost(const std::function<void()>& work) {
  const std::clock_t processor = std::clock();
  const auto elapsed = std::chrono::steady_clock::now();
  work();
  return {static_cast<double>(std::clock() - processor) / CLOCKS_PER_SEC,
          std::chrono::duration<double>(std::chrono::steady_clock::now() - elapsed).count()};
}

long peakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

void report(const char* what, Cost mdb, Cost ours, long growth) {
  std::printf(
      "%-40s .mdb %7.3fs cpu %7.3fs elapsed | our file %7.3fs cpu %7.3fs elapsed | "
      "ratio %.2f cpu %.2f elapsed | peak memory +%ld KB\n",
      what, mdb.processor, mdb.elapsed, ours.processor, ours.elapsed,
      mdb.processor / ours.processor, mdb.elapsed / ours.elapsed, growth);
}

std::string copyOf(const fs::path& corpus, const std::string& name, const fs::path& folder) {
  fs::copy_file(corpus / name, folder / name, fs::copy_options::overwrite_existing);
  return (folder / name).string();
}

constexpr int kUpdateRepeats = 20;

std::shared_ptr<Database> ourFile(DBEngine& engine, const fs::path& path) {
  DBEngine::createDatabase(path.string());
  return engine.openDatabase(path.string());
}

void insertSelect(DBEngine& engine, const fs::path& corpus, const fs::path& folder, int times) {
  const auto mdb = engine.openDatabase(copyOf(corpus, "testIndexPropertiesV2000.mdb", folder));
  const auto ours = ourFile(engine, folder / "ours-insert.mdb");
  for (const char* table : {"TableIgnoreNulls1", "TableIgnoreNulls1_temp"}) {
    ours->execute(std::string("CREATE TABLE ") + table +
                  " (row TEXT(50), data TEXT(50), CONSTRAINT PrimaryKey PRIMARY KEY (row))");
    ours->execute(std::string("CREATE INDEX DataIndex ON ") + table + " (data) WITH IGNORE NULL");
  }
  for (const auto& db : {mdb, ours}) {
    for (int i = 0; i < 400; ++i) {
      char row[8];
      std::snprintf(row, sizeof row, "%03d", i);
      db->execute(std::string("INSERT INTO TableIgnoreNulls1_temp (row, data) VALUES ('") + row +
                  "', 'data " + row + "')");
    }
  }
  const auto insert = [&](Database& db) {
    for (int i = 0; i < times; ++i)
      db.execute("INSERT INTO TableIgnoreNulls1 (row, data) SELECT '" +
                 (i == 0 ? "" : "x" + std::to_string(i) + "-") +
                 "' & a.row & '-' & b.row, 'data ' & b.row FROM TableIgnoreNulls1_temp a, "
                 "TableIgnoreNulls1_temp b WHERE b.row < '250'");
  };
  const long before = peakKilobytes();
  const Cost onMdb = cost([&] { insert(*mdb); });
  const long growth = peakKilobytes() - before;
  const Cost onOurs = cost([&] { insert(*ours); });
  const std::string rows = std::to_string(times * 100) + ",000 rows";
  report(("INSERT ... SELECT of " + rows).c_str(), onMdb, onOurs, growth);

  const std::string retype = "ALTER TABLE TableIgnoreNulls1 ALTER COLUMN data TEXT(100)";
  const long beforeRetype = peakKilobytes();
  const Cost retypeMdb = cost([&] { mdb->execute(retype); });
  const long retypeGrowth = peakKilobytes() - beforeRetype;
  report(("size change on " + rows).c_str(), retypeMdb, cost([&] { ours->execute(retype); }),
         retypeGrowth);

  const std::string index = "CREATE INDEX ByRow ON TableIgnoreNulls1 (row DESC)";
  const long beforeIndex = peakKilobytes();
  const Cost indexMdb = cost([&] { mdb->execute(index); });
  const long indexGrowth = peakKilobytes() - beforeIndex;
  report(("new index on " + rows).c_str(), indexMdb, cost([&] { ours->execute(index); }),
         indexGrowth);
}

void updateAll(DBEngine& engine, const fs::path& corpus, const fs::path& folder) {
  const auto mdb = engine.openDatabase(copyOf(corpus, "Northwind_Access2000.mdb", folder));
  const auto ours = ourFile(engine, folder / "ours-update.mdb");
  ours->execute(
      "CREATE TABLE [Order Details] (OrderID LONG, ProductID LONG, UnitPrice CURRENCY, "
      "Quantity SHORT, Discount SINGLE, CONSTRAINT PrimaryKey PRIMARY KEY (OrderID, ProductID))");
  for (const char* index : {"OrderID", "ProductID"})
    ours->execute(std::string("CREATE INDEX ") + index + " ON [Order Details] (" + index + ")");
  telvarn::Storage& from = mdb->storage();
  telvarn::Storage& to = ours->storage();
  to.begin();
  from.forEachRow("Order Details", [&](const std::vector<telvarn::Variant>& values) {
    to.insertRow("Order Details", values);
    return true;
  });
  to.commit();
  // A statement of a few milliseconds is timed as the sum of several, each
  // file in turn, so that the clock's grain and a moment's load do not
  // decide the ratio.
  const std::string statement = "UPDATE [Order Details] SET Quantity = Quantity + 1";
  const long before = peakKilobytes();
  Cost onMdb;
  Cost onOurs;
  for (int i = 0; i < kUpdateRepeats; ++i) {
    const Cost mdbOnce = cost([&] { mdb->execute(statement); });
    const Cost oursOnce = cost([&] { ours->execute(statement); });
    onMdb.processor += mdbOnce.processor;
    onMdb.elapsed += mdbOnce.elapsed;
    onOurs.processor += oursOnce.processor;
    onOurs.elapsed += oursOnce.elapsed;
  }
  const long growth = peakKilobytes() - before;
  report(("UPDATE of Order Details' 2,155 rows x" + std::to_string(kUpdateRepeats)).c_str(),
         onMdb, onOurs, growth);
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path corpus = argc > 1 ? argv[1] : "../shared/mdb-corpus";
  const int times = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
  if (!fs::exists(corpus / "Northwind_Access2000.mdb")) {
    std::fprintf(stderr, "mdb-write-bench: no corpus at %s\n", corpus.c_str());
    return 1;
  }
  const fs::path folder =
      fs::temp_directory_path() /
      ("mdb-write-bench-" +
       std::to_string(std::chrono::system_clock::now().time_since_epoch().count()));
  fs::create_directories(folder);
  DBEngine engine;
  insertSelect(engine, corpus, folder, times);
  updateAll(engine, corpus, folder);
  fs::remove_all(folder);
  return 0;
}

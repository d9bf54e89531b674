// Fuzzes the program's edges (--schema, --check, --export, and a schema
// change) on one of our own files whose catalog another tool has damaged:
// each input is a list of edits to the catalog's rows, made with SQLite
// directly on a fresh copy of a file that has tables of every kind of
// field, indexes, a relationship, a stored query, captions and rows. Each
// edit is four bytes: the catalog table, the row, the column, and what the
// value becomes (Null, a number, a real, or text taken from the bytes
// after it). Whatever the catalog says, every step must end in a result or
// a numbered error: no crash, no sanitizer report, no hang.
#include <sqlite3.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/core/CsvExport.h"
#include "app/core/SchemaJson.h"
#include "engine/AppError.h"
#include "engine/Storage.h"
#include "engine/model/Database.h"
#include "engine/model/Field.h"
#include "engine/model/TableDef.h"
#include "engine/open/DBEngine.h"

namespace {

namespace fs = std::filesystem;
using namespace telvarn;

const char* const kCatalog[] = {"MSysObjects", "MSysFields", "MSysProperties", "MSysIndexes",
                                "MSysIndexColumns"};

struct Files {
  Files() {
    folder = fs::temp_directory_path() / ("telvarn-catalog-fuzz-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    original = folder / "original.mdb";
    copy = folder / "copy.mdb";
    DBEngine::createDatabase(original.string());
    DBEngine engine;
    const auto db = engine.openDatabase(original.string());
    for (const char* statement : {
             "CREATE TABLE K (ID COUNTER CONSTRAINT pk PRIMARY KEY, Name TEXT(20) NOT NULL, "
             "Price CURRENCY, Seen DATETIME, Ok YESNO, Ratio DOUBLE, Notes MEMO, Tiny BYTE)",
             "CREATE UNIQUE INDEX ByName ON K (Name DESC)",
             "CREATE TABLE R (RID LONG, KID LONG, CONSTRAINT toK FOREIGN KEY (KID) REFERENCES K)",
             "INSERT INTO K (Name, Price, Seen, Ok, Ratio, Notes, Tiny) VALUES "
             "('one', 1.5, #2024-01-02#, True, 0.25, 'long text', 7)",
             "INSERT INTO K (Name) VALUES ('two')",
             "INSERT INTO R VALUES (1, 1)",
         })
      db->execute(statement);
    db->createQueryDef("Cheap", "SELECT Name FROM K WHERE Price < 2");
    db->tableDef("K")->field("Name")->setProperty("Caption", Variant("Shown"));
  }
  ~Files() {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }
  fs::path folder;
  fs::path original;
  fs::path copy;
};

// Applies the edits; an edit SQLite refuses (a key it would break) is left.
void damage(const std::string& path, const uint8_t* data, size_t size) {
  sqlite3* raw = nullptr;
  if (sqlite3_open(path.c_str(), &raw) != SQLITE_OK) std::abort();
  for (size_t at = 0; at + 4 <= size;) {
    const std::string table = kCatalog[data[at] % 5];
    const int row = data[at + 1] % 32;
    const int column = data[at + 2] % 8;
    const uint8_t kind = data[at + 3];
    at += 4;
    std::vector<std::string> columns;
    sqlite3_stmt* info = nullptr;
    sqlite3_prepare_v2(raw, ("PRAGMA table_info(" + table + ")").c_str(), -1, &info, nullptr);
    while (sqlite3_step(info) == SQLITE_ROW)
      columns.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(info, 1)));
    sqlite3_finalize(info);
    if (columns.empty()) continue;
    const std::string sql = "UPDATE " + table + " SET " + columns[column % columns.size()] +
                            " = ? WHERE rowid = (SELECT rowid FROM " + table + " LIMIT 1 OFFSET " +
                            std::to_string(row) + ")";
    sqlite3_stmt* edit = nullptr;
    if (sqlite3_prepare_v2(raw, sql.c_str(), -1, &edit, nullptr) != SQLITE_OK) std::abort();
    const size_t length = std::min<size_t>(kind >> 2, size - at);
    switch (kind & 3) {
      case 0:
        sqlite3_bind_null(edit, 1);
        break;
      case 1:
        sqlite3_bind_int64(edit, 1, static_cast<int8_t>(kind) * 1000003LL);
        break;
      case 2:
        sqlite3_bind_double(edit, 1, static_cast<int8_t>(kind) / 7.0);
        break;
      default:
        sqlite3_bind_text(edit, 1, reinterpret_cast<const char*>(data + at),
                          static_cast<int>(length), SQLITE_TRANSIENT);
        at += length;
    }
    sqlite3_step(edit);
    sqlite3_finalize(edit);
  }
  sqlite3_close(raw);
}

// A step that fails must fail with the engine's number: a library's own
// exception reaching the edge would say only "Reserved error".
template <typename Step>
void numbered(Step step) {
  try {
    step();
  } catch (const AppError& failure) {
    if (failure.number() <= 0) std::abort();
  } catch (const std::bad_alloc&) {
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "not numbered: %s\n", failure.what());
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const Files files;
  fs::copy_file(files.original, files.copy, fs::copy_options::overwrite_existing);
  damage(files.copy.string(), data, size);
  const std::string path = files.copy.string();
  numbered([&] {
    DBEngine engine;
    schemaJson(*engine.openDatabase(path));
  });
  numbered([&] {
    DBEngine engine;
    engine.openDatabase(path)->storage().check();
  });
  for (const char* table : {"K", "R", "Cheap", "MSysObjects"}) {
    numbered([&] {
      DBEngine engine;
      std::ostringstream out;
      exportCsv(*engine.openDatabase(path), table, out);
    });
  }
  numbered([&] {
    DBEngine engine;
    engine.openDatabase(path)->execute("ALTER TABLE K ALTER COLUMN Tiny LONG");
  });
  return 0;
}

// Failures that do not start as the engine's own still reach the caller as
// numbered errors: a damaged value in the catalog, and whatever the C++
// library throws inside an SQL function SQLite calls.
#include <sqlite3.h>

#include <new>
#include <stdexcept>

#include "engine/EngineFixture.h"
#include "engine/Storage.h"
#include "engine/sqlite/Connection.h"
#include "engine/sqlite/FunctionSupport.h"

namespace telvarn::test {
namespace {

using DamagedCatalog = EngineFixture;

TEST_F(DamagedCatalog, AValueThatIsNoValueOfItsTypeIs3343) {
  makeTable("T", {{"F", 10, 20}});
  const auto readFresh = [&] {
    DBEngine fresh;
    return fresh.openDatabase(path)->tableDef("T")->field("F")->property("Caption");
  };
  raw("UPDATE MSysProperties SET Type = 7, Value = '2.5' WHERE Name = 'Caption'");
  EXPECT_EQ(readFresh(), Variant(2.5));
  raw("UPDATE MSysProperties SET Type = 7, Value = 'abc' WHERE Name = 'Caption'");
  EXPECT_EQ(errorOf([&] { readFresh(); }), 3343);
  raw("UPDATE MSysProperties SET Type = 4, Value = 'abc' WHERE Name = 'Caption'");
  EXPECT_EQ(errorOf([&] { readFresh(); }), 3343);
  EXPECT_EQ(errorOf([&] {
              DBEngine fresh;
              fresh.openDatabase(path)->storage().check();
            }),
            3343);
}

void outOfMemory(sqlite3_context*, sqlite3_value**) {
  throw std::bad_alloc();
}
void libraryFailure(sqlite3_context*, sqlite3_value**) {
  throw std::length_error("basic_string::_M_create");
}

// The error a function's failure comes back as from SQLite.
AppError errorFrom(const std::string& function) {
  sqlite3* db = nullptr;
  sqlite3_open(":memory:", &db);
  sqlite3_create_function(db, "outOfMemory", 0, SQLITE_UTF8, nullptr, sqlite::guarded<outOfMemory>,
                          nullptr, nullptr);
  sqlite3_create_function(db, "libraryFailure", 0, SQLITE_UTF8, nullptr,
                          sqlite::guarded<libraryFailure>, nullptr, nullptr);
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db, ("SELECT " + function + "()").c_str(), -1, &statement, nullptr);
  const int rc = sqlite3_step(statement);
  sqlite3_finalize(statement);
  try {
    sqlite::fail(db, rc, "file");
  } catch (const AppError& error) {
    sqlite3_close(db);
    return error;
  }
}

TEST(SqlFunctions, WhatTheLibraryThrowsReturnsAsANumberedError) {
  EXPECT_EQ(errorFrom("outOfMemory").number(), 7);
  const AppError failure = errorFrom("libraryFailure");
  EXPECT_EQ(failure.number(), 3000);
  EXPECT_EQ(failure.description(),
            "Reserved error (basic_string::_M_create); there is no message for this error.");
}

}  // namespace
}  // namespace telvarn::test

// Disk faults in the middle of engine operations: a write or sync that fails
// (from the Nth on, for every N the operation reaches) must raise a numbered
// error and leave the file as it was before or as it is after, never half.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <functional>

#include "engine/AppError.h"
#include "engine/DataType.h"
#include "engine/Storage.h"
#include "engine/model/Database.h"
#include "engine/model/Field.h"
#include "engine/model/TableDef.h"
#include "engine/open/DBEngine.h"
#include "reliability/FaultVfs.h"
#include "support/TempDir.h"

namespace telvarn::test {
namespace {

// Everything a change could have touched: fields, indexes and every row.
std::string fingerprint(const std::string& path) {
  DBEngine engine;
  auto db = engine.openDatabase(path);
  std::string text;
  auto table = db->tableDef("T");
  for (const auto& field : table->fields()) {
    text += field->name() + ":" + std::to_string(field->type()) + ":" +
            std::to_string(field->size()) + ";";
  }
  text += "indexes " + std::to_string(table->indexes().size()) + ";";
  sqlite3* handle = nullptr;
  sqlite3_open(path.c_str(), &handle);
  sqlite3_stmt* rows = nullptr;
  sqlite3_prepare_v2(handle, "SELECT * FROM T ORDER BY rowid", -1, &rows, nullptr);
  while (sqlite3_step(rows) == SQLITE_ROW) {
    for (int i = 0; i < sqlite3_column_count(rows); ++i) {
      const auto* value = reinterpret_cast<const char*>(sqlite3_column_text(rows, i));
      text += value ? value : "-";
      text += ",";
    }
  }
  sqlite3_finalize(rows);
  sqlite3_close(handle);
  return text;
}

class FaultInjection : public ::testing::Test {
 protected:
  FaultInjection() {
    installFaultVfs();
    clearFault();
    DBEngine::createDatabase(dir.file("template.mdb"));
    DBEngine engine;
    engine.openDatabase(dir.file("template.mdb"))
        ->execute("CREATE TABLE T (ID LONG, Code LONG, Name TEXT(40))");
    sqlite3* handle = nullptr;
    sqlite3_open(dir.file("template.mdb").c_str(), &handle);
    sqlite3_exec(handle,
                 "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400) "
                 "INSERT INTO T SELECT i, i % 9, 'name ' || i FROM n",
                 nullptr, nullptr, nullptr);
    sqlite3_close(handle);
  }
  ~FaultInjection() override { clearFault(); }

  // Runs `change` once cleanly to learn the states and the number of writes
  // and syncs it makes, then once for every place a fault can strike.
  void everyFault(Fault fault, const std::function<void(Database&)>& change) {
    const std::string path = dir.file("work.mdb");
    const std::string before = fingerprint(dir.file("template.mdb"));
    std::filesystem::copy_file(dir.file("template.mdb"), path,
                               std::filesystem::copy_options::overwrite_existing);
    int operations = 0;
    {
      DBEngine engine;
      auto db = engine.openDatabase(path);
      armFault(Fault::None, 0);
      change(*db);
      operations = operationsSeen();
    }
    const std::string after = fingerprint(path);
    int refused = 0;
    ASSERT_NE(before, after);
    ASSERT_GT(operations, 0);
    for (int n = 1; n <= operations; ++n) {
      std::filesystem::copy_file(dir.file("template.mdb"), path,
                                 std::filesystem::copy_options::overwrite_existing);
      int number = 0;
      {
        DBEngine engine;
        auto db = engine.openDatabase(path);
        armFault(fault, n);
        try {
          change(*db);
        } catch (const AppError& error) {
          number = error.number();
        }
        const bool struck = faultStruck();
        clearFault();
        if (struck && number != 0) {
          EXPECT_TRUE(number == 3043 || number == 3026) << "fault at " << n << ": " << number;
        }
        refused += number != 0;
      }
      DBEngine engine;
      EXPECT_EQ(engine.openDatabase(path)->storage().check(), std::vector<std::string>{})
          << "fault at " << n;
      const std::string state = fingerprint(path);
      EXPECT_TRUE(state == before || state == after) << "fault at " << n << " left a half state";
      if (number != 0) {
        EXPECT_EQ(state, before) << "a refused change stayed, fault at " << n;
      }
    }
    // Most faults strike before the change is committed and refuse it.
    EXPECT_GT(refused, 0);
    std::printf("%d places a fault can strike, %d refused the change\n", operations, refused);
  }

  TempDir dir;
};

TEST_F(FaultInjection, ATypeChangeIsWholeOrAbsentWhateverWriteFails) {
  everyFault(Fault::WriteError,
             [](Database& db) { db.execute("ALTER TABLE T ALTER COLUMN Code TEXT(20)"); });
}

TEST_F(FaultInjection, AFullDiskDuringAnIndexLeavesTheTableAsItWas) {
  everyFault(Fault::DiskFull,
             [](Database& db) { db.execute("CREATE UNIQUE INDEX ByID ON T (ID)"); });
}

TEST_F(FaultInjection, AFailedSyncDuringAFieldAppendLeavesNoHalfField) {
  everyFault(Fault::SyncError, [](Database& db) {
    auto table = db.tableDef("T");
    table->appendField(table->createField("Extra", DataType::Text, 10));
  });
}

TEST_F(FaultInjection, AFailedWriteDuringAnUpdateKeepsEveryRowOrNone) {
  everyFault(Fault::WriteError,
             [](Database& db) { db.execute("UPDATE T SET Name = Name & '!' WHERE ID > 10"); });
}

}  // namespace
}  // namespace telvarn::test

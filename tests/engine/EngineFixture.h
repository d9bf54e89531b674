// A fresh database file in a temporary folder, opened through the engine,
// with a side door to the raw SQLite file for putting rows in and reading
// them back.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "engine/AppError.h"
#include "engine/model/Database.h"
#include "engine/model/Field.h"
#include "engine/model/Index.h"
#include "engine/model/TableDef.h"
#include "engine/open/DBEngine.h"
#include "engine/sqlite/TextOrder.h"
#include "support/ErrorOf.h"
#include "support/RawSql.h"
#include "support/TempDir.h"

namespace telvarn::test {

class EngineFixture : public ::testing::Test {
 protected:
  EngineFixture() : path(dir.file("test.mdb")) {
    DBEngine::createDatabase(path);
    db = engine.openDatabase(path);
  }

  // Runs SQLite's own SQL on the file, outside the engine.
  void raw(const std::string& sql) { ASSERT_EQ(rawExec(path, sql), ""); }

  // The first column of every row of a raw query, joined by "|".
  std::string rawColumn(const std::string& sql) { return rawRows(path, sql); }

  // A saved table with the given (name, type, size) fields.
  std::shared_ptr<TableDef> makeTable(const std::string& name,
                                      std::vector<std::tuple<std::string, int, int>> fields) {
    auto table = db->createTableDef(name);
    for (const auto& [field, type, size] : fields) {
      table->appendField(table->createField(field, type, size));
    }
    db->appendTableDef(table);
    return db->tableDef(name);
  }

  std::shared_ptr<Index> index(const std::string& name, const std::string& field,
                               bool primary = false, bool unique = false) {
    auto made = std::make_shared<Index>(IndexRecord{name, false, false, false, false, {}});
    made->setPrimary(Variant(primary));
    made->setUnique(Variant(unique));
    made->appendField(*made->createField(field));
    return made;
  }

  TempDir dir;
  std::string path;
  DBEngine engine;
  std::shared_ptr<Database> db;
};

}  // namespace telvarn::test

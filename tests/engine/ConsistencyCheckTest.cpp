// The consistency check: quiet on files the engine wrote, and naming each
// kind of disagreement between the catalog and the SQLite schema.
#include "engine/DataType.h"
#include "engine/EngineFixture.h"
#include "engine/Storage.h"

namespace telvarn::test {
namespace {

using ConsistencyCheck = EngineFixture;

TEST_F(ConsistencyCheck, WhatTheEngineWritesIsConsistent) {
  auto table = makeTable("T", {{"A", DataType::Long, 0}, {"B", DataType::Text, 5}});
  table->appendIndex(index("ByA", "A", true));
  db->appendTableDef(db->createTableDef("Empty"));
  table->field("B")->setProperty("Name", "C");
  table->deleteField("C");
  EXPECT_EQ(db->storage().check(), std::vector<std::string>{});
}

TEST_F(ConsistencyCheck, NamesEveryDisagreement) {
  auto table = makeTable("T", {{"A", DataType::Long, 0}, {"B", DataType::Text, 5}});
  table->appendIndex(index("ByA", "A"));
  makeTable("U", {{"X", DataType::Long, 0}});
  raw("DROP INDEX \"T.ByA\"; ALTER TABLE U ADD COLUMN Extra; CREATE TABLE Stray (a);"
      "DELETE FROM MSysObjects WHERE Name = 'U'; CREATE TABLE V (Y INTEGER);"
      "INSERT INTO MSysObjects (Name, Type) VALUES ('V', 1);"
      "INSERT INTO MSysFields VALUES ('V', 'Y', 0, 10, 5, 0, '', 0, 0)");
  const std::vector<std::string> faults = db->storage().check();
  const auto mentions = [&](const std::string& text) {
    return std::any_of(faults.begin(), faults.end(),
                       [&](const std::string& f) { return f.find(text) != std::string::npos; });
  };
  EXPECT_TRUE(mentions("index T.ByA")) << faults.size();
  EXPECT_TRUE(mentions("field V.Y is stored as Y INTEGER"));
  EXPECT_TRUE(mentions("fields of a table that is gone: U"));
  EXPECT_TRUE(mentions("table Stray is not in the catalog"));
  EXPECT_TRUE(mentions("table U is not in the catalog"));
}

}  // namespace
}  // namespace telvarn::test

// Relationships made and deleted in a real file: the MSysRelationships rows
// mdb-schema reads as a foreign key, the two logical indexes the engine's
// own relationships have (the referring one over a tree built from the
// rows, the other sharing the primary key's tree), enforced by the row
// writer afterwards, and all of it gone again when the relationship goes.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/DataType.h"
#include "engine/mdb/MdbCorpus.h"
#include "engine/mdb/MdbProof.h"
#include "engine/mdb/MdbStorage.h"
#include "engine/mdb/MdbToolsRows.h"
#include "engine/mdb/PageFile.h"
#include "engine/mdb/SchemaWriter.h"
#include "engine/mdb/TableScan.h"
#include "engine/mdb/TableWriter.h"
#include "support/ErrorOf.h"
#include "support/TempDir.h"

namespace telvarn::test {
namespace {

using namespace telvarn::mdb;
using Lines = std::vector<std::string>;

RelationRecord relation(const std::string& name, const std::string& table,
                        const std::string& column, const std::string& keys,
                        const std::string& key) {
  return {name, table, {column}, keys, {key}};
}

// mdb-schema's foreign keys of the table, or of every table up to the
// first relationship of a system table in MSysRelationships (mdb-schema
// stops there).
std::string foreignKeys(const std::string& path, const std::string& table = "") {
  std::string lines;
  const std::string only = table.empty() ? "" : " -T " + shellQuote(table);
  for (const std::string& line :
       split(commandOutput("mdb-schema --relations" + only + " " + shellQuote(path) + " postgres"),
             '\n')) {
    if (line.find("FOREIGN KEY") != std::string::npos) lines += line + "\n";
  }
  return lines;
}

// The row id of the row whose first column is `id`.
uint32_t rowWithId(PageFile& file, TableWriter& table, int64_t id) {
  uint32_t found = 0;
  std::vector<uint32_t> rows;
  forEachStoredRow(file, table.definition(), [&](uint32_t row, ByteView) {
    rows.push_back(row);
    return true;
  });
  for (const uint32_t row : rows) {
    if (table.read(row)[0].toInteger() == id) found = row;
  }
  return found;
}

TEST(MdbRelationshipsMade, ARelationshipIsEnforcedUntilItGoes) {
  SKIP_WITHOUT_MDBTOOLS();
  TempDir dir;
  const std::string path = corpusCopy(dir.path(), "Northwind_Access2000.mdb");
  const std::string untouched = corpusFile("Northwind_Access2000.mdb");
  TableRecord ratings;
  ratings.name = "Ratings";
  ratings.fields.resize(2);
  ratings.fields[0].name = "ShipperID";
  ratings.fields[0].type = DataType::Long;
  ratings.fields[1].name = "Stars";
  ratings.fields[1].type = DataType::Integer;
  const RelationRecord rated =
      relation("ShippersRatings", "Ratings", "ShipperID", "Shippers", "ShipperID");
  const uint32_t shippersPage = MdbStorage(path).definition("Shippers").page;
  {
    PageFile file(path, kPageSize);
    SchemaWriter schema(file);
    schema.createTable(ratings);
    TableWriter rows(file, MdbStorage(path).definition("Ratings").page);
    rows.insert({Variant(1), Variant(5)});
    rows.insert({Variant(), Variant(1)});  // a Null refers to nothing
    const uint32_t orphan = rows.insert({Variant(9), Variant(2)});
    EXPECT_EQ(errorOf([&] { schema.addRelation(rated); }), 3201);
    rows.remove(orphan);
    EXPECT_EQ(errorOf([&] {
                schema.addRelation(
                    relation("ShippersOrders", "Ratings", "ShipperID", "Shippers", "ShipperID"));
              }),
              3012);
    EXPECT_EQ(errorOf([&] {
                schema.addRelation(relation("R", "Ratings", "ShipperID", "Customers", "Nothing"));
              }),
              3265);
    EXPECT_EQ(errorOf([&] {
                schema.addRelation(relation("R", "Ratings", "ShipperID", "Orders", "EmployeeID"));
              }),
              3173);
    EXPECT_EQ(errorOf([&] {
                schema.addRelation(relation("R", "Ratings", "Stars", "Shippers", "ShipperID"));
              }),
              3368);
    schema.addRelation(rated);
  }
  EXPECT_NE(foreignKeys(path, "Ratings")
                .find("ALTER TABLE \"Ratings\" ADD CONSTRAINT \"ratings_shipperid_fk\" FOREIGN KEY "
                      "(\"shipperid\") REFERENCES \"Shippers\"(\"shipperid\")"),
            std::string::npos)
      << foreignKeys(path, "Ratings");
  const TableDefinition shippers = MdbStorage(path).definition("Shippers");
  const TableDefinition before = MdbStorage(untouched).definition("Shippers");
  ASSERT_EQ(shippers.logicalIndexes.size(), before.logicalIndexes.size() + 1);
  EXPECT_EQ(shippers.physicalIndexes, before.physicalIndexes);
  // Shippers had two indexes: the new one is ".rC".
  const auto named = std::find_if(shippers.logicalIndexes.begin(), shippers.logicalIndexes.end(),
                                  [](const LogicalIndex& l) { return l.name == ".rC"; });
  ASSERT_NE(named, shippers.logicalIndexes.end());
  const LogicalIndex& back = *named;
  const TableDefinition made = MdbStorage(path).definition("Ratings");
  ASSERT_EQ(made.logicalIndexes.size(), 1u);
  EXPECT_EQ(made.logicalIndexes[0].relatedIndex, back.number);
  EXPECT_EQ(back.relatedIndex, made.logicalIndexes[0].number);
  EXPECT_EQ(proofProblems(path, untouched, {"Ratings", "Shippers"}), Lines{});

  {
    PageFile file(path, kPageSize);
    TableWriter rows(file, made.page);
    EXPECT_EQ(errorOf([&] { rows.insert({Variant(7), Variant(1)}); }), 3201);
    TableWriter shipperRows(file, shippersPage);
    shipperRows.insert({Variant(), Variant("Hermes"), Variant()});
    rows.insert({Variant(4), Variant(4)});
    EXPECT_EQ(errorOf([&] { shipperRows.remove(rowWithId(file, shipperRows, 4)); }), 3200);
    SchemaWriter schema(file);
    EXPECT_EQ(errorOf([&] { schema.dropIndex("Shippers", "PrimaryKey"); }), 3281);
    schema.dropRelation("ShippersRatings");
    EXPECT_EQ(errorOf([&] { schema.dropRelation("ShippersRatings"); }), 3265);
  }
  EXPECT_EQ(foreignKeys(path), foreignKeys(untouched));
  EXPECT_EQ(foreignKeys(path, "Ratings"), "");
  EXPECT_EQ(MdbStorage(path).definition("Shippers").logicalIndexes, before.logicalIndexes);
  EXPECT_TRUE(MdbStorage(path).definition("Ratings").physicalIndexes.empty());
  {
    PageFile file(path, kPageSize);
    TableWriter shipperRows(file, shippersPage);
    shipperRows.remove(rowWithId(file, shipperRows, 4));
  }
  EXPECT_EQ(proofProblems(path, untouched, {"Ratings", "Shippers"}), Lines{});
}

}  // namespace
}  // namespace telvarn::test

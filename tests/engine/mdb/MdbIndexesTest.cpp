// Indexes added to and dropped from real files: trees built from the rows
// (held to MdbProof: every entry equals the key re-made from its row, the
// tree well formed, the structural check clean), trees shared by indexes
// with the same columns and rules, refusals that leave the file as it was,
// and relationships that still hold after an index before theirs goes.
#include <gtest/gtest.h>

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

IndexRecord index(const std::string& name, std::vector<IndexColumn> columns) {
  IndexRecord record;
  record.name = name;
  record.columns = std::move(columns);
  return record;
}

std::string indexLines(const std::string& path, const std::string& table) {
  std::string lines;
  for (const std::string& line :
       split(commandOutput("mdb-schema --indexes -T " + shellQuote(table) + " " + shellQuote(path) +
                           " postgres"),
             '\n')) {
    if (line.find("INDEX") != std::string::npos || line.find("PRIMARY") != std::string::npos)
      lines += line + "\n";
  }
  return lines;
}

TEST(MdbIndexes, NewTreesAreBuiltFromTheRowsOrRefusedWithTheFileUnchanged) {
  SKIP_WITHOUT_MDBTOOLS();
  TempDir dir;
  const std::string path = corpusCopy(dir.path(), "Northwind_Access2000.mdb");
  const std::string untouched = corpusFile("Northwind_Access2000.mdb");
  const std::string before = readFile(path);
  {
    PageFile file(path, kPageSize);
    SchemaWriter schema(file);
    IndexRecord unique = index("Customer", {{"CustomerID", false}});
    unique.unique = true;
    EXPECT_EQ(errorOf([&] { schema.addIndex("Orders", unique); }), 3022);
    IndexRecord required = index("Filled", {{"Region", false}});
    required.required = true;
    EXPECT_EQ(errorOf([&] { schema.addIndex("Customers", required); }), 3058);
    IndexRecord primary = index("Key", {{"City", false}});
    primary.primary = true;
    EXPECT_EQ(errorOf([&] { schema.addIndex("Customers", primary); }), 3283);
    EXPECT_EQ(errorOf([&] {
                schema.addIndex("Customers", index("city", {{"Country", false}}));
              }),
              3284);
    EXPECT_EQ(errorOf([&] {
                schema.addIndex("Customers", index("X", {{"Nothing", false}}));
              }),
              3265);
    EXPECT_EQ(errorOf([&] { schema.addIndex("Nothing", index("X", {{"City", false}})); }), 3265);
  }
  EXPECT_EQ(readFile(path), before);

  const size_t trees = MdbStorage(path).definition("Customers").physicalIndexes.size();
  {
    PageFile file(path, kPageSize);
    SchemaWriter schema(file);
    // Two columns, one descending, over rows with Nulls; Nulls left out;
    // many leaves (2,155 rows).
    schema.addIndex("Customers", index("RegionCity", {{"Region", true}, {"City", false}}));
    IndexRecord ignoring = index("Fax", {{"Fax", false}});
    ignoring.ignoreNulls = true;
    schema.addIndex("Customers", ignoring);
    IndexRecord price = index("Price", {{"UnitPrice", true}, {"Quantity", false}});
    schema.addIndex("Order Details", price);
    // Over the same columns with the same rules as "City": a tree of its own.
    schema.addIndex("Customers", index("Town", {{"City", false}}));
  }
  const TableDefinition customers = MdbStorage(path).definition("Customers");
  EXPECT_EQ(customers.physicalIndexes.size(), trees + 3);
  EXPECT_EQ(customers.logicalIndexes.size(),
            MdbStorage(untouched).definition("Customers").logicalIndexes.size() + 3);
  const std::string schema = indexLines(path, "Customers");
  EXPECT_NE(schema.find("CREATE INDEX \"customers_regioncity_idx\" ON \"customers\" (\"region\" "
                        "DESC, \"city\");"),
            std::string::npos)
      << schema;
  EXPECT_NE(schema.find("CREATE INDEX \"customers_town_idx\" ON \"customers\" (\"city\");"),
            std::string::npos);
  EXPECT_NE(schema.find("CREATE INDEX \"customers_fax_idx\" ON \"customers\" (\"fax\");"),
            std::string::npos);
  EXPECT_EQ(proofProblems(path, untouched, {"Customers", "Order Details"}), Lines{});

  // Rows written afterwards go into the new trees, and their rules hold.
  {
    PageFile file(path, kPageSize);
    SchemaWriter schema(file);
    IndexRecord unique = index("Name", {{"CompanyName", false}});
    unique.unique = true;
    schema.addIndex("Customers", unique);
    TableWriter writer(file, customers.page);
    std::vector<Variant> row(customers.columns.size());
    row[0] = Variant("ZZZZZ");
    row[1] = Variant("Alfreds Futterkiste");
    EXPECT_EQ(errorOf([&] { writer.insert(row); }), 3022);
    row[1] = Variant("Zebra Imports");
    writer.insert(row);
  }
  EXPECT_EQ(proofProblems(path, untouched, {"Customers"}), Lines{});
}

// A tree is built whole from the sorted keys, its pages full: long keys
// make it three levels deep, and rows written afterwards split the full
// pages and empty some.
TEST(MdbIndexes, ATreeBuiltAtOnceTakesRowWritesAfterwards) {
  SKIP_WITHOUT_MDBTOOLS();
  TempDir dir;
  const std::string path = corpusCopy(dir.path(), "empty_Access2000_template.mdb");
  const std::string untouched = corpusFile("empty_Access2000_template.mdb");
  TableRecord table;
  table.name = "Long";
  table.fields.resize(2);
  table.fields[0].name = "ID";
  table.fields[0].type = DataType::Long;
  table.fields[1].name = "Name";
  table.fields[1].type = DataType::Text;
  table.fields[1].size = 255;
  const auto name = [](int i) {
    const std::string digits = std::to_string(100000 + i * 7 % 3001);
    return digits + std::string(190, 'x') + std::to_string(i);
  };
  std::vector<uint32_t> rows;
  {
    PageFile file(path, kPageSize);
    SchemaWriter(file).createTable(table);
    PageTransaction change(file);
    TableWriter writer(file, MdbStorage(path).definition("Long").page);
    for (int i = 0; i < 1500; ++i)
      rows.push_back(writer.insert({Variant(int64_t{i}), Variant(name(i))}));
    change.commit();
    SchemaWriter(file).addIndex("Long", index("ByName", {{"Name", false}}));
  }
  EXPECT_EQ(proofProblems(path, untouched, {"Long"}), Lines{});
  {
    PageFile file(path, kPageSize);
    PageTransaction change(file);
    TableWriter writer(file, MdbStorage(path).definition("Long").page);
    for (int i = 1500; i < 1800; ++i) writer.insert({Variant(int64_t{i}), Variant(name(i))});
    for (size_t i = 0; i < rows.size(); i += 5) writer.remove(rows[i]);
    change.commit();
  }
  EXPECT_EQ(proofProblems(path, untouched, {"Long"}), Lines{});
}

TEST(MdbIndexes, DroppedIndexesGiveBackTheirTreesAndRelationshipsStillHold) {
  SKIP_WITHOUT_MDBTOOLS();
  TempDir dir;
  const std::string path = corpusCopy(dir.path(), "Northwind_Access2000.mdb");
  const std::string untouched = corpusFile("Northwind_Access2000.mdb");
  const TableDefinition orders = MdbStorage(path).definition("Orders");
  {
    PageFile file(path, kPageSize);
    SchemaWriter schema(file);
    // The primary key of Customers and the relationship's own index.
    EXPECT_EQ(errorOf([&] { schema.dropIndex("Customers", "PrimaryKey"); }), 3281);
    EXPECT_EQ(errorOf([&] { schema.dropIndex("Orders", "CustomersOrders"); }), 3281);
    EXPECT_EQ(errorOf([&] { schema.dropIndex("Orders", "Nothing"); }), 3265);
    // Indexes numbered before the relationships' go (their trees stay for
    // the relationships): the relationships' numbers, in Orders and in the
    // tables they refer to, follow.
    schema.dropIndex("Orders", "CustomerID");
    schema.dropIndex("Orders", "EmployeeID");
    schema.addIndex("Customers", index("Town", {{"City", false}}));
    schema.dropIndex("Customers", "Town");
  }
  const TableDefinition now = MdbStorage(path).definition("Orders");
  EXPECT_EQ(now.logicalIndexes.size(), orders.logicalIndexes.size() - 2);
  EXPECT_EQ(MdbStorage(path).definition("Customers").physicalIndexes.size(),
            MdbStorage(untouched).definition("Customers").physicalIndexes.size());
  // mdbtools finds each remaining index over its own columns.
  std::string expected;
  for (const std::string& line : split(indexLines(untouched, "Orders"), '\n')) {
    if (line.find("_customerid_idx") == std::string::npos &&
        line.find("_employeeid_idx") == std::string::npos)
      expected += line + "\n";
  }
  EXPECT_EQ(indexLines(path, "Orders"), expected);
  EXPECT_EQ(proofProblems(path, untouched, {"Orders", "Customers"}), Lines{});
  {
    PageFile file(path, kPageSize);
    TableWriter writer(file, now.page);
    std::vector<Variant> row(now.columns.size());
    row[1] = Variant("NOONE");
    EXPECT_EQ(errorOf([&] { writer.insert(row); }), 3201);
    row[1] = Variant("ALFKI");
    row[2] = Variant(99);
    EXPECT_EQ(errorOf([&] { writer.insert(row); }), 3201);
    const TableDefinition definition = MdbStorage(path).definition("Customers");
    uint32_t first = 0;
    forEachStoredRow(file, definition, [&](uint32_t row, ByteView) {
      first = row;
      return false;
    });
    TableWriter customers(file, definition.page);
    EXPECT_EQ(errorOf([&] { customers.remove(first); }), 3200);  // the first customer has orders
  }

  // Added and dropped again and again, the file does not grow.
  const auto churn = [&] {
    PageFile file(path, kPageSize);
    SchemaWriter schema(file);
    schema.addIndex("Order Details", index("Price", {{"UnitPrice", false}}));
    schema.dropIndex("Order Details", "Price");
  };
  churn();
  const size_t size = readFile(path).size();
  churn();
  churn();
  EXPECT_EQ(readFile(path).size(), size);
  EXPECT_EQ(proofProblems(path, untouched, {"Order Details"}), Lines{});
}

}  // namespace
}  // namespace telvarn::test

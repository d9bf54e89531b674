// What the catalog, the table definitions and the property blocks of real
// files say, read through MdbStorage and through the object model.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/AppError.h"
#include "engine/mdb/MdbCorpus.h"
#include "engine/mdb/MdbStorage.h"
#include "engine/model/Database.h"
#include "engine/model/Field.h"
#include "engine/model/TableDef.h"
#include "engine/open/DBEngine.h"
#include "support/ErrorOf.h"

namespace telvarn::test {
namespace {

using mdb::LogicalIndex;
using mdb::MdbStorage;
using mdb::TableDefinition;

const IndexRecord& indexNamed(const TableRecord& table, const std::string& name) {
  const auto found = std::find_if(table.indexes.begin(), table.indexes.end(),
                                  [&](const IndexRecord& i) { return i.name == name; });
  EXPECT_NE(found, table.indexes.end()) << name;
  return *found;
}

TEST(MdbCatalog, SystemTablesAreHiddenButFoundAndQueriesAreListed) {
  SKIP_WITHOUT_CORPUS();
  MdbStorage storage(corpusFile("queryTestV2000.mdb"));
  EXPECT_EQ(storage.tableNames(), (std::vector<std::string>{"Table1", "Table2", "Table3"}));
  ASSERT_TRUE(storage.findTable("msysobjects"));
  EXPECT_EQ(storage.findTable("MSysObjects")->fields.at(0).name, "Connect");  // in name order
  EXPECT_EQ(storage.queryNames().size(), 9u);
  EXPECT_FALSE(storage.findTable("SelectQuery"));
  EXPECT_FALSE(storage.findQuery("Table1"));
  EXPECT_FALSE(storage.findTable("Nothing"));

  MdbStorage empty(corpusFile("adox_jet4.mdb"));
  EXPECT_TRUE(empty.tableNames().empty());
  EXPECT_TRUE(empty.queryNames().empty());
}

TEST(MdbCatalog, FileLinksCarryTheirTargetAndForeignName) {
  SKIP_WITHOUT_CORPUS();
  MdbStorage storage(corpusFile("linked.mdb"));
  const TableRecord link = *storage.findTable("Table1");
  EXPECT_EQ(link.kind, TableKind::Linked);
  EXPECT_EQ(link.connect, ";DATABASE=C:\\db\\linkee1.mdb");
  EXPECT_EQ(link.sourceTableName, "Table1");
  EXPECT_TRUE(link.fields.empty());
  EXPECT_EQ(storage.findTable("table2")->connect, ";DATABASE=C:\\db\\linkee2.mdb");
  EXPECT_EQ(errorOf([&] { storage.forEachRow("Table1", [](auto&) { return true; }); }), 3251);
  EXPECT_EQ(errorOf([&] { storage.forEachRow("Nothing", [](auto&) { return true; }); }), 3078);
}

TEST(MdbCatalog, LogicalIndexesShareTreesAndKeepTheirFlags) {
  SKIP_WITHOUT_CORPUS();
  MdbStorage northwind(corpusFile("Northwind_Access2000.mdb"));
  const TableDefinition& orders = northwind.definition("Orders");
  EXPECT_EQ(orders.logicalIndexes.size(), 10u);
  EXPECT_EQ(orders.physicalIndexes.size(), 7u);
  const TableRecord details = *northwind.findTable("Order Details");
  const IndexRecord& key = indexNamed(details, "PrimaryKey");
  EXPECT_TRUE(key.primary && key.unique && key.required);
  ASSERT_EQ(key.columns.size(), 2u);
  EXPECT_EQ(key.columns[0].field, "OrderID");
  EXPECT_EQ(key.columns[1].field, "ProductID");
  EXPECT_FALSE(indexNamed(details, "OrderID").unique);

  // Relationship indexes: kind 2, pointing at the other table's index.
  const TableDefinition& details2 = northwind.definition("Order Details");
  const auto foreign = std::count_if(details2.logicalIndexes.begin(), details2.logicalIndexes.end(),
                                     [](const LogicalIndex& i) { return i.foreign(); });
  EXPECT_EQ(foreign, 2);
  for (const LogicalIndex& index : details2.logicalIndexes) {
    if (index.foreign()) {
      EXPECT_NE(index.relatedTablePage, 0u) << index.name;
    }
  }

  MdbStorage flags(corpusFile("testIndexPropertiesV2000.mdb"));
  const TableRecord ignoring = *flags.findTable("TableIgnoreNulls2");
  const IndexRecord& nulls = indexNamed(ignoring, "DataIndex");
  EXPECT_TRUE(nulls.ignoreNulls);
  EXPECT_FALSE(nulls.unique);
  EXPECT_EQ(nulls.columns.size(), 2u);
  EXPECT_TRUE(indexNamed(*flags.findTable("TableUnique1_temp"), "DataIndex").unique);
}

TEST(MdbCatalog, DeletedColumnsLeaveGapsAndLongDefinitionsSpanPages) {
  SKIP_WITHOUT_CORPUS();
  MdbStorage deleted(corpusFile("delColTestV2000.mdb"));
  const TableDefinition& table = deleted.definition("Table1");
  EXPECT_EQ(table.maxColumns, 6);
  std::vector<int> numbers;
  for (const auto& column : table.columns) numbers.push_back(column.number);
  EXPECT_EQ(numbers, (std::vector<int>{0, 2, 3, 5}));

  MdbStorage project(corpusFile("test2V2000.mdb"));
  const TableRecord projects = *project.findTable("MSP_PROJECTS");
  EXPECT_EQ(projects.fields.size(), 74u);
  EXPECT_EQ(projects.fields.back().name, "RESERVED_BINARY_DATA");
}

TEST(MdbCatalog, FieldPropertiesAnswerAsTheEngineDoes) {
  SKIP_WITHOUT_CORPUS();
  DBEngine engine;
  auto db = engine.openDatabase(corpusFile("Northwind_Access2000.mdb"));
  auto categories = db->tableDef("Categories");
  const auto id = categories->field("CategoryID");
  EXPECT_EQ(id->type(), 4);
  EXPECT_EQ(id->record().attributes & 16, 16);  // AutoNumber
  EXPECT_EQ(id->property("Caption").toText(), "Category ID");
  EXPECT_EQ(id->property("Description").toText(),
            "Number automatically assigned to a new category.");
  EXPECT_EQ(categories->field("CategoryName")->property("Required").toBoolean(), true);
  EXPECT_EQ(categories->field("CategoryName")->property("DisplayControl").toInteger(), 109);
  EXPECT_EQ(categories->field("CategoryName")->property("ValidationRule").toText(), "");
  EXPECT_EQ(errorOf([&] { categories->field("Picture")->property("Caption"); }), 3270);
  EXPECT_EQ(errorOf([&] { categories->field("Picture")->property("InputMask"); }), 3270);
  EXPECT_EQ(db->tableDef("Customers")->field("CustomerID")->property("InputMask").toText(),
            ">LLLLL");

  auto like = engine.openDatabase(corpusFile("accessLike.mdb"));
  const auto a1 = like->tableDef("t_like1")->field("a1");
  EXPECT_EQ(a1->property("DefaultValue").toText(), "\"rrr\"");
  EXPECT_EQ(a1->property("ValidationRule").toText(), "CLng(\"a1\")>2");
  EXPECT_TRUE(a1->property("AllowZeroLength").toBoolean());
  EXPECT_TRUE(like->tableDef("t_like1")->field("a2")->property("Required").toBoolean());
  EXPECT_FALSE(like->tableDef("t_like2")->field("Campo2")->property("AllowZeroLength").toBoolean());
}

TEST(MdbCatalog, TablePropertiesAreTheTablesNotAFormsOfTheSameName) {
  SKIP_WITHOUT_CORPUS();
  MdbStorage northwind(corpusFile("Northwind_Access2000.mdb"));
  // mdb-prop looks properties up by name and shows the Customers form's;
  // the table's own block has no form properties such as RecordSource.
  std::vector<std::string> names;
  for (const auto& property : northwind.tableProperties("Customers"))
    names.push_back(property.name);
  EXPECT_EQ(std::count(names.begin(), names.end(), "RecordSource"), 0);
  EXPECT_EQ(std::count(names.begin(), names.end(), "OrderByOn"), 1);
}

}  // namespace
}  // namespace telvarn::test

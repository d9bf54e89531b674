// The dialect's constraints on files of the desktop program: keys, unique
// and required indexes, and relationships made by CREATE TABLE, ALTER
// TABLE and CREATE INDEX on copies of the empty template and Northwind.
// Each file is read back by the object model, by mdbtools and by the
// structural and index proofs; the relationships are then enforced on the
// rows; the same statements on our own file give the object model the
// same answers.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "engine/mdb/MdbCorpus.h"
#include "engine/mdb/MdbProof.h"
#include "engine/mdb/MdbStorage.h"
#include "engine/model/Database.h"
#include "engine/model/Field.h"
#include "engine/model/Index.h"
#include "engine/model/TableDef.h"
#include "engine/open/DBEngine.h"
#include "support/ErrorOf.h"
#include "support/TempDir.h"

namespace telvarn::test {
namespace {

using Lines = std::vector<std::string>;
using Skipped = std::map<int, uint64_t>;

// The object model's view of the tables' indexes and the file's
// relationships, one sorted line each.
Lines described(Database& db, const Lines& tables) {
  Lines lines;
  for (const std::string& table : tables) {
    const std::shared_ptr<TableDef> def = db.tableDef(table);
    for (const auto& index : def->indexes()) {
      const IndexRecord& record = index->record();
      std::string line = table + "." + record.name + " " + (record.primary ? "P" : "-") +
                         (record.unique ? "U" : "-") + (record.required ? "R" : "-") +
                         (record.ignoreNulls ? "I" : "-") + " (";
      for (const IndexColumn& column : record.columns)
        line += column.field + (column.descending ? " DESC" : "") + ",";
      lines.push_back(line + ")");
    }
  }
  for (const RelationRecord& relation : db.relations()) {
    std::string line = relation.name + ": " + relation.table + "(";
    for (const std::string& column : relation.columns) line += column + ",";
    line += ") -> " + relation.referencedTable + "(";
    for (const std::string& column : relation.referencedColumns) line += column + ",";
    lines.push_back(line + ")");
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

// mdb-schema's lines (postgres dialect) that name `word`.
Lines schemaLines(const std::string& path, const std::string& word) {
  Lines lines;
  std::istringstream out(
      commandOutput("mdb-schema --indexes --relations " + shellQuote(path) + " postgres"));
  for (std::string line; std::getline(out, line);) {
    if (line.find(word) != std::string::npos) lines.push_back(line);
  }
  return lines;
}

// Runs each statement on a copy of the template and on our own new file:
// both give the same error number or leave out the same rows.
class MdbConstraints : public ::testing::Test {
 protected:
  void SetUp() override {
    if (corpusFolder().empty() || !haveMdbTools()) GTEST_SKIP() << "no corpus or mdbtools";
    path = corpusFile("empty_Access2000_template.mdb");
    untouched = corpusFile("empty_Access2000_template.mdb");
    mdbDb = engine.openDatabase(path);
    const std::string ours = dir.path() + "/ours.db";
    DBEngine::createDatabase(ours);
    ourDb = engine.openDatabase(ours);
  }

  Skipped both(const std::string& sql, int error = 0) {
    Skipped skipped[2];
    int errors[2];
    Database* dbs[2] = {mdbDb.get(), ourDb.get()};
    for (int i = 0; i < 2; ++i)
      errors[i] = errorOf([&] { skipped[i] = dbs[i]->execute(sql).skipped; });
    EXPECT_EQ(errors[0], error) << sql;
    EXPECT_EQ(errors[1], error) << sql << " (our file)";
    EXPECT_EQ(skipped[0], skipped[1]) << sql;
    return skipped[0];
  }
  // The object model's answers, the same on both files.
  Lines objects(const Lines& tables) {
    const Lines onMdb = described(*mdbDb, tables);
    EXPECT_EQ(onMdb, described(*ourDb, tables));
    return onMdb;
  }
  Lines proof(const Lines& tables) { return proofProblems(path, untouched, tables); }

  void makeTables() {
    both(
        "CREATE TABLE Customers (CustomerID TEXT(5) CONSTRAINT CustomersKey PRIMARY KEY, "
        "Name TEXT(40) NOT NULL, Phone TEXT(24) CONSTRAINT OnePhone UNIQUE)");
    // A REFERENCES clause without columns refers to the primary key.
    both(
        "CREATE TABLE Orders (OrderID LONG CONSTRAINT OrdersKey PRIMARY KEY, "
        "CustomerID TEXT(5) CONSTRAINT CustomersOrders REFERENCES Customers, Amount CURRENCY)");
    both(
        "CREATE TABLE Lines (OrderID LONG, Line SHORT, Qty SHORT, "
        "CONSTRAINT LinesKey PRIMARY KEY (OrderID, Line), "
        "CONSTRAINT OrdersLines FOREIGN KEY (OrderID) REFERENCES Orders (OrderID))");
    both("INSERT INTO Customers VALUES ('ALFKI', 'Alfreds', '030-0074321')");
    both("INSERT INTO Customers VALUES ('BONAP', 'Bon app', Null)");
    both("INSERT INTO Orders VALUES (1, 'ALFKI', 10)");
    both("INSERT INTO Orders VALUES (2, 'BONAP', 20)");
    both("INSERT INTO Orders VALUES (3, Null, 30)");  // a Null refers to nothing
    both("INSERT INTO Lines VALUES (1, 1, 5)");
    both("INSERT INTO Lines VALUES (2, 1, 7)");
  }

  const Lines tables = {"Customers", "Orders", "Lines"};
  TempDir dir;
  std::string path, untouched;
  DBEngine engine;
  std::shared_ptr<Database> mdbDb, ourDb;
};

TEST_F(MdbConstraints, CreateTableConstraintsAreKeysIndexesAndRelationships) {
  makeTables();
  EXPECT_EQ(objects(tables),
            (Lines{"Customers.CustomersKey PUR- (CustomerID,)", "Customers.OnePhone -U-- (Phone,)",
                   "CustomersOrders: Orders(CustomerID,) -> Customers(CustomerID,)",
                   "Lines.LinesKey PUR- (OrderID,Line,)", "Lines.OrdersLines ---- (OrderID,)",
                   "Orders.CustomersOrders ---- (CustomerID,)", "Orders.OrdersKey PUR- (OrderID,)",
                   "OrdersLines: Lines(OrderID,) -> Orders(OrderID,)"}));
  EXPECT_TRUE(mdbDb->tableDef("Customers")->fields()[1]->record().required);
  // The relationship's index is the one index of its name, marked as a
  // relationship's, over a tree of its own; the keys' table's back index
  // shares the primary key's tree.
  const mdb::TableDefinition orders = mdb::MdbStorage(path).definition("Orders");
  ASSERT_EQ(orders.logicalIndexes.size(), 3u);
  EXPECT_EQ(orders.physicalIndexes.size(), 2u);
  for (const mdb::LogicalIndex& logical : orders.logicalIndexes)
    EXPECT_EQ(logical.foreign(), logical.name != "OrdersKey") << logical.name;
  const Lines keys = schemaLines(path, "FOREIGN KEY");
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_NE(keys[0].find("\"Orders\" ADD CONSTRAINT \"orders_customerid_fk\" FOREIGN KEY "
                         "(\"customerid\") REFERENCES \"Customers\"(\"customerid\")"),
            std::string::npos);
  EXPECT_NE(keys[1].find("\"Lines\" ADD CONSTRAINT \"lines_orderid_fk\" FOREIGN KEY "
                         "(\"orderid\") REFERENCES \"Orders\"(\"orderid\")"),
            std::string::npos);
  EXPECT_EQ(
      schemaLines(path, "\"customers_"),
      (Lines{"ALTER TABLE \"customers\" ADD CONSTRAINT \"customers_pkey\" PRIMARY KEY "
             "(\"customerid\");",
             "CREATE UNIQUE INDEX \"customers_onephone_idx\" ON \"customers\" (\"phone\");"}));
  EXPECT_NE(commandOutput("mdb-export " + shellQuote(path) + " MSysRelationships")
                .find("\"OrdersLines\",0,1,0,\"Lines\",\"OrderID\",\"Orders\",\"OrderID\""),
            std::string::npos);
  EXPECT_EQ(proof(tables), Lines{});
}

TEST_F(MdbConstraints, AlterTableAndIndexStatementsChangeTheConstraints) {
  makeTables();
  both("ALTER TABLE Customers ADD CONSTRAINT OneName UNIQUE (Name)");
  both("ALTER TABLE Orders ADD COLUMN Rep LONG");
  both("CREATE TABLE Reps (RepID LONG, Region TEXT(10))");
  both("CREATE INDEX RepsKey ON Reps (RepID) WITH PRIMARY");
  both("CREATE INDEX ByRegion ON Reps (Region DESC) WITH IGNORE NULL");
  both("CREATE UNIQUE INDEX RepRegion ON Reps (Region, RepID) WITH DISALLOW NULL");
  both("INSERT INTO Reps VALUES (7, 'North')");
  both("UPDATE Orders SET Rep = 8 WHERE OrderID = 1");
  // A row refers to no rep: the relationship is refused, nothing changes.
  both("ALTER TABLE Orders ADD CONSTRAINT RepsOrders FOREIGN KEY (Rep) REFERENCES Reps", 3201);
  both("UPDATE Orders SET Rep = 7 WHERE OrderID = 1");
  both("ALTER TABLE Orders ADD CONSTRAINT RepsOrders FOREIGN KEY (Rep) REFERENCES Reps");
  // The relationship's index, and the key it refers to, stay while it does.
  both("DROP INDEX RepsOrders ON Orders", 3281);
  both("DROP TABLE Reps", 3281);
  both("DROP INDEX RepRegion ON Reps");
  const Lines all = {"Customers", "Orders", "Lines", "Reps"};
  const Lines altered = objects(all);
  EXPECT_EQ(
      altered,
      (Lines{"Customers.CustomersKey PUR- (CustomerID,)", "Customers.OneName -U-- (Name,)",
             "Customers.OnePhone -U-- (Phone,)",
             "CustomersOrders: Orders(CustomerID,) -> Customers(CustomerID,)",
             "Lines.LinesKey PUR- (OrderID,Line,)", "Lines.OrdersLines ---- (OrderID,)",
             "Orders.CustomersOrders ---- (CustomerID,)", "Orders.OrdersKey PUR- (OrderID,)",
             "Orders.RepsOrders ---- (Rep,)", "OrdersLines: Lines(OrderID,) -> Orders(OrderID,)",
             "Reps.ByRegion ---I (Region DESC,)", "Reps.RepsKey PUR- (RepID,)",
             "RepsOrders: Orders(Rep,) -> Reps(RepID,)"}));
  EXPECT_EQ(schemaLines(path, "\"reps_"),
            (Lines{"CREATE INDEX \"reps_byregion_idx\" ON \"reps\" (\"region\" DESC);",
                   "ALTER TABLE \"reps\" ADD CONSTRAINT \"reps_pkey\" PRIMARY KEY (\"repid\");"}));
  EXPECT_EQ(schemaLines(path, "REFERENCES \"Reps\"").size(), 1u);
  EXPECT_EQ(proof(all), Lines{});

  // The relationship goes with its index; a second primary key is refused.
  both("ALTER TABLE Orders DROP CONSTRAINT RepsOrders");
  both("ALTER TABLE Customers DROP CONSTRAINT OneName");
  both("ALTER TABLE Reps ADD CONSTRAINT Second PRIMARY KEY (Region)", 3283);
  both("ALTER TABLE Orders DROP CONSTRAINT RepsOrders", 3371);
  Lines dropped = altered;
  std::erase_if(dropped, [](const std::string& line) {
    return line.find("RepsOrders") != std::string::npos ||
           line.find("OneName") != std::string::npos;
  });
  EXPECT_EQ(objects(all), dropped);
  EXPECT_EQ(schemaLines(path, "REFERENCES \"Reps\""), Lines{});
  EXPECT_EQ(mdb::MdbStorage(path).definition("Reps").logicalIndexes.size(), 2u);
  EXPECT_EQ(proof(all), Lines{});
}

TEST_F(MdbConstraints, TheNewRelationshipsKeepTheRows) {
  makeTables();
  EXPECT_EQ(both("INSERT INTO Orders VALUES (4, 'NOONE', 1)"), (Skipped{{3201, 1}}));
  EXPECT_EQ(both("UPDATE Lines SET OrderID = 9"), (Skipped{{3201, 2}}));
  EXPECT_EQ(both("DELETE FROM Customers"), (Skipped{{3200, 2}}));
  EXPECT_EQ(both("UPDATE Orders SET OrderID = OrderID + 10"), (Skipped{{3200, 2}}));
  // The order without a customer had no lines: it alone took its new key.
  EXPECT_EQ(both("DELETE FROM Orders WHERE OrderID = 13"), Skipped{});
  EXPECT_EQ(both("INSERT INTO Lines SELECT OrderID, 2, 1 FROM Orders"), Skipped{});
  // The dialect of DAO has no cascades.
  both(
      "ALTER TABLE Lines ADD CONSTRAINT Cascading FOREIGN KEY (OrderID) REFERENCES Orders "
      "ON DELETE CASCADE",
      3293);
  EXPECT_EQ(both("DELETE FROM Lines WHERE Line = 2"), Skipped{});
  EXPECT_EQ(both("DELETE FROM Orders WHERE OrderID = 2"), (Skipped{{3200, 1}}));
  EXPECT_EQ(objects({"Orders"}).size(), 4u);
  EXPECT_EQ(commandOutput("mdb-export " + shellQuote(path) + " Orders"),
            "OrderID,CustomerID,Amount\n1,\"ALFKI\",10.0000\n2,\"BONAP\",20.0000\n");
  EXPECT_EQ(proof(tables), Lines{});
}

// On Northwind a new relationship over columns an index already has shares
// that index's tree, as the program's own relationships there do; dropped,
// it leaves the definitions and MSysRelationships as they were.
TEST(MdbConstraintsNorthwind, ARelationshipSharesTheTreeOfAnIndexOverItsColumns) {
  SKIP_WITHOUT_MDBTOOLS();
  const std::string path = corpusFile("Northwind_Access2000.mdb");
  const std::string untouched = corpusFile("Northwind_Access2000.mdb");
  const auto relationships = [](const std::string& file) {
    return commandOutput("mdb-export " + shellQuote(file) + " MSysRelationships");
  };
  DBEngine engine;
  const std::shared_ptr<Database> db = engine.openDatabase(path);
  db->execute(
      "ALTER TABLE Orders ADD CONSTRAINT SoldBy FOREIGN KEY (EmployeeID) REFERENCES Employees");
  const mdb::TableDefinition before = mdb::MdbStorage(untouched).definition("Orders");
  const mdb::TableDefinition after = mdb::MdbStorage(path).definition("Orders");
  EXPECT_EQ(after.physicalIndexes, before.physicalIndexes);
  const auto named = [&](const std::string& name) {
    return *std::find_if(after.logicalIndexes.begin(), after.logicalIndexes.end(),
                         [&](const mdb::LogicalIndex& l) { return l.name == name; });
  };
  EXPECT_TRUE(named("SoldBy").foreign());
  EXPECT_EQ(named("SoldBy").physical, named("EmployeeID").physical);
  EXPECT_NE(relationships(path).find("\"SoldBy\",0,1,0,\"Orders\",\"EmployeeID\",\"Employees\""),
            std::string::npos);
  EXPECT_EQ(proofProblems(path, untouched, {"Orders", "Employees"}), Lines{});
  EXPECT_EQ(db->execute("UPDATE Orders SET EmployeeID = 99 WHERE OrderID = 10248").skipped,
            (Skipped{{3201, 1}}));

  db->execute("ALTER TABLE Orders DROP CONSTRAINT SoldBy");
  EXPECT_EQ(mdb::MdbStorage(path).definition("Orders").logicalIndexes, before.logicalIndexes);
  EXPECT_EQ(mdb::MdbStorage(path).definition("Employees").logicalIndexes,
            mdb::MdbStorage(untouched).definition("Employees").logicalIndexes);
  EXPECT_EQ(relationships(path), relationships(untouched));
  EXPECT_EQ(proofProblems(path, untouched, {"Orders", "Employees"}), Lines{});
}

}  // namespace
}  // namespace telvarn::test

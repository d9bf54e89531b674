// Statements that read linked tables, on both kinds of file: the rows come
// from the source file as it is (read back by mdbtools where the result is
// a .mdb file), a join seeks into the link, and reading a source leaves it
// as it was: not a byte changed, no lock held, no transaction open.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "engine/Storage.h"
#include "engine/mdb/MdbCorpus.h"
#include "engine/mdb/MdbStorage.h"
#include "engine/model/Database.h"
#include "engine/model/TableDef.h"
#include "engine/open/DBEngine.h"
#include "support/ErrorOf.h"
#include "support/RawSql.h"
#include "support/TempDir.h"

namespace telvarn::test {
namespace {

class LinkReads : public ::testing::Test {
 protected:
  // A copy of the corpus file `name` in this test's folder.
  std::string copied(const std::string& name) {
    const std::string path = dir.file(name);
    std::filesystem::copy_file(corpusFile(name), path);
    return path;
  }
  std::string ours(const std::string& name) {
    const std::string path = dir.file(name);
    DBEngine::createDatabase(path);
    return path;
  }
  static void link(Database& db, const std::string& name, const std::string& source,
                   const std::string& table) {
    auto made = db.createTableDef(name);
    made->setConnect(";DATABASE=" + source);
    made->setSourceTableName(table);
    db.appendTableDef(made);
  }
  // mdb-export's lines of a table, header left out, joined by "|".
  static std::string exported(const std::string& path, const std::string& table) {
    std::string out = commandOutput("mdb-export -H " + shellQuote(path) + " " + shellQuote(table));
    std::replace(out.begin(), out.end(), '\n', '|');
    return out;
  }
  // Whether the file is byte for byte the corpus's own.
  static bool unchanged(const std::string& path) {
    const std::string name = std::filesystem::path(path).filename();
    return readFile(path) == readFile(corpusFolder() + "/" + name) &&
           !std::filesystem::exists(path + "-journal");
  }

  TempDir dir;
  DBEngine engine;
};

TEST_F(LinkReads, OurFileReadsTablesOfADesktopFile) {
  SKIP_WITHOUT_MDBTOOLS();
  const std::string northwind = copied("Northwind_Access2000.mdb");
  auto db = engine.openDatabase(ours("main.sdb"));
  link(*db, "Ship", northwind, "Shippers");
  link(*db, "Prod", northwind, "Products");

  db->execute("CREATE TABLE Carriers (ID LONG, Name TEXT(40))");
  db->execute("INSERT INTO Carriers SELECT ShipperID, CompanyName FROM Ship WHERE ShipperID > 1");
  EXPECT_EQ(rawRows(db->name(), "SELECT ID || ',' || Name FROM Carriers ORDER BY ID"),
            "2,United Package|3,Federal Shipping");

  // A join of a table of ours with the link, through its primary key.
  db->execute("CREATE TABLE Wanted (ProductID LONG)");
  for (const char* id : {"1", "77", "78"})
    db->execute(std::string("INSERT INTO Wanted VALUES (") + id + ")");
  db->execute(
      "SELECT w.ProductID, p.ProductName, p.UnitPrice INTO Picked "
      "FROM Wanted AS w INNER JOIN Prod AS p ON p.ProductID = w.ProductID");
  EXPECT_EQ(rawRows(db->name(), "SELECT ProductName FROM Picked ORDER BY ProductID"),
            "Chai|Original Frankfurter grüne Soße");

  // A stored query over the link, used as the source of a statement.
  db->createQueryDef("Cheap", "SELECT ProductName FROM Prod WHERE UnitPrice < 5");
  db->execute("CREATE TABLE Bargains (Name TEXT(40))");
  db->execute("INSERT INTO Bargains SELECT ProductName FROM Cheap");
  EXPECT_EQ(rawRows(db->name(), "SELECT Name FROM Bargains ORDER BY Name"),
            "Geitost|Guaraná Fantástica");

  // The links' virtual tables are no object of the file.
  EXPECT_EQ(db->storage().check(), std::vector<std::string>{});
  EXPECT_TRUE(unchanged(northwind));
}

TEST_F(LinkReads, ADesktopFileReadsItsLinks) {
  SKIP_WITHOUT_MDBTOOLS();
  const std::string linked = copied("linked.mdb");
  const std::string linkee1 = copied("linkee1.mdb");
  const std::string linkee2 = copied("linkee2.mdb");
  auto db = engine.openDatabase(linked);
  // The desktop program's links name C:\db\...; they are made again here.
  db->deleteTableDef("Table1");
  db->deleteTableDef("table2");
  link(*db, "Table1", linkee1, "Table1");
  link(*db, "table2", linkee2, "table2");

  db->execute("CREATE TABLE Both (ID LONG, Words TEXT(50))");
  db->execute("INSERT INTO Both SELECT ID, field1 FROM Table1");
  db->execute(
      "INSERT INTO Both (ID, Words) SELECT a.ID + 1, b.filed2 "
      "FROM Table1 AS a INNER JOIN table2 AS b ON b.ID = a.ID");
  EXPECT_EQ(exported(linked, "Both"), "1,\"ciao bello\"|2,\"ciao brutto\"|");
  EXPECT_EQ(mdb::MdbStorage(linked).check(), std::vector<std::string>{});
  EXPECT_TRUE(unchanged(linkee1));
  EXPECT_TRUE(unchanged(linkee2));
}

TEST_F(LinkReads, ADesktopFileJoinsItsStoredQueryWithALinkToOurFile) {
  SKIP_WITHOUT_MDBTOOLS();
  const std::string northwind = copied("Northwind_Access2000.mdb");
  const std::string wishes = ours("wishes.sdb");
  auto source = engine.openDatabase(wishes);
  source->execute("CREATE TABLE Wish (Name TEXT(40))");
  for (const char* name : {"Chai", "Côte de Blaye", "Ipoh Coffee"})
    source->execute(std::string("INSERT INTO Wish VALUES ('") + name + "')");
  auto db = engine.openDatabase(northwind);
  link(*db, "Wish", wishes, "Wish");

  // Chai is not among the ten most expensive.
  db->execute("CREATE TABLE Picked (ProductName TEXT(40), UnitPrice CURRENCY)");
  db->execute(
      "INSERT INTO Picked SELECT t.TenMostExpensiveProducts, t.UnitPrice "
      "FROM [Ten Most Expensive Products] AS t INNER JOIN Wish "
      "ON Wish.Name = t.TenMostExpensiveProducts");
  EXPECT_EQ(exported(northwind, "Picked"), "\"Côte de Blaye\",263.5000|\"Ipoh Coffee\",46.0000|");
}

TEST_F(LinkReads, ASourceIsLeftFreeAndALinkIntoItsOwnFileReadsItOnce) {
  const std::string sourcePath = ours("source.sdb");
  auto source = engine.openDatabase(sourcePath);
  source->execute("CREATE TABLE Src (ID LONG)");
  source->execute("INSERT INTO Src VALUES (1)");
  source->execute("INSERT INTO Src VALUES (2)");
  auto db = engine.openDatabase(ours("main.sdb"));
  link(*db, "Lnk", sourcePath, "Src");
  db->execute("CREATE TABLE Loc (ID LONG)");
  // The first read fails, and the link's table goes with its transaction.
  EXPECT_EQ(errorOf([&] { db->execute("INSERT INTO Loc SELECT ID / 0 FROM Lnk"); }), 11);
  db->execute("INSERT INTO Loc SELECT ID FROM Lnk");

  // Another program may write the source at once: nothing of the read is held.
  EXPECT_EQ(rawExec(sourcePath, "BEGIN EXCLUSIVE; INSERT INTO Src VALUES (3); COMMIT"), "");
  db->execute("INSERT INTO Loc SELECT ID + 10 FROM Lnk WHERE ID > 2");
  EXPECT_EQ(rawRows(db->name(), "SELECT group_concat(ID) FROM Loc"), "1,2,13");

  // A link into the running file reads the rows there before the statement.
  link(*source, "Self", sourcePath, "Src");
  source->execute("INSERT INTO Src SELECT ID + 100 FROM Self");
  EXPECT_EQ(rawRows(sourcePath, "SELECT group_concat(ID) FROM Src"), "1,2,3,101,102,103");
}

// Written through a link into the running file itself, the table takes
// its AutoNumbers as when it is written by its own name, on both kinds of
// file, and the link's name qualifies its fields.
TEST_F(LinkReads, ALinkIntoItsOwnFileIsWrittenAsItsTable) {
  for (const FileFormat format : {FileFormat::Sqlite, FileFormat::Mdb}) {
    const std::string path = dir.file(format == FileFormat::Mdb ? "self.mdb" : "self.sdb");
    DBEngine::createDatabase(path, format);
    auto db = engine.openDatabase(path);
    db->execute("CREATE TABLE T (ID COUNTER, Name TEXT(10))");
    link(*db, "L", path, "T");
    db->execute("INSERT INTO T (Name) VALUES ('a')");
    db->execute("INSERT INTO L (Name) VALUES ('b')");
    db->execute("INSERT INTO L (Name) SELECT Name & 'x' FROM T");
    db->execute("UPDATE L SET Name = L.Name & 'y' WHERE L.ID = 2");
    db->execute("DELETE FROM L WHERE L.ID = 3");
    std::string rows;
    db->storage().forEachRow("T", [&](const std::vector<Variant>& values) {
      rows += values[0].toText() + values[1].toText() + ";";
      return true;
    });
    EXPECT_EQ(rows, "1a;2by;4bx;") << path;
  }
}

}  // namespace
}  // namespace telvarn::test

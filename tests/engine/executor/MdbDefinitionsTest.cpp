// Definitions changed through the engine on files of the desktop program:
// the dialect's DDL on a copy of the program's empty template and of
// Northwind, each change read back by mdbtools and held to the structural
// check, a refused change leaving the file as it was.
#include <gtest/gtest.h>

#include "engine/mdb/MdbCorpus.h"
#include "engine/mdb/MdbStorage.h"
#include "engine/model/Database.h"
#include "engine/open/DBEngine.h"
#include "support/ErrorOf.h"

namespace telvarn::test {
namespace {

class MdbDefinitions : public ::testing::Test {
 protected:
  void open(const std::string& name) {
    path = corpusFile(name);
    db = engine.openDatabase(path);
  }
  std::string schema() { return commandOutput("mdb-schema " + shellQuote(path)); }
  std::string exported(const std::string& table) {
    return commandOutput("mdb-export " + shellQuote(path) + " " + shellQuote(table));
  }
  std::vector<std::string> check() { return mdb::MdbStorage(path).check(); }

  std::string path;
  DBEngine engine;
  std::shared_ptr<Database> db;
};

TEST_F(MdbDefinitions, TablesFieldsAndIndexesMadeByStatements) {
  SKIP_WITHOUT_MDBTOOLS();
  open("empty_Access2000_template.mdb");
  db->execute(
      "CREATE TABLE Parts (PartID COUNTER, Name TEXT(40) NOT NULL, Price CURRENCY, "
      "CONSTRAINT PrimaryKey PRIMARY KEY (PartID))");
  db->execute("INSERT INTO Parts (Name, Price) VALUES ('bolt', 0.25)");
  db->execute("INSERT INTO Parts (Name, Price) VALUES ('nut', 0.1)");
  db->execute("ALTER TABLE Parts ADD COLUMN Weight DOUBLE");
  db->execute("CREATE UNIQUE INDEX ByName ON Parts (Name)");
  EXPECT_EQ(db->execute("INSERT INTO Parts (Name) VALUES ('Bolt')").skipped,
            (std::map<int, uint64_t>{{3022, 1}}));
  db->execute("ALTER TABLE Parts ALTER COLUMN Price TEXT(20)");
  // The new Price is a Text field of varying width (not CHAR(20)).
  const std::string parts = exported("Parts");
  EXPECT_NE(parts.find("\"0.25\""), std::string::npos) << parts;
  EXPECT_NE(parts.find("\"0.1\""), std::string::npos) << parts;
  const std::string described = schema();
  EXPECT_NE(described.find("[Weight]"), std::string::npos) << described;
  EXPECT_EQ(check(), std::vector<std::string>{});

  db->execute("DROP INDEX ByName ON Parts");
  db->execute("ALTER TABLE Parts DROP COLUMN Weight");
  db->execute("DROP TABLE Parts");
  EXPECT_EQ(schema().find("Parts"), std::string::npos);
  EXPECT_EQ(check(), std::vector<std::string>{});
}

TEST_F(MdbDefinitions, ARefusedChangeLeavesTheFileAsItWas) {
  SKIP_WITHOUT_MDBTOOLS();
  open("Northwind_Access2000.mdb");
  const std::string before = schema();
  // Order Details' products repeat: no unique index over ProductID alone.
  EXPECT_EQ(errorOf([&] { db->execute("CREATE UNIQUE INDEX One ON [Order Details] (ProductID)"); }),
            3022);
  // A name is no number.
  EXPECT_EQ(errorOf([&] { db->execute("ALTER TABLE Customers ALTER COLUMN CompanyName LONG"); }),
            3421);
  // The relationship to Orders needs Customers.
  EXPECT_EQ(errorOf([&] { db->execute("DROP TABLE Customers"); }), 3281);
  EXPECT_EQ(schema(), before);
  EXPECT_EQ(check(), std::vector<std::string>{});
}

}  // namespace
}  // namespace telvarn::test

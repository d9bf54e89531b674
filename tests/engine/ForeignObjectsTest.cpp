// Views, triggers and indexes other tools made inside our files, with
// SQLite itself: the engine's changes keep them or refuse with a number
// before changing anything, its catalog writes never fire their triggers,
// and the consistency check names each one.
#include "engine/EngineFixture.h"
#include "engine/Storage.h"

namespace telvarn::test {
namespace {

class ForeignObjects : public EngineFixture {
 protected:
  void SetUp() override {
    db->execute("CREATE TABLE T (A LONG, B TEXT(10), C LONG)");
    db->execute("INSERT INTO T VALUES (1, 'one', 10)");
    db->execute("INSERT INTO T VALUES (2, 'two', 20)");
    raw("CREATE TABLE Log (a); CREATE VIEW V AS SELECT A, B FROM T WHERE A > 0;"
        "CREATE INDEX byB ON T (B);"
        "CREATE TRIGGER audit AFTER INSERT ON T BEGIN INSERT INTO Log VALUES (new.A); END");
  }

  std::string schema() {
    return rawColumn(
        "SELECT type || ' ' || name || ': ' || sql FROM sqlite_master WHERE name IN "
        "('V', 'byB', 'audit') ORDER BY name");
  }

  std::string fileAsItIs() {
    return schema() + " / " + rawColumn("SELECT group_concat(A || B || C) FROM T") + " / " +
           rawColumn("SELECT group_concat(Name || Type) FROM MSysFields WHERE TableName = 'T'");
  }
};

TEST_F(ForeignObjects, ATypeChangeKeepsThem) {
  const std::string before = schema();
  db->execute("ALTER TABLE T ALTER COLUMN A TEXT(20)");
  EXPECT_EQ(schema(), before);
  EXPECT_EQ(rawColumn("SELECT A || B FROM V ORDER BY A"), "1one|2two");
  db->execute("INSERT INTO T (A, B) VALUES ('3', 'three')");
  EXPECT_EQ(rawColumn("SELECT a FROM Log"), "3");
  EXPECT_EQ(rawColumn("SELECT count(*) FROM pragma_index_info('byB')"), "1");
}

TEST_F(ForeignObjects, ARenameCarriesThemAlongAndADeletionThatBreaksOneIsRefused) {
  db->tableDef("T")->field("B")->setProperty("Name", "Label");
  EXPECT_EQ(rawColumn("SELECT A || Label FROM V ORDER BY A"), "1one|2two");
  EXPECT_EQ(rawColumn("SELECT name FROM pragma_index_info('byB')"), "Label");

  // The view reads Label, the index covers it, the trigger reads A.
  const std::string before = fileAsItIs();
  EXPECT_EQ(errorOf([&] { db->execute("ALTER TABLE T DROP COLUMN Label"); }), 3280);
  EXPECT_EQ(errorOf([&] { db->tableDef("T")->deleteField("A"); }), 3280);
  EXPECT_EQ(fileAsItIs(), before);
  db->execute("ALTER TABLE T DROP COLUMN C");
  EXPECT_EQ(rawColumn("SELECT A || Label FROM V ORDER BY A"), "1one|2two");

  // The last field of an empty table goes with the table, and so would
  // another tool's index on it.
  db->execute("CREATE TABLE E (X LONG)");
  raw("CREATE INDEX byX ON E (X)");
  EXPECT_EQ(errorOf([&] { db->execute("ALTER TABLE E DROP COLUMN X"); }), 3280);
  EXPECT_EQ(rawColumn("SELECT count(*) FROM pragma_index_info('byX')"), "1");
}

TEST_F(ForeignObjects, ABrokenViewRefusesRenamesButNotTypeChanges) {
  raw("CREATE VIEW Broken AS SELECT * FROM Missing");
  const std::string before = fileAsItIs();
  EXPECT_EQ(errorOf([&] { db->tableDef("T")->field("C")->setProperty("Name", "D"); }), 3211);
  EXPECT_EQ(fileAsItIs(), before);
  db->execute("ALTER TABLE T ALTER COLUMN C TEXT(5)");
  EXPECT_EQ(rawColumn("SELECT sql FROM sqlite_master WHERE name = 'Broken'"),
            "CREATE VIEW Broken AS SELECT * FROM Missing");
}

TEST_F(ForeignObjects, TriggersOnTheCatalogDoNotFireOnTheEnginesWrites) {
  raw("CREATE TABLE Seen (what);"
      "CREATE TRIGGER seenObject AFTER INSERT ON MSysObjects BEGIN "
      "INSERT INTO Seen VALUES (new.Name); END;"
      "CREATE TRIGGER noFields BEFORE INSERT ON MSysFields BEGIN SELECT RAISE(ABORT, 'no'); END");
  db->execute("CREATE TABLE U (X LONG)");
  db->execute("ALTER TABLE T ADD COLUMN Extra TEXT(5)");
  db->execute("CREATE INDEX ByX ON U (X)");
  db->createQueryDef("Q", "SELECT X FROM U");
  EXPECT_EQ(rawColumn("SELECT count(*) FROM Seen"), "0");
  EXPECT_EQ(rawColumn("SELECT group_concat(Name) FROM MSysFields WHERE TableName = 'U'"), "X");
  EXPECT_EQ(rawColumn("SELECT name FROM sqlite_master WHERE type = 'trigger' AND tbl_name LIKE "
                      "'MSys%' ORDER BY name"),
            "noFields|seenObject");
  raw("INSERT INTO MSysObjects (Name, Type) VALUES ('other tool', 1)");
  EXPECT_EQ(rawColumn("SELECT what FROM Seen"), "other tool");
  // One added while the file is open is found by the next change.
  raw("CREATE TRIGGER later BEFORE INSERT ON MSysObjects BEGIN SELECT RAISE(ABORT, 'no'); END");
  db->execute("CREATE TABLE W (X LONG)");
  db->execute("ALTER TABLE W ADD COLUMN Y LONG");
  EXPECT_EQ(rawColumn("SELECT group_concat(Name) FROM MSysFields WHERE TableName = 'W'"), "X,Y");
}

TEST_F(ForeignObjects, TheCheckNamesEachOne) {
  raw("CREATE TRIGGER hook AFTER DELETE ON MSysObjects BEGIN SELECT 1; END");
  EXPECT_EQ(db->storage().check(),
            (std::vector<std::string>{
                "table Log is not in the catalog", "view V is not in the catalog",
                "index byB on table T is not in the catalog",
                "trigger audit on table T is not in the catalog",
                "trigger hook on table MSysObjects is not in the catalog; the engine sets it aside "
                "while it writes its catalog"}));
}

}  // namespace
}  // namespace telvarn::test

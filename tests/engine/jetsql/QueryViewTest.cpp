// Stored queries: a SELECT that translates is kept as a SQLite view of the
// same name, kept in step with the tables it reads; data statements read a
// stored SELECT as a table.
#include "engine/EngineFixture.h"
#include "engine/Storage.h"
#include "engine/model/QueryDef.h"

namespace telvarn::test {
namespace {

class StoredQueries : public EngineFixture {
 protected:
  void SetUp() override {
    db->execute("CREATE TABLE T (A LONG, B TEXT(5))");
    db->execute("INSERT INTO T VALUES (1, 'x')");
    db->execute("INSERT INTO T VALUES (2, 'y')");
  }
  std::string views() {
    return rawColumn("SELECT name FROM sqlite_master WHERE type = 'view' ORDER BY name");
  }
};

TEST_F(StoredQueries, ASelectIsAlsoAView) {
  db->createQueryDef("qBig", "SELECT A, B FROM T WHERE A > 1 AND B <> 'it''s'");
  db->createQueryDef("qAction", "DELETE FROM T WHERE A = 1");
  db->createQueryDef("qAsks", "SELECT A FROM T WHERE A = [Which one?]");
  EXPECT_EQ(views(), "qBig");
  EXPECT_EQ(rawColumn("SELECT B FROM qBig"), "y");
  EXPECT_EQ(errorOf([&] { db->execute("qBig"); }), 3065);
  db->deleteQueryDef("qBig");
  EXPECT_EQ(views(), "");
  EXPECT_EQ(errorOf([&] { db->deleteQueryDef("qBig"); }), 3265);
}

TEST_F(StoredQueries, DataStatementsReadAStoredSelectAsATable) {
  db->createQueryDef("qBig", "SELECT A AS Num, B FROM T WHERE A > 1");
  db->createQueryDef("qBigger", "SELECT Num * 10 AS Ten FROM qBig");
  db->execute("SELECT Ten INTO Copy FROM qBigger");
  EXPECT_EQ(rawColumn("SELECT Ten FROM Copy"), "20");
  db->execute("INSERT INTO T (A, B) SELECT Num + 100, B FROM qBig");
  db->execute("DELETE FROM T WHERE A IN (SELECT Num FROM qBig WHERE Num < 100)");
  EXPECT_EQ(rawColumn("SELECT A FROM T ORDER BY A"), "1|102");
  db->createQueryDef("qLoop", "SELECT * FROM qLoop2");
  db->createQueryDef("qLoop2", "SELECT * FROM qLoop");
  EXPECT_EQ(errorOf([&] { db->execute("SELECT * INTO X FROM qLoop"); }), 3102);
}

TEST_F(StoredQueries, ViewsFollowTheTablesTheyRead) {
  db->createQueryDef("qB", "SELECT B FROM T");
  db->createQueryDef("qA", "SELECT A FROM T");
  // A change that breaks a view does not fail; the view goes until the
  // query translates again.
  db->execute("ALTER TABLE T DROP COLUMN B");
  EXPECT_EQ(views(), "qA");
  db->execute("ALTER TABLE T ADD COLUMN B TEXT(5)");
  EXPECT_EQ(views(), "qA|qB");
  db->execute("ALTER TABLE T ALTER COLUMN A DOUBLE");
  EXPECT_EQ(rawColumn("SELECT A FROM qA ORDER BY A"), "1.0|2.0");
  db->execute("DROP TABLE T");
  EXPECT_EQ(views(), "");
  db->execute("CREATE TABLE T (A LONG)");
  EXPECT_EQ(views(), "qA");
}

TEST_F(StoredQueries, AViewARolledBackChangeMadeIsMadeAgain) {
  db->createQueryDef("qC", "SELECT C FROM T");
  db->execute("CREATE TABLE Other (X LONG)");
  db->storage().begin();
  db->execute("ALTER TABLE T ADD COLUMN C LONG");
  db->storage().rollBack();
  EXPECT_EQ(views(), "");
  db->execute("ALTER TABLE T ADD COLUMN C LONG");
  EXPECT_EQ(views(), "qC");
}

TEST_F(StoredQueries, TopWithTiesIsAViewAndALinkIsReadAtEachStatement) {
  db->execute("INSERT INTO T VALUES (3, 'y')");
  db->createQueryDef("qTop", "SELECT TOP 1 A FROM T ORDER BY B DESC");
  EXPECT_EQ(rawColumn("SELECT A FROM qTop ORDER BY A"), "2|3");
  const std::string otherPath = dir.file("other.mdb");
  DBEngine::createDatabase(otherPath);
  engine.openDatabase(otherPath)->execute("CREATE TABLE Source (A LONG)");
  auto link = db->createTableDef("Linked");
  link->setConnect(";DATABASE=" + otherPath);
  link->setSourceTableName("Source");
  db->appendTableDef(link);
  // A view outlives the statement that would copy the link's rows, so a
  // query over a link has none; statements that read it still work.
  db->createQueryDef("qLinked", "SELECT A FROM Linked");
  EXPECT_EQ(views(), "qTop");
  db->execute("INSERT INTO Linked (A) VALUES (7)");
  db->execute("INSERT INTO T (A) SELECT A FROM qLinked");
  EXPECT_EQ(rawColumn("SELECT A FROM T WHERE B IS NULL"), "7");
}

}  // namespace
}  // namespace telvarn::test

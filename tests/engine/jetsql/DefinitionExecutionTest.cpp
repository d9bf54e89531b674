// Data-definition statements run through Database::execute, checked through
// the object model they must keep true.
#include "engine/DataType.h"
#include "engine/EngineFixture.h"
#include "engine/Storage.h"

namespace telvarn::test {
namespace {

class DefinitionStatements : public EngineFixture {
 protected:
  int error(const std::string& sql) {
    return errorOf([&] { db->execute(sql); });
  }
  FieldRecord field(const std::string& table, const std::string& name) {
    return db->tableDef(table)->field(name)->record();
  }
  std::optional<IndexRecord> indexNamed(const std::string& table, const std::string& name) {
    const TableRecord saved = db->storage().findTable(table).value();
    for (const auto& index : saved.indexes) {
      if (sameName(index.name, name)) return index;
    }
    return std::nullopt;
  }
};

TEST_F(DefinitionStatements, CreateTableMakesFieldsAndConstraintIndexesInOneAppend) {
  db->execute(
      "CREATE TABLE Clients (ID COUNTER CONSTRAINT PK PRIMARY KEY, Name TEXT(40) NOT NULL, "
      "Notes MEMO, Code TEXT, Active YESNO DEFAULT True, Amount CURRENCY, "
      "CONSTRAINT ByName UNIQUE (Name, Code))");
  const auto id = field("Clients", "ID");
  EXPECT_EQ(id.type, DataType::Long);
  EXPECT_TRUE(id.attributes & 16);
  EXPECT_EQ(field("Clients", "Name").size, 40);
  EXPECT_TRUE(field("Clients", "Name").required);
  EXPECT_EQ(field("Clients", "Code").size, 255);
  EXPECT_EQ(field("Clients", "Active").defaultValue, "True");
  EXPECT_EQ(field("Clients", "Amount").type, DataType::Currency);
  ASSERT_TRUE(indexNamed("Clients", "PK"));
  EXPECT_TRUE(indexNamed("Clients", "PK")->primary);
  ASSERT_TRUE(indexNamed("Clients", "ByName"));
  EXPECT_TRUE(indexNamed("Clients", "ByName")->unique);
  EXPECT_EQ(indexNamed("Clients", "ByName")->columns.size(), 2u);
}

TEST_F(DefinitionStatements, CreateTableWithoutColumnsThenAddingOne) {
  db->execute("Create Table T1");
  EXPECT_TRUE(db->tableDef("T1")->fields().empty());
  db->execute("ALTER TABLE T1 ADD COLUMN A TEXT(10)");
  EXPECT_EQ(field("T1", "A").size, 10);
  db->execute("INSERT INTO T1 (A) VALUES ('x')");
  EXPECT_EQ(rawColumn("SELECT A FROM T1"), "x");
}

TEST_F(DefinitionStatements, CreateTableRefusals) {
  db->execute("CREATE TABLE T (A LONG)");
  EXPECT_EQ(error("CREATE TABLE t (B LONG)"), 3010);
  EXPECT_EQ(error("CREATE TABLE U (A LONG, a TEXT)"), 3191);
  EXPECT_EQ(error("CREATE TABLE U (A LONG PRIMARY KEY, B LONG, CONSTRAINT P PRIMARY KEY (B))"),
            3283);
  EXPECT_EQ(error("CREATE TABLE U (A LONG, CONSTRAINT P PRIMARY KEY (B))"), 3409);
  EXPECT_EQ(error("CREATE TABLE [U.V] (A LONG)"), 3125);
  // Nothing of a refused statement stays behind.
  EXPECT_EQ(errorOf([&] { db->tableDef("U"); }), 3265);
}

TEST_F(DefinitionStatements, DropTable) {
  db->execute("CREATE TABLE A (X LONG)");
  db->execute("CREATE TABLE B");
  EXPECT_EQ(error("DROP TABLE Missing"), 3376);
  EXPECT_EQ(error("DROP TABLE A, Missing"), 3371);
  EXPECT_NO_THROW(db->tableDef("A"));
  db->execute("DROP TABLE a, b");
  EXPECT_TRUE(db->tableDefNames().empty());
}

TEST_F(DefinitionStatements, AlterTableColumns) {
  db->execute("CREATE TABLE T (A TEXT(10) NOT NULL, B LONG)");
  EXPECT_EQ(error("ALTER TABLE Missing ADD COLUMN C LONG"), 3376);
  EXPECT_EQ(error("ALTER TABLE T ADD COLUMN a LONG"), 3380);
  EXPECT_EQ(error("ALTER TABLE T ALTER COLUMN C LONG"), 3381);
  EXPECT_EQ(error("ALTER TABLE T DROP COLUMN C"), 3381);
  db->execute("INSERT INTO T (A, B) VALUES ('12', 5)");
  // INTEGER is the 32-bit Long; the field keeps its other settings.
  db->execute("ALTER TABLE T ALTER COLUMN  A INTEGER");
  EXPECT_EQ(field("T", "A").type, DataType::Long);
  EXPECT_TRUE(field("T", "A").required);
  EXPECT_EQ(rawColumn("SELECT A + 1 FROM T"), "13");
  db->execute("ALTER TABLE T ALTER COLUMN B TEXT(5)");
  EXPECT_EQ(field("T", "B").size, 5);
  db->execute("ALTER TABLE T DROP COLUMN B");
  EXPECT_EQ(db->tableDef("T")->fields().size(), 1u);
}

TEST_F(DefinitionStatements, AlterTableConstraints) {
  db->execute("CREATE TABLE T (A LONG, B LONG)");
  db->execute("ALTER TABLE T ADD CONSTRAINT PK PRIMARY KEY (A)");
  EXPECT_TRUE(indexNamed("T", "PK")->primary);
  EXPECT_EQ(error("ALTER TABLE T ADD CONSTRAINT pk UNIQUE (B)"), 3375);
  EXPECT_EQ(error("ALTER TABLE T ADD CONSTRAINT P2 PRIMARY KEY (B)"), 3283);
  EXPECT_EQ(error("ALTER TABLE T ADD CONSTRAINT U UNIQUE (C)"), 3409);
  EXPECT_EQ(error("ALTER TABLE T DROP CONSTRAINT Missing"), 3371);
  db->execute("ALTER TABLE T DROP CONSTRAINT PK");
  EXPECT_FALSE(indexNamed("T", "PK"));
  // A column whose constraint cannot be made is not added either.
  db->execute("INSERT INTO T (A) VALUES (1)");
  db->execute("INSERT INTO T (A) VALUES (2)");
  EXPECT_NE(error("ALTER TABLE T ADD COLUMN C LONG CONSTRAINT K PRIMARY KEY"), 0);
  EXPECT_EQ(errorOf([&] { db->tableDef("T")->field("C"); }), 3265);
}

TEST_F(DefinitionStatements, CreateAndDropIndex) {
  db->execute("CREATE TABLE T (A LONG, B TEXT)");
  db->execute("CREATE UNIQUE INDEX ByA ON T (A DESC) WITH DISALLOW NULL");
  const auto byA = indexNamed("T", "ByA");
  ASSERT_TRUE(byA);
  EXPECT_TRUE(byA->unique);
  EXPECT_TRUE(byA->required);
  EXPECT_TRUE(byA->columns[0].descending);
  db->execute("CREATE INDEX Key ON T (B) WITH PRIMARY");
  EXPECT_TRUE(indexNamed("T", "Key")->primary);
  EXPECT_EQ(error("CREATE INDEX ByA ON T (B)"), 3375);
  EXPECT_EQ(error("CREATE INDEX K2 ON T (B) WITH PRIMARY"), 3283);
  EXPECT_EQ(error("CREATE INDEX K3 ON T (C)"), 3409);
  EXPECT_EQ(error("CREATE INDEX K4 ON Missing (A)"), 3376);
  EXPECT_EQ(error("DROP INDEX Missing ON T"), 3372);
  EXPECT_EQ(error("DROP INDEX ByA ON Missing"), 3376);
  db->execute("DROP INDEX bya ON T");
  EXPECT_FALSE(indexNamed("T", "ByA"));
  db->execute("INSERT INTO T (A, B) VALUES (1, 'x')");
  db->execute("INSERT INTO T (A, B) VALUES (1, 'y')");
  EXPECT_EQ(error("CREATE UNIQUE INDEX U ON T (A)"), 3022);
}

}  // namespace
}  // namespace telvarn::test

#include <gtest/gtest.h>

#include "AstSummary.h"
#include "engine/DataType.h"
#include "engine/jetsql/Parser.h"

namespace telvarn::jetsql {
namespace {

using test::errorNumber;
using test::errorText;

template <typename T>
T parsed(const std::string& sql) {
  return std::get<T>(parseStatement(sql).body);
}

template <typename T>
T action(const std::string& sql) {
  return std::move(std::get<T>(parsed<DataStatement>(sql).action));
}

struct Case {
  const char* sql;
  int error;
};

void expectErrors(std::initializer_list<Case> cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sql);
    EXPECT_EQ(errorNumber([&] { parseStatement(c.sql); }), c.error);
  }
}

TEST(StatementParser, CreateTableColumnsAndConstraints) {
  const auto create = parsed<CreateTable>(
      "create table [My T] (ID counter constraint pk primary key, Name text(50) not null, "
      "Note2 memo, Flag yesno unique, CONSTRAINT u UNIQUE (Name, Flag))");
  EXPECT_EQ(create.table, "My T");
  ASSERT_EQ(create.columns.size(), 4u);
  EXPECT_EQ(create.columns[0].type.type, DataType::Long);
  EXPECT_TRUE(create.columns[0].type.autoIncrement);
  EXPECT_EQ(create.columns[0].constraint->name, "pk");
  EXPECT_EQ(create.columns[0].constraint->kind, ConstraintDef::Kind::PrimaryKey);
  EXPECT_EQ(create.columns[1].type.size, 50);
  EXPECT_TRUE(create.columns[1].notNull);
  EXPECT_EQ(create.columns[2].type.type, DataType::Memo);
  EXPECT_EQ(create.columns[3].constraint->kind, ConstraintDef::Kind::Unique);
  EXPECT_TRUE(create.columns[3].constraint->name.empty());
  ASSERT_EQ(create.constraints.size(), 1u);
  EXPECT_EQ(create.constraints[0].columns, (std::vector<std::string>{"Name", "Flag"}));
}

TEST(StatementParser, ColumnDefaultsAreKeptAsWritten) {
  const auto create = parsed<CreateTable>(
      "CREATE TABLE t (a TEXT DEFAULT 'x''y', b LONG NOT NULL DEFAULT -1, c BIT DEFAULT True)");
  EXPECT_EQ(create.columns[0].defaultValue, "'x''y'");
  EXPECT_EQ(create.columns[1].defaultValue, "-1");
  EXPECT_EQ(create.columns[2].defaultValue, "True");
}

TEST(StatementParser, CreateTableWithoutColumnsMakesAnEmptyTable) {
  EXPECT_TRUE(parsed<CreateTable>("Create Table T1").columns.empty());
  EXPECT_TRUE(parsed<CreateTable>("Create Table T1;").columns.empty());
}

TEST(StatementParser, TypeNamesAndTheirSynonyms) {
  const std::pair<const char*, FieldType> cases[] = {
      {"TEXT", {DataType::Text, 255}},
      {"Text(20)", {DataType::Text, 20}},
      {"VARCHAR(10)", {DataType::Text, 10}},
      {"NATIONAL CHARACTER VARYING(5)", {DataType::Text, 5}},
      {"CHAR", {DataType::Text, 255}},
      {"LONGTEXT", {DataType::Memo, 0}},
      {"BYTE", {DataType::Byte, 0}},
      {"SMALLINT", {DataType::Integer, 0}},
      {"INTEGER", {DataType::Long, 0}},
      {"INT", {DataType::Long, 0}},
      {"REAL", {DataType::Single, 0}},
      {"FLOAT", {DataType::Double, 0}},
      {"NUMBER", {DataType::Double, 0}},
      {"MONEY", {DataType::Currency, 0}},
      {"DATE", {DataType::Date, 0}},
      {"TIME", {DataType::Date, 0}},
      {"BIT", {DataType::Boolean, 0}},
      {"LOGICAL", {DataType::Boolean, 0}},
      {"GUID", {DataType::Guid, 0}},
      {"BINARY(16)", {DataType::Binary, 16}},
      {"OLEOBJECT", {DataType::LongBinary, 0}},
      {"AUTOINCREMENT(1, 1)", {DataType::Long, 0}},
  };
  for (const auto& [name, type] : cases) {
    SCOPED_TRACE(name);
    const auto create = parsed<CreateTable>(std::string("CREATE TABLE t (c ") + name + ")");
    EXPECT_EQ(create.columns[0].type.type, type.type);
    EXPECT_EQ(create.columns[0].type.size, type.size);
  }
}

TEST(StatementParser, CreateTableErrors) {
  expectErrors({
      {"CREATE TABLE", 3290},
      {"Create Table My Table", 3290},  // a name with a blank needs brackets
      {"CREATE TABLE t ()", 3290},
      {"CREATE TABLE t (a TEXT", 3290},
      {"CREATE TABLE t (a TEXT) x", 3290},
      {"CREATE FOO t", 3290},
      {"CREATE TABLE t (a)", 3292},
      {"CREATE TABLE t (a FOO)", 3292},
      {"CREATE TABLE t (a DECIMAL(10, 2))", 3292},
      {"CREATE TABLE t (Note TEXT)", 3292},  // a type name as a bare column name
      {"CREATE TABLE t (a TEXT(0))", 3292},
      {"CREATE TABLE t (a TEXT(-5))", 3292},
      {"CREATE TABLE t (a TEXT(None))", 3292},
      {"CREATE TABLE t (a TEXT(256))", 3017},
      {"CREATE TABLE t (a LONG(4))", 3292},
      {"CREATE TABLE t (a TEXT NOT NULL NOT NULL)", 3292},
      {"CREATE TABLE t (a TEXT DEFAULT b)", 3292},
      {"CREATE TABLE t (a TEXT DEFAULT 'x' DEFAULT 'y')", 3292},
      {"CREATE TABLE t (a LONG CONSTRAINT PRIMARY KEY)", 3289},
      {"CREATE TABLE t (a LONG CONSTRAINT k FOREIGN KEY)", 3289},
      {"CREATE TABLE t (a LONG, CONSTRAINT k PRIMARY KEY a)", 3289},
      {"CREATE TABLE t (a LONG PRIMARY KEY UNIQUE)", 3289},
  });
}

TEST(StatementParser, AlterTable) {
  const auto add = parsed<AlterTable>("ALTER TABLE t ADD COLUMN c TEXT(10) NOT NULL");
  EXPECT_EQ(add.action, AlterTable::Action::AddColumn);
  EXPECT_TRUE(add.column.notNull);
  // The program writes two blanks after COLUMN and no brackets.
  const auto alter = parsed<AlterTable>("ALTER TABLE Clients ALTER COLUMN  Phone Text(20)");
  EXPECT_EQ(alter.action, AlterTable::Action::AlterColumn);
  EXPECT_EQ(alter.column.name, "Phone");
  EXPECT_EQ(alter.column.type.size, 20);
  EXPECT_EQ(parsed<AlterTable>("ALTER TABLE t ALTER c SHORT").column.type.type, DataType::Integer);
  EXPECT_EQ(parsed<AlterTable>("ALTER TABLE t DROP c").name, "c");
  EXPECT_EQ(parsed<AlterTable>("ALTER TABLE t DROP CONSTRAINT k").action,
            AlterTable::Action::DropConstraint);
  const auto constraint = parsed<AlterTable>("ALTER TABLE t ADD CONSTRAINT k PRIMARY KEY (a, b)");
  EXPECT_EQ(constraint.constraint.columns.size(), 2u);
  expectErrors({
      {"ALTER TABLE", 3293},
      {"ALTER TABLE t FOO", 3293},
      {"ALTER TABLE My Table ADD c TEXT", 3293},
      {"ALTER TABLE t ADD COLUMN c TEXT, d TEXT", 3293},
      {"ALTER TABLE t ALTER COLUMN c TEXT(20) NOT NULL", 3293},
      {"ALTER TABLE t ALTER COLUMN  c Yes/No", 3292},
      {"ALTER TABLE t ALTER COLUMN  c Text(0)", 3292},
      {"ALTER TABLE t ALTER COLUMN  First Name Text(20)", 3292},
      {"ALTER TABLE t ADD CONSTRAINT k CHECK (a > 0)", 3289},
      {"ALTER VIEW v", 3293},
  });
}

TEST(StatementParser, IndexesAndDrops) {
  const auto index =
      parsed<CreateIndex>("CREATE UNIQUE INDEX ix ON t (a DESC, [b c] ASC) WITH IGNORE NULL");
  EXPECT_TRUE(index.unique);
  EXPECT_TRUE(index.ignoreNull);
  ASSERT_EQ(index.columns.size(), 2u);
  EXPECT_TRUE(index.columns[0].descending);
  EXPECT_EQ(index.columns[1].field, "b c");
  EXPECT_TRUE(parsed<CreateIndex>("CREATE INDEX pk ON t (a) WITH PRIMARY").primary);
  EXPECT_TRUE(parsed<CreateIndex>("CREATE INDEX i ON t (a) WITH DISALLOW NULL").disallowNull);
  EXPECT_EQ(parsed<DropTable>("DROP TABLE a, [b]").tables, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(parsed<DropIndex>("DROP INDEX i ON t").table, "t");
  expectErrors({
      {"CREATE INDEX i ON t", 3291},
      {"CREATE INDEX i t (a)", 3291},
      {"CREATE INDEX i ON t (a) WITH PRIMARY KEY", 3291},
      {"CREATE UNIQUE i ON t (a)", 3291},
      {"DROP TABLE", 3295},
      {"DROP TABLE t u", 3295},
      {"DROP VIEW v", 3295},
      {"DROP INDEX i", 3294},
      {"DROP INDEX i ON", 3294},
  });
}

TEST(StatementParser, InsertUpdateDelete) {
  const auto insert = action<InsertStatement>("INSERT INTO t (a, [b]) VALUES (1, 'x');");
  EXPECT_EQ(insert.columns, (std::vector<std::string>{"a", "b"}));
  ASSERT_EQ(insert.values.size(), 2u);
  EXPECT_EQ(test::summary(*insert.values[1]), "'x'");
  EXPECT_TRUE(action<InsertStatement>("INSERT INTO t VALUES (1)").columns.empty());

  const auto update = action<UpdateStatement>("UPDATE t AS x SET x.a = a + 1, b = Null WHERE c");
  EXPECT_EQ(update.alias, "x");
  EXPECT_EQ(update.assignments[0].column.qualifier, "x");
  EXPECT_EQ(test::summary(*update.assignments[0].value), "(+ a 1)");
  EXPECT_EQ(test::summary(*update.where), "c");

  EXPECT_EQ(action<DeleteStatement>("DELETE t.* FROM t WHERE a = 1").target, "t");
  EXPECT_EQ(action<DeleteStatement>("DELETE * FROM t").table, "t");
  EXPECT_EQ(action<DeleteStatement>("DELETE FROM t x").alias, "x");
  expectErrors({
      {"INSERT t VALUES (1)", 3134},
      {"INSERT INTO t (a) VALUES (1", 3134},
      {"INSERT INTO t (a) VALUE (1)", 3134},
      {"INSERT INTO t (a)", 3134},
      {"UPDATE t x = 1", 3144},
      {"UPDATE t SET x", 3144},
      {"UPDATE SET x = 1", 3144},
      {"DELETE t", 3130},
      {"DELETE FROM", 3130},
      {"DELETE FROM t WHERE a = 1 ORDER BY a", 3075},
  });
}

TEST(StatementParser, WhatIsNoStatementOrMoreThanOne) {
  expectErrors({
      {"", 3078},
      {"   ", 3078},
      {"DELET FROM T1", 3078},
      {"qryArchive", 3078},
      {"DELETE FROM t; DELETE FROM u", 3142},
      {"DELETE FROM t;;", 3142},
      {"PARAMETERS p Long DELETE FROM t", 3139},
  });
  EXPECT_EQ(errorText([] { parseStatement("  DELET FROM T1 "); }),
            "The database engine cannot find the input table or query 'DELET FROM T1'.  Make "
            "sure it exists and that its name is spelled correctly.");
  EXPECT_EQ(parseStatement("PARAMETERS p Long, [q r] Text(10); DELETE FROM t WHERE a = p")
                .declaredParameters,
            2);
}

TEST(StatementParser, SelectsAndCrosstabs) {
  EXPECT_FALSE(parsed<SelectStatement>("SELECT * FROM t WHERE a = 1").into);
  EXPECT_TRUE(parsed<SelectStatement>("SELECT a INTO n FROM t").into);
  EXPECT_EQ(
      errorNumber([] { parseStatement("SELECT a FROM t WHERE b IN (SELECT c INTO x FROM u)"); }),
      3141);
  EXPECT_FALSE(parsed<SelectStatement>("TRANSFORM Sum(a) SELECT b FROM t PIVOT c").into);
  EXPECT_EQ(errorNumber([] { parseStatement("SELECT * FROM t; DROP TABLE t"); }), 3142);
}

}  // namespace
}  // namespace telvarn::jetsql

// Action queries run through Database::execute on a real file, their effect
// read back from the SQLite tables underneath.
#include "engine/EngineFixture.h"
#include "engine/model/QueryDef.h"

namespace telvarn::test {
namespace {

class DataStatements : public EngineFixture {
 protected:
  void SetUp() override {
    db->execute(
        "CREATE TABLE T (ID COUNTER, Name TEXT(10), N LONG, X DOUBLE, D DATETIME, F YESNO, "
        "Memo1 MEMO)");
  }
  int error(const std::string& sql) {
    return errorOf([&] { db->execute(sql); });
  }
  std::string text(const std::string& sql) {
    try {
      db->execute(sql);
    } catch (const AppError& e) {
      return e.description();
    }
    return "";
  }
  // One expression evaluated by an UPDATE into the memo field of one row.
  std::string value(const std::string& expression) {
    raw("DELETE FROM T");
    db->execute("INSERT INTO T (Name, N, X) VALUES ('abc', 7, 2.5)");
    db->execute("UPDATE T SET Memo1 = " + expression);
    return rawColumn("SELECT Memo1 FROM T");
  }
};

TEST_F(DataStatements, InsertConvertsValuesToTheFieldTypes) {
  db->execute("INSERT INTO T (Name, N, X, D, F) VALUES ('a', 2.5, 1.5, #1/31/2000 10:30#, True)");
  db->execute("INSERT INTO T (Name, N, D, F) VALUES (\"b\", '3', '2000-02-01', Null)");
  EXPECT_EQ(rawColumn("SELECT ID FROM T ORDER BY ID"), "1|2");              // AutoNumber counts on
  EXPECT_EQ(rawColumn("SELECT N FROM T ORDER BY ID"), "2|3");               // 2.5 rounds to even
  EXPECT_EQ(rawColumn("SELECT D FROM T ORDER BY ID"), "36556.4375|36557");  // day numbers
  EXPECT_EQ(rawColumn("SELECT F FROM T ORDER BY ID"), "-1|0");  // Yes/No never holds Null
  db->execute("INSERT INTO T VALUES (10, 'c', 1, 1, Null, 0, Null)");
  EXPECT_EQ(rawColumn("SELECT Name FROM T WHERE ID = 10"), "c");
}

TEST_F(DataStatements, InsertRefusals) {
  EXPECT_EQ(text("INSERT INTO Missing (A) VALUES (1)"),
            "The database engine cannot find the input table or query 'Missing'.  Make sure it "
            "exists and that its name is spelled correctly.");
  EXPECT_EQ(error("INSERT INTO T (Nme) VALUES ('a')"), 3127);
  EXPECT_EQ(error("INSERT INTO T (Name) VALUES ('a', 1)"), 3346);
  EXPECT_EQ(error("INSERT INTO T VALUES (1)"), 3346);
  EXPECT_EQ(text("INSERT INTO T (Name) VALUES (Unknown)"), "Too few parameters. Expected 1.");
  EXPECT_EQ(error("INSERT INTO T (Name) VALUES ('abcdefghijk')"), 3163);
  EXPECT_EQ(error("INSERT INTO T (N) VALUES (99999999999)"), 3349);
  EXPECT_EQ(error("INSERT INTO T (N) VALUES ('abc')"), 3421);
  db->execute("CREATE TABLE Empty");
  EXPECT_EQ(error("INSERT INTO Empty VALUES (1)"), 3346);
  EXPECT_EQ(error("INSERT INTO Empty (A) VALUES (1)"), 3127);
  EXPECT_EQ(rawColumn("SELECT COUNT(*) FROM T"), "0");
}

TEST_F(DataStatements, RequiredZeroLengthAndDefaults) {
  db->execute("CREATE TABLE R (A TEXT NOT NULL, B TEXT, C LONG DEFAULT 5, E TEXT DEFAULT 'x')");
  // A row that breaks a rule is left out, with the rule's message.
  EXPECT_EQ(db->execute("INSERT INTO R (B) VALUES ('b')").reasons,
            (std::map<int, std::string>{
                {3314,
                 "The field 'R.A' cannot contain a Null value because the Required property for "
                 "this field is set to True.  Enter a value in this field."}}));
  EXPECT_EQ(db->execute("INSERT INTO R (A, B) VALUES ('a', '')").reasons,
            (std::map<int, std::string>{{3315, "Field 'R.B' cannot be a zero-length string."}}));
  EXPECT_EQ(db->execute("INSERT INTO R (A) VALUES ('a')").changed, 1u);
  EXPECT_EQ(rawColumn("SELECT C || E FROM R"), "5x");
  EXPECT_EQ(db->execute("UPDATE R SET A = Null").skipped, (std::map<int, uint64_t>{{3314, 1}}));
  EXPECT_EQ(rawColumn("SELECT A FROM R"), "a");
}

TEST_F(DataStatements, RowsBreakingARuleAreLeftOutOtherFailuresUndoTheStatement) {
  db->execute("CREATE TABLE K (A LONG, B TEXT NOT NULL)");
  db->execute("CREATE UNIQUE INDEX UA ON K (A)");
  for (int i = 1; i <= 3; ++i)
    db->execute("INSERT INTO K (A, B) VALUES (" + std::to_string(i) + ", 'x')");
  RowsAffected done = db->execute("UPDATE K SET B = IIf(A = 3, Null, 'y')");
  EXPECT_EQ(done.changed, 2u);
  EXPECT_EQ(done.skipped, (std::map<int, uint64_t>{{3314, 1}}));
  done = db->execute("UPDATE K SET A = 1 WHERE A > 1");
  EXPECT_EQ(done.changed, 0u);
  EXPECT_EQ(done.skipped, (std::map<int, uint64_t>{{3022, 2}}));
  // An overflow on the last row is the statement's own error.
  EXPECT_EQ(error("UPDATE K SET A = A * 1000000000, B = 'z'"), 3349);
  EXPECT_EQ(rawColumn("SELECT A || B FROM K ORDER BY A"), "1y|2y|3x");
  EXPECT_EQ(db->execute("DELETE FROM K WHERE A >= 2").changed, 2u);
  EXPECT_EQ(rawColumn("SELECT A FROM K"), "1");
}

TEST_F(DataStatements, UnknownNamesAreParameters) {
  EXPECT_EQ(text("UPDATE T SET N = 1 WHERE Nme = 'a' AND nme > 'b' AND Q.N = 1"),
            "Too few parameters. Expected 2.");
  EXPECT_EQ(error("UPDATE T SET Nothing = 1"), 3061);
  EXPECT_EQ(error("DELETE FROM T WHERE Missing = 1"), 3061);
  EXPECT_EQ(error("UPDATE Missing SET N = 1"), 3078);
  EXPECT_EQ(error("UPDATE T SET N = Foo(1)"), 3085);
  EXPECT_EQ(text("UPDATE T SET N = Left(Name)"),
            "Wrong number of arguments used with function in query expression 'Left(Name)'.");
  EXPECT_EQ(error("DELETE U.* FROM T"), 3086);
  EXPECT_EQ(error("PARAMETERS p Long; DELETE FROM T WHERE N = p"), 3061);
  EXPECT_EQ(error("DELETE FROM Missing"), 3078);
}

TEST_F(DataStatements, QualifiedNamesAliasesAndCase) {
  db->execute("INSERT INTO T (Name, N) VALUES ('Abc', 1)");
  db->execute("INSERT INTO T (Name, N) VALUES ('xyz', 2)");
  db->execute("UPDATE T AS q SET q.N = [q].[N] + 10 WHERE T.Name = 'ABC'");
  EXPECT_EQ(rawColumn("SELECT N FROM T ORDER BY ID"), "11|2");
  db->execute("DELETE T.* FROM T WHERE name In ('XYZ')");
  EXPECT_EQ(rawColumn("SELECT Name FROM T"), "Abc");
}

TEST_F(DataStatements, Operators) {
  const std::pair<const char*, const char*> cases[] = {
      {"Name & Null & N", "abc7"},
      {"Name + Null", "NULL"},
      {"Name + 'd'", "abcd"},
      {"N + '1'", "8"},
      {"N / 2", "3.5"},
      {"N \\ 2", "3"},
      {"7.5 \\ 2", "4"},  // operands are rounded first
      {"N Mod 4", "3"},
      {"-N Mod 4", "-3"},
      {"2 ^ 10", "1024"},
      {"-2 ^ 2", "-4"},
      {"X * 2 - 1", "4"},
      {"IIf(N Between 10 And 5, 'in', 'out')", "in"},
      {"IIf(N Not Between 1 And 5, 'out', 'in')", "out"},
      {"IIf(Name = 'ABC', 'same', 'other')", "same"},
      {"IIf(Name Is Null Or N In (1, 7), 'y', 'n')", "y"},
      {"IIf(True Xor False, 1, 0) & IIf(True Eqv False, 1, 0) & IIf(False Imp Null, 1, 0)", "101"},
  };
  for (const auto& [expression, result] : cases) {
    SCOPED_TRACE(expression);
    EXPECT_EQ(value(expression), result);
  }
  EXPECT_EQ(error("UPDATE T SET X = N / 0"), 11);
}

TEST_F(DataStatements, LikeUsesTheDialectsWildcards) {
  const std::pair<const char*, bool> cases[] = {
      {"'ABC' Like 'a*'", true},     {"'abc' Like 'a?c'", true},     {"'a1c' Like 'a#c'", true},
      {"'abc' Like 'a#c'", false},   {"'abc' Like '[a-c]bc'", true}, {"'abc' Like '[!a]*'", false},
      {"'a%c' Like 'a%c'", true},    {"'abc' Like 'a%'", false},     {"'a*c' Like 'a[*]c'", true},
      {"'abc' Not Like 'b*'", true}, {"'ab' Like 'a[]b'", true},
  };
  for (const auto& [expression, matches] : cases) {
    SCOPED_TRACE(expression);
    EXPECT_EQ(value(std::string("IIf(") + expression + ", 'y', 'n')"), matches ? "y" : "n");
  }
  EXPECT_EQ(error("UPDATE T SET N = IIf('a' Like '[a', 1, 0)"), 93);
}

TEST_F(DataStatements, Functions) {
  db->execute("INSERT INTO T (Name, N, D) VALUES ('  Hello ', 3, #3/4/2001 5:06:07#)");
  const auto one = [&](const std::string& expression) {
    db->execute("UPDATE T SET Memo1 = " + expression);
    return rawColumn("SELECT Memo1 FROM T");
  };
  EXPECT_EQ(one("Trim(Name) & '|' & LTrim(Name) & '|'"), "Hello|Hello |");
  EXPECT_EQ(one("UCase(Left(Trim(Name), 2)) & Mid(Trim(Name), 3, 2) & Right(Trim(Name), 1)"),
            "HEllo");
  EXPECT_EQ(one("Len(Name) & InStr(Name, 'L') & InStr(6, Name, 'l')"), "856");
  EXPECT_EQ(one("Year(D) & '-' & Month(D) & '-' & Day(D) & ' ' & Hour(D) & Minute(D) & Second(D)"),
            "2001-3-4 567");
  EXPECT_EQ(one("IIf(X Is Null, 'none', X) & IsNull(X) & CStr(N * 2)"), "noneTrue6");
  EXPECT_EQ(one("DateSerial(2000, 14, 0)"), "1/31/2001");
  EXPECT_EQ(one("Int(-2.5) & Fix(-2.5) & Abs(-3) & Sgn(-2) & Val(' 12 3abc')"), "-3-23-1123");
  EXPECT_EQ(one("CLng('12.5') & CInt(13.5)"), "1214");
  db->execute("UPDATE T SET D = Date");
  EXPECT_EQ(rawColumn("SELECT D = round(D) FROM T"), "1");  // a day without a time
}

TEST_F(DataStatements, DatesCompareAsDates) {
  db->execute("INSERT INTO T (Name, D) VALUES ('a', #1/31/2000#)");
  db->execute("INSERT INTO T (Name, D) VALUES ('b', #2000-02-01 08:00#)");
  db->execute("DELETE FROM T WHERE D < #2/1/2000#");
  EXPECT_EQ(rawColumn("SELECT Name FROM T"), "b");
}

TEST_F(DataStatements, WhatExecuteRefusesOrLooksUp) {
  EXPECT_EQ(error("SELECT * FROM T"), 3065);
  EXPECT_EQ(error("SELECT * INTO T FROM T"), 3010);
  EXPECT_EQ(text(""),
            "The database engine cannot find the input table or query ''.  Make sure it "
            "exists and that its name is spelled correctly.");
  EXPECT_EQ(text("SELECT Name & '!', Count(*) INTO C FROM T"),
            "You tried to execute a query that does not include the specified expression "
            "'Name & '!'' as part of an aggregate function.");
  // A text that is no statement may name a stored action query.
  db->execute("INSERT INTO T (Name) VALUES ('old')");
  db->createQueryDef("qryClear", "DELETE FROM T");
  db->execute("qryClear");
  EXPECT_EQ(rawColumn("SELECT COUNT(*) FROM T"), "0");
  EXPECT_EQ(error("DELETE FROM Empty2"), 3078);
  db->execute("CREATE TABLE Empty2");
  EXPECT_EQ(error("DELETE FROM Empty2"), 0);
}

TEST_F(DataStatements, ALinkedTableIsChangedInItsOwnFile) {
  const std::string otherPath = dir.file("other.mdb");
  DBEngine::createDatabase(otherPath);
  engine.openDatabase(otherPath)->execute("CREATE TABLE Source (A LONG)");
  auto link = db->createTableDef("Linked");
  link->setConnect(";DATABASE=" + otherPath);
  link->setSourceTableName("Source");
  db->appendTableDef(link);
  db->execute("INSERT INTO Linked (A) VALUES (1)");
  db->execute("INSERT INTO Linked (A) VALUES (2)");
  db->execute("UPDATE Linked SET Linked.A = A * 10 WHERE A = 2");
  db->execute("DELETE FROM Linked WHERE Linked.A = 1");
  const std::string ownPath = path;
  path = otherPath;  // rawColumn reads the file at `path`
  EXPECT_EQ(rawColumn("SELECT A FROM Source"), "20");
  path = ownPath;
  EXPECT_EQ(error("ALTER TABLE Linked ADD COLUMN B LONG"), 3611);
  db->execute("DROP TABLE Linked");  // drops the link only
  EXPECT_EQ(errorOf([&] { engine.openDatabase(otherPath)->tableDef("Source"); }), 0);
}

}  // namespace
}  // namespace telvarn::test

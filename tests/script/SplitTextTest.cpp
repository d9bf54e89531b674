// The dispatcher: routing, the status lines, the end of the script, and the
// two cases of its trap.
#include "engine/model/TableDef.h"
#include "script/SplitText.h"
#include "support/RunFixture.h"

namespace telvarn::test {
namespace {

using Lines = std::vector<std::string>;
using SplitTextRun = RunFixture;

TEST_F(SplitTextRun, AnEmptyScriptReportsOnlyItsOwnTitle) {
  runScript({});
  EXPECT_EQ(view.list, Lines{"SplitText"});
  EXPECT_EQ(logLines(), Lines{"SplitText"});
  EXPECT_TRUE(view.boxes.empty());
}

TEST_F(SplitTextRun, AMissingScriptIsReportedTitledSplitText) {
  paths.strScriptPath = dir.file("nowhere.ini");
  SplitText(run);
  EXPECT_EQ(view.list, (Lines{"SplitText", "53 - File not found"}));
  EXPECT_EQ(logLines(), (Lines{"SplitText", "53 - File not found"}));
  EXPECT_EQ(view.boxes, Lines{"SplitText: 53 :  File not found"});
}

TEST_F(SplitTextRun, CommentsAreSkippedAndAnUnknownKeywordEndsTheScriptQuietly) {
  int round = 0;
  for (const char* stopper : {"ADD;ZulData.mdb;X;", " add;ZulData.mdb;X;", "create;x",
                              " 'not a comment", "\tsql;x;DROP TABLE T"}) {
    const std::string before = "Before" + std::to_string(round);
    const std::string after = "After" + std::to_string(round++);
    runScript({"' a comment; with fields;", "add;ZulData.mdb;" + before + ";", stopper,
               "add;ZulData.mdb;" + after + ";"});
    EXPECT_EQ(view.list.back(), "Creating Table " + before) << stopper;
    EXPECT_EQ(errorOf([&] { data()->tableDef(after); }), 3265) << stopper;
    EXPECT_EQ(errorOf([&] { data()->tableDef("X"); }), 3265) << stopper;
  }
  EXPECT_TRUE(view.boxes.empty());
}

TEST_F(SplitTextRun, AnAddLineWithoutFieldNameCreatesTheTable) {
  runScript({"add;ZulData.mdb;T1;", "add;ZulData.mdb;T2"});
  EXPECT_EQ(view.list,
            (Lines{"SplitText", "Processing Creating Table..", "Create Table", "Creating Table T1",
                   // Too few fields: the recovery creates the table, without the status line.
                   "Create Table", "Creating Table T2"}));
  EXPECT_NO_THROW(data()->tableDef("T1"));
  EXPECT_NO_THROW(data()->tableDef("T2"));
  EXPECT_EQ(logLines(), view.list);
}

TEST_F(SplitTextRun, ALineWithTooFewFieldsCreatesWhateverTableTheRecordHolds) {
  runScript({"add;ZulData.mdb;Kept;", "", "del;ZulSupt.mdb"});
  // The empty line and the short "del" line both reach Create Table with the
  // table name the first line left; the second finds it exists already.
  EXPECT_EQ(std::count(view.list.begin(), view.list.end(), "Creating Table Kept"), 3);
  EXPECT_EQ(run.rec.varDatabase, "ZulSupt.mdb");
  EXPECT_NO_THROW(support()->tableDef("Kept"));
  EXPECT_TRUE(view.boxes.empty());
}

TEST_F(SplitTextRun, ANumberThatDoesNotConvertEndsTheRunAfterTheFieldsBeforeIt) {
  runScript({"chg;ZulSupt.mdb;T;F;NewF;yes;0;10;5", "add;ZulData.mdb;Never;"});
  EXPECT_EQ(view.list, (Lines{"SplitText", "13 - Type mismatch"}));
  EXPECT_EQ(view.boxes, Lines{"SplitText: 13 :  Type mismatch"});
  EXPECT_EQ(run.rec.varDatabase, "ZulSupt.mdb");
  EXPECT_EQ(run.rec.strNewName, "NewF");
  EXPECT_EQ(errorOf([&] { data()->tableDef("Never"); }), 3265);
}

TEST_F(SplitTextRun, IndexLinesMustCarryNumbersTheyDoNotUse) {
  runScript({"idx;ZulData.mdb;T;F;x;0;I;False;False;False"});
  EXPECT_EQ(view.list.back(), "13 - Type mismatch");
  view.list.clear();
  runScript({"idx;ZulData.mdb;T;F;0;40000;I;False;False;False"});
  EXPECT_EQ(view.list.back(), "6 - Overflow");
}

TEST_F(SplitTextRun, TheSelectorIsExactlyTheSupportFileName) {
  runScript({"add;ZulSupt.mdb;InSupport;", "add;zulsupt.mdb;InData1;", "add; ZulSupt.mdb;InData2;",
             "add;;InData3;"});
  EXPECT_NO_THROW(support()->tableDef("InSupport"));
  for (const char* name : {"InData1", "InData2", "InData3"}) {
    EXPECT_NO_THROW(data()->tableDef(name)) << name;
    EXPECT_EQ(errorOf([&] { support()->tableDef(name); }), 3265) << name;
  }
}

TEST_F(SplitTextRun, AnSqlLineRunsOnlyWhatComesBeforeASemicolon) {
  runScript({"sql;ZulData.mdb;CREATE TABLE T (A TEXT(10))",
             "sql;ZulData.mdb;INSERT INTO T VALUES ('x');junk"});
  EXPECT_EQ(view.list,
            (Lines{"SplitText", "SQL Statements", "Executing SQL.. CREATE TABLE T (A TEXT(10))",
                   "SQL Statements", "Executing SQL.. INSERT INTO T VALUES ('x')"}));
  EXPECT_TRUE(view.boxes.empty());
}

TEST_F(SplitTextRun, ProgressIsLoggedBeforeItIsListedAndErrorsListedFirst) {
  runScript({"sql;ZulData.mdb;DROP TABLE Missing"});
  ASSERT_EQ(view.list.size(), 4u);
  EXPECT_EQ(view.list[3].substr(0, 7), "3376 - ");
  EXPECT_EQ(view.loggedBeforeListed, (std::vector<bool>{true, true, true, false}));
  EXPECT_EQ(logLines(), view.list);
  EXPECT_EQ(view.events.back().substr(0, 45), "box: Orvel Database Maintenance System: 3376 ");
}

}  // namespace
}  // namespace telvarn::test

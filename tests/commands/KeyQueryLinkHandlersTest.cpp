// "prk", "idx", "qdf", "lnk" and "exe": reports, trap options and results.
#include <dirent.h>

#include "engine/DataType.h"
#include "engine/model/Field.h"
#include "engine/model/Index.h"
#include "engine/model/QueryDef.h"
#include "engine/model/TableDef.h"
#include "support/RawSql.h"
#include "support/RunFixture.h"

namespace telvarn::test {
namespace {

using Lines = std::vector<std::string>;
using KeyHandlers = RunFixture;

Lines after(const Lines& list, size_t from) {
  return Lines(list.begin() + from, list.end());
}

TEST_F(KeyHandlers, APrimaryKeyAddsItsFieldAndIndexAndRepeatsQuietly) {
  const std::string line = "prk;ZulData.mdb;T;ID;4;0;PrimaryKey;True;True;True";
  runScript({"add;ZulData.mdb;T;", line, line});
  const Lines once = {"Processing PrimaryKey..", "Primary Key",
                      "Looking For Table T",     "Creating Index PrimaryKey",
                      "Adding Primary Key True", "Adding Unique ID True",
                      "Setting Required True",   "Creating Primary Key Field ID"};
  Lines twice = once;
  twice.insert(twice.end(), once.begin(), once.end());
  EXPECT_EQ(after(view.list, 4), twice);
  EXPECT_TRUE(view.boxes.empty());
  auto table = data()->tableDef("T");
  ASSERT_EQ(table->indexes().size(), 1u);
  EXPECT_TRUE(table->indexes()[0]->record().primary);
  EXPECT_EQ(table->field("ID")->type(), DataType::Long);
}

TEST_F(KeyHandlers, PrimaryKeyErrorsGoToTheLogOnlyUnderIndex) {
  runScript({"prk;ZulData.mdb;Nope;ID;4;0;PK;True;True;True"});
  EXPECT_EQ(after(view.list, 1), (Lines{"Processing PrimaryKey..", "Primary Key"}));
  EXPECT_EQ(logLines().back(), "3265 - Item not found in this collection.");
  EXPECT_EQ(view.boxes, Lines{"Index: 3265 :  Item not found in this collection."});
}

TEST_F(KeyHandlers, AFlagTextThatIsNoBooleanLeavesTheFieldWithoutTheIndex) {
  runScript({"add;ZulData.mdb;T;", "prk;ZulData.mdb;T;ID;4;0;PK;Yes;True;True"});
  EXPECT_EQ(logLines().back(), "13 - Type mismatch");
  EXPECT_EQ(view.list.back(), "Creating Index PK");
  auto table = data()->tableDef("T");
  EXPECT_NO_THROW(table->field("ID"));
  EXPECT_TRUE(table->indexes().empty());
}

TEST_F(KeyHandlers, AnIndexOnAnExistingFieldAndItsRefusals) {
  runScript({"add;ZulData.mdb;T (A LONG, B LONG);", "prk;ZulData.mdb;T;A;4;0;PK;True;True;True",
             "idx;ZulData.mdb;T;B;0;0;ByB;False;False;False",
             "idx;ZulData.mdb;T;B;0;0;Second;True;True;False",
             "idx;ZulData.mdb;T;Nope;0;0;ByNope;False;False;False"});
  const Lines listed = view.list;
  EXPECT_NE(std::find(listed.begin(), listed.end(), "Creating Indexed Field B"), listed.end());
  ASSERT_EQ(view.boxes.size(), 1u);
  EXPECT_EQ(view.boxes[0],
            "Orvel Database Maintenance System: 3265 :  Item not found in this collection.");
  EXPECT_EQ(data()->tableDef("T")->indexes().size(), 2u);
}

using QueryAndLinkHandlers = RunFixture;

TEST_F(QueryAndLinkHandlers, AStoredQueryKeepsItsFirstTextOnASecondLine) {
  runScript({"add;ZulData.mdb;T (A LONG);", "qdf;ZulData.mdb;Q1;DELETE FROM T WHERE A = 1",
             "qdf;ZulData.mdb;Q1;DELETE FROM T"});
  EXPECT_EQ(after(view.list, 4),
            (Lines{"Processing QueryDef..", "QueryDef", "Creating Query Q1",
                   "Creating SQL Statement DELETE FROM T WHERE A = 1", "Processing QueryDef..",
                   "QueryDef", "Creating Query Q1", "Creating SQL Statement DELETE FROM T"}));
  EXPECT_TRUE(view.boxes.empty());
  EXPECT_EQ(data()->queryDef("Q1")->sql(), "DELETE FROM T WHERE A = 1");
}

TEST_F(QueryAndLinkHandlers, AQueryTheDialectCannotReadIsRefusedBeforeItIsStored) {
  runScript(
      {"qdf;ZulData.mdb;Broken;DELETE FROM WHERE A = 1", "qdf;ZulData.mdb;Words;hello there"});
  EXPECT_EQ(view.boxes.size(), 2u);
  EXPECT_EQ(view.list.back().substr(0, 7), "3129 - ");
  EXPECT_TRUE(data()->queryDefNames().empty());
}

TEST_F(QueryAndLinkHandlers, ALinkPointsAtTheOtherFileAndRepeatsQuietly) {
  runScript({"add;ZulSupt.mdb;Shared (A LONG);", "lnk;ZulData.mdb;ZulSupt.mdb;Shared",
             "lnk;ZulData.mdb;ZulSupt.mdb;Shared", "lnk;ZulData.mdb;ZulSupt.mdb;Nope"});
  const Lines once = {"Processing Linking Table..", "LinkTable", "Finding Destination Table Shared",
                      "Finding Source Table Shared", "Link Created"};
  Lines expected = once;
  expected.insert(expected.end(), once.begin(), once.end());
  EXPECT_EQ(Lines(view.list.begin() + 4, view.list.begin() + 14), expected);
  EXPECT_EQ(view.list.back().substr(0, 6), "3011 -");
  EXPECT_EQ(data()->tableDef("Shared")->connect(), ";DATABASE=" + paths.strSupportPath);
}

TEST_F(QueryAndLinkHandlers, ALinkOntoItselfIsRefusedQuietly) {
  runScript({"add;ZulData.mdb;Self (A LONG);", "lnk;ZulData.mdb;;Self"});
  EXPECT_EQ(view.list.back(), "Link Created");
  EXPECT_TRUE(data()->tableDef("Self")->connect().empty());
}

int openDescriptors() {
  int count = 0;
  if (DIR* fds = opendir("/proc/self/fd")) {
    while (readdir(fds)) ++count;
    closedir(fds);
  }
  return count;
}

TEST_F(QueryAndLinkHandlers, AProgramIsStartedEndedAndItsHandlesClosed) {
  const int before = openDescriptors();
  runScript({"exe;sleep 30", "exe;no-such-program-anywhere --flag", "exe;"});
  EXPECT_EQ(after(view.list, 1),
            (Lines{"Utility Execute", "Opening Application.. sleep 30",
                   "Terminating Process.. sleep 30 1", "Closing Handle Thread.. sleep 30 1",
                   "Closing Handle Process.. sleep 30 1", "Utility Execute",
                   "Opening Application.. no-such-program-anywhere --flag",
                   "Terminating Process.. no-such-program-anywhere --flag 0",
                   "Closing Handle Thread.. no-such-program-anywhere --flag 0",
                   "Closing Handle Process.. no-such-program-anywhere --flag 0", "Utility Execute",
                   "Opening Application.. ", "Terminating Process..  0",
                   "Closing Handle Thread..  0", "Closing Handle Process..  0"}));
  EXPECT_EQ(view.loggedBeforeListed[2], false);
  EXPECT_EQ(openDescriptors(), before);
  // The child was reaped: no child of this process is left.
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
}

}  // namespace
}  // namespace telvarn::test

namespace telvarn::test {
namespace {

using LinkedRows = RunFixture;

TEST_F(LinkedRows, StatementsOnALinkReadAndWriteTheSourceFile) {
  runScript({"add;ZulSupt.mdb;Codes (Code TEXT(5), Label TEXT(20));",
             "lnk;ZulData.mdb;ZulSupt.mdb;Codes",
             "sql;ZulData.mdb;INSERT INTO Codes (Code, Label) VALUES ('A', 'Alpha')",
             "sql;ZulData.mdb;UPDATE Codes SET Label = 'First' WHERE Code = 'a'",
             "sql;ZulSupt.mdb;INSERT INTO Codes (Code, Label) VALUES ('B', 'Beta')",
             "sql;ZulData.mdb;DELETE FROM Codes WHERE Code = 'B'"});
  EXPECT_TRUE(view.boxes.empty());
  // The data file holds the link only; the rows are in the support file.
  EXPECT_EQ(rawRows(paths.strSupportPath, "SELECT Code || '=' || Label FROM Codes"), "A=First");
  EXPECT_EQ(rawRows(paths.strDataPath, "SELECT count(*) FROM sqlite_master WHERE name = 'Codes'"),
            "0");
}

}  // namespace
}  // namespace telvarn::test

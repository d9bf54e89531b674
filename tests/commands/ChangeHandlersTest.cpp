// "chg" and "chgCaption": the interleaving of log and list lines, the
// statement built for the type, and what a missing table or field does.
#include "engine/DataType.h"
#include "engine/model/Field.h"
#include "engine/model/TableDef.h"
#include "support/RunFixture.h"

namespace telvarn::test {
namespace {

using Lines = std::vector<std::string>;
using ChangeHandlers = RunFixture;

Lines after(const Lines& list, size_t from) {
  return Lines(list.begin() + from, list.end());
}

TEST_F(ChangeHandlers, ChangePropertiesChangesZeroLengthDefaultAndType) {
  runScript({"add;ZulData.mdb;Clients (Phone LONG, Other TEXT(5));",
             "chg;ZulData.mdb;Clients;Phone;;0;7;10;20"});
  EXPECT_EQ(after(view.list, 4),
            (Lines{"Processing Changing Field Properties..", "Change Properties",
                   "Changing Allow 0 Length To 0", "Changing Default Value To 7",
                   "Selecting Data Type... ", "Selected.. Text"}));
  EXPECT_EQ(run.strSql, "ALTER TABLE Clients ALTER COLUMN  Phone Text(20)");
  EXPECT_TRUE(view.boxes.empty());
  auto field = data()->tableDef("Clients")->field("Phone");
  EXPECT_EQ(field->type(), DataType::Text);
  EXPECT_EQ(field->size(), 20);
  EXPECT_EQ(field->property("DefaultValue").toText(), "7");
}

TEST_F(ChangeHandlers, AnUnmappedTypeCodeChangesNoType) {
  run.strSql = "earlier";
  runScript({"add;ZulData.mdb;T (F TEXT(5));", "chg;ZulData.mdb;T;F;;1;0;4;0"});
  EXPECT_EQ(view.list.back(), "Selecting Data Type... ");
  EXPECT_EQ(run.strSql, "Create Table T (F TEXT(5))");
  EXPECT_EQ(data()->tableDef("T")->field("F")->type(), DataType::Text);
}

TEST_F(ChangeHandlers, AMissingFieldLogsTheZeroLengthLineButNeverListsIt) {
  runScript({"add;ZulData.mdb;T (F TEXT(5));", "chg;ZulData.mdb;T;Nope;;1;0;10;5",
             "chg;ZulData.mdb;NoTable;F;;1;0;10;5"});
  const Lines listed = after(view.list, 4);
  ASSERT_EQ(listed.size(), 6u);
  EXPECT_EQ(listed[1], "Change Properties");
  EXPECT_EQ(listed[2].substr(0, 5), "91 - ");
  EXPECT_EQ(listed[4], "Change Properties");
  const Lines logged = logLines();
  EXPECT_EQ(std::count(logged.begin(), logged.end(), "Changing Allow 0 Length To 1"), 2);
  EXPECT_EQ(view.boxes.size(), 2u);
}

TEST_F(ChangeHandlers, RenameFieldRenamesThenChangesUnderTheNewName) {
  runScript({"add;ZulData.mdb;T (Old LONG);", "chg;ZulData.mdb;T;Old;Fresh;0;0;10;50"});
  EXPECT_EQ(after(view.list, 4),
            (Lines{"Processing Changing Field Properties..", "Renaming Fields",
                   "Changing Field Old", " To Fresh", "Changing Allow 0 Length To 0",
                   "Changing Default Value To 0", "Selecting Data Type... ", "Selected.. Text"}));
  const Lines logged = logLines();
  EXPECT_EQ(std::count(logged.begin(), logged.end(), "Changing Field Old"), 0);
  EXPECT_EQ(run.strSql, "ALTER TABLE T ALTER COLUMN  Fresh Text(50)");
  EXPECT_EQ(data()->tableDef("T")->field("Fresh")->size(), 50);
}

TEST_F(ChangeHandlers, RenamingAMissingFieldListsItsFirstLineThenTheError) {
  runScript({"add;ZulData.mdb;T (A LONG);", "chg;ZulData.mdb;T;Nope;New;0;0;10;5"});
  const Lines listed = after(view.list, 5);
  ASSERT_EQ(listed.size(), 3u);
  EXPECT_EQ(listed[0], "Renaming Fields");
  EXPECT_EQ(listed[1], "Changing Field Nope");
  EXPECT_EQ(listed[2].substr(0, 5), "91 - ");
}

TEST_F(ChangeHandlers, CaptionsAreSetWhereTheFieldHasOne) {
  runScript({"add;ZulData.mdb;T (A LONG);", "chgCaption;ZulData.mdb;T;A;The A",
             "chgCaption;ZulData.mdb;T;Missing;x"});
  EXPECT_EQ(after(view.list, 4),
            (Lines{"Change Field Caption", "Changing Field Caption To The A",
                   "Change Field Caption", "91 - Object variable or With block variable not set"}));
  EXPECT_EQ(data()->tableDef("T")->field("A")->property("Caption").toText(), "The A");
}

}  // namespace
}  // namespace telvarn::test

// The handlers that make and remove tables and fields: their reports, their
// trap rules, and what they leave in the database. Each line runs twice
// where the second run must show the same lines and change nothing.
#include "engine/DataType.h"
#include "engine/model/Field.h"
#include "engine/model/TableDef.h"
#include "support/RawSql.h"
#include "support/RunFixture.h"

namespace telvarn::test {
namespace {

using Lines = std::vector<std::string>;
using FieldHandlers = RunFixture;

Lines after(const Lines& list, size_t from) {
  return Lines(list.begin() + from, list.end());
}

TEST_F(FieldHandlers, CreateTablePassesOverATableThatExists) {
  runScript({"add;ZulData.mdb;T1 (ID LONG, Name TEXT(20));", "add;ZulData.mdb;T1;"});
  EXPECT_EQ(after(view.list, 1),
            (Lines{"Processing Creating Table..", "Create Table",
                   "Creating Table T1 (ID LONG, Name TEXT(20))", "Processing Creating Table..",
                   "Create Table", "Creating Table T1"}));
  EXPECT_TRUE(view.boxes.empty());
  auto table = data()->tableDef("T1");
  ASSERT_EQ(table->fields().size(), 2u);
  EXPECT_EQ(table->field("Name")->size(), 20);
}

TEST_F(FieldHandlers, CreateTableReportsARejectedStatementTitledAdd) {
  runScript({"add;ZulData.mdb;;", "add;ZulData.mdb;Next;"});
  ASSERT_GE(view.list.size(), 5u);
  EXPECT_EQ(view.list[3], "Creating Table ");
  ASSERT_EQ(view.boxes.size(), 1u);
  EXPECT_EQ(view.boxes[0].substr(0, 5), "Add: ");
  EXPECT_NO_THROW(data()->tableDef("Next"));
}

TEST_F(FieldHandlers, AddFieldSetsSizeDefaultAndZeroLengthAndPassesOverADuplicate) {
  const std::string line = "add;ZulData.mdb;T;Name;10;30;-1;Unknown";
  runScript({"add;ZulData.mdb;T;", line, line});
  const Lines once = {"Processing Adding Field..", "Add Field", "Adding Field Name",
                      "Adding Field Properties Default Value Unknown",
                      "Adding Field Properties Allow Zero Length -1"};
  Lines twice = once;
  twice.insert(twice.end(), once.begin(), once.end());
  EXPECT_EQ(after(view.list, 4), twice);
  EXPECT_TRUE(view.boxes.empty());
  auto field = data()->tableDef("T")->field("Name");
  EXPECT_EQ(field->size(), 30);
  EXPECT_EQ(field->property("DefaultValue").toText(), "Unknown");
  EXPECT_TRUE(field->property("AllowZeroLength").toBoolean());
}

TEST_F(FieldHandlers, AddFieldToAMissingTableCreatesTheTableInstead) {
  runScript({"add;ZulData.mdb;Later;Memo1;12;0;0;"});
  EXPECT_EQ(after(view.list, 1), (Lines{"Processing Adding Field..", "Add Field"}));
  EXPECT_TRUE(data()->tableDef("Later")->fields().empty());
  EXPECT_EQ(logLines(), view.list);
}

TEST_F(FieldHandlers, AFallbackTheEngineRefusesEndsTheRunTitledSplitText) {
  runScript({"add;ZulData.mdb;Bad.Name;F;10;5;0;", "add;ZulData.mdb;Never;"});
  ASSERT_EQ(view.boxes.size(), 1u);
  EXPECT_EQ(view.boxes[0].substr(0, 11), "SplitText: ");
  EXPECT_EQ(errorOf([&] { data()->tableDef("Never"); }), 3265);
}

TEST_F(FieldHandlers, AnInvalidTypeIsPassedOverAndAddsNothing) {
  runScript({"add;ZulData.mdb;T;", "add;ZulData.mdb;T;Odd;16;0;0;"});
  EXPECT_EQ(view.list.back(), "Adding Field Properties Allow Zero Length 0");
  EXPECT_TRUE(view.boxes.empty());
  EXPECT_TRUE(data()->tableDef("T")->fields().empty());
}

TEST_F(FieldHandlers, YesNoFieldsGetACheckBoxAndReportItTwiceInTheList) {
  const std::string line = "add;ZulData.mdb;T;Active;1";
  runScript({"add;ZulData.mdb;T;", line, line});
  const Lines once = {"Addbln Field", "Adding Field Active", "Setting Control Box...Active",
                      "Setting Control Box...Active"};
  Lines twice = once;
  twice.insert(twice.end(), once.begin(), once.end());
  EXPECT_EQ(after(view.list, 4), twice);
  const Lines logged = logLines();
  EXPECT_EQ(std::count(logged.begin(), logged.end(), "Setting Control Box...Active"), 2);
  EXPECT_TRUE(view.boxes.empty());
  auto field = data()->tableDef("T")->field("Active");
  EXPECT_EQ(field->type(), DataType::Boolean);
  EXPECT_EQ(field->property("DisplayControl").toInteger(), 106);
}

TEST_F(FieldHandlers, DateAndNumberFieldsNeedAnExistingTable) {
  runScript({"add;ZulData.mdb;T;", "add;ZulData.mdb;T;When;8", "add;ZulData.mdb;T;Amount;5",
             "add;ZulData.mdb;T;Amount;5", "add;ZulData.mdb;Nope;When;8"});
  EXPECT_EQ(after(view.list, 4),
            (Lines{"AddDate Field", "Adding Field When", "AddDate Field", "Adding Field Amount",
                   "AddDate Field", "Adding Field Amount", "AddDate Field",
                   "3265 - Item not found in this collection."}));
  EXPECT_EQ(view.boxes, Lines{"Add: 3265 :  Item not found in this collection."});
  EXPECT_EQ(data()->tableDef("T")->field("Amount")->type(), DataType::Currency);
}

TEST_F(FieldHandlers, DeleteFieldPassesOverAMissingFieldButNotAMissingTable) {
  runScript({"add;ZulData.mdb;T (A LONG, B LONG);", "add;ZulData.mdb;Other (B LONG);",
             "del;ZulData.mdb;T;B", "del;ZulData.mdb;T;B", "del;ZulData.mdb;Gone;B"});
  EXPECT_EQ(after(view.list, 7),
            (Lines{"Processing Deleting Field..", "Delete Field", "Deleting From Table T",
                   "Deleting Field B", "Processing Deleting Field..", "Delete Field",
                   "Deleting From Table T", "Deleting Field B", "Processing Deleting Field..",
                   "Delete Field", "Deleting From Table Gone",
                   "91 - Object variable or With block variable not set"}));
  ASSERT_EQ(view.boxes.size(), 1u);
  EXPECT_EQ(view.boxes[0].substr(0, 5), "Del: ");
  EXPECT_EQ(data()->tableDef("T")->fields().size(), 1u);
  EXPECT_EQ(data()->tableDef("Other")->fields().size(), 1u);
}

TEST_F(FieldHandlers, DeletingTheLastFieldOfATableWithRowsIsRefused) {
  runScript({"add;ZulData.mdb;T (A LONG);", "sql;ZulData.mdb;INSERT INTO T VALUES (7)",
             "del;ZulData.mdb;T;A"});
  EXPECT_EQ(after(view.list, 6),
            (Lines{"Processing Deleting Field..", "Delete Field", "Deleting From Table T",
                   "3282 - Operation not supported on a table that contains data."}));
  EXPECT_EQ(view.boxes,
            Lines{"Del: 3282 :  Operation not supported on a table that contains data."});
  EXPECT_EQ(rawRows(dir.file("ZulData.mdb"), "SELECT A FROM T"), "7");
}

TEST_F(FieldHandlers, AHandlerWhoseDatabaseCannotBeOpenedShowsItsTitleThenTheError) {
  paths.strDataPath = dir.file("missing.mdb");
  runScript({"add;ZulData.mdb;T;", "add;ZulSupt.mdb;S;"});
  EXPECT_EQ(after(view.list, 1),
            (Lines{"Processing Creating Table..", "Create Table",
                   "3024 - Could not find file '" + dir.file("missing.mdb") + "'.",
                   "Processing Creating Table..", "Create Table", "Creating Table S"}));
  EXPECT_NO_THROW(support()->tableDef("S"));
}

}  // namespace
}  // namespace telvarn::test

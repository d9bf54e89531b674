// A script applied twice: the second run shows the repeat behaviour each
// command is made for (the same lines, no message box) and changes nothing.
#include <gtest/gtest.h>

#include "engine/open/DBEngine.h"
#include "support/ProgramRun.h"
#include "support/TempDir.h"

namespace telvarn::test {
namespace {

const char* const kScript[] = {
    "add;ZulData.mdb;Customers;",
    "add;ZulData.mdb;Customers;Name;10;40;0;Unknown",
    "add;ZulData.mdb;Customers;Active;1",
    "add;ZulData.mdb;Customers;Joined;8",
    "add;ZulData.mdb;Customers;Credit;5",
    "prk;ZulData.mdb;Customers;ID;4;0;PrimaryKey;True;True;True",
    "idx;ZulData.mdb;Customers;Name;0;0;ByName;False;False;False",
    "chg;ZulData.mdb;Customers;Name;;-1;0;10;60",
    "chgCaption;ZulData.mdb;Customers;Name;Customer",
    "add;ZulData.mdb;Customers;Old;10;5;0;",
    "del;ZulData.mdb;Customers;Old",
    "qdf;ZulData.mdb;Inactive;DELETE FROM Customers WHERE Active = False",
    "add;ZulSupt.mdb;Codes (Code TEXT(5));",
    "lnk;ZulData.mdb;ZulSupt.mdb;Codes",
    "exe;true",
};

TEST(RepeatRun, TheSecondRunShowsTheSameLinesAndChangesNothing) {
  TempDir dir;
  DBEngine::createDatabase(dir.file("ZulData.mdb"));
  DBEngine::createDatabase(dir.file("ZulSupt.mdb"));
  std::string script;
  for (const char* line : kScript) script += std::string(line) + "\r\n";
  writeFile(dir.file("TELVARN.ini"), script);

  const ProgramResult first = runProgram(dir.path(), {"--batch"});
  ASSERT_EQ(first.status, 0) << first.err;
  const std::string dataAfterFirst =
      runProgram(dir.path(), {"--schema", dir.file("ZulData.mdb")}).out;
  const std::string supportAfterFirst =
      runProgram(dir.path(), {"--schema", dir.file("ZulSupt.mdb")}).out;

  const ProgramResult second = runProgram(dir.path(), {"--batch"});
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(second.err, "");
  EXPECT_EQ(second.out, first.out);
  EXPECT_EQ(runProgram(dir.path(), {"--schema", dir.file("ZulData.mdb")}).out, dataAfterFirst);
  EXPECT_EQ(runProgram(dir.path(), {"--schema", dir.file("ZulSupt.mdb")}).out, supportAfterFirst);
  EXPECT_NE(dataAfterFirst.find("\"sourceTableName\": \"Codes\""), std::string::npos);
}

}  // namespace
}  // namespace telvarn::test

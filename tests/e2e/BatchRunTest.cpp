// The built program, run in batch mode in a folder of its own: standard
// output, standard error, exit status and ErrorLog.txt, line by line.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <regex>

#include "engine/open/DBEngine.h"
#include "support/ProgramRun.h"
#include "support/TempDir.h"

namespace telvarn::test {
namespace {

using Lines = std::vector<std::string>;
const std::string kBox = "Orvel Database Maintenance System: ";

class BatchRun : public ::testing::Test {
 protected:
  BatchRun() {
    DBEngine::createDatabase(dir.file("ZulData.mdb"));
    DBEngine::createDatabase(dir.file("ZulSupt.mdb"));
  }

  ProgramResult run(const Lines& script, const Lines& arguments = {"--batch"}) {
    std::string bytes;
    for (const std::string& line : script) bytes += line + "\r\n";
    writeFile(dir.file("TELVARN.ini"), bytes);
    return runProgram(dir.path(), arguments);
  }

  Lines log() { return splitLines(readFile(dir.file("ErrorLog.txt")), "\r\n"); }

  TempDir dir;
};

bool isDateLine(const std::string& line) {
  // The system's short date, whatever its form, then the time with seconds.
  return std::regex_match(line, std::regex(R"(.*\d.* \d{1,2}:\d{2}:\d{2}( [AP]M)?)"));
}

TEST_F(BatchRun, AWholeRunGoesToStandardOutputAndTheLog) {
  const ProgramResult result =
      run({"' make the table", "add;ZulData.mdb;Clients (ID LONG, Name TEXT(30));",
           "sql;ZulData.mdb;INSERT INTO Clients (ID, Name) VALUES (1, 'Ann')"});
  const Lines lines = {"Getting Registry Entries",
                       "Reading Ini File Splitting Text",
                       "SplitText",
                       "Processing Creating Table..",
                       "Create Table",
                       "Creating Table Clients (ID LONG, Name TEXT(30))",
                       "SQL Statements",
                       "Executing SQL.. INSERT INTO Clients (ID, Name) VALUES (1, 'Ann')"};
  Lines shown = lines;
  shown.push_back("Finished Press OK to Continue");
  EXPECT_EQ(splitLines(result.out, "\n"), shown);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.status, 0);
  Lines logged = log();
  ASSERT_EQ(logged.size(), lines.size() + 2);
  EXPECT_EQ(logged.front(), "");
  EXPECT_TRUE(isDateLine(logged.back())) << logged.back();
  EXPECT_EQ(Lines(logged.begin() + 1, logged.end() - 1), lines);

  // A second run appends its own part, empty line first.
  run({});
  logged = log();
  ASSERT_EQ(logged.size(), lines.size() + 2 + 5);
  EXPECT_EQ(logged[lines.size() + 2], "");
}

TEST_F(BatchRun, ErrorsGoToStandardErrorAndTheRunGoesOn) {
  const ProgramResult result =
      run({"sql;ZulData.mdb;DROP TABLE Missing", "add;ZulData.mdb;After;"});
  const Lines out = splitLines(result.out, "\n");
  ASSERT_EQ(out.size(), 10u);
  EXPECT_EQ(out[5], "3376 - Table 'Missing' does not exist.");
  EXPECT_EQ(out[8], "Creating Table After");
  EXPECT_EQ(result.err, kBox + "3376 :  Table 'Missing' does not exist.\n");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(log()[6], "3376 - Table 'Missing' does not exist.");
}

TEST_F(BatchRun, AMissingScriptEndsTheScriptButNotTheRun) {
  const ProgramResult result = runProgram(dir.path(), {"--batch"});
  EXPECT_EQ(splitLines(result.out, "\n"),
            (Lines{"Getting Registry Entries", "Reading Ini File Splitting Text", "SplitText",
                   "53 - File not found", "Finished Press OK to Continue"}));
  EXPECT_EQ(result.err, "SplitText: 53 :  File not found\n");
  EXPECT_EQ(result.status, 1);
}

TEST_F(BatchRun, PathsComeFromTheSettingsStore) {
  std::filesystem::create_directories(dir.file("config/VB and VBA Program Settings"));
  std::filesystem::create_directories(dir.file("elsewhere"));
  DBEngine::createDatabase(dir.file("elsewhere/data.mdb"));
  writeFile(dir.file("elsewhere/script.txt"), "add;ZulData.mdb;Moved;\r");
  writeFile(dir.file("config/VB and VBA Program Settings/VARNOK.conf"),
            "[Connections]\nZulData=" + dir.file("elsewhere/data.mdb") + "\n");
  writeFile(dir.file("config/VB and VBA Program Settings/TELVARN.conf"),
            "[Connections]\nTELVARN=" + dir.file("elsewhere/script.txt") + "\n");
  const ProgramResult result = runProgram(dir.path(), {"--batch"});
  EXPECT_EQ(result.status, 0) << result.err;
  const ProgramResult schema = runProgram(dir.path(), {"--schema", dir.file("elsewhere/data.mdb")});
  EXPECT_NE(schema.out.find("\"name\": \"Moved\""), std::string::npos) << schema.out;
}

TEST_F(BatchRun, TheReportHasAnObjectPerLineAndTheTotals) {
  writeFile(dir.file("TELVARN.ini"),
            "' comment\r\nadd;ZulData.mdb;R1;\r\nsql;ZulData.mdb;DROP TABLE Nope\r\n"
            "chg;ZulData.mdb;R1;x;;y;0;0;0\r\nadd;ZulData.mdb;Never;\r\n");
  const ProgramResult result =
      runProgram(dir.path(), {"--batch", "--report", dir.file("report.json")});
  EXPECT_EQ(result.status, 1);
  const Lines report = splitLines(readFile(dir.file("report.json")), "\n");
  ASSERT_EQ(report.size(), 5u);
  EXPECT_EQ(report[0], R"({"errors":[],"keyword":"'","line":1,"list":[],"text":"' comment"})");
  EXPECT_EQ(report[1],
            R"({"errors":[],"keyword":"add","line":2,"list":["Processing Creating Table..",)"
            R"("Create Table","Creating Table R1"],"text":"add;ZulData.mdb;R1;"})");
  EXPECT_NE(
      report[2].find(R"("errors":[{"description":"Table 'Nope' does not exist.","number":3376}])"),
      std::string::npos);
  EXPECT_NE(
      report[3].find(
          R"("errors":[{"description":"Type mismatch","number":13}],"keyword":"chg","line":4,"list":["13 - Type mismatch"])"),
      std::string::npos)
      << report[3];
  EXPECT_EQ(report[4], R"({"exitStatus":1,"totals":{"errors":2,"lines":4}})");
  // The list itself is as it always is.
  EXPECT_EQ(splitLines(result.out, "\n").size(), 11u);
}

TEST_F(BatchRun, ARowThatBreaksAKeyIsLeftOutQuietlyAndTheReportCountsIt) {
  writeFile(dir.file("TELVARN.ini"),
            "sql;ZulData.mdb;CREATE TABLE K (A LONG CONSTRAINT pk PRIMARY KEY)\r\n"
            "sql;ZulData.mdb;INSERT INTO K VALUES (1)\r\n"
            "sql;ZulData.mdb;INSERT INTO K SELECT A + 1 FROM K UNION ALL SELECT A FROM K\r\n");
  const ProgramResult result =
      runProgram(dir.path(), {"--batch", "--report", dir.file("report.json")});
  // A second run of an INSERT meets its own rows, which the engine leaves
  // out without a word: no error line, no box.
  EXPECT_EQ(result.status, 0) << result.out;
  EXPECT_EQ(result.out.find(" - "), std::string::npos) << result.out;
  const Lines report = splitLines(readFile(dir.file("report.json")), "\n");
  ASSERT_EQ(report.size(), 4u);
  EXPECT_NE(report[1].find(R"("rows":{"changed":1,"skipped":[]})"), std::string::npos) << report[1];
  EXPECT_NE(report[2].find(R"("rows":{"changed":1,"skipped":[{"description":"The changes you)"),
            std::string::npos)
      << report[2];
  EXPECT_NE(report[2].find(R"("number":3022,"rows":1}]})"), std::string::npos) << report[2];
}

TEST_F(BatchRun, OptionsAreFewAndOthersAreRefused) {
  EXPECT_EQ(runProgram(dir.path(), {"--version"}).out, "TELVARN 1.0.0\n");
  EXPECT_EQ(runProgram(dir.path(), {"--help"}).status, 0);
  const ProgramResult refused = runProgram(dir.path(), {"--frobnicate"});
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("Usage: TELVARN"), std::string::npos);
  EXPECT_EQ(refused.out, "");
  EXPECT_FALSE(std::filesystem::exists(dir.file("ErrorLog.txt")));
  EXPECT_EQ(runProgram(dir.path(), {"--batch", "--report", dir.file("no/folder/r.json")}).status,
            2);
  EXPECT_FALSE(std::filesystem::exists(dir.file("ErrorLog.txt")));
  const ProgramResult missing = runProgram(dir.path(), {"--schema", dir.file("nope.mdb")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "3024 - Could not find file '" + dir.file("nope.mdb") + "'.\n");
}

TEST_F(BatchRun, SchemaShowsTablesFieldsPropertiesAndIndexes) {
  run({"add;ZulData.mdb;T;", "prk;ZulData.mdb;T;ID;4;0;PrimaryKey;True;True;True",
       "add;ZulData.mdb;T;Name;10;40;-1;none", "chgCaption;ZulData.mdb;T;Name;Full name"});
  const ProgramResult schema = runProgram(dir.path(), {"--schema", dir.file("ZulData.mdb")});
  EXPECT_EQ(schema.status, 0);
  for (const char* expected :
       {"\"name\": \"T\"", "\"type\": 10", "\"size\": 40", "\"Caption\": \"Full name\"",
        "\"AllowZeroLength\": true", "\"DefaultValue\": \"none\"", "\"primary\": true",
        "\"connect\": \"\"", "\"queries\": ["}) {
    EXPECT_NE(schema.out.find(expected), std::string::npos) << expected << "\n" << schema.out;
  }
  EXPECT_EQ(schema.out.find("MSys"), std::string::npos);
}

TEST_F(BatchRun, BadInputIsReportedWithANumberAndNothingIsLost) {
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 7919) % 256);
  writeFile(dir.file("TELVARN.ini"), junk);
  ProgramResult result = runProgram(dir.path(), {"--batch"});
  EXPECT_LE(result.status, 1);
  EXPECT_NE(result.out.find("Finished Press OK to Continue"), std::string::npos);

  writeFile(dir.file("ZulSupt.mdb"), "this is a text file\r\n");
  result = run({"add;ZulSupt.mdb;T;", "add;ZulData.mdb;T;", std::string(1 << 20, 'x')});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.out.find("3343 - Unrecognized database format '" + dir.file("ZulSupt.mdb")),
            std::string::npos);
  EXPECT_NE(result.out.find("Creating Table T"), std::string::npos);
  EXPECT_EQ(readFile(dir.file("ZulSupt.mdb")), "this is a text file\r\n");
}

// Root may write any file, so the test makes the file immutable instead of
// read-only; where the file system has no such flag the test is skipped.
TEST_F(BatchRun, AReadOnlyDatabaseIsReadButNeverWritten) {
  run({"add;ZulData.mdb;Existing;"});
  const std::string before = readFile(dir.file("ZulData.mdb"));
  if (std::system(("chattr +i '" + dir.file("ZulData.mdb") + "' 2>/dev/null").c_str()) != 0) {
    GTEST_SKIP() << "the file system cannot make a file immutable";
  }
  const ProgramResult result = run(
      {"add;ZulData.mdb;New;", "add;ZulData.mdb;Existing;", "sql;ZulData.mdb;DROP TABLE Existing"});
  std::system(("chattr -i '" + dir.file("ZulData.mdb") + "'").c_str());
  const Lines out = splitLines(result.out, "\n");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(
      std::count(out.begin(), out.end(), "3027 - Cannot update.  Database or object is read-only."),
      2);
  EXPECT_EQ(readFile(dir.file("ZulData.mdb")), before);
}

TEST_F(BatchRun, ALogThatCannotBeWrittenBesideTheProgramMovesToTheStateFolder) {
  std::filesystem::create_directories(dir.file("ErrorLog.txt"));
  ProgramResult result = run({"add;ZulData.mdb;T;"});
  EXPECT_EQ(result.status, 0) << result.err;
  const Lines out = splitLines(result.out, "\n");
  EXPECT_EQ(out[0], "The log could not be written at " + dir.file("ErrorLog.txt") +
                        "; it is written to " + dir.file("state/TELVARN/ErrorLog.txt"));
  EXPECT_NE(readFile(dir.file("state/TELVARN/ErrorLog.txt")).find("Creating Table T"),
            std::string::npos);

  // With nowhere to write the log, the run does not start: it says why.
  writeFile(dir.file("state-is-a-file"), "");
  result = runProgram(dir.path(), {"--batch"}, {"XDG_STATE_HOME=" + dir.file("state-is-a-file")});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(splitLines(result.out, "\n"), Lines{"75 - Path/File access error"});
  EXPECT_EQ(result.err, kBox + "75 :  Path/File access error\n");
}

}  // namespace
}  // namespace telvarn::test

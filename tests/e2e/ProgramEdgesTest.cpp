// The program at its edges: damaged files, standard streams that close,
// files that are not regular files, a broken settings file and scripts
// written on Linux. Each ends in a numbered message, and the run, its log
// and its databases go on to the end.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "engine/open/DBEngine.h"
#include "support/ProgramRun.h"
#include "support/RawSql.h"
#include "support/TempDir.h"

namespace telvarn::test {
namespace {

using Lines = std::vector<std::string>;
const std::string kBox = "Orvel Database Maintenance System: ";

class ProgramEdges : public ::testing::Test {
 protected:
  ProgramEdges() {
    DBEngine::createDatabase(dir.file("ZulData.mdb"));
    DBEngine::createDatabase(dir.file("ZulSupt.mdb"));
  }

  void script(const std::string& bytes) { writeFile(dir.file("TELVARN.ini"), bytes); }
  Lines out(const ProgramResult& result) { return splitLines(result.out, "\n"); }
  Lines log() { return splitLines(readFile(dir.file("ErrorLog.txt")), "\r\n"); }
  std::string tables(const std::string& file) {
    return rawRows(dir.file(file), "SELECT Name FROM MSysObjects ORDER BY Name");
  }

  TempDir dir;
};

TEST_F(ProgramEdges, ADamagedCatalogValueIsANumberedErrorEverywhere) {
  script("add;ZulData.mdb;T (F TEXT(10));\r\n");
  ASSERT_EQ(runProgram(dir.path(), {"--batch"}).status, 0);
  ASSERT_EQ(rawExec(dir.file("ZulData.mdb"),
                    "UPDATE MSysProperties SET Type = 7, Value = 'abc' WHERE Name = 'Caption'"),
            "");
  const std::string damaged =
      "3343 - Unrecognized database format '" + dir.file("ZulData.mdb") + "'.";

  const ProgramResult check = runProgram(dir.path(), {"--check", dir.file("ZulData.mdb")});
  EXPECT_EQ(check.status, 1);
  EXPECT_EQ(check.err, damaged + "\n");
  const ProgramResult schema = runProgram(dir.path(), {"--schema", dir.file("ZulData.mdb")});
  EXPECT_EQ(schema.status, 1);
  EXPECT_EQ(schema.err, damaged + "\n");
  const ProgramResult exported = runProgram(dir.path(), {"--export", dir.file("ZulData.mdb"), "T"});
  EXPECT_EQ(exported.err, damaged + "\n");

  script("chgCaption;ZulData.mdb;T;F;Shown\r\nadd;ZulSupt.mdb;After;\r\n");
  const ProgramResult run = runProgram(dir.path(), {"--batch"});
  EXPECT_EQ(run.status, 1);
  const Lines shown = out(run);
  EXPECT_NE(std::find(shown.begin(), shown.end(), damaged), shown.end()) << run.out;
  EXPECT_EQ(shown.back(), "Finished Press OK to Continue");
  EXPECT_EQ(tables("ZulSupt.mdb"), "After");
}

TEST_F(ProgramEdges, AClosedStandardOutputStopsTheListButNotTheRun) {
  script("add;ZulData.mdb;A;\r\nsql;ZulData.mdb;DROP TABLE Missing\r\nadd;ZulData.mdb;B;\r\n");
  const ProgramResult run = runProgram(dir.path(), {"--batch"}, {}, Output::ClosedPipe);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "TELVARN: standard output cannot be written; the list stops here, the run and its "
            "log go on\n" +
                kBox + "3376 :  Table 'Missing' does not exist.\n");
  const Lines logged = log();
  ASSERT_GE(logged.size(), 2u);
  EXPECT_EQ(logged[logged.size() - 2], "Creating Table B");
  EXPECT_NE(logged.back().find(':'), std::string::npos) << "closing date and time";
  EXPECT_EQ(tables("ZulData.mdb"), "A|B");

  const ProgramResult exported =
      runProgram(dir.path(), {"--export", dir.file("ZulData.mdb"), "A"}, {}, Output::ClosedPipe);
  EXPECT_EQ(exported.status, 1);
  EXPECT_EQ(exported.err, "57 - Device I/O error\n");
}

// A FIFO would block its opening until another program came to the other
// end; each run here is killed after 20 seconds should it wait.
TEST_F(ProgramEdges, AScriptLogOrSettingsFileThatIsNoRegularFileIsRefusedWithoutWaiting) {
  ASSERT_EQ(::mkfifo(dir.file("TELVARN.ini").c_str(), 0644), 0);
  ProgramResult run = finishProgram(dir.path(), startProgram(dir.path(), {"--batch"}), 20);
  EXPECT_EQ(out(run),
            (Lines{"Getting Registry Entries", "Reading Ini File Splitting Text", "SplitText",
                   "75 - Path/File access error", "Finished Press OK to Continue"}));
  EXPECT_EQ(run.err, "SplitText: 75 :  Path/File access error\n");

  std::filesystem::remove(dir.file("TELVARN.ini"));
  std::filesystem::remove(dir.file("ErrorLog.txt"));
  script("add;ZulData.mdb;T;\r\n");
  ASSERT_EQ(::mkfifo(dir.file("ErrorLog.txt").c_str(), 0644), 0);
  run = finishProgram(dir.path(), startProgram(dir.path(), {"--batch"}), 20);
  EXPECT_EQ(run.status, 0) << run.err;
  ASSERT_FALSE(out(run).empty());
  EXPECT_EQ(out(run)[0], "The log could not be written at " + dir.file("ErrorLog.txt") +
                             "; it is written to " + dir.file("state/TELVARN/ErrorLog.txt"));
  EXPECT_NE(readFile(dir.file("state/TELVARN/ErrorLog.txt")).find("Creating Table T"),
            std::string::npos);

  // Both keys of the settings file fail; the databases are the defaults.
  std::filesystem::create_directories(dir.file("config/VB and VBA Program Settings"));
  ASSERT_EQ(::mkfifo(dir.file("config/VB and VBA Program Settings/VARNOK.conf").c_str(), 0644), 0);
  script("add;ZulData.mdb;U;\r\n");
  run = finishProgram(dir.path(), startProgram(dir.path(), {"--batch"}), 20);
  EXPECT_EQ(run.err,
            "Get Registry: 75 - Path/File access error\n"
            "Get Registry: 75 - Path/File access error\n");
  EXPECT_EQ(tables("ZulData.mdb"), "T|U");
}

// The report is the user's to place: a FIFO with no reader yet is refused
// at once, and a report whose disk fills stops with a line while the run
// goes on to its end.
TEST_F(ProgramEdges, AReportThatCannotBeWrittenIsNeverWaitedForNorLostSilently) {
  script("add;ZulData.mdb;T;\r\n");
  ASSERT_EQ(::mkfifo(dir.file("report.fifo").c_str(), 0644), 0);
  ProgramResult run = finishProgram(
      dir.path(), startProgram(dir.path(), {"--batch", "--report", dir.file("report.fifo")}), 20);
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "TELVARN: the report " + dir.file("report.fifo") +
                         " cannot be written: 75 - Path/File access error\n");

  run = runProgram(dir.path(), {"--batch", "--report", "/dev/full"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err,
            "TELVARN: the report /dev/full cannot be written (61 - Disk full); it stops here, the "
            "run and its log go on\n");
  EXPECT_EQ(out(run).back(), "Finished Press OK to Continue");
  EXPECT_EQ(tables("ZulData.mdb"), "T");
}

// The first key read from a broken settings file fails; so does every other
// key of that file, so both databases are the defaults beside the program.
TEST_F(ProgramEdges, ABrokenSettingsFileFailsForEveryKeyOfTheRun) {
  const std::string settings = dir.file("config/VB and VBA Program Settings");
  std::filesystem::create_directories(settings);
  std::filesystem::create_directories(dir.file("elsewhere"));
  DBEngine::createDatabase(dir.file("elsewhere/data.mdb"));
  DBEngine::createDatabase(dir.file("elsewhere/supt.mdb"));
  writeFile(settings + "/VARNOK.conf", "[Connections\nZulData=" + dir.file("elsewhere/data.mdb") +
                                           "\nZulSupport=" + dir.file("elsewhere/supt.mdb") + "\n");
  script("add;ZulData.mdb;D;\r\nadd;ZulSupt.mdb;S;\r\n");
  const ProgramResult run = runProgram(dir.path(), {"--batch"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "Get Registry: 5 - Invalid procedure call or argument\n"
            "Get Registry: 5 - Invalid procedure call or argument\n");
  EXPECT_EQ(tables("ZulData.mdb"), "D");
  EXPECT_EQ(tables("ZulSupt.mdb"), "S");
  EXPECT_EQ(tables("elsewhere/data.mdb") + tables("elsewhere/supt.mdb"), "");
}

TEST_F(ProgramEdges, AScriptWrittenOnLinuxRunsEveryLine) {
  script(
      "\xEF\xBB\xBF"
      "add;ZulData.mdb;A;\nsql;ZulData.mdb;CREATE TABLE B (X LONG)\n");
  const ProgramResult run = runProgram(dir.path(), {"--batch"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(tables("ZulData.mdb"), "A|B");
}

}  // namespace
}  // namespace telvarn::test

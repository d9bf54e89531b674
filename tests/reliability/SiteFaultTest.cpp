// Faults a customer's site can have, met by the built program: a full file
// system, a truncated database, a log that cannot be written, and two runs
// started at once in the same folder.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <set>
#include <thread>

#include "engine/AppError.h"
#include "engine/Storage.h"
#include "engine/model/Database.h"
#include "engine/open/DBEngine.h"
#include "support/ProgramRun.h"
#include "support/TempDir.h"

namespace telvarn::test {
namespace {

using Lines = std::vector<std::string>;

// A small file system of its own, where the test is allowed to mount one.
class SmallFileSystem {
 public:
  SmallFileSystem(const std::string& path, const std::string& size) : path_(path) {
    std::filesystem::create_directories(path);
    mounted_ = ::mount("tmpfs", path.c_str(), "tmpfs", 0, ("size=" + size).c_str()) == 0;
  }
  ~SmallFileSystem() {
    if (mounted_) ::umount(path_.c_str());
  }
  bool mounted() const { return mounted_; }

 private:
  std::string path_;
  bool mounted_ = false;
};

int errorOf(DBEngine& engine, const std::string& path, const std::string& table) {
  try {
    engine.openDatabase(path)->tableDef(table);
  } catch (const AppError& error) {
    return error.number();
  }
  return 0;
}

void pointSettingsAt(const std::string& folder, const std::string& data) {
  std::filesystem::create_directories(folder + "/config/VB and VBA Program Settings");
  writeFile(folder + "/config/VB and VBA Program Settings/VARNOK.conf",
            "[Connections]\nZulData=" + data + "\n");
}

TEST(SiteFaults, AFullFileSystemIsReportedAndWhatWasWrittenStays) {
  TempDir dir;
  SmallFileSystem small(dir.file("small"), "192k");
  if (!small.mounted()) GTEST_SKIP() << "no file system can be mounted here";
  const std::string data = dir.file("small/ZulData.mdb");
  DBEngine::createDatabase(data);
  DBEngine::createDatabase(dir.file("ZulSupt.mdb"));
  pointSettingsAt(dir.path(), data);
  std::string script = "add;ZulData.mdb;Big (ID LONG, Filler MEMO);\r\n";
  for (int i = 1; i <= 120; ++i) {
    script += "sql;ZulData.mdb;INSERT INTO Big (ID, Filler) VALUES (" + std::to_string(i) +
              ", Space(4000) & 'x')\r\n";
  }
  script += "add;ZulSupt.mdb;AfterTheFault;\r\n";
  writeFile(dir.file("TELVARN.ini"), script);

  const ProgramResult result = runProgram(dir.path(), {"--batch"});
  EXPECT_EQ(result.status, 1);
  const Lines out = splitLines(result.out, "\n");
  EXPECT_NE(std::find(out.begin(), out.end(), "3026 - Not enough space on disk."), out.end())
      << result.out;
  EXPECT_EQ(out.back(), "Finished Press OK to Continue");
  DBEngine engine;
  auto db = engine.openDatabase(data);
  EXPECT_EQ(db->storage().check(), std::vector<std::string>{});
  EXPECT_NO_THROW(engine.openDatabase(dir.file("ZulSupt.mdb"))->tableDef("AfterTheFault"));
}

TEST(SiteFaults, ALogOnAFullFileSystemEndsTheRunWithAMessage) {
  TempDir dir;
  const std::uintmax_t program = std::filesystem::file_size(TELVARN_PROGRAM);
  SmallFileSystem small(dir.file("app"), std::to_string(program / 1024 + 24) + "k");
  if (!small.mounted()) GTEST_SKIP() << "no file system can be mounted here";
  const std::string app = dir.file("app");
  installProgram(app);
  DBEngine::createDatabase(dir.file("ZulData.mdb"));
  pointSettingsAt(app, dir.file("ZulData.mdb"));
  std::string script;
  for (int i = 0; i < 2000; ++i) script += "add;ZulData.mdb;T" + std::to_string(i % 5) + ";\r\n";
  writeFile(dir.file("script.ini"), script);
  writeFile(app + "/config/VB and VBA Program Settings/TELVARN.conf",
            "[Connections]\nTELVARN=" + dir.file("script.ini") + "\n");

  const ProgramResult result = runProgram(app, {"--batch"});
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.out.find("61 - Disk full"), std::string::npos);
  EXPECT_NE(result.err.find("61 :  Disk full"), std::string::npos) << result.err << result.out;
  // What reached the log before the disk filled is still there, line by line.
  const std::string log = readFile(app + "/ErrorLog.txt");
  EXPECT_EQ(log.substr(0, 2), "\r\n");
  EXPECT_NE(log.find("Creating Table T0\r\n"), std::string::npos);
}

TEST(SiteFaults, ATruncatedDatabaseIsRefusedUntouched) {
  TempDir dir;
  DBEngine::createDatabase(dir.file("ZulData.mdb"));
  DBEngine::createDatabase(dir.file("ZulSupt.mdb"));
  writeFile(dir.file("TELVARN.ini"), "add;ZulData.mdb;T (A LONG, B TEXT(200));\r\n");
  runProgram(dir.path(), {"--batch"});
  std::filesystem::resize_file(dir.file("ZulData.mdb"), 5000);
  const std::string before = readFile(dir.file("ZulData.mdb"));
  writeFile(dir.file("TELVARN.ini"), "add;ZulData.mdb;T;C;10;5;0;\r\nadd;ZulSupt.mdb;Fine;\r\n");
  const ProgramResult result = runProgram(dir.path(), {"--batch"});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.out.find("3343 - Unrecognized database format"), std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("Creating Table Fine"), std::string::npos);
  EXPECT_EQ(readFile(dir.file("ZulData.mdb")), before);
}

TEST(SiteFaults, ADatabaseAnotherProgramHoldsForWritingIsReportedInUse) {
  TempDir dir;
  DBEngine::createDatabase(dir.file("ZulData.mdb"));
  DBEngine::createDatabase(dir.file("ZulSupt.mdb"));
  // The sqlite3 shell opens a write transaction and keeps it open as long
  // as its input is.
  FILE* shell = ::popen(("sqlite3 '" + dir.file("ZulData.mdb") + "' >/dev/null").c_str(), "w");
  ASSERT_NE(shell, nullptr);
  std::fputs("BEGIN IMMEDIATE; CREATE TABLE Holding (a);\n", shell);
  std::fflush(shell);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  writeFile(dir.file("TELVARN.ini"), "add;ZulData.mdb;Blocked;\r\nadd;ZulSupt.mdb;Free;\r\n");
  const ProgramResult result = runProgram(dir.path(), {"--batch"});
  std::fputs("ROLLBACK;\n", shell);
  ::pclose(shell);
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.out.find("3045 - Could not use '" + dir.file("ZulData.mdb") +
                            "'; file already in use."),
            std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("Creating Table Free"), std::string::npos);
  DBEngine engine;
  EXPECT_EQ(errorOf(engine, dir.file("ZulData.mdb"), "Blocked"), 3265);
}

TEST(SiteFaults, TwoRunsAtOnceNeitherMixNorSpoil) {
  TempDir dir;
  DBEngine::createDatabase(dir.file("ZulData.mdb"));
  DBEngine::createDatabase(dir.file("ZulSupt.mdb"));
  std::string script = "add;ZulData.mdb;Shared (ID LONG, Who TEXT(20));\r\n";
  for (int i = 0; i < 150; ++i) {
    script += "sql;ZulData.mdb;INSERT INTO Shared (ID, Who) VALUES (" + std::to_string(i) +
              ", 'run')\r\nadd;ZulData.mdb;Shared;F" + std::to_string(i % 10) + ";10;5;0;\r\n";
  }
  writeFile(dir.file("TELVARN.ini"), script);
  installProgram(dir.path());
  // Both runs share the folder; each writes its output beside a copy of
  // the program in a folder of its own, but the log and databases are one.
  const int first = startProgram(dir.path(), {"--batch"});
  std::filesystem::create_directories(dir.file("second"));
  std::filesystem::copy_file(dir.file("TELVARN"), dir.file("second/TELVARN"));
  pointSettingsAt(dir.file("second"), dir.file("ZulData.mdb"));
  writeFile(dir.file("second/config/VB and VBA Program Settings/TELVARN.conf"),
            "[Connections]\nTELVARN=" + dir.file("TELVARN.ini") + "\n");
  const int second = startProgram(dir.file("second"), {"--batch"});
  const ProgramResult a = finishProgram(dir.path(), first);
  const ProgramResult b = finishProgram(dir.file("second"), second);
  EXPECT_EQ(a.status, 0) << a.err;
  EXPECT_EQ(b.status, 0) << b.err;

  DBEngine engine;
  auto db = engine.openDatabase(dir.file("ZulData.mdb"));
  EXPECT_EQ(db->storage().check(), std::vector<std::string>{});
  // Every line of the first run's log is a whole line its run wrote.
  const Lines out = splitLines(a.out, "\n");
  const std::set<std::string> known(out.begin(), out.end());
  for (const std::string& line : splitLines(readFile(dir.file("ErrorLog.txt")), "\r\n")) {
    if (line.empty() || std::isdigit(static_cast<unsigned char>(line[0]))) continue;
    EXPECT_TRUE(known.count(line)) << "a mixed line: " << line;
  }
}

}  // namespace
}  // namespace telvarn::test

// --dry-run, tried as a user tries a script before running it at a site:
// each case runs the program dry and then for real on the same files, and
// holds the two against each other. The dry run must show what the real
// run shows (standard output, standard error, exit status, report) and
// leave every file as it was: the same bytes and modification time, no
// file beside them (no log, no journal), nothing left in TMPDIR.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <thread>

#include "engine/mdb/MdbCorpus.h"
#include "engine/model/Database.h"
#include "engine/model/TableDef.h"
#include "engine/open/DBEngine.h"
#include "support/ProgramRun.h"
#include "support/TempDir.h"

namespace telvarn::test {
namespace {

using Lines = std::vector<std::string>;

// Every file of a folder: its bytes and the time it was last written.
using Snapshot = std::map<std::string, std::pair<std::string, int64_t>>;

Snapshot snapshot(const std::string& folder) {
  Snapshot files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file() || entry.path().extension() == ".json") continue;
    struct stat info {};
    ::stat(entry.path().c_str(), &info);
    files[entry.path().string()] = {readFile(entry.path().string()),
                                    info.st_mtim.tv_sec * 1000000000 + info.st_mtim.tv_nsec};
  }
  return files;
}

class DryRun : public ::testing::Test {
 protected:
  void SetUp() override {
    installProgram(dir.path());
    DBEngine::createDatabase(dir.file("ZulData.mdb"));
    DBEngine::createDatabase(dir.file("ZulSupt.mdb"));
  }

  void writeScript(const Lines& lines) {
    std::string bytes;
    for (const std::string& line : lines) bytes += line + "\r\n";
    writeFile(dir.file("TELVARN.ini"), bytes);
  }

  ProgramResult run(const Lines& arguments) {
    return runProgram(dir.path(), arguments, {"TMPDIR=" + scratch.path()});
  }

  // The dry run, checked to change nothing, then the real run, checked to
  // show the same; returns the real run's result.
  ProgramResult dryThenReal(const Lines& arguments = {"--batch"}) {
    Lines dryArguments = arguments;
    dryArguments.insert(dryArguments.end(), {"--dry-run", "--report", dir.file("dry.json")});
    const Snapshot before = snapshot(dir.path());
    const ProgramResult dry = run(dryArguments);
    EXPECT_TRUE(snapshot(dir.path()) == before) << "the dry run changed a file";
    EXPECT_TRUE(std::filesystem::is_empty(scratch.path())) << "the copies were left behind";

    Lines realArguments = arguments;
    realArguments.insert(realArguments.end(), {"--report", dir.file("real.json")});
    const ProgramResult real = run(realArguments);
    EXPECT_EQ(dry.out, real.out);
    EXPECT_EQ(dry.err, real.err);
    EXPECT_EQ(dry.status, real.status);
    EXPECT_EQ(readFile(dir.file("dry.json")), readFile(dir.file("real.json")));
    return real;
  }

  TempDir dir;
  TempDir scratch;
};

TEST_F(DryRun, TheDemoShowsWhatTheRealRunShowsAndChangesNothing) {
  writeFile(dir.file("TELVARN.ini"),
            readFile(std::string(TELVARN_SOURCE_DIR) + "/demo/TELVARN.ini"));
  const ProgramResult first = dryThenReal();
  EXPECT_EQ(first.status, 1);  // the demo's last lines show a mistake
  EXPECT_NE(first.out.find("Link Created"), std::string::npos);
  // Again on what the first run made: the link from the data file now
  // reaches into the support file.
  const ProgramResult second = dryThenReal();
  EXPECT_NE(second.out.find("Finished Press OK to Continue"), std::string::npos);
}

TEST_F(DryRun, AStatementOnALinkWritesOnlyTheCopyOfTheLinkedFile) {
  DBEngine::createDatabase(dir.file("Other.db"));
  {
    DBEngine engine;
    engine.openDatabase(dir.file("Other.db"))->execute("CREATE TABLE Rates (Code TEXT(5))");
    const std::shared_ptr<Database> data = engine.openDatabase(dir.file("ZulData.mdb"));
    const std::shared_ptr<TableDef> link = data->createTableDef("Rates");
    link->setConnect(";DATABASE=" + dir.file("Other.db"));
    link->setSourceTableName("Rates");
    data->appendTableDef(link);
  }
  writeScript({"sql;ZulData.mdb;INSERT INTO Rates VALUES ('A')",
               "sql;ZulData.mdb;SELECT * INTO Kept FROM Rates", "lnk;ZulSupt.mdb;ZulData.mdb;Kept",
               "sql;ZulSupt.mdb;DELETE FROM Kept"});
  const ProgramResult real = dryThenReal();
  EXPECT_EQ(real.status, 0) << real.err;
  EXPECT_EQ(run({"--export", dir.file("Other.db"), "Rates"}).out, "Code\r\nA\r\n");
}

TEST_F(DryRun, FilesAreNamedAsInTheRealRun) {
  // The support file is no database, the log cannot be made beside the
  // program: both messages name the real places.
  writeFile(dir.file("ZulSupt.mdb"), "this is a text file\r\n");
  std::filesystem::create_directories(dir.file("ErrorLog.txt"));
  writeScript({"add;ZulSupt.mdb;T;", "lnk;ZulData.mdb;ZulSupt.mdb;T"});
  const ProgramResult real = dryThenReal();
  const Lines out = splitLines(real.out, "\n");
  ASSERT_GE(out.size(), 7u);
  EXPECT_EQ(out[0], "The log could not be written at " + dir.file("ErrorLog.txt") +
                        "; it is written to " + dir.file("state/TELVARN/ErrorLog.txt"));
  EXPECT_EQ(out[6], "3343 - Unrecognized database format '" + dir.file("ZulSupt.mdb") + "'.");
}

// Root may write any file, so the file is made immutable instead of
// read-only; where the file system has no such flag the test is skipped.
TEST_F(DryRun, AReadOnlyDatabaseIsRefusedAsInTheRealRun) {
  if (std::system(("chattr +i '" + dir.file("ZulData.mdb") + "' 2>/dev/null").c_str()) != 0) {
    GTEST_SKIP() << "the file system cannot make a file immutable";
  }
  writeScript({"add;ZulData.mdb;New;", "add;ZulSupt.mdb;New;"});
  const ProgramResult real = dryThenReal();
  std::system(("chattr -i '" + dir.file("ZulData.mdb") + "'").c_str());
  EXPECT_NE(real.out.find("3027 - Cannot update.  Database or object is read-only."),
            std::string::npos);
}

TEST_F(DryRun, TheDesktopProgramsFilesToo) {
  SKIP_WITHOUT_CORPUS();
  std::filesystem::remove(dir.file("ZulData.mdb"));
  std::filesystem::remove(dir.file("ZulSupt.mdb"));
  std::filesystem::copy_file(corpusFile("Northwind_Access2000.mdb"), dir.file("ZulData.mdb"));
  std::filesystem::copy_file(corpusFile("empty_Access2000_template.mdb"), dir.file("ZulSupt.mdb"));
  writeScript({"add;ZulData.mdb;Shippers;", "add;ZulData.mdb;Shippers;Region;10;20;-1;",
               "sql;ZulData.mdb;UPDATE Shippers SET Phone = '1' WHERE ShipperID = 1",
               "sql;ZulData.mdb;SELECT * INTO Kept FROM Shippers", "add;ZulSupt.mdb;T;",
               "lnk;ZulSupt.mdb;ZulData.mdb;Shippers"});
  dryThenReal();
}

// A link the copy's file cannot change yet (the desktop program's files are
// not written) would let the run reach the real file it names: the dry run
// does not start, and says which link.
TEST_F(DryRun, ALinkOfADesktopFileIsPointedAtACopyOfItsTarget) {
  SKIP_WITHOUT_CORPUS();
  // linked.mdb links to C:\db\linkee1.mdb; the same number of characters
  // name a file of the test instead.
  const std::string target = "/tmp/" + std::to_string(10000000 + ::getpid() % 10000000) + ".mdb";
  ASSERT_EQ(target.size(), std::string("C:\\db\\linkee1.mdb").size());
  std::filesystem::copy_file(corpusFile("linkee1.mdb"), target);
  std::string bytes = readFile(corpusFile("linked.mdb"));
  for (size_t at; (at = bytes.find("C:\\db\\linkee1.mdb")) != std::string::npos;) {
    bytes.replace(at, target.size(), target);
  }
  std::filesystem::remove(dir.file("ZulData.mdb"));
  writeFile(dir.file("ZulData.mdb"), bytes);
  writeScript({"sql;ZulData.mdb;DELETE FROM Table1"});
  const Snapshot before = snapshot(dir.path());
  const std::string targetBefore = readFile(target);

  // The statement deletes the rows of the link's target: in the dry run,
  // those of its copy.
  const ProgramResult dry = run({"--batch", "--dry-run"});
  const std::string targetAfter = readFile(target);
  std::filesystem::remove(target);
  EXPECT_EQ(dry.status, 0) << dry.out;
  EXPECT_EQ(splitLines(dry.out, "\n").back(), "Finished Press OK to Continue");
  EXPECT_TRUE(targetAfter == targetBefore);
  EXPECT_TRUE(snapshot(dir.path()) == before);
  EXPECT_TRUE(std::filesystem::is_empty(scratch.path()));
}

TEST_F(DryRun, AFileAWriterHoldsIsNotCopiedHalfWritten) {
  writeScript({"add;ZulData.mdb;T;"});
  sqlite3* writer = nullptr;
  ASSERT_EQ(sqlite3_open(dir.file("ZulData.mdb").c_str(), &writer), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(writer, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  const ProgramResult dry = run({"--batch", "--dry-run"});
  sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(writer);
  EXPECT_EQ(dry.status, 2);
  EXPECT_EQ(dry.out,
            "3045 - Could not use '" + dir.file("ZulData.mdb") + "'; file already in use.\n");
  EXPECT_TRUE(std::filesystem::is_empty(scratch.path()));
}

TEST_F(DryRun, WhereTheCopiesCannotGoTheDryRunDoesNotStart) {
  writeScript({"add;ZulData.mdb;T;"});
  const Snapshot before = snapshot(dir.path());
  ProgramResult dry =
      runProgram(dir.path(), {"--batch", "--dry-run"}, {"TMPDIR=" + dir.file("missing")});
  EXPECT_EQ(dry.status, 2);
  EXPECT_EQ(dry.out, "75 - Path/File access error. The dry run cannot make its folder in " +
                         dir.file("missing") + ".\n");

  // A file system too small for the copies, where the test may mount one.
  const std::string small = scratch.file("small");
  std::filesystem::create_directories(small);
  if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=16k") != 0) {
    GTEST_SKIP() << "no file system of its own to fill";
  }
  dry = runProgram(dir.path(), {"--batch", "--dry-run"}, {"TMPDIR=" + small});
  const bool emptied = std::filesystem::is_empty(small);
  ::umount(small.c_str());
  EXPECT_EQ(dry.status, 2);
  EXPECT_EQ(dry.out, "61 - Disk full. The dry run cannot copy " + dir.file("ZulData.mdb") +
                         " into " + small + ".\n");
  EXPECT_TRUE(emptied);
  EXPECT_TRUE(snapshot(dir.path()) == before);
}

// The window runs dry too. It waits for OK, so the test ends it once the
// report has the script's line.
TEST_F(DryRun, TheWindowRunsDryToo) {
  const std::filesystem::path module =
      std::filesystem::path(TELVARN_PROGRAM).parent_path() / "libtelvarn-window.so";
  std::filesystem::copy_file(module, dir.file("libtelvarn-window.so"));
  writeScript({"add;ZulData.mdb;T;"});
  const Snapshot before = snapshot(dir.path());
  const int pid = startProgram(dir.path(), {"--dry-run", "--report", dir.file("window.json")},
                               {"QT_QPA_PLATFORM=offscreen", "TMPDIR=" + scratch.path()});
  for (int wait = 0; wait < 100; ++wait) {
    if (readFile(dir.file("window.json")).find("Creating Table T") != std::string::npos) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ::kill(pid, SIGTERM);
  finishProgram(dir.path(), pid);
  EXPECT_NE(readFile(dir.file("window.json")).find("Creating Table T"), std::string::npos);
  EXPECT_TRUE(snapshot(dir.path()) == before);
}

}  // namespace
}  // namespace telvarn::test

// The program on a real file of the desktop program: a script's steps
// change it in place (a new stored query too), and --schema and --export
// show the file as the engine reads it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "engine/mdb/MdbCorpus.h"
#include "engine/mdb/MdbStorage.h"
#include "engine/open/DBEngine.h"
#include "support/ProgramRun.h"
#include "support/TempDir.h"

namespace telvarn::test {
namespace {

using Lines = std::vector<std::string>;

TEST(MdbRun, KeywordsChangeTheFileInPlace) {
  SKIP_WITHOUT_MDBTOOLS();
  TempDir dir;
  std::filesystem::copy_file(corpusFile("accessLike.mdb"), dir.file("ZulData.mdb"));
  DBEngine::createDatabase(dir.file("ZulSupt.mdb"));
  writeFile(dir.file("TELVARN.ini"),
            "add;ZulData.mdb;t_like1;\r\n"                 // exists: passed over
            "del;ZulData.mdb;t_like1;NoSuchField\r\n"      // missing: passed over
            "add;ZulData.mdb;NewTable;\r\n"                // a new table
            "add;ZulData.mdb;NewTable;Name;10;20;0;\r\n"   // and its field
            "sql;ZulData.mdb;DELETE FROM t_like1\r\n"      // rows
            "qdf;ZulData.mdb;Q;SELECT * FROM t_like1\r\n"  // a stored query
            "chgCaption;ZulData.mdb;t_like1;a1;Shown\r\n"  // no Caption there: passed over
            "add;ZulSupt.mdb;StillWritable;\r\n");
  const ProgramResult result = runProgram(dir.path(), {"--batch"});
  const Lines out = splitLines(result.out, "\n");
  EXPECT_EQ(result.status, 0) << result.out;
  EXPECT_NE(std::find(out.begin(), out.end(), "Creating Table StillWritable"), out.end());
  EXPECT_EQ(commandOutput("mdb-count " + shellQuote(dir.file("ZulData.mdb")) + " t_like1"), "0\n");
  EXPECT_NE(commandOutput("mdb-schema " + shellQuote(dir.file("ZulData.mdb")))
                .find("CREATE TABLE [NewTable]"),
            std::string::npos);
  EXPECT_EQ(mdb::MdbStorage(dir.file("ZulData.mdb")).check(), std::vector<std::string>{});
  EXPECT_EQ(commandOutput("mdb-queries -1 " + shellQuote(dir.file("ZulData.mdb"))), "q_like2\nQ\n");
}

TEST(MdbRun, ALinkMadeByTheScriptShowsItsSourcesFields) {
  SKIP_WITHOUT_MDBTOOLS();
  TempDir dir;
  std::filesystem::copy_file(corpusFile("Northwind_Access2000.mdb"), dir.file("ZulData.mdb"));
  std::filesystem::copy_file(corpusFile("linkee1.mdb"), dir.file("ZulSupt.mdb"));
  writeFile(dir.file("TELVARN.ini"),
            "lnk;ZulData.mdb;ZulSupt.mdb;Table1\r\n"
            "chgCaption;ZulData.mdb;Table1;field1;Shown\r\n"  // no Caption: passed over
            "chgCaption;ZulData.mdb;Shippers;CompanyName;Firm\r\n");
  const ProgramResult result = runProgram(dir.path(), {"--batch"});
  EXPECT_EQ(result.status, 0) << result.out;
  EXPECT_EQ(result.out.find(" - "), std::string::npos) << result.out;  // no error line
  const ProgramResult schema = runProgram(dir.path(), {"--schema", dir.file("ZulData.mdb")});
  EXPECT_EQ(schema.status, 0) << schema.err;
  const size_t link = schema.out.find("\"name\": \"Table1\"");
  ASSERT_NE(link, std::string::npos) << schema.out;
  EXPECT_NE(schema.out.find("\"name\": \"field1\""), std::string::npos) << schema.out;
  EXPECT_NE(commandOutput("mdb-prop " + shellQuote(dir.file("ZulData.mdb")) + " Shippers")
                .find("Caption: Firm"),
            std::string::npos);
  EXPECT_EQ(mdb::MdbStorage(dir.file("ZulData.mdb")).check(), std::vector<std::string>{});
}

TEST(MdbRun, SchemaAndExportShowTheFile) {
  SKIP_WITHOUT_CORPUS();
  TempDir dir;
  const ProgramResult schema = runProgram(dir.path(), {"--schema", corpusFile("accessLike.mdb")});
  EXPECT_EQ(schema.status, 0) << schema.err;
  // mdb-prop shows a1's GUID as {D403E508-881E-4040-8C643083ED612BF9}.
  for (const char* expected :
       {"\"name\": \"t_like1\"", "\"name\": \"q_like2\"", "\"DefaultValue\": \"\\\"rrr\\\"\"",
        "\"primary\": true", "\"GUID\": \"{D403E508-881E-4040-8C64-3083ED612BF9}\""}) {
    EXPECT_NE(schema.out.find(expected), std::string::npos) << expected << "\n" << schema.out;
  }
  const ProgramResult csv =
      runProgram(dir.path(), {"--export", corpusFile("Northwind_Access2000.mdb"), "Shippers"});
  EXPECT_EQ(csv.status, 0) << csv.err;
  EXPECT_EQ(splitLines(csv.out, "\r\n"),
            (Lines{"ShipperID,CompanyName,Phone", "1,Speedy Express,(503) 555-9831",
                   "2,United Package,(503) 555-3199", "3,Federal Shipping,(503) 555-9931"}));
  const ProgramResult missing =
      runProgram(dir.path(), {"--export", corpusFile("accessLike.mdb"), "Nope"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err.substr(0, 7), "3078 - ");
}

TEST(MdbRun, CreatedbMakesAnEmptyFileOfTheDesktopFormat) {
  TempDir dir;
  const std::string file = dir.file("new.mdb");
  const std::string command = std::string(TELVARN_CREATEDB) + " --format mdb '" + file + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const ProgramResult check = runProgram(dir.path(), {"--check", file});
  EXPECT_EQ(check.status, 0) << check.err;
  EXPECT_EQ(check.out, file + ": consistent\n");
  EXPECT_EQ(std::system((command + " 2>/dev/null").c_str()), 1 << 8);  // it is there now
  // Options are never taken for files.
  const std::string in = "cd '" + dir.path() + "' && " + TELVARN_CREATEDB;
  EXPECT_EQ(std::system((in + " --format dbf x 2>/dev/null").c_str()), 2 << 8);
  EXPECT_EQ(std::system((in + " --help >/dev/null").c_str()), 0);
  EXPECT_EQ(std::system((in + " y -h 2>/dev/null").c_str()), 2 << 8);
  EXPECT_FALSE(std::filesystem::exists(dir.file("--help")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("x")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("y")));
}

TEST(MdbRun, CheckPassesTheFileAndReportsItsDamage) {
  SKIP_WITHOUT_CORPUS();
  TempDir dir;
  const std::string file = corpusFile("Northwind_Access2000.mdb");
  const ProgramResult clean = runProgram(dir.path(), {"--check", file});
  EXPECT_EQ(clean.status, 0);
  EXPECT_EQ(clean.out, file + ": consistent\n");
  // The free-space count of the table definition's page, one off.
  std::string bytes = readFile(file);
  const uint32_t page = mdb::MdbStorage(file).definition("Shippers").page;
  bytes[page * mdb::kPageSize + 2] ^= 0x01;
  writeFile(dir.file("damaged.mdb"), bytes);
  const ProgramResult damaged = runProgram(dir.path(), {"--check", dir.file("damaged.mdb")});
  EXPECT_EQ(damaged.status, 1);
  EXPECT_EQ(splitLines(damaged.out, "\n"),
            (Lines{"Table Shippers: its definition: its page " + std::to_string(page) +
                       " keeps a free-space count of 3743 where the definition leaves 3742.",
                   dir.file("damaged.mdb") + ": 1 faults"}));
}

// Northwind's discounts are Single values: each is written as the shortest
// text that reads back as the stored float, which mdb-export's longer text
// reads back as too.
TEST(MdbRun, ExportWritesSinglesAsTheShortestTextOfTheStoredValue) {
  SKIP_WITHOUT_MDBTOOLS();
  TempDir dir;
  const std::string file = corpusFile("Northwind_Access2000.mdb");
  const Lines ours =
      splitLines(runProgram(dir.path(), {"--export", file, "Order Details"}).out, "\r\n");
  const Lines theirs =
      splitLines(commandOutput("mdb-export " + shellQuote(file) + " 'Order Details'"), "\n");
  ASSERT_EQ(ours.size(), theirs.size());
  std::set<std::string> discounts;
  for (size_t row = 1; row < ours.size(); ++row) {
    const std::string mine = ours[row].substr(ours[row].rfind(',') + 1);
    const std::string other = theirs[row].substr(theirs[row].rfind(',') + 1);
    EXPECT_EQ(std::strtof(mine.c_str(), nullptr), std::strtof(other.c_str(), nullptr)) << row;
    discounts.insert(mine);
  }
  EXPECT_EQ(discounts, (std::set<std::string>{"0", "0.01", "0.02", "0.03", "0.04", "0.05", "0.06",
                                              "0.1", "0.15", "0.2", "0.25"}));
}

}  // namespace
}  // namespace telvarn::test

// Kills the program with SIGKILL at random moments of a long script (every
// keyword, on tables with rows) and checks each time that both files are
// whole and consistent, that every line the log shows as done is in the
// files, and at the end that the same script runs to its end again.
// TELVARN_CRASH_KILLS sets the number of kills (default 200).
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <random>
#include <thread>

#include "engine/AppError.h"
#include "engine/Storage.h"
#include "engine/model/Database.h"
#include "engine/model/Field.h"
#include "engine/model/QueryDef.h"
#include "engine/model/TableDef.h"
#include "engine/open/DBEngine.h"
#include "support/ProgramRun.h"
#include "support/RawSql.h"
#include "support/TempDir.h"

namespace telvarn::test {
namespace {

using Check = std::function<bool(Database& data, Database& support)>;

struct Step {
  std::string line;
  std::string firstLogLine;  // what the line writes to the log first
  Check done;                // true when the line's effect is in the files
};

bool hasField(Database& db, const std::string& table, const std::string& field, int type = 0) {
  try {
    const int found = db.tableDef(table)->field(field)->type();
    return type == 0 || found == type;
  } catch (const AppError&) {
    return false;
  }
}

long rawCount(Database& db, const std::string& sql) {
  return std::stol(rawRows(db.name(), sql));
}

std::vector<Step> script() {
  std::vector<Step> steps = {
      {"add;ZulData.mdb;Orders;Note;10;40;-1;none", "Processing Adding Field..",
       [](Database& d, Database&) { return hasField(d, "Orders", "Note", 10); }},
      {"add;ZulData.mdb;Orders;Paid;1", "Addbln Field",
       [](Database& d, Database&) {
         return hasField(d, "Orders", "Paid") &&
                d.tableDef("Orders")->field("Paid")->property("DisplayControl").toInteger() == 106;
       }},
      {"add;ZulData.mdb;Orders;Placed;8", "AddDate Field",
       [](Database& d, Database&) { return hasField(d, "Orders", "Placed", 8); }},
      {"idx;ZulData.mdb;Orders;ID;0;0;PrimaryKey;True;True;True", "Processing Index..",
       [](Database& d, Database&) { return d.tableDef("Orders")->indexes().size() == 1; }},
      {"chg;ZulData.mdb;Orders;Customer;;-1;0;10;60", "Processing Changing Field Properties..",
       [](Database& d, Database&) {
         return d.tableDef("Orders")->field("Customer")->size() == 60;
       }},
      {"chg;ZulData.mdb;Orders;Qty;Quantity;0;0;10;12", "Processing Changing Field Properties..",
       [](Database& d, Database&) { return hasField(d, "Orders", "Quantity", 10); }},
      {"chgCaption;ZulData.mdb;Orders;Note;The note", "Change Field Caption",
       [](Database& d, Database&) {
         return d.tableDef("Orders")->field("Note")->property("Caption").toText() == "The note";
       }},
      {"del;ZulData.mdb;Orders;Spare", "Processing Deleting Field..",
       [](Database& d, Database&) { return !hasField(d, "Orders", "Spare"); }},
      {"add;ZulData.mdb;Keys;", "Processing Creating Table..",
       [](Database& d, Database&) { return !d.tableDefNames().empty(); }},
      {"prk;ZulData.mdb;Keys;KeyID;4;0;PrimaryKey;True;True;True", "Processing PrimaryKey..",
       [](Database& d, Database&) { return d.tableDef("Keys")->indexes().size() == 1; }},
      {"qdf;ZulData.mdb;Cheap;DELETE FROM Orders WHERE Amount < 1", "Processing QueryDef..",
       [](Database& d, Database&) { return d.queryDef("Cheap")->sql().size() > 0; }},
      {"add;ZulSupt.mdb;Codes (Code TEXT(5));", "Processing Creating Table..",
       [](Database&, Database& s) { return hasField(s, "Codes", "Code", 10); }},
      {"lnk;ZulData.mdb;ZulSupt.mdb;Codes", "Processing Linking Table..",
       [](Database& d, Database&) { return !d.tableDef("Codes")->connect().empty(); }},
      {"exe;true", "Utility Execute", [](Database&, Database&) { return true; }},
  };
  for (int i = 1; i <= 30; ++i) {
    const std::string id = std::to_string(100000 + i);
    steps.push_back(
        {"sql;ZulData.mdb;INSERT INTO Orders (ID, Customer, Amount) VALUES (" + id + ", 'late', 2)",
         "SQL Statements", [id](Database& d, Database&) {
           return rawCount(d, "SELECT count(*) FROM Orders WHERE ID = " + id) == 1;
         }});
  }
  return steps;
}

// How many lines the log shows as done: a line is done when the next one
// began, and all are done when the closing line was written.
size_t linesDone(const std::vector<Step>& steps, const std::vector<std::string>& log) {
  size_t position = 0;
  size_t started = 0;
  for (const Step& step : steps) {
    const auto found =
        std::find(log.begin() + static_cast<long>(position), log.end(), step.firstLogLine);
    if (found == log.end()) break;
    position = static_cast<size_t>(found - log.begin()) + 1;
    ++started;
  }
  const bool closed = !log.empty() && log.back().find(':') != std::string::npos &&
                      std::isdigit(static_cast<unsigned char>(log.back().back()));
  if (closed && started == steps.size()) return started;
  return started == 0 ? 0 : started - 1;
}

class Crash : public ::testing::Test {
 protected:
  // Both files with an Orders table of 3,000 rows, made by the program.
  void makeTemplate() {
    DBEngine::createDatabase(base.file("ZulData.mdb"));
    DBEngine::createDatabase(base.file("ZulSupt.mdb"));
    writeFile(base.file("TELVARN.ini"),
              "add;ZulData.mdb;Orders (ID LONG, Customer TEXT(30), Amount CURRENCY, Qty LONG, "
              "Spare TEXT(5));\r\n");
    ASSERT_EQ(runProgram(base.path(), {"--batch"}).status, 0);
    sqlite3* db = nullptr;
    sqlite3_open(base.file("ZulData.mdb").c_str(), &db);
    sqlite3_exec(db,
                 "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                 "INSERT INTO Orders SELECT i, 'customer ' || i, i * 1.25, i % 7, 'x' FROM n",
                 nullptr, nullptr, nullptr);
    sqlite3_close(db);
    std::string text;
    for (const Step& step : steps) text += step.line + "\r\n";
    writeFile(base.file("TELVARN.ini"), text);
  }

  void freshCopy(const std::string& folder) {
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    for (const char* name : {"ZulData.mdb", "ZulSupt.mdb", "TELVARN.ini", "TELVARN"}) {
      std::filesystem::copy_file(base.file(name), folder + "/" + name);
    }
  }

  TempDir base;
  std::vector<Step> steps = script();
};

TEST_F(Crash, EveryKillLeavesWholeFilesWithEveryLoggedLineInThem) {
  makeTemplate();
  const char* setting = std::getenv("TELVARN_CRASH_KILLS");
  const int kills = setting ? std::atoi(setting) : 200;

  // The kills fall anywhere in a whole run's time, the shortest of three so
  // that a busy machine does not push them past the end.
  const std::string folder = base.file("run");
  auto whole = std::chrono::steady_clock::duration::max();
  for (int run = 0; run < 3; ++run) {
    freshCopy(folder);
    const auto began = std::chrono::steady_clock::now();
    ASSERT_EQ(runProgram(folder, {"--batch"}).status, 0);
    whole = std::min(whole, std::chrono::steady_clock::now() - began);
  }
  std::mt19937 random(20261205);
  std::uniform_int_distribution<long> moment(
      0, std::chrono::duration_cast<std::chrono::microseconds>(whole).count());

  int killedMidway = 0;
  for (int kill = 0; kill < kills; ++kill) {
    freshCopy(folder);
    const int pid = startProgram(folder, {"--batch"});
    std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
    ::kill(pid, SIGKILL);
    const ProgramResult result = finishProgram(folder, pid);
    killedMidway += result.status == 128 + SIGKILL;

    DBEngine engine;
    auto data = engine.openDatabase(folder + "/ZulData.mdb");
    auto support = engine.openDatabase(folder + "/ZulSupt.mdb");
    ASSERT_EQ(data->storage().check(), std::vector<std::string>{}) << "kill " << kill;
    ASSERT_EQ(support->storage().check(), std::vector<std::string>{}) << "kill " << kill;
    const size_t done = linesDone(steps, splitLines(readFile(folder + "/ErrorLog.txt"), "\r\n"));
    for (size_t i = 0; i < done; ++i) {
      ASSERT_TRUE(steps[i].done(*data, *support))
          << "kill " << kill << ": " << steps[i].line << "\n"
          << readFile(folder + "/ErrorLog.txt");
    }
  }
  // Most kills must land while the program works, or the test proves little.
  EXPECT_GT(killedMidway, kills / 4);

  // After the last kill the same script runs again to its end.
  const ProgramResult again = runProgram(folder, {"--batch"});
  EXPECT_LE(again.status, 1);
  EXPECT_NE(again.out.find("Finished Press OK to Continue"), std::string::npos);
  DBEngine engine;
  EXPECT_EQ(engine.openDatabase(folder + "/ZulData.mdb")->storage().check(),
            std::vector<std::string>{});
}

}  // namespace
}  // namespace telvarn::test

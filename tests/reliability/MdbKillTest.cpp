// Kills a worker writing rows into a copy of Northwind (inserts with long
// values, updates that replace them and move rows, removals; see
// MdbWorkload.h) with SIGKILL at random moments, at least 200 times. After
// every second kill the file is opened: its journal is rolled back and its
// rows are those after one of the statements, never an earlier one than
// before, and never half of one. After the other kills the next worker
// meets the journal (and may be killed while it rolls it back). Every 40
// kills, and at the end, the file is held to the full proof (MdbProof.h).
// TELVARN_MDB_KILLS sets the number of kills.
//
// A type change on a table of 100,000 rows, killed at random moments while
// it rewrites the rows and while its journal lives, leaves the old table or
// the new one, never half:
// every row's value as it was, under the old type or the new, and the file
// passes the structural check. TELVARN_MDB_RETYPE_KILLS sets the number of
// those kills.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <random>
#include <set>
#include <thread>

#include "engine/mdb/FileCheck.h"
#include "engine/mdb/Journal.h"
#include "engine/mdb/MdbCorpus.h"
#include "engine/mdb/MdbProof.h"
#include "engine/mdb/PageFile.h"
#include "reliability/MdbWorkload.h"
#include "support/TempDir.h"

namespace telvarn::test {
namespace {

#ifdef __SANITIZE_ADDRESS__
// Under the sanitizers each check of 100,000 rows takes seconds.
constexpr int kRetypeKills = 6;
#else
constexpr int kRetypeKills = 30;
#endif

pid_t startWorker(const std::string& path, const std::string& argument) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::execl(MDB_WRITE_WORKER, MDB_WRITE_WORKER, path.c_str(), argument.c_str(), nullptr);
    ::_exit(127);
  }
  return pid;
}

int killsWanted(const char* variable, int otherwise) {
  const char* given = std::getenv(variable);
  return given ? std::atoi(given) : otherwise;
}

TEST(MdbKill, AKilledWriterLeavesEachStatementWholeOrUndone) {
  SKIP_WITHOUT_CORPUS();
  TempDir dir;
  const std::string untouched = corpusFile("Northwind_Access2000.mdb");
  const std::string path = dir.file("Northwind.mdb");
  // The digest after each statement, from a run that is not killed.
  std::vector<uint64_t> digests;
  writeFile(path, readFile(untouched));
  digests.push_back(workloadDigest(path));
  for (int number = 0; number < kWorkloadStatements; ++number) {
    runWorkloadStatement(path, number);
    digests.push_back(workloadDigest(path));
  }
  ASSERT_EQ(std::set<uint64_t>(digests.begin(), digests.end()).size(), digests.size());
  std::string list;
  for (const uint64_t digest : digests) list += std::to_string(digest) + "\n";
  writeFile(dir.file("digests"), list);

  std::mt19937 random(20240601);
  // A worker takes about 30 ms to start and as long for a statement.
  std::uniform_int_distribution<int> delay(5, 120);
  writeFile(path, readFile(untouched));
  int state = 0;
  int kills = 0;
  int rounds = 0;
  int journals = 0;  // left by a kill and rolled back here
  const auto start = std::chrono::steady_clock::now();
  while (kills < killsWanted("TELVARN_MDB_KILLS", 200)) {
    if (state == kWorkloadStatements) {
      writeFile(path, readFile(untouched));
      state = 0;
      ++rounds;
    }
    const pid_t worker = startWorker(path, dir.file("digests"));
    std::this_thread::sleep_for(std::chrono::milliseconds(delay(random)));
    ::kill(worker, SIGKILL);
    int status = 0;
    ::waitpid(worker, &status, 0);
    if (WIFEXITED(status)) {
      ASSERT_EQ(WEXITSTATUS(status), 0) << "the worker failed";
    }
    ++kills;
    if (kills % 2 == 1 && WIFSIGNALED(status)) continue;
    if (mdb::systemDisk().exists(mdb::journalPath(path))) ++journals;
    { mdb::PageFile opened(path, 4096); }
    EXPECT_FALSE(mdb::systemDisk().exists(mdb::journalPath(path)));
    const auto found = std::find(digests.begin(), digests.end(), workloadDigest(path));
    ASSERT_NE(found, digests.end()) << "rows of no statement's end after kill " << kills;
    const int reached = static_cast<int>(found - digests.begin());
    ASSERT_GE(reached, state) << "rows went back after kill " << kills;
    state = reached;
    if (kills % 40 == 0) {
      ASSERT_EQ(proofProblems(path, untouched, {"Categories", "Order Details"}),
                std::vector<std::string>{});
    }
  }
  EXPECT_EQ(proofProblems(path, untouched, {"Categories", "Order Details"}),
            std::vector<std::string>{});
  const auto seconds =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start)
          .count();
  std::cout << "[ kills    ] " << kills << " kills, " << rounds * kWorkloadStatements + state
            << " statements done, " << journals << " journals rolled back, " << seconds << " s\n";
}

// Waits until `worker` has made the journal of its transaction or has
// ended; true when the journal appeared.
bool waitForJournal(pid_t worker, const std::string& path) {
  const std::string journal = mdb::journalPath(path);
  for (;;) {
    if (::access(journal.c_str(), F_OK) == 0) return true;
    int status = 0;
    if (::waitpid(worker, &status, WNOHANG) == worker) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(50));
  }
}

TEST(MdbKill, AKilledTypeChangeLeavesTheOldTableOrTheNew) {
  TempDir dir;
  const std::string made = dir.file("made.mdb");
  const std::string path = dir.file("Big.mdb");
  makeRetypeFile(made);
  const std::string before = retypeState(made);
  ASSERT_EQ(before.substr(0, 16), "old 100000 rows ");
  const std::string digest = before.substr(4);
  // How long the change takes whole, and how long its journal lives: the
  // rows are rewritten in memory and the file changes only at the end, a
  // window that wall-clock kills alone would rarely meet on a busy machine.
  writeFile(path, readFile(made));
  const auto start = std::chrono::steady_clock::now();
  const pid_t whole = startWorker(path, "--retype");
  ASSERT_TRUE(waitForJournal(whole, path)) << "the change wrote no journal";
  const auto journalled = std::chrono::steady_clock::now();
  while (mdb::systemDisk().exists(mdb::journalPath(path))) {
    std::this_thread::sleep_for(std::chrono::microseconds(50));
  }
  const auto committed = std::chrono::steady_clock::now();
  int status = 0;
  ::waitpid(whole, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const auto micros = [](auto span) {
    return static_cast<int>(std::chrono::duration_cast<std::chrono::microseconds>(span).count());
  };
  const int lasted = micros(std::chrono::steady_clock::now() - start);
  const int committing = std::max(micros(committed - journalled), 1);
  ASSERT_EQ(retypeState(path), "new " + digest);

  // Every second kill comes at any moment of the change; the others come
  // while its journal lives, so some always land inside the commit.
  std::mt19937 random(20261206);
  int olds = 0;
  int news = 0;
  int journals = 0;  // kills inside the change's transaction
  const int wanted = killsWanted("TELVARN_MDB_RETYPE_KILLS", kRetypeKills);
  for (int kill = 0; kill < wanted; ++kill) {
    writeFile(path, readFile(made));
    const pid_t worker = startWorker(path, "--retype");
    bool running = true;
    if (kill % 2 == 0) {
      std::this_thread::sleep_for(
          std::chrono::microseconds(std::uniform_int_distribution<int>(0, lasted)(random)));
    } else {
      running = waitForJournal(worker, path);
      std::this_thread::sleep_for(
          std::chrono::microseconds(std::uniform_int_distribution<int>(0, committing)(random)));
    }
    if (running) {
      ::kill(worker, SIGKILL);
      ::waitpid(worker, &status, 0);
    }
    if (mdb::systemDisk().exists(mdb::journalPath(path))) ++journals;
    { mdb::PageFile opened(path, 4096); }
    const std::string state = retypeState(path);
    if (state == "old " + digest) {
      ++olds;
    } else {
      ASSERT_EQ(state, "new " + digest) << "after kill " << kill;
      ++news;
    }
    mdb::PageFile file(path, 4096);
    ASSERT_EQ(mdb::checkFile(file), std::vector<std::string>{}) << "after kill " << kill;
  }
  EXPECT_GT(journals, 0);
  std::cout << "[ kills    ] " << wanted << " kills of a type change lasting " << lasted / 1000
            << " ms, its journal " << committing / 1000 << " ms: " << olds << " old tables ("
            << journals << " journals rolled back), " << news << " new\n";
}

}  // namespace
}  // namespace telvarn::test

// Kills a worker writing rows into a copy of Northwind (inserts with long
// values, updates that replace them and move rows, removals; see
// MdbWorkload.h) with SIGKILL at random moments, at least 200 times. After
// every second kill the file is opened: its journal is rolled back and its
// rows are those after one of the statements, never an earlier one than
// before, and never half of one. After the other kills the next worker
// meets the journal (and may be killed while it rolls it back). Every 40
// kills, and at the end, the file is held to the full proof (MdbProof.h).
// TELVARN_MDB_KILLS sets the number of kills.
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

#include "engine/mdb/Journal.h"
#include "engine/mdb/MdbCorpus.h"
#include "engine/mdb/MdbProof.h"
#include "engine/mdb/PageFile.h"
#include "reliability/MdbWorkload.h"
#include "support/TempDir.h"

namespace telvarn::test {
namespace {

pid_t startWorker(const std::string& path, const std::string& digests) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::execl(MDB_WRITE_WORKER, MDB_WRITE_WORKER, path.c_str(), digests.c_str(), nullptr);
    ::_exit(127);
  }
  return pid;
}

int killsWanted() {
  const char* given = std::getenv("TELVARN_MDB_KILLS");
  return given ? std::atoi(given) : 200;
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
  while (kills < killsWanted()) {
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
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                           std::chrono::steady_clock::now() - start).count();
  std::cout << "[ kills    ] " << kills << " kills, " << rounds * kWorkloadStatements + state
            << " statements done, " << journals << " journals rolled back, " << seconds << " s\n";
}

}  // namespace
}  // namespace telvarn::test

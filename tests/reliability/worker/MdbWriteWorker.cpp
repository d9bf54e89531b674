// The kill test's worker: opens the file (rolling back a journal a killed
// worker left), finds which statements of the workload are done by the
// digest of its rows (one digest a line in DIGESTS, the first before any
// statement), and runs the others, until it is killed. With --retype in
// place of DIGESTS it makes the type change of the retype workload.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "engine/AppError.h"
#include "reliability/MdbWorkload.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s FILE DIGESTS|--retype\n", argv[0]);
    return 2;
  }
  try {
    if (std::string(argv[2]) == "--retype") {
      telvarn::test::runRetype(argv[1]);
      return 0;
    }
    std::vector<uint64_t> digests;
    std::ifstream in(argv[2]);
    for (std::string line; std::getline(in, line);) digests.push_back(std::stoull(line));
    const uint64_t now = telvarn::test::workloadDigest(argv[1]);
    int done = 0;
    while (done < static_cast<int>(digests.size()) && digests[done] != now) ++done;
    if (done == static_cast<int>(digests.size())) {
      std::fprintf(stderr, "rows of no statement's end\n");
      return 3;
    }
    for (int number = done; number < telvarn::test::kWorkloadStatements; ++number)
      telvarn::test::runWorkloadStatement(argv[1], number);
  } catch (const telvarn::AppError& error) {
    std::fprintf(stderr, "%d %s\n", error.number(), error.description().c_str());
    return 1;
  }
  return 0;
}

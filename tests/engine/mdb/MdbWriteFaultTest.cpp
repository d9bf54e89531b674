// A statement of row writes (inserts with long values, updates that move
// rows and replace long values, removals) on a copy of Northwind, with a
// fault at each of its page writes, syncs, truncations and removals in
// turn, on a disk that is full once or one that fails for good: the error is
// numbered, and the file, opened again, is byte for byte as before or as
// after the statement.
#include <gtest/gtest.h>

#include "engine/AppError.h"
#include "engine/mdb/FaultyDisk.h"
#include "engine/mdb/MdbCorpus.h"
#include "engine/mdb/MdbProof.h"
#include "engine/mdb/MdbStorage.h"
#include "engine/mdb/NorthwindLines.h"
#include "engine/mdb/PageFile.h"
#include "engine/mdb/TableScan.h"
#include "engine/mdb/TableWriter.h"
#include "support/ErrorOf.h"
#include "support/TempDir.h"

namespace telvarn::test {
namespace {

using namespace telvarn::mdb;

struct Tables {
  uint32_t categories = 0;
  uint32_t details = 0;
};

Tables tablesOf(const std::string& path) {
  MdbStorage storage(path);
  return {storage.definition("Categories").page, storage.definition("Order Details").page};
}

void statement(PageFile& file, const Tables& tables) {
  TableWriter categories(file, tables.categories);
  TableWriter details(file, tables.details);
  file.begin();
  categories.insert({Variant(), Variant("Tools"), Variant(std::string(300, 'd')),
                     Variant(std::string(9000, 'p'))});
  const uint32_t gone = categories.insert({Variant(), Variant("Toys"), Variant(std::string(5000, 'e')),
                                           Variant(std::string(3000, 'q'))});
  for (const auto& [order, product] : newOrderLines(file, details, 40))
    details.insert({Variant(order), Variant(product), Variant("3.5"), Variant(4), Variant(0)});
  std::vector<uint32_t> rows;
  forEachStoredRow(file, categories.definition(), [&](uint32_t row, ByteView) {
    rows.push_back(row);
    return true;
  });
  categories.update(rows.at(1), {Variant(), Variant(), Variant(std::string(2000, 'u')), Variant("x")});
  categories.remove(gone);
  file.commit();
}

TEST(MdbWriteFault, AFaultAtEveryWriteAndSyncOfAStatementLeavesItWholeOrUndone) {
  SKIP_WITHOUT_CORPUS();
  TempDir dir;
  const std::string path = corpusCopy(dir.path(), "Northwind_Access2000.mdb");
  const std::string before = readFile(path);
  const Tables tables = tablesOf(path);
  {
    PageFile file(path, 4096, systemDisk(), 8);
    statement(file, tables);
  }
  const std::string after = readFile(path);
  ASSERT_NE(after, before);
  int faults = 0;
  // A full disk that clears at once, and a disk that fails for good.
  for (const auto& [error, stays] : {std::pair{ENOSPC, false}, std::pair{EIO, true}}) {
    for (int countdown = 1;; ++countdown) {
      writeFile(path, before);
      FaultyDisk disk;
      int number = 0;
      {
        // Few pages held, so that pages go to the file in the middle.
        PageFile file(path, 4096, disk, 8);
        disk.arm(countdown, error, stays);
        number = errorOf([&] { statement(file, tables); });
      }
      if (!disk.struck()) break;
      ++faults;
      EXPECT_EQ(number, error == ENOSPC ? 3026 : 3043) << countdown;
      PageFile reopened(path, 4096);
      const std::string now = readFile(path);
      EXPECT_TRUE(now == before || now == after) << "fault at " << countdown;
    }
  }
  std::cout << "[ faults   ] " << faults << " faults struck\n";
  EXPECT_GT(faults, 100);
  EXPECT_EQ(proofProblems(path, corpusFile("Northwind_Access2000.mdb"), {"Categories", "Order Details"}),
            std::vector<std::string>{});
}

}  // namespace
}  // namespace telvarn::test

// Rows written into copies of corpus files: inserted, updated (growing out
// of their page, with long values of every form) and removed, with every
// index, usage map, row count and AutoNumber kept; rules of the indexes
// refused before anything is written. After each test the copy is held to
// MdbProof: our reader, mdbtools and the re-made index keys all agree.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/AppError.h"
#include "engine/mdb/IndexPages.h"
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

uint32_t definitionPage(const std::string& path, const std::string& table) {
  MdbStorage storage(path);
  return storage.definition(table).page;
}

std::vector<uint32_t> rowIds(PageFile& file, const TableDefinition& table) {
  std::vector<uint32_t> ids;
  forEachStoredRow(file, table, [&](uint32_t row, ByteView) {
    ids.push_back(row);
    return true;
  });
  return ids;
}

std::string bytesOf(size_t length, uint32_t seed) {
  std::string bytes(length, '\0');
  for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>((i * 31 + seed) % 251);
  return bytes;
}

// Every row of every user table of the corpus written again with its own
// values (long values written afresh, Decimals, GUIDs, moved rows, tables
// whose definition spans two pages), then with every value left as it is:
// the values read back the same.
TEST(MdbTableWriter, EveryCorpusRowWrittenAgainKeepsItsValues) {
  SKIP_WITHOUT_CORPUS();
  TempDir dir;
  size_t rows = 0;
  for (const std::string& name : corpusFiles()) {
    const std::string path = corpusCopy(dir.path(), name);
    std::vector<std::string> tables;
    std::vector<uint32_t> pages;
    {
      MdbStorage storage(path);
      for (const CatalogEntry& entry : storage.catalog()) {
        if (entry.type != ObjectType::Table || entry.system()) continue;
        tables.push_back(entry.name);
        pages.push_back(entry.definitionPage());
      }
    }
    PageFile file(path, 4096);
    for (const uint32_t page : pages) {
      TableWriter table(file, page);
      file.begin();
      for (const uint32_t row : rowIds(file, table.definition())) {
        const std::vector<Variant> before = table.read(row);
        std::vector<Variant> values = before;
        for (size_t i = 0; i < values.size(); ++i) {
          if (table.definition().columns[i].flags & (ColumnFlag::AutoNumber | ColumnFlag::AutoGuid))
            values[i] = Variant();
        }
        table.update(row, values);
        EXPECT_EQ(table.read(row), before) << name;
        // Every column left as it is: the row is made again from its
        // stored bytes.
        table.update(row, std::vector<Variant>(values.size()));
        EXPECT_EQ(table.read(row), before) << name;
        ++rows;
      }
      file.commit();
    }
    EXPECT_EQ(proofProblems(path, corpusFile(name), tables), std::vector<std::string>{}) << name;
  }
  EXPECT_GT(rows, 3500u);
}

TEST(MdbTableWriter, RowsOfEveryKindGoInComeBackAndLeave) {
  SKIP_WITHOUT_CORPUS();
  TempDir dir;
  const std::string path = corpusCopy(dir.path(), "Northwind_Access2000.mdb");
  const std::string untouched = corpusFile("Northwind_Access2000.mdb");
  PageFile file(path, 4096);
  TableWriter categories(file, definitionPage(path, "Categories"));
  file.begin();
  // Inline, one-record and chained long values; the AutoNumber follows 8.
  const std::string picture = bytesOf(20000, 7);
  const uint32_t first = categories.insert({Variant(), Variant("Tools"), Variant("Short"), Variant(picture)});
  const uint32_t second = categories.insert(
      {Variant(), Variant("Toys"), Variant(std::string(600, 'x')), Variant(bytesOf(900, 3))});
  EXPECT_EQ(categories.read(first)[0], Variant(9));
  EXPECT_EQ(categories.read(first)[3], Variant(picture));
  EXPECT_EQ(categories.read(second)[0], Variant(10));
  EXPECT_EQ(categories.read(second)[2], Variant(std::string(600, 'x')));
  // A long value replaced by another of another form, then the row gone.
  categories.update(first, {Variant(), Variant(), Variant(std::string(5000, 'y')), Variant("tiny")});
  EXPECT_EQ(categories.read(first)[2], Variant(std::string(5000, 'y')));
  EXPECT_EQ(categories.read(first)[3], Variant("tiny"));
  categories.remove(second);
  EXPECT_EQ(errorOf([&] { categories.read(second); }), 3167);
  file.commit();
  EXPECT_EQ(proofProblems(path, untouched, {"Categories"}), std::vector<std::string>{});
}

TEST(MdbTableWriter, ManyRowsSplitIndexPagesAndMoveGrownRows) {
  SKIP_WITHOUT_CORPUS();
  TempDir dir;
  const std::string path = corpusCopy(dir.path(), "Northwind_Access2000.mdb");
  const std::string untouched = corpusFile("Northwind_Access2000.mdb");
  PageFile file(path, 4096);
  TableWriter details(file, definitionPage(path, "Order Details"));
  TableWriter customers(file, definitionPage(path, "Customers"));
  file.begin();
  for (const auto& [order, product] : newOrderLines(file, details, 1500))
    details.insert({Variant(order), Variant(product), Variant("12.5"), Variant(order % 90), Variant(0.05)});
  // Rows that grow past the room of their page move, keeping their id.
  const std::vector<uint32_t> ids = rowIds(file, customers.definition());
  for (size_t i = 0; i < ids.size(); i += 3) {
    std::vector<Variant> values(customers.definition().columns.size());
    values[3] = Variant(std::string(30, 'T'));
    values[4] = Variant(std::string(60, 'A'));
    customers.update(ids[i], values);
  }
  for (size_t i = 0; i < ids.size(); i += 3)
    EXPECT_EQ(customers.read(ids[i])[4], Variant(std::string(60, 'A')));
  file.commit();
  EXPECT_EQ(proofProblems(path, untouched, {"Order Details", "Customers"}),
            std::vector<std::string>{});

  // Every row out again: the index pages empty and go back.
  file.begin();
  for (const uint32_t row : rowIds(file, details.definition())) details.remove(row);
  file.commit();
  EXPECT_EQ(MdbStorage(path).rowCount("Order Details"), 0u);
  EXPECT_EQ(proofProblems(path, untouched, {"Order Details"}), std::vector<std::string>{});
}

// Long text keys fill index pages fast: the trees grow a third level (the
// root moving its entries down), then shrink back to empty leaves once
// every customer is gone (their orders first, which take their lines with
// them: that relationship cascades deletes).
TEST(MdbTableWriter, IndexTreesGrowALevelAndShrinkToNothing) {
  SKIP_WITHOUT_CORPUS();
  TempDir dir;
  const std::string path = corpusCopy(dir.path(), "Northwind_Access2000.mdb");
  const std::string untouched = corpusFile("Northwind_Access2000.mdb");
  PageFile file(path, 4096);
  TableWriter customers(file, definitionPage(path, "Customers"));
  TableWriter orders(file, definitionPage(path, "Orders"));
  const TableDefinition& table = customers.definition();
  file.begin();
  for (int i = 0; i < 9000; ++i) {
    std::string id;
    for (int n = i + 100000, digit = 0; digit < 5; ++digit, n /= 26) id += static_cast<char>('A' + n % 26);
    std::vector<Variant> values(table.columns.size(), Variant::null());
    values[0] = Variant(id);
    values[1] = Variant("Company " + std::string(26, static_cast<char>('a' + i % 26)) + id);
    values[5] = Variant("City" + std::to_string(i % 500));
    customers.insert(values);
  }
  file.commit();
  EXPECT_EQ(proofProblems(path, untouched, {"Customers"}), std::vector<std::string>{});
  const auto depth = [&](const PhysicalIndex& index) {
    int levels = 1;
    for (uint32_t page = index.rootPage;; ++levels) {
      const IndexPage read = readIndexPage(file, page);
      if (read.leaf) return levels;
      page = read.entries.empty() ? read.tail : read.entries.front().childPage;
    }
  };
  EXPECT_EQ(depth(table.physicalIndexes.at(1)), 3);

  file.begin();
  for (const uint32_t row : rowIds(file, orders.definition())) orders.remove(row);
  for (const uint32_t row : rowIds(file, table)) customers.remove(row);
  file.commit();
  for (const PhysicalIndex& index : table.physicalIndexes) EXPECT_EQ(depth(index), 1);
  EXPECT_EQ(MdbStorage(path).rowCount("Order Details"), 0u);
  EXPECT_EQ(proofProblems(path, untouched, {"Customers", "Orders", "Order Details"}),
            std::vector<std::string>{});
}

TEST(MdbTableWriter, IndexRulesAreKeptBeforeAnythingIsWritten) {
  SKIP_WITHOUT_CORPUS();
  TempDir dir;
  const std::string path = corpusCopy(dir.path(), "Northwind_Access2000.mdb");
  const std::string before = readFile(path);
  PageFile file(path, 4096);
  TableWriter details(file, definitionPage(path, "Order Details"));
  // The primary key (OrderID, ProductID): 10248 / 11 exists.
  EXPECT_EQ(errorOf([&] {
              details.insert({Variant(10248), Variant(11), Variant("1"), Variant(1), Variant(0)});
            }),
            3022);
  EXPECT_EQ(errorOf([&] {
              details.insert({Variant::null(), Variant(11), Variant("1"), Variant(1), Variant(0)});
            }),
            3058);
  EXPECT_EQ(errorOf([&] {
              details.insert({Variant(1), Variant(11), Variant("x"), Variant(1), Variant(0)});
            }),
            3421);
  EXPECT_EQ(errorOf([&] {
              details.insert({Variant(1), Variant(11), Variant("1"), Variant(70000), Variant(0)});
            }),
            3349);
  const uint32_t row = rowIds(file, details.definition()).front();
  std::vector<Variant> change(5);
  change[0] = Variant(10248);
  change[1] = Variant(42);  // 10248 / 42 exists too
  EXPECT_EQ(errorOf([&] { details.update(row, change); }), 3022);
  EXPECT_EQ(readFile(path), before);
}

}  // namespace
}  // namespace telvarn::test

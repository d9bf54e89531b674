// The row interface of the .mdb storage: seeks through the file's own
// index trees find what mdb-export shows; writes go through the file's
// transactions and keep its structure.
#include "engine/Storage.h"
#include "engine/mdb/MdbCorpus.h"
#include "engine/mdb/MdbProof.h"
#include "engine/mdb/MdbStorage.h"
#include "support/ErrorOf.h"
#include "support/TempDir.h"

namespace telvarn::test {
namespace {

using mdb::MdbStorage;

std::string column(RowCursor& cursor, size_t at) {
  std::string out;
  while (cursor.next()) out += (out.empty() ? "" : ",") + cursor.values()[at].toText();
  return out;
}

TEST(MdbRows, SeeksFindTheRowsOfAKey) {
  SKIP_WITHOUT_CORPUS();
  MdbStorage storage(corpusFile("Northwind_Access2000.mdb"));
  // mdb-export: order 10248 has the products 11, 42 and 72.
  EXPECT_EQ(column(*storage.seek("Order Details", "OrderID", {Variant(10248)}), 1), "11,42,72");
  // Text keys in the General sort order: letter case does not count.
  EXPECT_EQ(column(*storage.seek("Customers", "PrimaryKey", {Variant("alfki")}), 1),
            "Alfreds Futterkiste");
  EXPECT_EQ(column(*storage.seek("Customers", "PrimaryKey", {Variant("NOONE")}), 1), "");
}

TEST(MdbRows, IdsAreTheRowsOfTheScan) {
  SKIP_WITHOUT_CORPUS();
  MdbStorage storage(corpusFile("Northwind_Access2000.mdb"));
  const auto found = storage.seek("Customers", "PrimaryKey", {Variant("ANATR")});
  ASSERT_TRUE(found->next());
  const auto all = storage.scan("Customers");
  bool met = false;
  while (all->next()) {
    if (all->id() == found->id()) met = all->values()[0].toText() == "ANATR";
  }
  EXPECT_TRUE(met);
}

TEST(MdbRows, WritesKeepTheirIdsAndGoBackWithTheirTransaction) {
  SKIP_WITHOUT_CORPUS();
  MdbStorage storage(corpusFile("Northwind_Access2000.mdb"));
  const uint64_t customers = storage.rowCount("Customers");
  std::vector<Variant> row(storage.findTable("Customers")->fields.size(), Variant::null());
  row[0] = Variant("ZZZZZ");
  row[1] = Variant("Zed");

  storage.begin();
  storage.insertRow("Customers", row);
  EXPECT_EQ(storage.rowCount("Customers"), customers + 1);
  storage.rollBack();
  EXPECT_EQ(column(*storage.seek("Customers", "PrimaryKey", {Variant("ZZZZZ")}), 1), "");
  EXPECT_EQ(storage.rowCount("Customers"), customers);

  const RowId id = storage.insertRow("Customers", row);
  // A longer row than its page can take moves; its id stays.
  row[1] = Variant(std::string(40, 'Z'));
  row[2] = Variant(std::string(30, 'y'));
  storage.updateRow("Customers", id, row);
  const auto found = storage.seek("Customers", "PrimaryKey", {Variant("zzzzz")});
  ASSERT_TRUE(found->next());
  EXPECT_EQ(found->id(), id);
  EXPECT_EQ(found->values()[1].toText(), std::string(40, 'Z'));
  EXPECT_EQ(errorOf([&] { storage.insertRow("Customers", row); }), 3022);
  storage.deleteRow("Customers", id);
  EXPECT_EQ(errorOf([&] { storage.deleteRow("Customers", id); }), 3167);
  EXPECT_EQ(storage.rowCount("Customers"), customers);
  EXPECT_EQ(storage.check(), std::vector<std::string>{});
}

// Index pages that rows change are written once, not once a row: every
// read between the writes still sees them, and a savepoint that goes back
// takes its rows' entries with it, leaving those from before.
TEST(MdbRows, IndexChangesHeldBackShowToReadsAndSavepoints) {
  SKIP_WITHOUT_CORPUS();
  TempDir dir;
  const std::string path = corpusCopy(dir.path(), "Northwind_Access2000.mdb");
  MdbStorage storage(path);
  const size_t fields = storage.findTable("Customers")->fields.size();
  const auto insert = [&](int from, int to) {
    for (int i = from; i < to; ++i) {
      std::vector<Variant> row(fields, Variant::null());
      row[0] = Variant("Q" + std::to_string(10000 + i).substr(1));
      row[1] = Variant("Held " + std::to_string(i));
      row[5] = Variant("City " + std::to_string(i % 7));
      storage.insertRow("Customers", row);
    }
  };
  const auto companyOf = [&](int i) {
    return column(*storage.seek("Customers", "PrimaryKey",
                                {Variant("q" + std::to_string(10000 + i).substr(1))}),
                  1);
  };
  storage.begin();
  insert(0, 400);  // enough to split the leaves of every index
  EXPECT_EQ(companyOf(0), "Held 0");
  EXPECT_EQ(companyOf(399), "Held 399");
  storage.begin();
  insert(400, 800);
  EXPECT_EQ(companyOf(799), "Held 799");
  EXPECT_EQ(errorOf([&] { insert(5, 6); }), 3022);
  storage.rollBack();
  EXPECT_EQ(companyOf(799), "");
  EXPECT_EQ(companyOf(399), "Held 399");
  insert(400, 450);
  storage.commit();
  EXPECT_EQ(storage.rowCount("Customers"), 92u + 450u);
  EXPECT_EQ(storage.check(), std::vector<std::string>{});
  EXPECT_EQ(proofProblems(path, corpusFile("Northwind_Access2000.mdb"), {"Customers"}),
            std::vector<std::string>{});
}

}  // namespace
}  // namespace telvarn::test

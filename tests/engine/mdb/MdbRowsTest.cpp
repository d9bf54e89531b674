// The row interface of the .mdb storage: seeks through the file's own
// index trees find what mdb-export shows; writes go through the file's
// transactions and keep its structure.
#include "engine/Storage.h"
#include "engine/mdb/MdbCorpus.h"
#include "engine/mdb/MdbStorage.h"
#include "support/ErrorOf.h"

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

}  // namespace
}  // namespace telvarn::test

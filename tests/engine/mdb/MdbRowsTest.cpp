// The row interface of the .mdb storage: seeks through the file's own
// index trees find what mdb-export shows, and every write is refused.
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
  EXPECT_EQ(errorOf([&] { storage.updateRow("Customers", found->id(), found->values()); }), 3027);
}

}  // namespace
}  // namespace telvarn::test

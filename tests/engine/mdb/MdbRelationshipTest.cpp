// The relationships Northwind records, kept as the engine keeps them: a
// line needs its order (3201), a category with products stays (3200), an
// order takes its lines with it (cascading deletes) and a customer's new
// key reaches its orders (cascading updates).
#include <gtest/gtest.h>

#include "engine/AppError.h"
#include "engine/mdb/MdbCorpus.h"
#include "engine/mdb/MdbProof.h"
#include "engine/mdb/MdbStorage.h"
#include "engine/mdb/PageFile.h"
#include "engine/mdb/TableScan.h"
#include "engine/mdb/TableWriter.h"
#include "support/TempDir.h"

namespace telvarn::test {
namespace {

using namespace telvarn::mdb;

std::string refusal(const std::function<void()>& write) {
  try {
    write();
  } catch (const AppError& error) {
    return std::to_string(error.number()) + " " + error.description();
  }
  return "";
}

// The rows whose column `column` holds `value`.
std::vector<uint32_t> rowsWhere(PageFile& file, TableWriter& table, size_t column,
                                const Variant& value) {
  std::vector<uint32_t> ids;
  forEachStoredRow(file, table.definition(), [&](uint32_t row, ByteView) {
    ids.push_back(row);
    return true;
  });
  std::vector<uint32_t> found;
  for (const uint32_t row : ids) {
    if (table.read(row)[column] == value) found.push_back(row);
  }
  return found;
}

TEST(MdbRelationship, ReferencesAreKeptAndCascadesFollow) {
  SKIP_WITHOUT_CORPUS();
  TempDir dir;
  const std::string path = corpusCopy(dir.path(), "Northwind_Access2000.mdb");
  const std::string untouched = corpusFile("Northwind_Access2000.mdb");
  MdbStorage storage(path);
  PageFile file(path, 4096);
  TableWriter details(file, storage.definition("Order Details").page);
  TableWriter orders(file, storage.definition("Orders").page);
  TableWriter categories(file, storage.definition("Categories").page);
  TableWriter customers(file, storage.definition("Customers").page);

  EXPECT_EQ(refusal([&] {
              details.insert({Variant(99999), Variant(1), Variant("1"), Variant(1), Variant(0)});
            }),
            "3201 You cannot add or change a record because a related record is required in "
            "table 'Orders'.");
  const uint32_t beverages = rowsWhere(file, categories, 0, Variant(1)).at(0);
  EXPECT_EQ(refusal([&] { categories.remove(beverages); }),
            "3200 The record cannot be deleted or changed because table 'Products' includes "
            "related records.");
  const uint32_t line = rowsWhere(file, details, 0, Variant(10248)).at(0);
  std::vector<Variant> moved(5);
  moved[0] = Variant(1);
  EXPECT_EQ(refusal([&] { details.update(line, moved); }).substr(0, 4), "3201");

  file.begin();
  EXPECT_EQ(rowsWhere(file, details, 0, Variant(10248)).size(), 3u);
  orders.remove(rowsWhere(file, orders, 0, Variant(10248)).at(0));
  EXPECT_TRUE(rowsWhere(file, details, 0, Variant(10248)).empty());

  const size_t theirOrders = rowsWhere(file, orders, 1, Variant("ALFKI")).size();
  std::vector<Variant> renamed(customers.definition().columns.size());
  renamed[0] = Variant("ZZZZZ");
  customers.update(rowsWhere(file, customers, 0, Variant("ALFKI")).at(0), renamed);
  EXPECT_EQ(rowsWhere(file, orders, 1, Variant("ZZZZZ")).size(), theirOrders);
  EXPECT_TRUE(rowsWhere(file, orders, 1, Variant("ALFKI")).empty());
  file.commit();
  EXPECT_EQ(proofProblems(path, untouched, {"Customers", "Orders", "Order Details"}),
            std::vector<std::string>{});
}

}  // namespace
}  // namespace telvarn::test

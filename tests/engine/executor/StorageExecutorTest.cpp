// Data statements on a file of the desktop program, run through the engine
// as on our own files: the rows land in the file in its own format (read
// back by mdbtools), its keys and relationships hold (a row that breaks one
// is left out), and a statement that fails leaves the file as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "engine/mdb/MdbCorpus.h"
#include "engine/mdb/MdbStorage.h"
#include "engine/model/Database.h"
#include "engine/open/DBEngine.h"
#include "support/ErrorOf.h"

namespace telvarn::test {
namespace {

class StorageExecutor : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_MDBTOOLS();
    path = corpusFile("Northwind_Access2000.mdb");
    db = engine.openDatabase(path);
  }
  // mdb-export's lines of the table, header left out.
  std::vector<std::string> exported(const std::string& table) {
    const std::string out =
        commandOutput("mdb-export -H " + shellQuote(path) + " " + shellQuote(table));
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1)
      lines.push_back(out.substr(start, end - start));
    return lines;
  }
  bool exports(const std::string& table, const std::string& line) {
    const auto lines = exported(table);
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  std::vector<std::string> check() { return mdb::MdbStorage(path).check(); }

  std::string path;
  DBEngine engine;
  std::shared_ptr<Database> db;
};

TEST_F(StorageExecutor, InsertUpdateAndDeleteWriteTheFile) {
  db->execute("INSERT INTO Shippers (CompanyName, Phone) VALUES ('Fast Freight', '555-0199')");
  EXPECT_TRUE(exports("Shippers", "4,\"Fast Freight\",\"555-0199\""));

  // Order 10248's three lines; the Discount is a Single.
  db->execute("UPDATE [Order Details] SET Quantity = Quantity + 1 WHERE OrderID = 10248");
  EXPECT_TRUE(exports("Order Details", "10248,11,14.0000,13,0")) << exported("Order Details")[0];

  db->execute("DELETE FROM Shippers WHERE CompanyName = 'Fast Freight'");
  EXPECT_EQ(exported("Shippers").size(), 3u);
  EXPECT_EQ(check(), std::vector<std::string>{});
}

TEST_F(StorageExecutor, InsertSelectReadsTheSameFile) {
  const size_t before = exported("Order Details").size();
  // Every line of order 10248 again under order 10249's number: the
  // primary key (OrderID, ProductID) takes them, as 10249 has other products.
  db->execute(
      "INSERT INTO [Order Details] (OrderID, ProductID, UnitPrice, Quantity, Discount) "
      "SELECT 10249, ProductID, UnitPrice, Quantity, Discount FROM [Order Details] "
      "WHERE OrderID = 10248");
  EXPECT_EQ(exported("Order Details").size(), before + 3);
  EXPECT_EQ(check(), std::vector<std::string>{});
}

TEST_F(StorageExecutor, RowsThatBreakARuleAreLeftOutAndTheOthersWritten) {
  const size_t lines = exported("Order Details").size();
  // Product 11's 38 lines, all under order 10250: the first is taken, the
  // other 37 repeat its primary key (OrderID, ProductID).
  RowsAffected done = db->execute(
      "INSERT INTO [Order Details] (OrderID, ProductID, UnitPrice, Quantity, Discount) "
      "SELECT 10250, ProductID, UnitPrice, Quantity, Discount FROM [Order Details] "
      "WHERE ProductID = 11");
  EXPECT_EQ(done.changed, 1u);
  EXPECT_EQ(done.skipped, (std::map<int, uint64_t>{{3022, 37}}));
  EXPECT_EQ(exported("Order Details").size(), lines + 1);

  // Orders refer to every shipper but a new one, which alone goes.
  db->execute("INSERT INTO Shippers (CompanyName) VALUES ('Idle')");
  done = db->execute("DELETE FROM Shippers");
  EXPECT_EQ(done.changed, 1u);
  EXPECT_EQ(done.skipped, (std::map<int, uint64_t>{{3200, 3}}));
  EXPECT_EQ(exported("Shippers").size(), 3u);

  // No customer is called NOONE: every order stays as it was.
  const auto orders = exported("Orders");
  done = db->execute("UPDATE Orders SET CustomerID = 'NOONE'");
  EXPECT_EQ(done.changed, 0u);
  EXPECT_EQ(done.skipped, (std::map<int, uint64_t>{{3201, 830}}));
  EXPECT_EQ(exported("Orders"), orders);
  EXPECT_EQ(check(), std::vector<std::string>{});
}

TEST_F(StorageExecutor, AFailingStatementLeavesTheFileAsItWas) {
  const auto shippers = exported("Shippers");
  // The second shipper's name is too long for its field: 3163, and the
  // first, already written, goes back with the rest.
  EXPECT_EQ(errorOf([&] {
              db->execute(
                  "UPDATE Shippers SET CompanyName = IIf(ShipperID = 2, String(41, 'x'), "
                  "'y')");
            }),
            3163);
  EXPECT_EQ(exported("Shippers"), shippers);
  EXPECT_EQ(check(), std::vector<std::string>{});
}

}  // namespace
}  // namespace telvarn::test

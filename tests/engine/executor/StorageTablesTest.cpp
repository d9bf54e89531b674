// A storage's tables as SQLite virtual tables: SQLite reads a .mdb file's
// rows and indexes through them, and writes through them go to the
// storage's rows whole or not at all, its errors kept whole.
#include "engine/executor/StorageTables.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/DataType.h"
#include "engine/EngineFixture.h"
#include "engine/mdb/MdbCorpus.h"
#include "engine/mdb/MdbStorage.h"
#include "engine/sqlite/Connection.h"

namespace telvarn::test {
namespace {

// An in-memory SQLite database in which storage tables are shown.
class Session {
 public:
  Session() : connection_(":memory:", true), tables_(connection_.handle()) {}

  void show(Storage& storage, const std::string& table, const std::string& as) {
    tables_.show(storage, table, "temp", as);
  }
  void exec(const std::string& sql) { connection_.exec(sql); }
  // The first column of every row, joined by ",".
  std::string column(const std::string& sql) {
    sqlite::Statement statement(connection_, sql);
    std::string out;
    while (statement.step()) out += (out.empty() ? "" : ",") + statement.text(0);
    return out;
  }
  std::string plan(const std::string& sql) {
    sqlite::Statement statement(connection_, "EXPLAIN QUERY PLAN " + sql);
    std::string out;
    while (statement.step()) out += statement.text(3) + ";";
    return out;
  }

 private:
  sqlite::Connection connection_;
  executor::StorageTables tables_;
};

TEST(StorageTables, ReadAMdbFileThroughScansAndSeeks) {
  SKIP_WITHOUT_CORPUS();
  mdb::MdbStorage storage(corpusFile("Northwind_Access2000.mdb"));
  Session session;
  session.show(storage, "Order Details", "od");
  session.show(storage, "Customers", "c");

  // mdb-count: 2,155 order lines; mdb-export: order 10248 has products 11, 42, 72.
  EXPECT_EQ(session.column("SELECT COUNT(*) FROM od"), "2155");
  const std::string order = "SELECT ProductID FROM od WHERE OrderID = 10248 ORDER BY 1";
  EXPECT_EQ(session.column(order), "11,42,72");
  EXPECT_NE(session.plan(order).find("INDEX"), std::string::npos) << session.plan(order);

  // A key of another kind than its column is compared by SQLite over a
  // scan, so it finds what the comparison takes.
  EXPECT_EQ(session.column("SELECT COUNT(*) FROM od WHERE OrderID = '10248'"),
            session.column("SELECT COUNT(*) FROM od WHERE OrderID + 0 = 10248"));
  EXPECT_EQ(session.column("SELECT CompanyName FROM c WHERE CustomerID = 'ALFKI'"),
            "Alfreds Futterkiste");

  // A join with a table of SQLite's own.
  session.exec("CREATE TEMP TABLE wanted(id)");
  session.exec("INSERT INTO wanted VALUES (10248), (10249)");
  EXPECT_EQ(session.column("SELECT COUNT(*) FROM wanted JOIN od ON od.OrderID = wanted.id"),
            "5");
}

TEST(StorageTables, WritesReachAMdbFileAndItsRulesHold) {
  SKIP_WITHOUT_MDBTOOLS();
  const std::string path = corpusFile("Northwind_Access2000.mdb");
  {
    mdb::MdbStorage storage(path);
    Session session;
    session.show(storage, "Shippers", "s");
    // The orders refer to every shipper: 3200, and nothing is deleted.
    EXPECT_EQ(errorOf([&] { session.exec("DELETE FROM s"); }), 3200);
    // ShipperID is an AutoNumber: the file gives the next one.
    session.exec("INSERT INTO s (CompanyName, Phone) VALUES ('Fast Freight', '(503) 555-0199')");
    session.exec("UPDATE s SET Phone = '(503) 555-0100' WHERE CompanyName = 'Fast Freight'");
    EXPECT_EQ(session.column("SELECT ShipperID || ' ' || Phone FROM s WHERE ShipperID > 3"),
              "4 (503) 555-0100");
  }
  mdb::MdbStorage reread(path);
  EXPECT_EQ(reread.check(), std::vector<std::string>{});
  const std::string exported =
      commandOutput("mdb-export -H " + shellQuote(path) + " Shippers");
  EXPECT_EQ(std::count(exported.begin(), exported.end(), '\n'), 4) << exported;
  EXPECT_NE(exported.find("4,\"Fast Freight\",\"(503) 555-0100\""), std::string::npos)
      << exported;
}

class StorageTablesWriting : public EngineFixture {
 protected:
  StorageTablesWriting() {
    auto table = makeTable("T", {{"k", DataType::Long, 4}, {"t", DataType::Text, 20}});
    table->appendIndex(index("PrimaryKey", "k", true, true));
    session.show(db->storage(), "T", "t");
  }
  Session session;
};

TEST_F(StorageTablesWriting, InsertUpdateDeleteReachTheStorage) {
  session.exec("INSERT INTO t VALUES (1, 'one'), (2, 'two'), (3, 'three')");
  session.exec("UPDATE t SET t = upper(t) WHERE k >= 2");
  session.exec("DELETE FROM t WHERE k = 1");
  EXPECT_EQ(rawColumn("SELECT k || t FROM T ORDER BY k"), "2TWO|3THREE");
  EXPECT_EQ(session.column("SELECT t FROM t WHERE k = 3"), "THREE");
}

TEST_F(StorageTablesWriting, AFailingStatementChangesNothingAndKeepsTheError) {
  session.exec("INSERT INTO t VALUES (1, 'one')");
  // The third row repeats a key: the storage's 3022 with its own text, and
  // the two rows before it are gone with the statement.
  AppError error(0, "");
  try {
    session.exec("INSERT INTO t VALUES (5, 'a'), (6, 'b'), (1, 'again')");
  } catch (const AppError& raised) {
    error = raised;
  }
  EXPECT_EQ(error.number(), 3022);
  EXPECT_EQ(error.description(), engineError(3022).description());
  EXPECT_EQ(rawColumn("SELECT k FROM T ORDER BY k"), "1");

  // A value the field cannot hold: the storage's conversion refuses it.
  EXPECT_EQ(errorOf([&] { session.exec("UPDATE t SET k = 'abc'"); }), 3421);
  EXPECT_EQ(rawColumn("SELECT k FROM T"), "1");
}

TEST_F(StorageTablesWriting, SavepointsGoBackAlone) {
  session.exec("BEGIN");
  session.exec("INSERT INTO t VALUES (1, 'kept')");
  session.exec("SAVEPOINT inner");
  session.exec("INSERT INTO t VALUES (2, 'dropped')");
  session.exec("ROLLBACK TO inner");
  session.exec("INSERT INTO t VALUES (3, 'kept too')");
  session.exec("RELEASE inner");
  session.exec("COMMIT");
  EXPECT_EQ(rawColumn("SELECT k FROM T ORDER BY k"), "1|3");
}

}  // namespace
}  // namespace telvarn::test

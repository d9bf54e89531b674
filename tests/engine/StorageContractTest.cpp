// The row and transaction calls of Storage.h asked the same of every
// storage: our own file, a file of the desktop program and the memory
// storage of the tests must give the same answers, row for row and number
// for number.
#include <gtest/gtest.h>

#include "engine/Storage.h"
#include "engine/model/Database.h"
#include "engine/open/DBEngine.h"
#include "support/ErrorOf.h"
#include "support/MemoryStorage.h"
#include "support/TempDir.h"

namespace telvarn::test {
namespace {

enum class Kind { Sqlite, Mdb, Memory };

class StorageContract : public ::testing::TestWithParam<Kind> {
 protected:
  StorageContract() {
    if (GetParam() == Kind::Memory) {
      db = memoryDatabase("memory", nullptr);
    } else {
      const std::string path = dir.file("contract.mdb");
      DBEngine::createDatabase(path,
                               GetParam() == Kind::Mdb ? FileFormat::Mdb : FileFormat::Sqlite);
      db = engine.openDatabase(path);
    }
    db->execute("CREATE TABLE P (ID COUNTER, Code TEXT(10), CONSTRAINT PK PRIMARY KEY (Code))");
    db->execute(
        "CREATE TABLE C (N LONG, Code TEXT(10), A LONG, B LONG, "
        "CONSTRAINT Pair UNIQUE (A, B))");
    db->appendRelation({"Refers", "C", {"Code"}, "P", {"Code"}});
  }
  Storage& rows() { return db->storage(); }

  // The field at `at` of every row a cursor meets, joined by ",".
  static std::string column(RowCursor& cursor, size_t at) {
    std::string out;
    while (cursor.next()) {
      const Variant& value = cursor.values()[at];
      out += (out.empty() ? "" : ",") + (value.isNull() ? std::string("NULL") : value.toText());
    }
    return out;
  }
  std::string codes() { return column(*rows().scan("P"), 1); }

  TempDir dir;
  DBEngine engine;
  std::shared_ptr<Database> db;
  const Variant empty;
  const Variant null = Variant::null();
};

TEST_P(StorageContract, IdsNameTheirRowsAndSeeksCompareAsTheIndex) {
  const RowId a = rows().insertRow("P", {empty, Variant("Äpfel")});
  const RowId b = rows().insertRow("P", {empty, Variant("pear")});
  const RowId c = rows().insertRow("P", {empty, Variant("plum")});
  rows().deleteRow("P", a);
  rows().updateRow("P", c, {empty, Variant("PLUM2")});
  EXPECT_EQ(codes(), "pear,PLUM2");
  EXPECT_EQ(column(*rows().scan("P"), 0), "2,3");
  EXPECT_EQ(rows().rowCount("P"), 2u);
  EXPECT_EQ(errorOf([&] { rows().deleteRow("P", a); }), 3167);
  EXPECT_EQ(errorOf([&] { rows().updateRow("P", a, {empty, Variant("x")}); }), 3167);
  // A number removed is not handed out again.
  rows().insertRow("P", {empty, Variant("äpfel")});
  EXPECT_EQ(column(*rows().seek("P", "PK", {Variant("ÄPFEL")}), 0), "4");
  EXPECT_EQ(column(*rows().seek("P", "PK", {Variant("Apfel")}), 0), "");
  const auto found = rows().seek("P", "PK", {Variant("pear")});
  ASSERT_TRUE(found->next());
  EXPECT_EQ(found->id(), b);
}

TEST_P(StorageContract, KeysAndReferencesTheRowsBreakAreRefused) {
  const RowId apple = rows().insertRow("P", {empty, Variant("apple")});
  EXPECT_EQ(errorOf([&] { rows().insertRow("P", {empty, Variant("APPLE")}); }), 3022);
  EXPECT_EQ(errorOf([&] { rows().insertRow("P", {empty, null}); }), 3058);
  EXPECT_EQ(errorOf([&] { rows().updateRow("P", apple, {Variant(9), empty}); }), 3164);
  EXPECT_EQ(errorOf([&] { rows().insertRow("C", {Variant("many"), null, null, null}); }), 3421);
  EXPECT_EQ(errorOf([&] {
              rows().insertRow("C", {Variant(1), Variant("pear"), null, null});
            }),
            3201);
  const RowId child = rows().insertRow("C", {Variant(1), Variant("Apple"), Variant(1), Variant(2)});
  EXPECT_EQ(errorOf([&] {
              rows().insertRow("C", {Variant(2), null, Variant(1), Variant(2)});
            }),
            3022);
  // Keys all Null are no duplicate, and a Null reference refers to nothing.
  rows().insertRow("C", {Variant(3), null, null, null});
  rows().insertRow("C", {Variant(4), null, null, null});
  EXPECT_EQ(errorOf([&] { rows().deleteRow("P", apple); }), 3200);
  EXPECT_EQ(errorOf([&] { rows().updateRow("P", apple, {empty, Variant("pear")}); }), 3200);
  // The same key in another letter case is no change of it.
  rows().updateRow("P", apple, {empty, Variant("APPLE")});
  rows().deleteRow("C", child);
  rows().deleteRow("P", apple);
  EXPECT_EQ(codes(), "");
  EXPECT_EQ(column(*rows().scan("C"), 0), "3,4");
}

TEST_P(StorageContract, TransactionsNestAsSavepoints) {
  const RowId a = rows().insertRow("P", {empty, Variant("a")});
  rows().begin();
  rows().insertRow("P", {empty, Variant("b")});
  rows().begin();
  rows().insertRow("P", {empty, Variant("c")});
  rows().rollBack();
  rows().begin();
  rows().insertRow("P", {empty, Variant("d")});
  rows().commit();
  EXPECT_EQ(codes(), "a,b,d");
  rows().commit();
  rows().begin();
  rows().deleteRow("P", a);
  rows().rollBack();
  EXPECT_EQ(codes(), "a,b,d");
}

INSTANTIATE_TEST_SUITE_P(Storages, StorageContract,
                         ::testing::Values(Kind::Sqlite, Kind::Mdb, Kind::Memory),
                         [](const auto& info) {
                           return info.param == Kind::Sqlite ? "Sqlite"
                                  : info.param == Kind::Mdb  ? "Mdb"
                                                             : "Memory";
                         });

}  // namespace
}  // namespace telvarn::test

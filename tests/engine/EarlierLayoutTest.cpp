// Files written before values were kept in the engine's form (a date as
// ISO text, a Currency or Single as any double, Null in the rows a Yes/No
// field was added to): read as that layout keeps them, brought up to date
// once, in the first write transaction.
#include <vector>

#include "engine/DataType.h"
#include "engine/EngineFixture.h"
#include "engine/Storage.h"

namespace telvarn::test {
namespace {

class EarlierLayout : public EngineFixture {
 protected:
  // Turns the file into one of the earlier layout: T's rows hold their
  // values as that layout kept them, and the catalog keeps no version.
  void writeEarlierLayout(const std::string& currency) {
    makeTable("T", {{"ID", DataType::Long, 0},
                    {"D", DataType::Date, 0},
                    {"C", DataType::Currency, 0},
                    {"S", DataType::Single, 0},
                    {"B", DataType::Boolean, 0}});
    makeTable("Other", {{"N", DataType::Long, 0}});
    db->execute("INSERT INTO T VALUES (1, #1/1/2000#, 1, 1, True)");
    db->execute("INSERT INTO T VALUES (2, Null, Null, Null, False)");
    db->execute("CREATE UNIQUE INDEX ixN ON Other (N)");
    db->execute("INSERT INTO Other VALUES (0)");
    raw("UPDATE T SET D = '2024-03-14 18:00:00', C = " + currency +
        ", S = 0.1, B = Null "
        "WHERE ID = 1;"
        "UPDATE T SET D = '1899-12-29 06:00:00' WHERE ID = 2;"
        "DROP TABLE MSysFormat;");
  }

  std::vector<std::vector<Variant>> rows(Database& database) {
    std::vector<std::vector<Variant>> found;
    database.storage().forEachRow("T", [&](const std::vector<Variant>& values) {
      found.push_back(values);
      return true;
    });
    return found;
  }

  const std::vector<std::vector<Variant>> expected{
      {Variant::fromLong(1), Variant::fromDate(45365.75), Variant::fromCurrency(1000),
       Variant::fromSingle(0.1F), Variant(false)},
      {Variant::fromLong(2), Variant::fromDate(-1.25), Variant::null(), Variant::null(),
       Variant(false)}};

  // The stored values of T, one row a line, as SQLite holds them.
  std::string stored() {
    return rawColumn(
        "SELECT typeof(D) || ' ' || quote(D) || ' ' || quote(C) || ' ' || quote(B) FROM T "
        "ORDER BY ID");
  }
};

TEST_F(EarlierLayout, IsReadAsItKeepsValuesAndConvertedOnceAtTheFirstWrite) {
  writeEarlierLayout("0.1");
  const std::string before = stored();
  DBEngine later;
  auto reopened = later.openDatabase(path);
  EXPECT_EQ(rows(*reopened), expected);
  EXPECT_EQ(stored(), before) << "reading changes nothing";
  EXPECT_EQ(rawColumn("SELECT count(*) FROM sqlite_master WHERE name = 'MSysFormat'"), "0");

  // A change that fails takes the conversion back with it.
  EXPECT_EQ(errorOf([&] { reopened->execute("INSERT INTO Other VALUES (1E10)"); }), 3349);
  EXPECT_EQ(stored(), before);

  reopened->execute("INSERT INTO Other VALUES (1)");
  EXPECT_EQ(stored(), "real 45365.75 1000 0|real -1.25 NULL 0");
  EXPECT_EQ(rawColumn("SELECT Version FROM MSysFormat"), "2");
  EXPECT_EQ(rows(*reopened), expected);
  EXPECT_TRUE(reopened->storage().check().empty());

  // The converted values compute as the engine's own.
  reopened->execute("UPDATE T SET C = C * 3, D = D + 1 WHERE ID = 1");
  EXPECT_EQ(rawColumn("SELECT quote(C) || ' ' || quote(D) FROM T WHERE ID = 1"), "3000 45366.75");
}

TEST_F(EarlierLayout, AValueTheLayoutCannotHoldIsADamagedFileNeverAGuess) {
  writeEarlierLayout("'abc'");
  const std::string before = stored();
  DBEngine later;
  auto reopened = later.openDatabase(path);
  EXPECT_EQ(errorOf([&] { rows(*reopened); }), 3343);
  EXPECT_EQ(errorOf([&] { reopened->execute("INSERT INTO Other VALUES (1)"); }), 3343);
  EXPECT_EQ(stored(), before);
  EXPECT_EQ(rawColumn("SELECT count(*) FROM Other"), "1");
}

}  // namespace
}  // namespace telvarn::test

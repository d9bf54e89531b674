// The row interface of the SQLite storage: ids that name a row for its
// life, writes by id, seeks through an index, and the refusals the file
// itself makes.
#include "engine/DataType.h"
#include "engine/EngineFixture.h"
#include "engine/Storage.h"

namespace telvarn::test {
namespace {

class SqliteRows : public EngineFixture {
 protected:
  SqliteRows() {
    db->execute(
        "CREATE TABLE T (ID COUNTER, Name TEXT(20), N LONG, CONSTRAINT PK PRIMARY KEY (N), "
        "CONSTRAINT ByName UNIQUE (Name))");
  }
  Storage& rows() { return db->storage(); }

  // "id:name" of every row a cursor meets.
  static std::string seen(RowCursor& cursor) {
    std::string out;
    while (cursor.next()) {
      const Variant& name = cursor.values()[1];
      out += (out.empty() ? "" : "|") + cursor.values()[0].toText() + ":" +
             (name.isNull() ? "NULL" : name.toText());
    }
    return out;
  }
};

TEST_F(SqliteRows, IdsNameTheirRowThroughWritesOfOthers) {
  const Variant empty;
  const RowId a = rows().insertRow("T", {empty, Variant("apple"), Variant(1)});
  const RowId b = rows().insertRow("T", {empty, Variant("pear"), Variant("2")});
  const RowId c = rows().insertRow("T", {empty, Variant("plum"), Variant(3)});
  EXPECT_EQ(seen(*rows().scan("T")), "1:apple|2:pear|3:plum");
  rows().deleteRow("T", a);
  rows().updateRow("T", c, {empty, Variant("PLUM2"), empty});
  EXPECT_EQ(seen(*rows().scan("T")), "2:pear|3:PLUM2");
  EXPECT_EQ(rows().rowCount("T"), 2u);
  // The text "2" went in as the Long it converts to; Empty left N alone.
  EXPECT_EQ(rawColumn("SELECT typeof(N) || N FROM T ORDER BY ID"), "integer2|integer3");
  EXPECT_EQ(errorOf([&] { rows().deleteRow("T", a); }), 3167);
  EXPECT_EQ(errorOf([&] { rows().updateRow("T", a, {empty, empty, empty}); }), 3167);
  EXPECT_NE(b, c);
}

TEST_F(SqliteRows, ASeekComparesAsTheIndexDoes) {
  const Variant empty;
  rows().insertRow("T", {empty, Variant("Äpfel"), Variant(1)});
  rows().insertRow("T", {empty, Variant("Birnen"), Variant(2)});
  EXPECT_EQ(seen(*rows().seek("T", "ByName", {Variant("äPFEL")})), "1:Äpfel");
  EXPECT_EQ(seen(*rows().seek("T", "PK", {Variant(2)})), "2:Birnen");
  EXPECT_EQ(seen(*rows().seek("T", "PK", {Variant(7)})), "");
}

TEST_F(SqliteRows, WritesTheKeysRefuseChangeNothing) {
  const Variant empty;
  const RowId first = rows().insertRow("T", {empty, Variant("apple"), Variant(1)});
  EXPECT_EQ(errorOf([&] { rows().insertRow("T", {empty, Variant("APPLE"), Variant(2)}); }), 3022);
  EXPECT_EQ(errorOf([&] { rows().updateRow("T", first, {empty, empty, Variant::null()}); }), 3058);
  EXPECT_EQ(errorOf([&] { rows().insertRow("T", {empty, Variant("x"), Variant("many")}); }), 3421);
  EXPECT_EQ(errorOf([&] { rows().insertRow("T", {empty, Variant("y"), Variant(1)}); }), 3022);
  EXPECT_EQ(seen(*rows().scan("T")), "1:apple");
  EXPECT_EQ(errorOf([&] { rows().scan("Nowhere"); }), 3078);
}

TEST_F(SqliteRows, AnAutoNumberIsNeverHandedOutTwice) {
  const Variant empty;
  rows().insertRow("T", {empty, Variant("a"), Variant(1)});
  const RowId last = rows().insertRow("T", {empty, Variant("b"), Variant(2)});
  rows().deleteRow("T", last);
  const RowId next = rows().insertRow("T", {empty, Variant("c"), Variant(3)});
  rows().insertRow("T", {Variant(10), Variant("d"), Variant(4)});
  rows().insertRow("T", {empty, Variant("e"), Variant(5)});
  EXPECT_EQ(seen(*rows().scan("T")), "1:a|3:c|10:d|11:e");
  EXPECT_EQ(errorOf([&] { rows().updateRow("T", next, {Variant(3), empty, empty}); }), 3164);
}

// A file from before the catalog kept the next numbers goes on from the
// highest number its rows hold.
TEST_F(SqliteRows, AnOlderFileNumbersOnFromItsRows) {
  db->execute("INSERT INTO T (ID, Name, N) VALUES (7, 'a', 1)");
  db.reset();
  raw("DROP TRIGGER \"telvarn.T.ID.number\"; DROP TABLE MSysAutoNumbers");
  DBEngine later;
  db = later.openDatabase(path);
  db->execute("INSERT INTO T (Name, N) VALUES ('b', 2)");
  EXPECT_EQ(seen(*rows().scan("T")), "7:a|8:b");
}

}  // namespace
}  // namespace telvarn::test

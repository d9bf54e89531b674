// The General sort order in the files themselves: an earlier file's indexes
// take it with the file's first change, and the sqlite3 shell still reads
// every table and view of a file that uses it.
#include <cstdio>
#include <cstdlib>

#include "engine/EngineFixture.h"
#include "engine/Storage.h"

namespace telvarn::test {
namespace {

class TextOrderFiles : public EngineFixture {
 protected:
  // The collation of an index's first column as SQLite holds it.
  std::string collation(const std::string& index) {
    return rawColumn("SELECT coll FROM pragma_index_xinfo('" + index + "') WHERE cid >= 0");
  }

  // What the sqlite3 shell prints for `sql` on the file, errors included.
  std::string shell(const std::string& sql) {
    const std::string command = "sqlite3 -batch '" + path + "' \"" + sql + "\" 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string out;
    char buffer[256];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
    if (pipe) ::pclose(pipe);
    return out;
  }
};

TEST_F(TextOrderFiles, AnEarlierFilesIndexesTakeTheOrderWithItsFirstChange) {
  db->execute("CREATE TABLE T (Name TEXT(20) CONSTRAINT ixT UNIQUE)");
  db->execute("CREATE TABLE U (Name TEXT(20) CONSTRAINT ixU UNIQUE, N LONG)");
  db->execute("CREATE INDEX ixN ON U (N)");
  EXPECT_EQ(collation("T.ixT"), "JETGENERAL");
  // The earlier layout: text indexes compare as the columns' NOCASE, so
  // U could take both spellings.
  raw("DROP INDEX \"T.ixT\"; CREATE UNIQUE INDEX \"T.ixT\" ON T (Name);"
      "DROP INDEX \"U.ixU\"; CREATE UNIQUE INDEX \"U.ixU\" ON U (Name);"
      "INSERT INTO T VALUES ('Äpfel'); INSERT INTO U VALUES ('Äpfel', 1), ('äpfel', 2);");
  DBEngine later;
  auto reopened = later.openDatabase(path);
  reopened->tableDef("T");
  EXPECT_EQ(collation("T.ixT"), "NOCASE") << "reading changes nothing";
  // A change that fails takes the new order back with it.
  EXPECT_EQ(
      errorOf([&] { reopened->execute("INSERT INTO T VALUES ('Äpfel aus dem Alten Land')"); }),
      3163);
  EXPECT_EQ(collation("T.ixT"), "NOCASE");
  reopened->execute("INSERT INTO T VALUES ('Birne')");
  EXPECT_EQ(collation("T.ixT"), "JETGENERAL");
  EXPECT_EQ(collation("U.ixN"), "BINARY");
  // Values the order finds equal keep the index they had, and their rows.
  EXPECT_EQ(collation("U.ixU"), "NOCASE");
  EXPECT_EQ(rawColumn("SELECT Name FROM U ORDER BY N"), "Äpfel|äpfel");
  EXPECT_TRUE(reopened->storage().check().empty());
}

TEST_F(TextOrderFiles, TheSqliteShellReadsEveryTableAndView) {
  if (std::system("sqlite3 -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no sqlite3 shell";
  db->execute("CREATE TABLE T (ID LONG, Name TEXT(20) CONSTRAINT ixName UNIQUE)");
  db->execute("INSERT INTO T VALUES (1, 'zebra')");
  db->execute("INSERT INTO T VALUES (2, 'Äpfel')");
  db->createQueryDef("Q", "SELECT Name FROM T WHERE Name > 'a' ORDER BY Name");
  EXPECT_EQ(shell("SELECT * FROM T ORDER BY ID"), "1|zebra\n2|Äpfel\n");
  EXPECT_EQ(shell("SELECT ID FROM T WHERE Name = 'ZEBRA'"), "1\n");
  EXPECT_EQ(shell("SELECT count(*) FROM T WHERE 1"), "2\n");
  // A view compares text as NOCASE does: Ä is no letter to it.
  EXPECT_EQ(shell("SELECT * FROM Q"), "zebra\nÄpfel\n");
  // What needs the General order's index is refused, never done wrong.
  for (const char* refused :
       {"SELECT count(*) FROM T", "PRAGMA integrity_check", "INSERT INTO T VALUES (3, 'x')"}) {
    EXPECT_NE(shell(refused).find("no such collation sequence: JETGENERAL"), std::string::npos)
        << refused;
  }
}

// A view exists only for other tools, so a query whose translation needs a
// function of ours (Like, text from a date, Format) has none; every view
// there is reads in the shell.
TEST_F(TextOrderFiles, AViewIsMadeOnlyWhereTheShellCanReadIt) {
  if (std::system("sqlite3 -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no sqlite3 shell";
  db->execute("CREATE TABLE T (ID LONG, Name TEXT(20), Due DATETIME, Price CURRENCY)");
  db->execute("INSERT INTO T VALUES (1, 'Bolt', #3/14/2024#, 0.25)");
  db->createQueryDef("Plain", "SELECT ID, Price FROM T WHERE ID > 0");
  db->createQueryDef("Later", "SELECT Due + 1 AS Next FROM T");
  db->createQueryDef("Liked", "SELECT ID FROM T WHERE Name Like 'B*'");
  db->createQueryDef("Said", "SELECT 'Due: ' & Due AS Said FROM T");
  db->createQueryDef("Shown", "SELECT Format(Price, 'Currency') AS P FROM T");
  EXPECT_EQ(rawColumn("SELECT group_concat(name) FROM (SELECT name FROM sqlite_master "
                      "WHERE type = 'view' ORDER BY name)"),
            "Later,Plain");
  EXPECT_EQ(rawColumn("SELECT count(*) FROM MSysObjects WHERE Type = 5"), "5");
  EXPECT_EQ(shell("SELECT * FROM Plain"), "1|2500\n");
  EXPECT_EQ(shell("SELECT * FROM Later"), "45366\n");
}

}  // namespace
}  // namespace telvarn::test

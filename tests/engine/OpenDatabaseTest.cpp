// Opening database files: what is refused, with which number, and that a
// refused file is left exactly as it was.
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/EngineFixture.h"

namespace telvarn::test {
namespace {

TEST(OpenDatabase, RefusesWhatIsNotADatabaseAndNeverCreatesOne) {
  TempDir dir;
  DBEngine engine;
  EXPECT_EQ(errorOf([&] { engine.openDatabase(dir.file("missing.mdb")); }), 3024);
  EXPECT_NE(access(dir.file("missing.mdb").c_str(), F_OK), 0);
  EXPECT_EQ(errorOf([&] { engine.openDatabase(dir.file("no/such/folder/x.mdb")); }), 3044);
  EXPECT_EQ(errorOf([&] { engine.openDatabase(""); }), 3024);

  writeFile(dir.file("text.mdb"), "just some text, not a database\n");
  writeFile(dir.file("empty.mdb"), "");
  writeFile(dir.file("jet.mdb"),
            std::string("\0\1\0\0Standard Jet DB\0", 20) + std::string(4000, 'x'));
  for (const char* name : {"text.mdb", "empty.mdb", "jet.mdb"}) {
    const std::string before = readFile(dir.file(name));
    EXPECT_EQ(errorOf([&] { engine.openDatabase(dir.file(name)); }), 3343) << name;
    EXPECT_EQ(readFile(dir.file(name)), before) << name;
  }
  EXPECT_EQ(errorOf([&] { engine.openDatabase(dir.path()); }), 3343);
}

TEST(OpenDatabase, AFileLockedByAnotherProcessIsInUse) {
  TempDir dir;
  const std::string path = dir.file("locked.mdb");
  DBEngine::createDatabase(path);
  sqlite3* other = nullptr;
  sqlite3_open(path.c_str(), &other);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  DBEngine engine;
  EXPECT_EQ(errorOf([&] { engine.openDatabase(path); }), 3045);
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  EXPECT_EQ(errorOf([&] { engine.openDatabase(path); }), 0);
}

TEST(OpenDatabase, AFileReplacedSinceItWasOpenedIsOpenedAnew) {
  TempDir dir;
  const std::string path = dir.file("db.mdb");
  DBEngine::createDatabase(path);
  DBEngine engine;
  auto first = engine.openDatabase(path);
  first->appendTableDef(first->createTableDef("Old"));
  ASSERT_EQ(::unlink(path.c_str()), 0);
  EXPECT_EQ(errorOf([&] { engine.openDatabase(path); }), 3024);
  DBEngine::createDatabase(path);
  EXPECT_EQ(errorOf([&] { engine.openDatabase(path)->tableDef("Old"); }), 3265);
}

TEST(OpenDatabase, CreatingOverAnExistingFileIsRefused) {
  TempDir dir;
  writeFile(dir.file("x.mdb"), "keep me");
  EXPECT_EQ(errorOf([&] { DBEngine::createDatabase(dir.file("x.mdb")); }), 3204);
  EXPECT_EQ(readFile(dir.file("x.mdb")), "keep me");
}

TEST(OpenDatabase, OnlyTheFirstWorkspaceExists) {
  DBEngine engine;
  EXPECT_NE(engine.workspace(0), nullptr);
  EXPECT_EQ(errorOf([&] { engine.workspace(1); }), 3265);
}

}  // namespace
}  // namespace telvarn::test

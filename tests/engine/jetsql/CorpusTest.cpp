// The statement corpus: files of dialect statements, each with the effect it
// must have on a database or the error number it must fail with. A file is
// a list of groups; each group starts on a fresh database file.
//
//   == name               a new group
//   > statement           must succeed
//   !3022 statement       must fail with 3022 and leave the file as it was
//   ? sqlite query => a,b|c,d
//                         the rows SQLite reads back (columns joined by ",",
//                         rows by "|", Null as NULL)
//   %other statement      runs in the group's second file, which the
//                         first links to
//   %link name table      a link "name" to that file's table
//   # comment
#include <sqlite3.h>

#include <filesystem>
#include <fstream>

#include "engine/EngineFixture.h"
#include "engine/sqlite/TextOrder.h"

namespace telvarn::test {
namespace {

const std::filesystem::path kCorpus =
    std::filesystem::path(TELVARN_SOURCE_DIR) / "tests/engine/jetsql/corpus";

class Corpus : public ::testing::Test {
 protected:
  void run(const std::string& file) {
    std::ifstream in(kCorpus / file);
    ASSERT_TRUE(in) << "cannot read " << (kCorpus / file);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      SCOPED_TRACE(file + ":" + std::to_string(number) + ": " + line);
      step(line);
    }
  }

 private:
  void step(const std::string& line) {
    if (line.empty() || line[0] == '#') return;
    if (line.rfind("==", 0) == 0) return fresh();
    ASSERT_TRUE(db_) << "a case before the first group";
    if (line[0] == '>') return succeeds(line.substr(1));
    if (line[0] == '!') return fails(line);
    if (line[0] == '?') return reads(line.substr(1));
    if (line.rfind("%other ", 0) == 0) return other(line.substr(7));
    if (line.rfind("%link ", 0) == 0) return link(line.substr(6));
    FAIL() << "unknown line";
  }

  void fresh() {
    db_.reset();
    engine_.reset();
    dir_ = std::make_unique<TempDir>();
    path_ = dir_->file("corpus.mdb");
    DBEngine::createDatabase(path_);
    engine_ = std::make_unique<DBEngine>();
    db_ = engine_->openDatabase(path_);
    otherPath_ = dir_->file("other.mdb");
    DBEngine::createDatabase(otherPath_);
  }

  void other(const std::string& sql) {
    try {
      engine_->openDatabase(otherPath_)->execute(sql);
    } catch (const AppError& e) {
      ADD_FAILURE() << "failed in the other file with " << e.number() << ": " << e.description();
    }
  }

  void link(const std::string& names) {
    const size_t blank = names.find(' ');
    auto table = db_->createTableDef(names.substr(0, blank));
    table->setConnect(";DATABASE=" + otherPath_);
    table->setSourceTableName(names.substr(blank + 1));
    db_->appendTableDef(table);
  }

  void succeeds(const std::string& sql) {
    try {
      db_->execute(sql);
    } catch (const AppError& e) {
      ADD_FAILURE() << "failed with " << e.number() << ": " << e.description();
    }
  }

  void fails(const std::string& line) {
    const size_t blank = line.find(' ');
    const int expected = std::stoi(line.substr(1, blank - 1));
    const std::string before = fingerprint();
    EXPECT_EQ(errorOf([&] { db_->execute(line.substr(blank + 1)); }), expected);
    EXPECT_EQ(fingerprint(), before) << "a failed statement left changes";
  }

  void reads(const std::string& line) {
    const size_t arrow = line.find(" => ");
    ASSERT_NE(arrow, std::string::npos) << "no \" => \"";
    EXPECT_EQ(query(line.substr(0, arrow)), line.substr(arrow + 4));
  }

  // Every row of `sql`, columns joined by ",", rows by "|".
  std::string query(const std::string& sql) {
    sqlite3* handle = nullptr;
    sqlite3_open(path_.c_str(), &handle);
    sqlite::registerTextOrder(handle);
    sqlite3_stmt* statement = nullptr;
    std::string out;
    if (sqlite3_prepare_v2(handle, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
      out = std::string("error: ") + sqlite3_errmsg(handle);
    for (bool first = true; statement && sqlite3_step(statement) == SQLITE_ROW; first = false) {
      if (!first) out += "|";
      for (int i = 0; i < sqlite3_column_count(statement); ++i) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, i));
        out += (i ? "," : "") + std::string(text ? text : "NULL");
      }
    }
    sqlite3_finalize(statement);
    sqlite3_close(handle);
    return out;
  }

  // The whole file as rows: the schema and every row of every table.
  std::string fingerprint() {
    std::string out = query("SELECT type, name, sql FROM sqlite_master ORDER BY name");
    for (const std::string& table : tables()) {
      out += "\n" + table + ": " + query("SELECT * FROM \"" + table + "\" ORDER BY rowid");
    }
    return out;
  }

  std::vector<std::string> tables() {
    std::vector<std::string> names;
    const std::string list = query("SELECT name FROM sqlite_master WHERE type = 'table'");
    for (size_t start = 0; !list.empty() && start <= list.size();) {
      const size_t bar = std::min(list.find('|', start), list.size());
      names.push_back(list.substr(start, bar - start));
      start = bar + 1;
    }
    return names;
  }

  std::unique_ptr<TempDir> dir_;
  std::string path_;
  std::string otherPath_;
  std::unique_ptr<DBEngine> engine_;
  std::shared_ptr<Database> db_;
};

TEST_F(Corpus, Definitions) {
  run("definitions.jet");
}
TEST_F(Corpus, Inserts) {
  run("inserts.jet");
}
TEST_F(Corpus, UpdatesAndDeletes) {
  run("updates.jet");
}
TEST_F(Corpus, Selects) {
  run("selects.jet");
}
TEST_F(Corpus, Joins) {
  run("joins.jet");
}
TEST_F(Corpus, Functions) {
  run("functions.jet");
}
TEST_F(Corpus, RowRules) {
  run("rules.jet");
}
TEST_F(Corpus, Relationships) {
  run("relationships.jet");
}
TEST_F(Corpus, LinkedTables) {
  run("links.jet");
}
TEST_F(Corpus, StoredQueries) {
  run("queries.jet");
}
TEST_F(Corpus, TextOrder) {
  run("textorder.jet");
}
TEST_F(Corpus, ValuesAndOperators) {
  run("values.jet");
}
TEST_F(Corpus, SyntaxErrors) {
  run("syntax.jet");
}

}  // namespace
}  // namespace telvarn::test

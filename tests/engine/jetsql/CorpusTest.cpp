// The statement corpus: files of dialect statements, each with the effect it
// must have on a database or the error number it must fail with. A file is
// a list of groups; each group starts on a fresh database: our own file, the
// memory storage of the tests (MemoryStorage.h) and an .mdb file (a copy of
// the desktop program's empty one when the corpus of its files is there).
//
//   == name               a new group
//   > statement           must succeed, leaving out no row
//   !3022 statement       must fail with 3022 and leave the file as it was
//   ~3022 statement       must run without an error, leaving out one row
//                         for breaking the rule of 3022 (~3022x2: two rows)
//                         and changing the others
//   ? sqlite query => a,b|c,d
//                         the rows the query reads back (columns joined by
//                         ",", rows by "|", Null as NULL) from a copy of the
//                         database made through the object model and the
//                         storage's rows (see Copy), run by SQLite
//   %other statement      runs in the group's second file, which the
//                         first links to
//   %link name table      a link "name" to that file's table
//   '%other'              in a line, the path of that file, quoted
//   [mdb] line            a line of any form above, run only on .mdb files
//   [not mdb] line        run on every other storage: where the .mdb
//                         format itself keeps something another way
//   # comment
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>

#include "engine/DataType.h"
#include "engine/EngineFixture.h"
#include "engine/Storage.h"
#include "engine/mdb/MdbCorpus.h"
#include "engine/mdb/MdbToolsRows.h"
#include "engine/sqlite/TextOrder.h"
#include "engine/sqlite/ValueCodec.h"
#include "support/MemoryStorage.h"

namespace telvarn::test {
namespace {

const std::filesystem::path kCorpus =
    std::filesystem::path(TELVARN_SOURCE_DIR) / "tests/engine/jetsql/corpus";

// A database as the object model and the storage's rows show it, copied
// into SQLite in memory so that a statement of SQLite's dialect can look at
// it: every local table with its rows in the storage's order (their rowid),
// text fields compared as NOCASE, and the catalog as tables of their own:
//   catalog.objects (Name, Type: 1 table, 5 query, 6 link, Connect,
//                    SourceTable)
//   catalog.fields (TableName, Name, Position, Type, Size, Attributes,
//                   Required, AllowZeroLength, DefaultValue)
//   catalog.properties (TableName, FieldName, Name, Value)
//   catalog.indexes (TableName, Name, IsPrimary, IsUnique, IsRequired,
//                    IgnoreNulls, Fields)
//   catalog.relations (Name, TableName, Fields, ReferencedTable,
//                      ReferencedFields)
// with flags as 1 and 0 and lists of fields joined by ";".
class Copy {
 public:
  explicit Copy(Database& db) {
    sqlite3_open(":memory:", &handle_);
    sqlite::registerTextOrder(handle_);
    exec(
        "ATTACH ':memory:' AS catalog;"
        "CREATE TABLE catalog.objects (Name, Type, Connect, SourceTable);"
        "CREATE TABLE catalog.fields (TableName, Name, Position, Type, Size, Attributes, "
        "Required, AllowZeroLength, DefaultValue);"
        "CREATE TABLE catalog.properties (TableName, FieldName, Name, Value);"
        "CREATE TABLE catalog.indexes (TableName, Name, IsPrimary, IsUnique, IsRequired, "
        "IgnoreNulls, Fields);"
        "CREATE TABLE catalog.relations (Name, TableName, Fields, ReferencedTable, "
        "ReferencedFields);");
    for (const std::string& name : db.tableDefNames()) copyTable(db, *db.tableDef(name));
    for (const std::string& name : db.queryDefNames()) insert("catalog.objects", {name, 5, "", ""});
    for (const RelationRecord& r : db.relations()) {
      insert("catalog.relations",
             {r.name, r.table, joined(r.columns), r.referencedTable, joined(r.referencedColumns)});
    }
  }
  ~Copy() { sqlite3_close(handle_); }

  // Every row of `sql`, columns joined by ",", rows by "|".
  std::string rows(const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    std::string out;
    if (sqlite3_prepare_v2(handle_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
      out = std::string("error: ") + sqlite3_errmsg(handle_);
    for (bool first = true; statement && sqlite3_step(statement) == SQLITE_ROW; first = false) {
      if (!first) out += "|";
      for (int i = 0; i < sqlite3_column_count(statement); ++i) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, i));
        out += (i ? "," : "") + std::string(text ? text : "NULL");
      }
    }
    sqlite3_finalize(statement);
    return out;
  }

 private:
  static std::string quote(const std::string& name) { return "\"" + name + "\""; }

  // Flags as 1 and 0.
  static int flag(bool value) { return value ? 1 : 0; }

  static std::string joined(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& name : names) out += (out.empty() ? "" : ";") + name;
    return out;
  }

  void exec(const std::string& sql) {
    ASSERT_EQ(sqlite3_exec(handle_, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
        << sqlite3_errmsg(handle_) << " in " << sql;
  }

  // One row into `table` (as SQLite text); `stored`: the values in the form
  // our own files keep them (ValueCodec.h), as a table's rows.
  void insert(const std::string& table, const std::vector<Variant>& values, bool stored = false) {
    std::string marks;
    for (size_t i = 0; i < values.size(); ++i) marks += i ? ", ?" : "?";
    const std::string sql = "INSERT INTO " + table + " VALUES (" + marks + ")";
    sqlite3_stmt* statement = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(handle_, sql.c_str(), -1, &statement, nullptr), SQLITE_OK)
        << sqlite3_errmsg(handle_);
    for (size_t i = 0; i < values.size(); ++i) {
      if (stored) {
        sqlite::bindValue(statement, static_cast<int>(i + 1), values[i]);
      } else {
        bind(statement, static_cast<int>(i + 1), values[i]);
      }
    }
    EXPECT_EQ(sqlite3_step(statement), SQLITE_DONE) << sqlite3_errmsg(handle_);
    sqlite3_finalize(statement);
  }

  static void bind(sqlite3_stmt* statement, int at, const Variant& value) {
    switch (value.kind()) {
      case Variant::Kind::Empty:
      case Variant::Kind::Null:
        sqlite3_bind_null(statement, at);
        return;
      case Variant::Kind::Boolean:
      case Variant::Kind::Byte:
      case Variant::Kind::Short:
      case Variant::Kind::Long:
      case Variant::Kind::Integer:
        sqlite3_bind_int64(statement, at, value.toInteger());
        return;
      case Variant::Kind::Text:
      case Variant::Kind::Binary: {
        const std::string& bytes = value.textValue();
        if (value.kind() == Variant::Kind::Text) {
          sqlite3_bind_text(statement, at, bytes.data(), static_cast<int>(bytes.size()),
                            SQLITE_TRANSIENT);
        } else {
          sqlite3_bind_blob(statement, at, bytes.data(), static_cast<int>(bytes.size()),
                            SQLITE_TRANSIENT);
        }
        return;
      }
      default:
        sqlite3_bind_double(statement, at, value.toDouble());
    }
  }

  void copyTable(Database& db, const TableDef& table) {
    const bool linked = !table.connect().empty();
    insert("catalog.objects",
           {table.name(), linked ? 6 : 1, table.connect(), table.sourceTableName()});
    int position = 0;
    for (const auto& field : table.fields()) {
      const FieldRecord& f = field->record();
      insert("catalog.fields", {table.name(), f.name, position++, f.type, f.size, f.attributes,
                                flag(f.required), flag(f.allowZeroLength), f.defaultValue});
      for (const UserProperty& p : f.properties) {
        insert("catalog.properties", {table.name(), f.name, p.name, p.value});
      }
    }
    for (const auto& index : table.indexes()) {
      const IndexRecord& i = index->record();
      std::vector<std::string> columns;
      for (const IndexColumn& c : i.columns)
        columns.push_back(c.field + (c.descending ? " DESC" : ""));
      insert("catalog.indexes", {table.name(), i.name, flag(i.primary), flag(i.unique),
                                 flag(i.required), flag(i.ignoreNulls), joined(columns)});
    }
    if (linked || table.fields().empty()) return;
    std::string columns;
    for (const auto& field : table.fields()) {
      columns += (columns.empty() ? "" : ", ") + quote(field->name()) + " " +
                 storageDeclaration(field->type());
    }
    exec("CREATE TABLE " + quote(table.name()) + " (" + columns + ")");
    db.storage().forEachRow(table.name(), [&](const std::vector<Variant>& values) {
      insert(quote(table.name()), values, true);
      return true;
    });
  }

  sqlite3* handle_ = nullptr;
};

// Where a group's databases live.
enum class Kept { OnFile, InMemory, InMdbFile };

class Corpus : public ::testing::TestWithParam<Kept> {
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
    checkFiles();
  }

 private:
  void step(std::string line) {
    if (line.empty() || line[0] == '#') return;
    for (size_t at; (at = line.find("'%other'")) != std::string::npos;)
      line.replace(at, 8, "'" + otherPath_ + "'");
    if (line.rfind("==", 0) == 0) return fresh();
    const bool onMdb = GetParam() == Kept::InMdbFile;
    if (line.rfind("[mdb] ", 0) == 0) return onMdb ? step(line.substr(6)) : void();
    if (line.rfind("[not mdb] ", 0) == 0) return onMdb ? void() : step(line.substr(10));
    ASSERT_TRUE(db_) << "a case before the first group";
    if (line[0] == '>') return succeeds(line.substr(1));
    if (line[0] == '!') return fails(line);
    if (line[0] == '~') return skips(line);
    if (line[0] == '?') return reads(line.substr(1));
    if (line.rfind("%other ", 0) == 0) return other(line.substr(7));
    if (line.rfind("%link ", 0) == 0) return link(line.substr(6));
    FAIL() << "unknown line";
  }

  void fresh() {
    checkFiles();
    db_.reset();
    otherDb_.reset();
    engine_.reset();
    dir_ = std::make_unique<TempDir>();
    path_ = dir_->file("corpus.mdb");
    otherPath_ = dir_->file("other.mdb");
    if (GetParam() == Kept::InMemory) {
      // Links reach the second database by the path of the other file.
      const std::shared_ptr<Database> other = otherDb_ = memoryDatabase(otherPath_, nullptr);
      db_ = memoryDatabase(path_, [other](const std::string& connect) {
        if (connectPath(connect) != other->name()) throw engineError(3024, {connectPath(connect)});
        return other;
      });
      return;
    }
    const FileFormat format = GetParam() == Kept::InMdbFile ? FileFormat::Mdb : FileFormat::Sqlite;
    // The .mdb groups run in a copy of the desktop program's empty file
    // when the corpus of its files is there, and link to a file of ours.
    if (format == FileFormat::Mdb && !corpusFolder().empty())
      std::filesystem::copy_file(corpusFolder() + "/empty_Access2000_template.mdb", path_);
    else
      DBEngine::createDatabase(path_, format);
    engine_ = std::make_unique<DBEngine>();
    db_ = engine_->openDatabase(path_);
    DBEngine::createDatabase(otherPath_, format);
  }

  // Every structure of the group's .mdb files holds to the format's rules,
  // and mdbtools reads the rows we read.
  void checkFiles() {
    if (!db_ || GetParam() != Kept::InMdbFile) return;
    const std::shared_ptr<Database> other = otherDatabase();
    for (Database* database : {db_.get(), other.get()}) {
      SCOPED_TRACE(database->name());
      auto& storage = dynamic_cast<mdb::MdbStorage&>(database->storage());
      EXPECT_EQ(storage.check(), std::vector<std::string>{});
      if (!haveMdbTools()) continue;
      for (const std::string& name : storage.tableNames()) {
        const std::optional<TableRecord> table = storage.findTable(name);
        if (table->kind != TableKind::Local || table->fields.empty()) continue;
        EXPECT_EQ(ourRows(storage, *table), theirRows(database->name(), *table)) << name;
      }
    }
  }

  // The group's second database.
  std::shared_ptr<Database> otherDatabase() {
    return engine_ ? engine_->openDatabase(otherPath_) : otherDb_;
  }

  void other(const std::string& sql) {
    try {
      otherDatabase()->execute(sql);
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
      const RowsAffected done = db_->execute(sql);
      EXPECT_EQ(done.skipped, (std::map<int, uint64_t>{})) << "rows left out";
    } catch (const AppError& e) {
      ADD_FAILURE() << "failed with " << e.number() << ": " << e.description();
    }
  }

  void skips(const std::string& line) {
    const size_t blank = line.find(' ');
    const size_t times = line.find('x');
    const int rule = std::stoi(line.substr(1, std::min(blank, times) - 1));
    const uint64_t rows =
        times < blank ? std::stoull(line.substr(times + 1, blank - times - 1)) : 1;
    try {
      const RowsAffected done = db_->execute(line.substr(blank + 1));
      EXPECT_EQ(done.skipped, (std::map<int, uint64_t>{{rule, rows}}));
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

  std::string query(const std::string& sql) { return Copy(*db_).rows(sql); }

  // The whole database as the object model and the rows show it.
  std::string fingerprint() {
    Copy copy(*db_);
    std::string out;
    for (const char* catalog : {"objects", "fields", "properties", "indexes", "relations"})
      out += copy.rows(std::string("SELECT * FROM catalog.") + catalog) + "\n";
    for (const std::string& table : db_->tableDefNames())
      out += table + ": " + copy.rows("SELECT * FROM \"" + table + "\" ORDER BY rowid") + "\n";
    return out;
  }

  std::unique_ptr<TempDir> dir_;
  std::string path_;
  std::string otherPath_;
  std::unique_ptr<DBEngine> engine_;
  std::shared_ptr<Database> db_;
  std::shared_ptr<Database> otherDb_;  // in memory
};

TEST_P(Corpus, Definitions) {
  run("definitions.jet");
}
TEST_P(Corpus, Inserts) {
  run("inserts.jet");
}
TEST_P(Corpus, UpdatesAndDeletes) {
  run("updates.jet");
}
TEST_P(Corpus, Selects) {
  run("selects.jet");
}
TEST_P(Corpus, Joins) {
  run("joins.jet");
}
TEST_P(Corpus, Functions) {
  run("functions.jet");
}
TEST_P(Corpus, FunctionsValueNullAndBadArgument) {
  run("library.jet");
}
TEST_P(Corpus, RowRules) {
  run("rules.jet");
}
TEST_P(Corpus, Relationships) {
  run("relationships.jet");
}
TEST_P(Corpus, LinkedTables) {
  run("links.jet");
}
TEST_P(Corpus, StoredQueries) {
  run("queries.jet");
}
TEST_P(Corpus, TextOrder) {
  run("textorder.jet");
}
TEST_P(Corpus, AutoNumbers) {
  run("autonumbers.jet");
}
TEST_P(Corpus, ValuesAndOperators) {
  run("values.jet");
}
TEST_P(Corpus, SyntaxErrors) {
  run("syntax.jet");
}

INSTANTIATE_TEST_SUITE_P(Storages, Corpus,
                         ::testing::Values(Kept::OnFile, Kept::InMemory, Kept::InMdbFile),
                         [](const auto& info) {
                           switch (info.param) {
                             case Kept::OnFile:
                               return "File";
                             case Kept::InMemory:
                               return "Memory";
                             case Kept::InMdbFile:
                               break;
                           }
                           return "MdbFile";
                         });

}  // namespace
}  // namespace telvarn::test

// The demo script on files of the desktop program's format made by our
// own code (telvarn-createdb --format mdb): the program shows the same list
// as on our SQLite files; the files read back in mdbtools (the stored query
// too) and pass the structural check, and --schema of the two results
// agrees field by field.
// A second run shows the same list as the second run on our files, and a
// dry run before the first shows its list and changes no byte.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "engine/mdb/MdbCorpus.h"
#include "engine/mdb/MdbStorage.h"
#include "engine/open/DBEngine.h"
#include "support/ProgramRun.h"
#include "support/TempDir.h"

namespace telvarn::test {
namespace {

struct DemoRun {
  ProgramResult dry;  // --dry-run before the first run
  bool dryChangedNothing = false;
  ProgramResult first;
  ProgramResult second;
  std::string dataSchema;
};

// The demo's script, less its "exe" line (which waits for a helper).
std::string demoScript() {
  std::string script;
  for (const std::string& line :
       splitLines(readFile(TELVARN_SOURCE_DIR "/demo/TELVARN.ini"), "\r\n")) {
    if (line.rfind("exe;", 0) != 0) script += line + "\r\n";
  }
  return script;
}

DemoRun runDemo(const std::string& folder, FileFormat format) {
  installProgram(folder);
  DBEngine::createDatabase(folder + "/ZulData.mdb", format);
  DBEngine::createDatabase(folder + "/ZulSupt.mdb", format);
  writeFile(folder + "/TELVARN.ini", demoScript());
  DemoRun run;
  const std::string data = readFile(folder + "/ZulData.mdb");
  const std::string support = readFile(folder + "/ZulSupt.mdb");
  run.dry = runProgram(folder, {"--batch", "--dry-run"});
  run.dryChangedNothing =
      readFile(folder + "/ZulData.mdb") == data && readFile(folder + "/ZulSupt.mdb") == support;
  run.first = runProgram(folder, {"--batch"});
  run.second = runProgram(folder, {"--batch"});
  run.dataSchema = runProgram(folder, {"--schema", folder + "/ZulData.mdb"}).out;
  return run;
}

// The fields of every table and link, each with its type, size and the
// built-in properties both kinds of file keep; with `captions`, the Caption
// of each field that has one.
std::string fieldsOf(const std::string& schema, bool captions) {
  std::string out;
  const QJsonObject root = QJsonDocument::fromJson(QByteArray::fromStdString(schema)).object();
  for (const auto& table : root["tables"].toArray()) {
    const QJsonObject t = table.toObject();
    for (const auto& field : t["fields"].toArray()) {
      const QJsonObject f = field.toObject();
      const QJsonObject p = f["properties"].toObject();
      out += t["name"].toString().toStdString() + "." + f["name"].toString().toStdString() +
             " type " + std::to_string(f["type"].toInt()) + " size " +
             std::to_string(f["size"].toInt()) + " required " +
             (p["Required"].toBool() ? "yes" : "no") + " default '" +
             p["DefaultValue"].toString().toStdString() + "'";
      if (captions && p.contains("Caption")) {
        out += " caption '" + p["Caption"].toString().toStdString() + "'";
      }
      out += "\n";
    }
  }
  return out;
}

TEST(MdbDemo, TheDemoRunsOnFilesOfTheDesktopFormatAsOnOurOwn) {
  SKIP_WITHOUT_MDBTOOLS();
  TempDir sqliteFolder;
  TempDir mdbFolder;
  const DemoRun ours = runDemo(sqliteFolder.path(), FileFormat::Sqlite);
  const DemoRun desktop = runDemo(mdbFolder.path(), FileFormat::Mdb);
  EXPECT_EQ(desktop.first.out, ours.first.out);
  EXPECT_EQ(desktop.first.status, ours.first.status);
  // A dry run first shows what the real run shows and leaves both files
  // byte for byte as they were.
  EXPECT_TRUE(desktop.dryChangedNothing);
  EXPECT_EQ(desktop.dry.out, desktop.first.out);
  EXPECT_EQ(desktop.dry.status, desktop.first.status);
  EXPECT_EQ(desktop.second.out, ours.second.out);
  EXPECT_EQ(fieldsOf(desktop.dataSchema, false), fieldsOf(ours.dataSchema, false))
      << desktop.dataSchema;
  // Every field our files make carries a Caption, so "chgCaption" takes
  // effect there; a field the engine makes in a desktop file has none, and
  // "chgCaption" on it changes nothing (the report is the same).
  EXPECT_NE(fieldsOf(ours.dataSchema, true)
                .find("CustomerName type 10 size 50 required no "
                      "default 'Unknown' caption 'Customer name'"),
            std::string::npos);
  EXPECT_EQ(fieldsOf(desktop.dataSchema, true), fieldsOf(desktop.dataSchema, false));
  for (const char* file : {"/ZulData.mdb", "/ZulSupt.mdb"}) {
    const std::string path = mdbFolder.path() + file;
    EXPECT_EQ(mdb::MdbStorage(path).check(), std::vector<std::string>{}) << file;
  }
  const std::string data = mdbFolder.path() + "/ZulData.mdb";
  EXPECT_EQ(commandOutput("mdb-count " + shellQuote(data) + " Customers"), "2\n");
  EXPECT_NE(commandOutput("mdb-schema " + shellQuote(data)).find("CREATE TABLE [Orders]"),
            std::string::npos);
  // mdb-queries shows a delete query as a SELECT of its fields, and shows
  // no "*".
  EXPECT_EQ(commandOutput("mdb-queries " + shellQuote(data) + " ClearInactive"),
            "SELECT  FROM [Customers] WHERE Active = False \n");
}

}  // namespace
}  // namespace telvarn::test

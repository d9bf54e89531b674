#include "commands/Commands.h"
#include "db/HandlerFrame.h"
#include "engine/model/Database.h"
#include "engine/model/TableDef.h"

namespace telvarn {

// A "lnk" line: in the destination database, a table that stands for the
// source file's table of the same name.
void LinkTable(Run& run) {
  const CommandRecord& rec = run.rec;
  HandlerFrame frame(run, {.title = "LinkTable",
                           .ignore = {3010, 3012, 3191, 3259},
                           .opens = FrameOptions::Opens::Nothing});
  std::string prefix;
  std::shared_ptr<Database> destination;
  std::shared_ptr<TableDef> link;
  frame.step([&] { prefix = ";DATABASE="; });
  frame.step(
      [&] { destination = run.dbEngine().openDatabase(selectedPath(run, rec.varDatabase)); });
  frame.step([&] { link = need(destination).createTableDef(rec.varTable); });
  frame.step([&] { run.report.status("Finding Destination Table " + rec.varTable); });
  frame.step([&] { need(link).setConnect(prefix + selectedPath(run, rec.varSourceDatabase)); });
  frame.step([&] { need(link).setSourceTableName(rec.varTable); });
  frame.step([&] { run.report.status("Finding Source Table " + rec.varTable); });
  frame.step([&] { need(destination).appendTableDef(link); });
  frame.step([&] { run.report.status("Link Created"); });
}

}  // namespace telvarn

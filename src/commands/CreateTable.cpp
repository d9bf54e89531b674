#include "commands/Commands.h"
#include "db/HandlerFrame.h"
#include "engine/model/Database.h"

namespace telvarn {

// An "add" line with no field name: the table is made by SQL, with the
// table text taken into the statement as written.
void CreateTable(Run& run) {
  HandlerFrame frame(run, {.title = "Create Table",
                           .ignore = {3010, 3191, 3259},
                           .tableFallback = true,
                           .boxTitle = "Add"});
  frame.step([&] { run.strSql = "Create Table " + run.rec.varTable; });
  frame.step([&] { run.report.status("Creating Table " + run.rec.varTable); });
  frame.step([&] { need(run.db).execute(run.strSql); });
}

}  // namespace telvarn

#include "commands/Commands.h"
#include "db/HandlerFrame.h"
#include "engine/model/Database.h"

namespace telvarn {

// An "sql" line: one statement of the engine's dialect, passed on untouched.
void ExecuteSql(Run& run) {
  HandlerFrame frame(run, {.title = "SQL Statements", .ignore = {}});
  frame.step([&] { run.strSql = run.rec.strSqlText; });
  frame.step([&] {
    run.report.setStatus("Executing SQL.. " + run.strSql);
    run.report.log();
    run.report.list();
  });
  frame.step([&] { run.report.rows(need(run.db).execute(run.strSql)); });
}

}  // namespace telvarn

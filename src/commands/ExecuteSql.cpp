#include "commands/Commands.h"
#include "db/HandlerFrame.h"
#include "engine/Database.h"

namespace telvarn {

// An "sql" line: one statement of the engine's dialect, passed on untouched.
void ExecuteSql(Run& run) {
  HandlerFrame frame(run, {.title = "SQL Statements", .ignore = {}});
  // 2.
  frame.step([&] { run.strSql = run.rec.strSqlText; });
  // 3. to 5.
  frame.step([&] {
    run.report.setStatus("Executing SQL.. " + run.strSql);
    run.report.log();
    run.report.list();
  });
  // 6.
  frame.step([&] { need(run.db).execute(run.strSql); });
}

}  // namespace telvarn

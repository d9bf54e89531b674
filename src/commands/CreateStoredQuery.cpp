#include "commands/Commands.h"
#include "db/HandlerFrame.h"
#include "engine/model/Database.h"
#include "engine/model/QueryDef.h"

namespace telvarn {

// A "qdf" line: a named query stored with its SQL text; a name in use keeps
// its old text.
void CreateStoredQuery(Run& run) {
  CommandRecord& rec = run.rec;
  HandlerFrame frame(run, {.title = "QueryDef", .ignore = {3010, 3012, 3191, 3259}});
  frame.step([&] { rec.strQueryName = rec.text(2); });
  frame.step([&] { run.report.status("Creating Query " + rec.text(2)); });
  frame.step([&] { rec.varQuerySql = rec.text(3); });
  frame.step([&] { run.report.status("Creating SQL Statement " + rec.text(3)); });
  frame.step([&] { run.strSql = rec.varQuerySql; });
  frame.step([&] {
    run.qdf = nullptr;
    run.qdf = need(run.db).createQueryDef(rec.strQueryName, run.strSql);
  });
}

}  // namespace telvarn

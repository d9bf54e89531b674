#include "commands/Commands.h"
#include "commands/FieldSteps.h"
#include "commands/IndexSteps.h"
#include "db/HandlerFrame.h"
#include "engine/model/Database.h"
#include "engine/model/TableDef.h"

namespace telvarn {

// An "idx" line: an index on a field the table already has.
void AddIndex(Run& run) {
  const CommandRecord& rec = run.rec;
  HandlerFrame frame(run, {.title = "New Index", .ignore = {3010, 3191, 3283, 3367}});
  frame.step([&] { findTable(run); });
  frame.step([&] { run.report.status("Looking For Table " + rec.varTable); });
  buildIndex(frame, run, "Creating Indexed Field ");
}

}  // namespace telvarn

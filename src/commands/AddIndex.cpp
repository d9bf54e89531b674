#include "commands/Commands.h"
#include "commands/FieldSteps.h"
#include "commands/IndexSteps.h"
#include "db/HandlerFrame.h"
#include "engine/Database.h"
#include "engine/TableDef.h"

namespace telvarn {

// An "idx" line: an index on a field the table already has.
void AddIndex(Run& run) {
  const CommandRecord& rec = run.rec;
  HandlerFrame frame(run, {.title = "New Index", .ignore = {3010, 3191, 3283, 3367}});
  // 1.
  frame.step([&] { findTable(run); });
  // 2.
  frame.step([&] { run.report.status("Looking For Table " + rec.varTable); });
  // 3. to 14.
  buildIndex(frame, run, "Creating Indexed Field ");
}

}  // namespace telvarn

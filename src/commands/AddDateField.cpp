#include "commands/Commands.h"
#include "commands/FieldSteps.h"
#include "db/HandlerFrame.h"
#include "engine/model/Database.h"
#include "engine/model/Field.h"
#include "engine/model/TableDef.h"

namespace telvarn {

// An "add" line for a Date/Time field: name and type alone.
void AddDateField(Run& run) {
  const CommandRecord& rec = run.rec;
  HandlerFrame frame(run,
                     {.title = "AddDate Field", .ignore = {3010, 3191, 3259}, .boxTitle = "Add"});
  frame.step([&] { findTable(run); });
  frame.step([&] { createField(run, false); });
  frame.step([&] { run.report.status("Adding Field " + rec.varField); });
  frame.step([&] { need(run.tdf).appendField(run.fld); });
}

}  // namespace telvarn

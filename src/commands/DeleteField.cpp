#include "commands/Commands.h"
#include "commands/FieldSteps.h"
#include "db/HandlerFrame.h"
#include "engine/model/Database.h"
#include "engine/model/TableDef.h"

namespace telvarn {

// A "del" line: removes one field; a field that is already gone is passed
// over, and a missing table never lets the deletion reach another table.
void DeleteField(Run& run) {
  const CommandRecord& rec = run.rec;
  HandlerFrame frame(run, {.title = "Delete Field", .ignore = {3265}, .boxTitle = "Del"});
  frame.step([&] { findTable(run); });
  frame.step([&] { run.report.status("Deleting From Table " + rec.varTable); });
  frame.step([&] { need(run.tdf).deleteField(rec.varField); });
  frame.step([&] { run.report.status("Deleting Field " + rec.varField); });
}

}  // namespace telvarn

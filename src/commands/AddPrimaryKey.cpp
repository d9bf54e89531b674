#include "commands/Commands.h"
#include "commands/FieldSteps.h"
#include "commands/IndexSteps.h"
#include "db/HandlerFrame.h"
#include "engine/model/Database.h"
#include "engine/model/Field.h"
#include "engine/model/TableDef.h"

namespace telvarn {

// A "prk" line: a new key field and an index on it, its errors written to
// the log only and shown in a box titled "Index".
void AddPrimaryKey(Run& run) {
  const CommandRecord& rec = run.rec;
  HandlerFrame frame(run, {.title = "Primary Key",
                           .ignore = {3010, 3191, 3283, 3367},
                           .report = FrameOptions::Report::LogOnly,
                           .boxTitle = "Index"});
  frame.step([&] { findTable(run); });
  frame.step([&] { run.report.status("Looking For Table " + rec.varTable); });
  frame.step([&] {
    TableDef& table = need(run.tdf);
    table.appendField(table.createField(rec.varField, rec.intType, rec.intSize));
  });
  buildIndex(frame, run, "Creating Primary Key Field ");
}

}  // namespace telvarn

#include "commands/Commands.h"
#include "commands/FieldSteps.h"
#include "db/HandlerFrame.h"
#include "engine/model/Database.h"
#include "engine/model/Field.h"
#include "engine/model/TableDef.h"

namespace telvarn {

// An "add" line for a field of any type but Yes/No, date and the numbers:
// name, type and size, its default value and whether it allows empty text.
void AddField(Run& run) {
  const CommandRecord& rec = run.rec;
  HandlerFrame frame(run, {.title = "Add Field",
                           .ignore = {3010, 3191, 3259},
                           .tableFallback = true,
                           .boxTitle = "Add"});
  frame.step([&] { findTable(run); });
  frame.step([&] { createField(run, true); });
  frame.step([&] { run.report.status("Adding Field " + rec.varField); });
  frame.step([&] { need(run.fld).setDefaultValue(rec.strDefaultValue); });
  frame.step(
      [&] { run.report.status("Adding Field Properties Default Value " + rec.strDefaultValue); });
  frame.step([&] { need(run.fld).setAllowZeroLength(rec.intAllowZeroLength != 0); });
  frame.step([&] {
    run.report.status("Adding Field Properties Allow Zero Length " +
                      std::to_string(rec.intAllowZeroLength));
  });
  frame.step([&] { need(run.tdf).appendField(run.fld); });
}

}  // namespace telvarn

#include "commands/Commands.h"
#include "commands/FieldSteps.h"
#include "db/HandlerFrame.h"
#include "engine/Database.h"
#include "engine/Field.h"
#include "engine/TableDef.h"

namespace telvarn {

// An "add" line for a field of any type but Yes/No, date and the numbers:
// name, type and size, its default value and whether it allows empty text.
void AddField(Run& run) {
  const CommandRecord& rec = run.rec;
  HandlerFrame frame(run, {.title = "Add Field",
                           .ignore = {3010, 3191, 3259},
                           .tableFallback = true,
                           .boxTitle = "Add"});
  // 1.
  frame.step([&] { findTable(run); });
  // 2.
  frame.step([&] { createField(run, true); });
  // 3.
  frame.step([&] { run.report.status("Adding Field " + rec.varField); });
  // 4.
  frame.step([&] { need(run.fld).setDefaultValue(rec.strDefaultValue); });
  // 5.
  frame.step(
      [&] { run.report.status("Adding Field Properties Default Value " + rec.strDefaultValue); });
  // 6.
  frame.step([&] { need(run.fld).setAllowZeroLength(rec.intAllowZeroLength != 0); });
  // 7.
  frame.step([&] {
    run.report.status("Adding Field Properties Allow Zero Length " +
                      std::to_string(rec.intAllowZeroLength));
  });
  // 8.
  frame.step([&] { need(run.tdf).appendField(run.fld); });
}

}  // namespace telvarn

#include "commands/Commands.h"
#include "commands/FieldSteps.h"
#include "db/HandlerFrame.h"
#include "engine/model/Database.h"
#include "engine/model/Field.h"
#include "engine/model/TableDef.h"

namespace telvarn {

// A "chgCaption" line: sets a field's existing Caption; a field without one
// is left without one.
void ChangeFieldCaption(Run& run) {
  const CommandRecord& rec = run.rec;
  Reporter& report = run.report;
  HandlerFrame frame(run, {.title = "Change Field Caption", .ignore = {3191, 3265, 3270}});
  std::shared_ptr<TableDef> table;
  std::shared_ptr<Field> field;
  findOwnField(frame, run, table, field);
  frame.step([&] { need(field).setProperty("Caption", Variant(rec.strCaption)); });
  frame.step([&] { report.setStatus("Changing Field Caption To " + rec.strCaption); });
  frame.step([&] { report.log(); });
  frame.step([&] { report.list(); });
}

}  // namespace telvarn

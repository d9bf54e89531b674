#include "commands/Commands.h"
#include "commands/FieldChanges.h"
#include "commands/FieldSteps.h"
#include "db/HandlerFrame.h"
#include "engine/Database.h"
#include "engine/Field.h"
#include "engine/TableDef.h"

namespace telvarn {

// A "chg" line with a new name: the field is renamed, then changed as by
// ChangeProperties under its new name.
void RenameField(Run& run) {
  const CommandRecord& rec = run.rec;
  Reporter& report = run.report;
  HandlerFrame frame(run, {.title = "Renaming Fields", .ignore = {3191, 3265}});
  std::shared_ptr<TableDef> table;
  std::shared_ptr<Field> field;
  // 1. to 3.
  findOwnField(frame, run, table, field);
  // 4.
  frame.step([&] { report.setStatus("Changing Field " + rec.varField); });
  // 5.
  frame.step([&] { report.list(); });
  // 6.
  frame.step([&] { need(field).setProperty("Name", Variant(rec.strNewName)); });
  // 7.
  frame.step([&] { report.setStatus(" To " + rec.strNewName); });
  // 8.
  frame.step([&] { report.log(); });
  // 9.
  frame.step([&] { report.list(); });
  // 10. to 21.
  changeFieldProperties(frame, run, field, rec.strNewName, TypeMapping::WithoutYesNo);
  // 22.
  table = nullptr;
}

}  // namespace telvarn

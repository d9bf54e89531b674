#include "commands/Commands.h"
#include "commands/FieldChanges.h"
#include "commands/FieldSteps.h"
#include "db/HandlerFrame.h"
#include "engine/model/Database.h"
#include "engine/model/Field.h"
#include "engine/model/TableDef.h"

namespace telvarn {

// A "chg" line with a new name: the field is renamed, then changed as by
// ChangeProperties under its new name.
void RenameField(Run& run) {
  const CommandRecord& rec = run.rec;
  Reporter& report = run.report;
  HandlerFrame frame(run, {.title = "Renaming Fields", .ignore = {3191, 3265}});
  std::shared_ptr<TableDef> table;
  std::shared_ptr<Field> field;
  findOwnField(frame, run, table, field);
  frame.step([&] { report.setStatus("Changing Field " + rec.varField); });
  frame.step([&] { report.list(); });
  frame.step([&] { need(field).setProperty("Name", Variant(rec.strNewName)); });
  frame.step([&] { report.setStatus(" To " + rec.strNewName); });
  frame.step([&] { report.log(); });
  frame.step([&] { report.list(); });
  changeFieldProperties(frame, run, field, rec.strNewName, TypeMapping::WithoutYesNo);
  table = nullptr;
}

}  // namespace telvarn

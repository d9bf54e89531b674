#include "commands/Commands.h"
#include "commands/FieldChanges.h"
#include "commands/FieldSteps.h"
#include "db/HandlerFrame.h"
#include "engine/model/Database.h"
#include "engine/model/Field.h"
#include "engine/model/TableDef.h"

namespace telvarn {

// A "chg" line without a new name: allow-zero-length, default value and
// type of one field.
void ChangeProperties(Run& run) {
  const CommandRecord& rec = run.rec;
  HandlerFrame frame(run, {.title = "Change Properties", .ignore = {3191, 3265}});
  std::shared_ptr<TableDef> table;
  std::shared_ptr<Field> field;
  findOwnField(frame, run, table, field);
  changeFieldProperties(frame, run, field, rec.varField, TypeMapping::WithYesNo);
  table = nullptr;
}

}  // namespace telvarn

#include "commands/Commands.h"
#include "commands/FieldSteps.h"
#include "db/HandlerFrame.h"
#include "engine/model/Database.h"
#include "engine/model/Field.h"
#include "engine/model/TableDef.h"

namespace telvarn {

// An "add" line for a Yes/No field: the field, then a check box as its
// display control where the field has that property.
void AddYesNoField(Run& run) {
  const CommandRecord& rec = run.rec;
  HandlerFrame frame(run,
                     {.title = "Addbln Field", .ignore = {3010, 3191, 3259}, .boxTitle = "Add"});
  std::shared_ptr<TableDef> table;
  std::shared_ptr<Field> field;
  frame.step([&] { findTable(run); });
  frame.step([&] { createField(run, false); });
  frame.step([&] { run.report.status("Adding Field " + rec.varField); });
  frame.step([&] { need(run.tdf).appendField(run.fld); });
  frame.step([&] {
    run.tdf = nullptr;
    run.tdf = need(run.db).tableDef(rec.varTable);
    table = need(run.db).tableDef(rec.varTable);
    field = need(table).field(rec.varField);
  });
  // The check box and its report pass over any failure.
  frame.quietStep([&] { need(field).setProperty("DisplayControl", Variant(int{106})); });
  frame.quietStep([&] { run.report.status("Setting Control Box..." + rec.varField); });
  frame.step([&] { run.report.list(); });
}

}  // namespace telvarn

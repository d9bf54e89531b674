#include "commands/Commands.h"
#include "commands/FieldSteps.h"
#include "db/HandlerFrame.h"
#include "engine/Database.h"
#include "engine/Field.h"
#include "engine/TableDef.h"

namespace telvarn {

// An "add" line for a Yes/No field: the field, then a check box as its
// display control where the field has that property.
void AddYesNoField(Run& run) {
  const CommandRecord& rec = run.rec;
  HandlerFrame frame(run,
                     {.title = "Addbln Field", .ignore = {3010, 3191, 3259}, .boxTitle = "Add"});
  std::shared_ptr<TableDef> table;
  std::shared_ptr<Field> field;
  // 1.
  frame.step([&] { findTable(run); });
  // 2.
  frame.step([&] { createField(run, false); });
  // 3.
  frame.step([&] { run.report.status("Adding Field " + rec.varField); });
  // 4.
  frame.step([&] { need(run.tdf).appendField(run.fld); });
  // 5.
  frame.step([&] {
    run.tdf = nullptr;
    run.tdf = need(run.db).tableDef(rec.varTable);
    table = need(run.db).tableDef(rec.varTable);
    field = need(table).field(rec.varField);
  });
  // 6. and 7. pass over any failure.
  frame.quietStep([&] { need(field).setProperty("DisplayControl", Variant(int{106})); });
  frame.quietStep([&] { run.report.status("Setting Control Box..." + rec.varField); });
  // 8.
  frame.step([&] { run.report.list(); });
}

}  // namespace telvarn

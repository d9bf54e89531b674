#include "commands/Commands.h"
#include "db/HandlerFrame.h"
#include "db/Lookups.h"
#include "engine/Database.h"
#include "engine/Field.h"
#include "engine/TableDef.h"

namespace telvarn {

// A "chgCaption" line: sets a field's existing Caption; a field without one
// is left without one.
void ChangeFieldCaption(Run& run) {
  const CommandRecord& rec = run.rec;
  Reporter& report = run.report;
  HandlerFrame frame(run, {.title = "Change Field Caption", .ignore = {3191, 3265, 3270}});
  std::shared_ptr<TableDef> table;
  std::shared_ptr<Field> field;
  // 1.
  frame.step([&] {
    run.tdf = nullptr;
    run.tdf = need(run.db).tableDef(rec.varTable);
  });
  // 2.
  frame.step([&] { table = need(run.db).tableDef(rec.varTable); });
  // 3.
  frame.step([&] { field = fieldOf(table, rec.varField); });
  // 4.
  frame.step([&] { need(field).setProperty("Caption", Variant(rec.strCaption)); });
  // 5.
  frame.step([&] { report.setStatus("Changing Field Caption To " + rec.strCaption); });
  // 6.
  frame.step([&] { report.log(); });
  // 7.
  frame.step([&] { report.list(); });
}

}  // namespace telvarn

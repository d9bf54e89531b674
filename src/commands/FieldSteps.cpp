#include "commands/FieldSteps.h"

#include "db/HandlerFrame.h"
#include "db/Lookups.h"
#include "engine/model/Database.h"
#include "engine/model/Field.h"
#include "engine/model/TableDef.h"

namespace telvarn {

void findTable(Run& run) {
  run.tdf = nullptr;
  run.tdf = need(run.db).tableDef(run.rec.varTable);
}

void createField(Run& run, bool withSize) {
  const CommandRecord& rec = run.rec;
  run.fld = nullptr;
  run.fld = withSize ? need(run.tdf).createField(rec.varField, rec.intType, rec.intSize)
                     : need(run.tdf).createField(rec.varField, rec.intType);
}

void findOwnField(HandlerFrame& frame, Run& run, std::shared_ptr<TableDef>& table,
                  std::shared_ptr<Field>& field) {
  frame.step([&] { findTable(run); });
  frame.step([&] { table = need(run.db).tableDef(run.rec.varTable); });
  frame.step([&] { field = fieldOf(table, run.rec.varField); });
}

}  // namespace telvarn

// Steps several handlers share, each one numbered step of theirs.
#pragma once

#include <memory>

namespace telvarn {

class Field;
class HandlerFrame;
class TableDef;
struct Run;

// run.tdf := the table varTable of run.db (3265 when it has none).
void findTable(Run& run);

// run.fld := a new field varField of type intType on run.tdf, with the
// size intSize when `withSize`.
void createField(Run& run, bool withSize);

// The first three steps of the handlers that change a field: run.tdf, then
// the handler's own table and field, each looked up afresh.
void findOwnField(HandlerFrame& frame, Run& run, std::shared_ptr<TableDef>& table,
                  std::shared_ptr<Field>& field);

}  // namespace telvarn

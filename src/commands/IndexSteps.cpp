#include "commands/IndexSteps.h"

#include "db/HandlerFrame.h"
#include "engine/model/Field.h"
#include "engine/model/Index.h"
#include "engine/model/TableDef.h"

namespace telvarn {

void buildIndex(HandlerFrame& frame, Run& run, const std::string& fieldReport) {
  const CommandRecord& rec = run.rec;
  std::shared_ptr<Index> index;
  frame.step([&] { index = need(run.tdf).createIndex(rec.strIndexName); });
  frame.step([&] { run.report.status("Creating Index " + rec.strIndexName); });
  frame.step([&] { need(index).setPrimary(Variant(rec.varIndexPrimary)); });
  frame.step([&] { run.report.status("Adding Primary Key " + rec.varIndexPrimary); });
  frame.step([&] { need(index).setUnique(Variant(rec.varIndexUnique)); });
  frame.step([&] { run.report.status("Adding Unique ID " + rec.varIndexUnique); });
  frame.step([&] { need(index).setRequired(Variant(rec.strIndexRequired)); });
  frame.step([&] { run.report.status("Setting Required " + rec.strIndexRequired); });
  frame.step([&] { need(index).appendField(*need(index).createField(rec.varField)); });
  frame.step([&] { run.report.status(fieldReport + rec.varField); });
  frame.step([&] { need(run.tdf).appendIndex(index); });
  frame.step([&] { need(run.tdf).refreshIndexes(); });
}

}  // namespace telvarn

// Run: the state of one maintenance run that the dispatcher and the handlers
// share, owned by the main window: the command record, the reporter, the
// settings strings and the engine objects the handlers hold between lines.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "db/CommandRecord.h"
#include "db/ModuleSettings.h"
#include "engine/AppError.h"
#include "engine/open/DBEngine.h"
#include "report/Reporter.h"

namespace telvarn {

class Database;
class Field;
class QueryDef;
class TableDef;

// The main window's caption, also the title of most error boxes.
inline const std::string kMainCaption = "Orvel Database Maintenance System";

struct Run {
  Run(Reporter& reporter, const ModuleSettings& settings) : report(reporter), paths(settings) {}

  Reporter& report;
  const ModuleSettings& paths;
  // The file opened for a database path when it is not the path itself: a
  // dry run's copies.
  std::map<std::string, std::string> openAs;
  CommandRecord rec;

  // The engine object, made on first use and kept until the program ends.
  DBEngine& dbEngine() {
    if (!engine) engine = std::make_unique<DBEngine>();
    return *engine;
  }

  std::unique_ptr<DBEngine> engine;
  std::shared_ptr<Workspace> ws;
  std::shared_ptr<Database> db;
  std::shared_ptr<TableDef> tdf;
  std::shared_ptr<Field> fld;
  std::shared_ptr<QueryDef> qdf;
  std::string strSql;
  std::string strTypeName;
};

// The object a step works on; a step whose object an earlier, passed-over
// failure left unset fails as the run-time library does, with 91.
template <typename T>
T& need(const std::shared_ptr<T>& object) {
  if (!object) throw engineError(91);
  return *object;
}

}  // namespace telvarn

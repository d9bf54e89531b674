// SqliteExecutor: the dialect's data statements on a SQLite file, each
// translated to SQLite statements over the file's own tables and run in
// one transaction (see ActionRun.h for the rows that break a rule). A link
// the statement reads is shown on the file's connection as a virtual table
// over its source (ShownLinks).
#pragma once

#include <memory>

#include "engine/executor/ShownLinks.h"
#include "engine/executor/StorageTables.h"
#include "engine/jetsql/Executor.h"
#include "engine/sqlite/SqliteStorage.h"

namespace telvarn::executor {

class SqliteExecutor : public jetsql::Executor {
 public:
  SqliteExecutor(std::shared_ptr<sqlite::SqliteStorage> storage, ShownLinks::Sources sources);

  RowsAffected run(const jetsql::DataStatement& statement) override;
  std::vector<FieldRecord> describe(const jetsql::SelectStatement& select) override;

 private:
  std::shared_ptr<sqlite::SqliteStorage> storage_;
  StorageTables tables_;
  ShownLinks links_;
};

}  // namespace telvarn::executor

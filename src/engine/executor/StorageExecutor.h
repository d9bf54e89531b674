// StorageExecutor: the dialect's data statements on a storage that is not a
// SQLite file (the desktop program's files). Each statement is translated
// as for our own files and run by SQLite in memory, over the storage's
// tables shown as virtual tables (StorageTables), in one transaction of the
// storage: the first row that fails raises its error and nothing the
// statement changed stays. A link the statement reads is shown beside them
// as a virtual table over its source (ShownLinks).
#pragma once

#include <map>
#include <memory>
#include <string>

#include "engine/Storage.h"
#include "engine/executor/ShownLinks.h"
#include "engine/executor/StorageTables.h"
#include "engine/jetsql/Executor.h"
#include "engine/sqlite/Connection.h"
#include "engine/sqlite/SqlTranslator.h"

namespace telvarn::executor {

class StorageExecutor : public jetsql::Executor {
 public:
  StorageExecutor(std::shared_ptr<Storage> storage, ShownLinks::Sources sources);

  RowsAffected run(const jetsql::DataStatement& statement) override;
  std::vector<FieldRecord> describe(const jetsql::SelectStatement& select) override;

 private:
  // The local tables `statement` names shown under their own names, shown
  // again when their fields changed since. Only those: showing a table
  // costs more than a small statement, and a file may hold hundreds.
  void showTables(const sqlite::TranslatedStatement& statement);

  std::shared_ptr<Storage> storage_;
  sqlite::Connection connection_;
  StorageTables tables_;
  std::map<std::string, std::string> shown_;  // name -> its shape as shown
  ShownLinks links_;
};

}  // namespace telvarn::executor

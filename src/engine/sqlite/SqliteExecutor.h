// SqliteExecutor: the dialect's data statements on a SQLite file, each
// translated to one SQLite statement over the file's own tables and run in
// one transaction. The first row that fails raises its error and nothing
// the statement changed stays.
#pragma once

#include <memory>

#include "engine/jetsql/Executor.h"
#include "engine/sqlite/SqliteStorage.h"

namespace telvarn::sqlite {

class SqliteExecutor : public jetsql::Executor {
 public:
  explicit SqliteExecutor(std::shared_ptr<SqliteStorage> storage) : storage_(std::move(storage)) {}

  void run(const jetsql::DataStatement& statement) override;
  std::vector<FieldRecord> describe(const jetsql::SelectStatement& select) override;

 private:
  std::shared_ptr<SqliteStorage> storage_;
};

}  // namespace telvarn::sqlite

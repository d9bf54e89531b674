// SqliteExecutor: the dialect's data statements on a SQLite file, each
// translated to SQLite statements over the file's own tables and run in
// one transaction (see ActionRun.h for the rows that break a rule).
#pragma once

#include <memory>

#include "engine/jetsql/Executor.h"
#include "engine/sqlite/SqliteStorage.h"

namespace telvarn::sqlite {

class SqliteExecutor : public jetsql::Executor {
 public:
  explicit SqliteExecutor(std::shared_ptr<SqliteStorage> storage) : storage_(std::move(storage)) {}

  RowsAffected run(const jetsql::DataStatement& statement) override;
  std::vector<FieldRecord> describe(const jetsql::SelectStatement& select) override;

 private:
  std::shared_ptr<SqliteStorage> storage_;
};

}  // namespace telvarn::sqlite

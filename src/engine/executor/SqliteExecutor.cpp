#include "engine/executor/SqliteExecutor.h"

#include "engine/sqlite/ActionRun.h"
#include "engine/sqlite/SqlTranslator.h"

namespace telvarn::executor {

SqliteExecutor::SqliteExecutor(std::shared_ptr<sqlite::SqliteStorage> storage,
                               ShownLinks::Sources sources)
    : storage_(std::move(storage)),
      tables_(storage_->connection().handle()),
      links_(storage_->connection(), tables_, *storage_, std::move(sources)) {}

// The translated text of most statements repeats with other literals (they
// are parameters), so the connection's cache of prepared statements serves.
RowsAffected SqliteExecutor::run(const jetsql::DataStatement& statement) {
  sqlite::Connection& connection = storage_->connection();
  sqlite::Transaction transaction(connection);
  const sqlite::TranslatedStatement translated = sqlite::translate(*storage_, statement, &links_);
  const RowsAffected done = sqlite::runAction(connection, translated, statement.sql);
  transaction.commit();
  return done;
}

std::vector<FieldRecord> SqliteExecutor::describe(const jetsql::SelectStatement& select) {
  sqlite::ReadTransaction read(storage_->connection());
  return sqlite::describeSelect(*storage_, select, &links_);
}

}  // namespace telvarn::executor

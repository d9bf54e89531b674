#include "engine/executor/StorageExecutor.h"

#include <cctype>

#include "engine/sqlite/ActionRun.h"
#include "engine/sqlite/DialectFunctions.h"
#include "engine/sqlite/SqlTranslator.h"

namespace telvarn::executor {

StorageExecutor::StorageExecutor(std::shared_ptr<Storage> storage, ShownLinks::Sources sources)
    : storage_(std::move(storage)),
      connection_(":memory:", true),
      tables_(connection_.handle()),
      links_(connection_, tables_, *storage_, std::move(sources)) {
  sqlite::registerDialectFunctions(connection_.handle());
}

namespace {

std::string lowercase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

// The translation names each table by its quoted name; a field met under a
// table's name only shows that table as well.
void StorageExecutor::showTables(const sqlite::TranslatedStatement& statement) {
  const std::string sql =
      lowercase(statement.whole.sql + " " + statement.rows.sql + " " + statement.oneRow.sql);
  for (const std::string& name : storage_->tableNames()) {
    if (sql.find(lowercase(sqlite::Connection::quote(name))) == std::string::npos) continue;
    const std::optional<TableRecord> table = storage_->findTable(name);
    if (!table || table->kind != TableKind::Local) continue;
    const std::string now = StorageTables::shapeOf(*table);
    const auto held = shown_.find(table->name);
    if (held != shown_.end() && held->second == now) continue;
    if (held != shown_.end())
      connection_.exec("DROP TABLE main." + sqlite::Connection::quote(table->name));
    tables_.show(*storage_, table->name, "main", table->name);
    shown_[table->name] = now;
  }
}

RowsAffected StorageExecutor::run(const jetsql::DataStatement& statement) {
  const sqlite::TranslatedStatement translated = sqlite::translate(*storage_, statement, &links_);
  showTables(translated);
  sqlite::Transaction transaction(connection_);
  const RowsAffected done = sqlite::runAction(connection_, translated, statement.sql);
  transaction.commit();
  return done;
}

std::vector<FieldRecord> StorageExecutor::describe(const jetsql::SelectStatement& select) {
  return sqlite::describeSelect(*storage_, select, &links_);
}

}  // namespace telvarn::executor

#include "engine/sqlite/SqliteExecutor.h"

#include "engine/AppError.h"
#include "engine/sqlite/ActionRun.h"
#include "engine/sqlite/FieldWrites.h"
#include "engine/sqlite/SelectTranslator.h"
#include "engine/sqlite/SqlTranslator.h"

namespace telvarn::sqlite {
// The translated text of most statements repeats with other literals (they
// are parameters), so the connection's cache of prepared statements serves.
RowsAffected SqliteExecutor::run(const jetsql::DataStatement& statement) {
  Connection& connection = storage_->connection();
  Transaction transaction(connection);
  const TranslatedStatement translated = translate(*storage_, statement);
  const RowsAffected done = runAction(connection, translated, statement.sql);
  transaction.commit();
  return done;
}

std::vector<FieldRecord> SqliteExecutor::describe(const jetsql::SelectStatement& select) {
  ReadTransaction read(storage_->connection());
  std::vector<Variant> parameters;
  const Scope none;
  ExpressionTranslator translator(none, select.sql, parameters, storage_.get());
  const TranslatedQuery query = translateQuery(translator, *select.query);
  requireNoParameters(translator);
  return query.columns;
}

}  // namespace telvarn::sqlite

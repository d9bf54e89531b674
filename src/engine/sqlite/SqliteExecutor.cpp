#include "engine/sqlite/SqliteExecutor.h"

#include "engine/AppError.h"
#include "engine/sqlite/FieldWrites.h"
#include "engine/sqlite/SelectTranslator.h"
#include "engine/sqlite/SqlTranslator.h"

namespace telvarn::sqlite {
namespace {

// The translated text of most statements repeats with other literals (they
// are parameters), so the connection's cache of prepared statements serves.
void run(Connection& connection, const TranslatedStatement& translated, const std::string& source) {
  Statement statement(connection, translated.sql, source);
  for (size_t i = 0; i < translated.parameters.size(); ++i) {
    statement.bind(static_cast<int>(i + 1), translated.parameters[i]);
  }
  statement.run();
}

}  // namespace

void SqliteExecutor::run(const jetsql::DataStatement& statement) {
  Connection& connection = storage_->connection();
  Transaction transaction(connection);
  const TranslatedStatement translated = translate(*storage_, statement);
  if (translated.sql.empty()) return;
  sqlite::run(connection, translated, statement.sql);
  transaction.commit();
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

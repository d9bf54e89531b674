// SqliteStorage::executeData: an action statement of the dialect, translated
// and run as one transaction. The first row that fails raises its error and
// nothing the statement changed stays.
#include "engine/AppError.h"
#include "engine/sqlite/FieldWrites.h"
#include "engine/sqlite/SelectTranslator.h"
#include "engine/sqlite/SqlTranslator.h"
#include "engine/sqlite/SqliteStorage.h"

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

void SqliteStorage::executeData(const jetsql::DataStatement& statement) {
  Transaction transaction(connection_);
  const TranslatedStatement translated = translate(*this, statement);
  if (translated.sql.empty()) return;
  run(connection_, translated, statement.sql);
  transaction.commit();
}

std::vector<FieldRecord> SqliteStorage::describeQuery(const jetsql::SelectStatement& select) {
  ReadTransaction read(connection_);
  std::vector<Variant> parameters;
  const Scope none;
  ExpressionTranslator translator(none, select.sql, parameters, this);
  const TranslatedQuery query = translateQuery(translator, *select.query);
  requireNoParameters(translator);
  return query.columns;
}

void SqliteStorage::atomically(const std::function<void()>& work) {
  Transaction transaction(connection_);
  work();
  transaction.commit();
}

}  // namespace telvarn::sqlite

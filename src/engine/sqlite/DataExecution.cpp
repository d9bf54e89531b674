// SqliteStorage::executeData: an action statement of the dialect, translated
// and run as one transaction. The first row that fails raises its error and
// nothing the statement changed stays.
#include <cstdlib>
#include <memory>

#include "engine/AppError.h"
#include "engine/sqlite/SqlTranslator.h"
#include "engine/sqlite/SqliteStorage.h"
#include "engine/sqlite/ValueConversion.h"

namespace telvarn::sqlite {
namespace {

struct StatementDeleter {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using StatementHandle = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

// An error raised by one of the dialect's functions: the prefix, the number
// and, after a ":", the text for the message's insertion.
[[noreturn]] void failStep(Connection& connection) {
  sqlite3* db = connection.handle();
  const std::string message = sqlite3_errmsg(db);
  const std::string prefix = kErrorPrefix;
  if (message.rfind(prefix, 0) == 0) {
    const size_t colon = message.find(':', prefix.size());
    const int number = std::atoi(message.c_str() + prefix.size());
    if (colon != std::string::npos) throw engineError(number, {message.substr(colon + 1)});
    throw engineError(number);
  }
  fail(db, sqlite3_extended_errcode(db), connection.path());
}

void bind(sqlite3_stmt* statement, int index, const Variant& value) {
  switch (value.kind()) {
    case Variant::Kind::Empty:
    case Variant::Kind::Null:
      sqlite3_bind_null(statement, index);
      break;
    case Variant::Kind::Boolean:
    case Variant::Kind::Integer:
      sqlite3_bind_int64(statement, index, value.toInteger());
      break;
    case Variant::Kind::Double:
      sqlite3_bind_double(statement, index, std::strtod(value.toText().c_str(), nullptr));
      break;
    case Variant::Kind::Text: {
      const std::string text = value.toText();
      sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()),
                        SQLITE_TRANSIENT);
      break;
    }
  }
}

void run(Connection& connection, const TranslatedStatement& translated) {
  sqlite3_stmt* raw = nullptr;
  const std::string& sql = translated.sql;
  if (sqlite3_prepare_v2(connection.handle(), sql.c_str(), static_cast<int>(sql.size()), &raw,
                         nullptr) != SQLITE_OK)
    failStep(connection);
  const StatementHandle statement(raw);
  for (size_t i = 0; i < translated.parameters.size(); ++i) {
    bind(statement.get(), static_cast<int>(i + 1), translated.parameters[i]);
  }
  int rc;
  while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
  }
  if (rc != SQLITE_DONE) failStep(connection);
}

}  // namespace

void SqliteStorage::executeData(const jetsql::DataStatement& statement) {
  Transaction transaction(connection_);
  const TranslatedStatement translated = translate(*this, statement);
  if (translated.sql.empty()) return;
  run(connection_, translated);
  transaction.commit();
}

}  // namespace telvarn::sqlite

#include "engine/sqlite/Connection.h"

#include <cstdlib>
#include <memory>

#include "engine/AppError.h"
#include "engine/sqlite/FunctionSupport.h"
#include "engine/sqlite/TextOrder.h"
#include "engine/sqlite/ValueCodec.h"

namespace telvarn::sqlite {
namespace {

// How long a run waits for another process that holds the file locked
// before it gives up with the in-use error.
constexpr int kBusyTimeoutMs = 3000;

// SQLite's messages for a statement beyond its limits: too deeply nested
// for its parser, an expression tree too deep, too many values, parts or
// tables.
bool beyondLimits(const std::string& message) {
  static constexpr std::string_view kLimits[] = {"parser stack overflow",
                                                 "Expression tree is too large",
                                                 "too many SQL variables",
                                                 "too many arguments on function",
                                                 "too many terms in compound SELECT",
                                                 "at most 64 tables in a join"};
  for (const std::string_view limit : kLimits) {
    if (message.rfind(limit, 0) == 0) return true;
  }
  return false;
}

// Between the number and the text of an error carried whole.
constexpr char kWholeText = '=';

}  // namespace

std::string failureMessage(const AppError& error) {
  return std::string(kErrorPrefix) + std::to_string(error.number()) + kWholeText +
         error.description();
}

void fail(sqlite3* db, int code, const std::string& path, std::string_view source) {
  const std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(code);
  if ((code & 0xFF) == SQLITE_ERROR && beyondLimits(message))
    throw engineError(3075, {"Expression too complex", std::string(source)});
  // An engine error raised inside one of our SQL functions or triggers: the
  // number and, after a "=", its text or, after a ":", its insertion.
  if (message.rfind(kErrorPrefix, 0) == 0) {
    const size_t start = kErrorPrefix.size();
    const int number = std::atoi(message.c_str() + start);
    const size_t end = message.find_first_of("=:", start);
    if (end == std::string::npos) throw engineError(number);
    if (message[end] == '=') throw AppError(number, message.substr(end + 1));
    throw engineError(number, {message.substr(end + 1)});
  }
  switch (code & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      throw engineError(3045, {path});
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
      throw engineError(3343, {path});
    case SQLITE_READONLY:
      throw engineError(3027);
    case SQLITE_PERM:
    case SQLITE_AUTH:
      throw engineError(3051, {path});
    case SQLITE_FULL:
      throw engineError(3026);
    case SQLITE_CANTOPEN:
      throw engineError(3024, {path});
    case SQLITE_IOERR:
      throw engineError(3043);
    case SQLITE_NOMEM:
      throw engineError(7);
    case SQLITE_CONSTRAINT:
      if (code == SQLITE_CONSTRAINT_UNIQUE || code == SQLITE_CONSTRAINT_PRIMARYKEY)
        throw engineError(3022);
      throw AppError(3022, message);
    default:
      throw engineError(3000, {std::to_string(code) + ": " + message});
  }
}

Statement::Statement(Connection& connection, const std::string& sql, std::string_view source)
    : connection_(connection) {
  stmt_ = connection.borrow(sql);
  if (stmt_) {
    borrowed_ = true;
    return;
  }
  sqlite3* db = connection.handle();
  const int rc = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt_, nullptr);
  if (rc != SQLITE_OK) fail(db, sqlite3_extended_errcode(db), connection.path(), source);
  borrowed_ = connection.keep(sql, stmt_);
}

Statement::~Statement() {
  if (borrowed_) {
    connection_.giveBack(stmt_);
  } else {
    sqlite3_finalize(stmt_);
  }
}

Statement& Statement::bind(int index, const std::string& value) {
  sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
  return *this;
}

Statement& Statement::bind(int index, int64_t value) {
  sqlite3_bind_int64(stmt_, index, value);
  return *this;
}

Statement& Statement::bind(int index, const Variant& value) {
  bindValue(stmt_, index, value);
  return *this;
}

Statement& Statement::bind(const char* name, const sqlite3_value* value) {
  const int index = sqlite3_bind_parameter_index(stmt_, name);
  if (index > 0) sqlite3_bind_value(stmt_, index, value);
  return *this;
}

bool Statement::step() {
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  sqlite3* db = connection_.handle();
  fail(db, sqlite3_extended_errcode(db), connection_.path());
}

std::string Statement::text(int column) const {
  const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
  return bytes ? std::string(bytes, static_cast<size_t>(sqlite3_column_bytes(stmt_, column))) : "";
}

int64_t Statement::integer(int column) const {
  return sqlite3_column_int64(stmt_, column);
}

bool Statement::isNull(int column) const {
  return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

Variant Statement::fieldValue(int column, int type) const {
  return columnValue(stmt_, column, type);
}

Variant Statement::value(int column) const {
  switch (sqlite3_column_type(stmt_, column)) {
    case SQLITE_NULL:
      return Variant::null();
    case SQLITE_INTEGER:
      return Variant(integer(column));
    case SQLITE_FLOAT:
      return Variant(sqlite3_column_double(stmt_, column));
    default:
      return Variant(text(column));
  }
}

Connection::Connection(const std::string& path, bool create) : path_(path) {
  const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX;
  const int rc = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
  if (rc != SQLITE_OK) {
    const int code = db_ ? sqlite3_extended_errcode(db_) : rc;
    sqlite3_close(db_);
    db_ = nullptr;
    fail(nullptr, code, path);
  }
  sqlite3_extended_result_codes(db_, 1);
  sqlite3_busy_timeout(db_, kBusyTimeoutMs);
  registerTextOrder(db_);
}

Connection::~Connection() {
  for (auto& [sql, cached] : cache_) sqlite3_finalize(cached.statement);
  sqlite3_close(db_);
}

sqlite3_stmt* Connection::borrow(const std::string& sql) {
  const auto found = cache_.find(sql);
  if (found == cache_.end() || found->second.inUse) return nullptr;
  found->second.inUse = true;
  return found->second.statement;
}

bool Connection::keep(const std::string& sql, sqlite3_stmt* statement) {
  // Statements built from table names vary without end; a bounded cache
  // keeps the common catalog statements and prepares the rest each time.
  // A long statement (a long In list) is rarely run twice, and holds much.
  constexpr size_t kCacheLimit = 64;
  constexpr size_t kLongestCached = 4096;
  if (sql.size() > kLongestCached || cache_.size() >= kCacheLimit) return false;
  return cache_.emplace(sql, Cached{statement, true}).second;
}

void Connection::giveBack(sqlite3_stmt* statement) {
  sqlite3_reset(statement);
  sqlite3_clear_bindings(statement);
  for (auto& [sql, cached] : cache_) {
    if (cached.statement == statement) cached.inUse = false;
  }
}

void Connection::exec(const std::string& sql) {
  // One statement (BEGIN, COMMIT, SAVEPOINT, ...) runs prepared from the
  // cache: every engine call begins and ends a transaction.
  if (sql.find(';') == std::string::npos) {
    Statement(*this, sql).run();
    return;
  }
  char* error = nullptr;
  const int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error);
  sqlite3_free(error);
  if (rc != SQLITE_OK) fail(db_, sqlite3_extended_errcode(db_), path_);
}

bool Connection::accepts(const std::string& sql) {
  sqlite3_stmt* prepared = nullptr;
  int rc = sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &prepared, nullptr);
  const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(prepared, sqlite3_finalize);
  while (rc == SQLITE_OK || rc == SQLITE_ROW) {
    rc = sqlite3_step(prepared);
    if (rc == SQLITE_DONE) return true;
  }
  const int code = sqlite3_extended_errcode(db_);
  const bool ours = std::string(sqlite3_errmsg(db_)).rfind(kErrorPrefix, 0) == 0;
  if ((code & 0xFF) == SQLITE_ERROR && !ours) return false;
  fail(db_, code, path_);
}

std::optional<int64_t> Connection::queryInteger(const std::string& sql) {
  Statement statement(*this, sql);
  if (!statement.step()) return std::nullopt;
  return statement.integer(0);
}

bool Connection::hasTable(const std::string& name) {
  return sqlite3_table_column_metadata(db_, "main", name.c_str(), nullptr, nullptr, nullptr,
                                       nullptr, nullptr, nullptr) == SQLITE_OK;
}

Connection::Stamp Connection::stamp() {
  return {queryInteger("PRAGMA schema_version").value_or(-1), catalogChanges_,
          queryInteger("PRAGMA data_version").value_or(-1)};
}

std::string Connection::literal(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

std::string Connection::quote(const std::string& name) {
  std::string out = "\"";
  for (char c : name) {
    out += c;
    if (c == '"') out += '"';
  }
  return out + "\"";
}

bool Connection::catalogChangedInTransaction() const {
  return !sqlite3_get_autocommit(db_) && catalogChanges_ != changesAtBegin_;
}

void Connection::beforeFirstWrite(std::function<void()> work) {
  firstWrite_ = std::move(work);
  firstWriteDone_ = false;
}

Transaction::Transaction(Connection& connection)
    : connection_(connection), nested_(!sqlite3_get_autocommit(connection.handle())) {
  connection_.exec(nested_ ? "SAVEPOINT telvarn" : "BEGIN IMMEDIATE");
  if (!nested_) connection_.changesAtBegin_ = connection_.catalogChanges_;
  if (connection_.firstWrite_ && !connection_.firstWriteDone_) {
    connection_.firstWriteDone_ = true;
    ranFirstWrite_ = true;
    try {
      connection_.firstWrite_();
    } catch (...) {
      rollBack();
      throw;
    }
  }
}

Transaction::~Transaction() {
  if (!done_) rollBack();
}

void Transaction::rollBack() {
  const char* undo = nested_ ? "ROLLBACK TO telvarn; RELEASE telvarn" : "ROLLBACK";
  sqlite3_exec(connection_.handle(), undo, nullptr, nullptr, nullptr);
  // What the first write brought up to date went back with it.
  if (ranFirstWrite_) connection_.firstWriteDone_ = false;
  done_ = true;
}

ReadTransaction::ReadTransaction(Connection& connection) : connection_(connection) {
  if (sqlite3_get_autocommit(connection_.handle())) {
    connection_.exec("BEGIN");
    connection_.changesAtBegin_ = connection_.catalogChanges_;
    began_ = true;
  }
}

ReadTransaction::~ReadTransaction() {
  if (began_) sqlite3_exec(connection_.handle(), "COMMIT", nullptr, nullptr, nullptr);
}

void Transaction::commit() {
  connection_.exec(nested_ ? "RELEASE telvarn" : "COMMIT");
  done_ = true;
}

}  // namespace telvarn::sqlite

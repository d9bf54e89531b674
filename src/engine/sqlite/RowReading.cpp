// SqliteStorage::forEachRow: a table's rows as the engine's values, in the
// order the rows were stored, under one read lock.
#include "engine/AppError.h"
#include "engine/sqlite/SqliteStorage.h"

namespace telvarn::sqlite {
namespace {

Variant valueOf(sqlite3_stmt* row, int column) {
  switch (sqlite3_column_type(row, column)) {
    case SQLITE_NULL:
      return Variant::null();
    case SQLITE_INTEGER:
      return Variant(static_cast<int64_t>(sqlite3_column_int64(row, column)));
    case SQLITE_FLOAT:
      return Variant(sqlite3_column_double(row, column));
    default: {
      const auto* bytes = static_cast<const char*>(sqlite3_column_blob(row, column));
      const int size = sqlite3_column_bytes(row, column);
      return Variant(bytes ? std::string(bytes, static_cast<size_t>(size)) : std::string());
    }
  }
}

}  // namespace

void SqliteStorage::forEachRow(const std::string& tableName, const RowVisitor& visit) {
  ReadTransaction read(connection_);
  const std::optional<TableRecord> table = findTable(tableName);
  if (!table) throw engineError(3078, {tableName});
  if (table->kind != TableKind::Local) throw engineError(3251);
  if (table->fields.empty()) return;
  std::string columns;
  for (const FieldRecord& field : table->fields) {
    columns += (columns.empty() ? "" : ", ") + Connection::quote(field.name);
  }
  sqlite3_stmt* raw = nullptr;
  const std::string sql =
      "SELECT " + columns + " FROM " + Connection::quote(table->name) + " ORDER BY rowid";
  if (sqlite3_prepare_v2(connection_.handle(), sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) {
    fail(connection_.handle(), sqlite3_extended_errcode(connection_.handle()), path());
  }
  const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(raw, sqlite3_finalize);
  std::vector<Variant> values(table->fields.size());
  int rc;
  while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
    for (size_t i = 0; i < values.size(); ++i) values[i] = valueOf(raw, static_cast<int>(i));
    if (!visit(values)) return;
  }
  if (rc != SQLITE_DONE)
    fail(connection_.handle(), sqlite3_extended_errcode(connection_.handle()), path());
}

}  // namespace telvarn::sqlite

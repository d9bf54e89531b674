// SqliteStorage::forEachRow: a table's rows as the engine's values, in the
// order the rows were stored, under one read lock; a file of an earlier
// layout read as that layout keeps its values.
#include "engine/AppError.h"
#include "engine/sqlite/CatalogTables.h"
#include "engine/sqlite/FileLayout.h"
#include "engine/sqlite/SqliteStorage.h"
#include "engine/sqlite/ValueCodec.h"

namespace telvarn::sqlite {

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
  const bool earlierLayout = catalog::formatVersion(connection_) < kFormatVersion;
  std::vector<Variant> values(table->fields.size());
  int rc;
  while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
    for (size_t i = 0; i < values.size(); ++i) {
      const int type = table->fields[i].type;
      const auto column = static_cast<int>(i);
      values[i] = earlierLayout
                      ? earlierLayoutValue(sqlite3_column_value(raw, column), type, path())
                      : columnValue(raw, column, type);
    }
    if (!visit(values)) return;
  }
  if (rc != SQLITE_DONE)
    fail(connection_.handle(), sqlite3_extended_errcode(connection_.handle()), path());
}

}  // namespace telvarn::sqlite

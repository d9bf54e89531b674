#include "support/RawSql.h"

#include <sqlite3.h>

#include "engine/sqlite/TextOrder.h"

namespace telvarn::test {

std::string rawRows(const std::string& path, const std::string& sql) {
  sqlite3* handle = nullptr;
  sqlite3_open(path.c_str(), &handle);
  sqlite::registerTextOrder(handle);
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(handle, sql.c_str(), -1, &statement, nullptr);
  std::string rows;
  bool first = true;
  while (statement && sqlite3_step(statement) == SQLITE_ROW) {
    if (!first) rows += "|";
    first = false;
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    rows += text ? text : "NULL";
  }
  sqlite3_finalize(statement);
  sqlite3_close(handle);
  return rows;
}

std::string rawExec(const std::string& path, const std::string& sql) {
  sqlite3* handle = nullptr;
  sqlite3_open(path.c_str(), &handle);
  sqlite::registerTextOrder(handle);
  char* error = nullptr;
  sqlite3_exec(handle, sql.c_str(), nullptr, nullptr, &error);
  const std::string message = error ? error : "";
  sqlite3_free(error);
  sqlite3_close(handle);
  return message;
}

}  // namespace telvarn::test

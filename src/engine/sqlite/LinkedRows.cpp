#include "engine/sqlite/LinkedRows.h"

#include <algorithm>
#include <cctype>

#include "engine/AppError.h"
#include "engine/DataType.h"
#include "engine/Storage.h"
#include "engine/sqlite/ValueCodec.h"

namespace telvarn::sqlite {
namespace {

// One temporary table per link, named after it in lower case, as names
// compare without regard to letter case.
std::string copyName(const std::string& link) {
  std::string lower = link;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return "temp." + Connection::quote("telvarn.link." + lower);
}

// Every value goes through telvarn_convert with its kind, so that one read
// from another kind of file is stored as ours are.
void fill(Connection& connection, const std::string& table, const std::vector<FieldRecord>& fields,
          Storage& source, const std::string& sourceTable) {
  std::string columns;
  std::string values;
  for (size_t i = 0; i < fields.size(); ++i) {
    columns += (i ? ", " : "") + Connection::quote(fields[i].name) + " " +
               storageDeclaration(fields[i].type);
    values += (i ? ", " : "") + std::string("telvarn_convert(?, ?, ") +
              std::to_string(fields[i].type) + ", " + std::to_string(fields[i].size) + ")";
  }
  connection.exec("CREATE TABLE " + table + " (" + columns + ")");
  const std::string insert = "INSERT INTO " + table + " VALUES (" + values + ")";
  source.forEachRow(sourceTable, [&](const std::vector<Variant>& row) {
    Statement statement(connection, insert);
    for (size_t i = 0; i < row.size(); ++i) {
      const auto place = static_cast<int>(2 * i + 1);
      statement.bind(place, row[i]).bind(place + 1, std::string(1, kindLetter(row[i].kind())));
    }
    statement.run();
    return true;
  });
}

}  // namespace

LinkedRows copyLinkedRows(Connection& connection, const TableRecord& link, Storage& source) {
  const std::optional<TableRecord> table = source.findTable(link.sourceTableName);
  if (!table) throw engineError(3078, {link.sourceTableName});
  LinkedRows rows{copyName(link.name), table->fields};
  connection.exec("DROP TABLE IF EXISTS " + rows.table);
  if (rows.fields.empty()) {
    rows.table.clear();
    return rows;
  }
  fill(connection, rows.table, rows.fields, source, table->name);
  return rows;
}

}  // namespace telvarn::sqlite

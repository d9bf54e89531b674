#include "app/core/CsvExport.h"

#include "app/core/ValueText.h"
#include "engine/Database.h"
#include "engine/Field.h"
#include "engine/Storage.h"
#include "engine/TableDef.h"

namespace telvarn {
namespace {

// A field as RFC 4180 writes it; an empty one is quoted, so that only a
// Null leaves the field empty.
std::string quoted(const std::string& text) {
  if (!text.empty() && text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) {
    out += c;
    if (c == '"') out += '"';
  }
  return out + "\"";
}

}  // namespace

void exportCsv(Database& database, const std::string& table, std::ostream& out) {
  std::vector<int> types;
  std::string header;
  const std::shared_ptr<TableDef> definition = [&] {
    try {
      return database.tableDef(table);
    } catch (const AppError& error) {
      if (error.number() == 3265) throw engineError(3078, {table});
      throw;
    }
  }();
  for (const auto& column : definition->fields()) {
    header += (header.empty() ? "" : ",") + quoted(column->name());
    types.push_back(column->type());
  }
  out << header << "\r\n";
  database.storage().forEachRow(table, [&](const std::vector<Variant>& values) {
    std::string line;
    for (size_t i = 0; i < values.size(); ++i) {
      if (i > 0) line += ",";
      if (!values[i].isNull()) line += quoted(exportText(types[i], values[i]));
    }
    out << line << "\r\n";
    return static_cast<bool>(out);
  });
}

}  // namespace telvarn

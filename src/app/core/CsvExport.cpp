#include "app/core/CsvExport.h"

#include "app/core/ValueText.h"
#include "engine/AppError.h"
#include "engine/Storage.h"
#include "engine/model/Database.h"
#include "engine/model/Field.h"
#include "engine/model/TableDef.h"

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
  const std::shared_ptr<TableDef> definition = [&] {
    try {
      return database.tableDef(table);
    } catch (const AppError& error) {
      if (error.number() == 3265) throw engineError(3078, {table});
      throw;
    }
  }();
  // A link's rows are those of its source table, in the source's fields as
  // they are now.
  std::shared_ptr<Database> source;
  std::string rowsOf = definition->name();
  std::vector<FieldRecord> fields;
  if (definition->connect().empty()) {
    for (const auto& field : definition->fields()) fields.push_back(field->record());
  } else {
    source = database.openSource(definition->connect());
    rowsOf = definition->sourceTableName();
    const std::optional<TableRecord> found = source->storage().findTable(rowsOf);
    if (!found) throw engineError(3078, {rowsOf});
    fields = found->fields;
  }
  std::string header;
  for (const FieldRecord& field : fields)
    header += (header.empty() ? "" : ",") + quoted(field.name);
  out << header << "\r\n";
  Storage& rows = source ? source->storage() : database.storage();
  rows.forEachRow(rowsOf, [&](const std::vector<Variant>& values) {
    std::string line;
    for (size_t i = 0; i < values.size(); ++i) {
      if (i > 0) line += ",";
      if (!values[i].isNull()) line += quoted(exportText(fields[i].type, values[i]));
    }
    out << line << "\r\n";
    return static_cast<bool>(out);
  });
}

}  // namespace telvarn

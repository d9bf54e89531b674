#include "app/core/CsvExport.h"

#include "engine/DataType.h"
#include "engine/Database.h"
#include "engine/DateText.h"
#include "engine/Field.h"
#include "engine/NumberText.h"
#include "engine/Storage.h"
#include "engine/TableDef.h"

namespace telvarn {
namespace {

std::string quoted(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) {
    out += c;
    if (c == '"') out += '"';
  }
  return out + "\"";
}

std::string hex(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

std::string number(const Variant& value) {
  if (value.kind() != Variant::Kind::Double) return value.toText();
  return writeDouble(value.toDouble(), Notation::General, 15);
}

// One value as its field's type writes it: both storages hand dates over
// their own way (a serial number or the stored text).
std::string field(int type, const Variant& value) {
  if (value.isNull()) return "";
  switch (type) {
    case DataType::Boolean:
      return value.toBoolean() ? "True" : "False";
    case DataType::Date:
      if (value.kind() == Variant::Kind::Text) return value.toText();
      return dateFromSerial(value.toDouble()).value_or(value.toText());
    case DataType::Binary:
    case DataType::LongBinary:
      return hex(value.toText());
    case DataType::Text:
    case DataType::Memo:
    case DataType::Guid:
      return value.toText();
    default:
      return number(value);
  }
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
      line += quoted(field(types[i], values[i]));
    }
    out << line << "\r\n";
    return static_cast<bool>(out);
  });
}

}  // namespace telvarn

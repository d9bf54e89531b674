#include "app/core/CsvExport.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "app/core/BinaryText.h"
#include "engine/AppError.h"
#include "engine/DataType.h"
#include "engine/Database.h"
#include "engine/DateText.h"
#include "engine/Field.h"
#include "engine/NumberText.h"
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

// The shortest text that reads back as the same number: a Single's value as
// a float when it is one (both storages hand it over as a double).
std::string number(int type, const Variant& value) {
  if (value.kind() != Variant::Kind::Double) return value.toText();
  const double number = value.toDouble();
  char buffer[64];
  const bool single = type == DataType::Single && std::isfinite(number) &&
                      std::fabs(number) <= std::numeric_limits<float>::max() &&
                      static_cast<double>(static_cast<float>(number)) == number;
  const std::to_chars_result end =
      single ? std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(number))
             : std::to_chars(buffer, buffer + sizeof buffer, number);
  return std::string(buffer, end.ptr);
}

// One value as its field's type writes it: both storages hand dates over
// their own way (a serial number or the stored text).
std::string field(int type, const Variant& value) {
  switch (type) {
    case DataType::Boolean:
      return value.toBoolean() ? "True" : "False";
    case DataType::Date:
      if (value.kind() == Variant::Kind::Text) return value.toText();
      return dateFromSerial(value.toDouble()).value_or(value.toText());
    case DataType::Binary:
    case DataType::LongBinary:
      return hexText(value.toText());
    case DataType::Text:
    case DataType::Memo:
    case DataType::Guid:
      return value.toText();
    default:
      return number(type, value);
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
      if (!values[i].isNull()) line += quoted(field(types[i], values[i]));
    }
    out << line << "\r\n";
    return static_cast<bool>(out);
  });
}

}  // namespace telvarn

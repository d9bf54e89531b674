#include "app/core/SchemaJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "app/core/BinaryText.h"
#include "app/core/ValueText.h"
#include "engine/DataType.h"
#include "engine/model/Database.h"
#include "engine/model/Field.h"
#include "engine/model/Index.h"
#include "engine/model/QueryDef.h"
#include "engine/model/TableDef.h"

namespace telvarn {
namespace {

QString text(const std::string& value) {
  return QString::fromStdString(value);
}

QJsonValue jsonValue(const Variant& value) {
  switch (value.kind()) {
    case Variant::Kind::Empty:
    case Variant::Kind::Null:
      return QJsonValue::Null;
    case Variant::Kind::Boolean:
      return value.toBoolean();
    case Variant::Kind::Byte:
    case Variant::Kind::Short:
    case Variant::Kind::Long:
    case Variant::Kind::Integer:
      return static_cast<qint64>(value.toInteger());
    case Variant::Kind::Single:
    case Variant::Kind::Double:
      return value.toDouble();
    case Variant::Kind::Currency:
    case Variant::Kind::Date:
      return text(exportText(0, value));
    case Variant::Kind::Text:
      return text(value.toText());
    case Variant::Kind::Binary:
      return QJsonValue::Null;
  }
  return QJsonValue::Null;
}

// Whether the field's property of that name holds bytes (a Binary or Long
// Binary user-defined property); built-in properties never do.
bool holdsBytes(const Field& field, const std::string& name) {
  for (const UserProperty& property : field.record().properties) {
    if (sameName(property.name, name)) {
      return property.type == DataType::Binary || property.type == DataType::LongBinary;
    }
  }
  return false;
}

// Bytes cannot be JSON text as they are: the GUID property's sixteen bytes
// show in the braced form, any other bytes as hexadecimal digits.
QJsonValue bytesJson(const std::string& name, const Variant& value) {
  if (value.isNull()) return QJsonValue::Null;
  constexpr size_t kGuidLength = 16;
  const std::string bytes = value.toText();
  if (sameName(name, "GUID") && bytes.size() == kGuidLength) return text(guidText(bytes));
  return text(hexText(bytes));
}

// The properties beyond the ones the field object already shows.
QJsonObject fieldJson(const Field& field) {
  QJsonObject properties;
  for (const auto& [name, value] : field.properties()) {
    if (name == "Name" || name == "Type" || name == "Size") continue;
    properties.insert(text(name),
                      holdsBytes(field, name) ? bytesJson(name, value) : jsonValue(value));
  }
  return {{"name", text(field.name())},
          {"type", field.type()},
          {"size", field.size()},
          {"properties", properties}};
}

QJsonObject indexJson(const Index& index) {
  QJsonArray fields;
  for (const IndexColumn& column : index.record().columns) {
    fields.append(QJsonObject{{"name", text(column.field)}, {"descending", column.descending}});
  }
  const IndexRecord& record = index.record();
  return {{"name", text(record.name)},         {"primary", record.primary},
          {"unique", record.unique},           {"required", record.required},
          {"ignoreNulls", record.ignoreNulls}, {"fields", fields}};
}

QJsonObject tableJson(const TableDef& table) {
  QJsonArray fields;
  for (const auto& field : table.fields()) fields.append(fieldJson(*field));
  QJsonArray indexes;
  for (const auto& index : table.indexes()) indexes.append(indexJson(*index));
  return {{"name", text(table.name())},
          {"fields", fields},
          {"indexes", indexes},
          {"connect", text(table.connect())},
          {"sourceTableName", text(table.sourceTableName())}};
}

}  // namespace

std::string schemaJson(const Database& database) {
  QJsonArray tables;
  for (const std::string& name : database.tableDefNames()) {
    tables.append(tableJson(*database.tableDef(name)));
  }
  QJsonArray queries;
  for (const std::string& name : database.queryDefNames()) {
    const auto query = database.queryDef(name);
    queries.append(QJsonObject{{"name", text(query->name())}, {"sql", text(query->sql())}});
  }
  const QJsonObject root{{"tables", tables}, {"queries", queries}};
  return QJsonDocument(root).toJson(QJsonDocument::Indented).toStdString();
}

}  // namespace telvarn

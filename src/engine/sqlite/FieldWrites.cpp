#include "engine/sqlite/FieldWrites.h"

#include <algorithm>

#include "engine/AppError.h"
#include "engine/DataType.h"
#include "engine/Storage.h"
#include "engine/model/FieldValue.h"
#include "engine/sqlite/AutoNumbers.h"
#include "engine/sqlite/Connection.h"
#include "engine/sqlite/SqliteStorage.h"
#include "engine/sqlite/ValueCodec.h"

namespace telvarn::sqlite {
namespace {

// 1 when the field is Required, 2 when a primary key or an index that
// disallows Null covers it, 0 when Null may be stored.
int nullRule(const TableRecord& table, const FieldRecord& field) {
  if (field.required) return 1;
  for (const IndexRecord& index : table.indexes) {
    if (!index.primary && !index.required) continue;
    if (std::any_of(index.columns.begin(), index.columns.end(),
                    [&](const IndexColumn& c) { return sameName(c.field, field.name); }))
      return 2;
  }
  return 0;
}

// Whether a value of this translation is already as the field keeps it: a
// field of the same type (and, for Text, no longer), a Double, a Yes/No
// value or any text for a Memo.
bool keepsItsForm(const FieldRecord& field, const Translated& value) {
  const Variant::Kind kind = kindOfField(field.type);
  if (value.kind != kind) return false;
  if (value.field)
    return value.field->type == field.type &&
           (field.type != DataType::Text || value.field->size <= field.size);
  return kind == Variant::Kind::Double || kind == Variant::Kind::Boolean ||
         field.type == DataType::Memo;
}

}  // namespace

TableRecord requireTable(Storage& storage, const std::string& name) {
  std::optional<TableRecord> table = storage.findTable(name);
  if (!table) throw engineError(3078, {name});
  return *table;
}

WriteTarget writeTarget(Storage& storage, TableRecord table, LinkedTables* links) {
  WriteTarget target;
  if (table.kind == TableKind::Local) {
    target.sql = Connection::quote(table.name);
    target.sqlName = table.name;
    // Our own file's catalog keeps the next AutoNumber, which the statement
    // takes.
    target.numbersHere = dynamic_cast<SqliteStorage*>(&storage) != nullptr;
    target.table = std::move(table);
    return target;
  }
  if (!links) throw engineError(3251);
  LinkedRows rows = links->rowsOf(table);
  if (rows.table.empty()) throw engineError(3251);
  // A link into the running file itself writes that table as it is.
  if (rows.here) return writeTarget(storage, requireTable(storage, rows.name), links);
  target.sql = std::move(rows.table);
  target.sqlName = std::move(rows.name);
  table.fields = std::move(rows.fields);
  target.table = std::move(table);
  return target;
}

std::string stored(ExpressionTranslator& translator, const TableRecord& table,
                   const FieldRecord& field, const Translated& value) {
  std::string converted;
  if (field.type == DataType::Currency && !value.digits.empty()) {
    converted = translator.parameter(fieldValue(Variant(value.digits), field.type, field.size));
  } else if (keepsItsForm(field, value)) {
    converted = value.sql;
  } else {
    converted = "telvarn_convert(" + value.sql + ", '" + argumentLetter(value) + "', " +
                std::to_string(field.type) + ", " + std::to_string(field.size) + ")";
  }
  const int nulls = nullRule(table, field);
  const bool zeroLengthAllowed = !isTextType(field.type) || field.allowZeroLength;
  if (nulls == 0 && zeroLengthAllowed) return converted;
  return "telvarn_check_field(" + converted + ", " +
         Connection::literal(table.name + "." + field.name) + ", " + std::to_string(nulls) + ", " +
         (zeroLengthAllowed ? "1" : "0") + ")";
}

std::optional<std::string> omittedValue(const TableRecord& table, const FieldRecord& field,
                                        ExpressionTranslator& translator, bool manyRows) {
  if (field.autoNumber())
    return stored(translator, table, field,
                  {autonumbers::next(table.name, manyRows), Variant::Kind::Long});
  if (!field.defaultValue.empty() || field.type == DataType::Boolean ||
      nullRule(table, field) != 0) {
    const Variant value = defaultValue(field);
    return stored(translator, table, field, {translator.parameter(value), kindOfField(field.type)});
  }
  return std::nullopt;
}

void requireNoParameters(const ExpressionTranslator& translator) {
  const size_t count = translator.unknownNames().size();
  if (count > 0) throw engineError(3061, {std::to_string(count)});
}

}  // namespace telvarn::sqlite

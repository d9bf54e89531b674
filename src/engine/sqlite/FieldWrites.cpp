#include "engine/sqlite/FieldWrites.h"

#include <algorithm>

#include "engine/AppError.h"
#include "engine/DataType.h"
#include "engine/Storage.h"
#include "engine/jetsql/ExpressionParser.h"
#include "engine/sqlite/AutoNumbers.h"
#include "engine/sqlite/Connection.h"
#include "engine/sqlite/ExpressionTranslator.h"

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

// The field's DefaultValue as SQLite text. A bare word, or text the dialect
// cannot read, is the literal text itself.
std::string defaultValue(const FieldRecord& field, std::vector<Variant>& parameters) {
  std::string text = field.defaultValue;
  if (!text.empty() && text.front() == '=') text.erase(0, 1);
  const size_t before = parameters.size();
  try {
    jetsql::TokenCursor cursor(text);
    const jetsql::ExprPtr expr =
        jetsql::ExpressionParser(cursor).parseClause(jetsql::ClauseEnd::Statement);
    if (cursor.atStatementEnd()) {
      const Scope noFields;
      ExpressionTranslator translator(noFields, text, parameters);
      const std::string sql = translator.clause(*expr);
      if (translator.unknownNames().empty()) return sql;
    }
  } catch (const AppError&) {
  }
  parameters.resize(before);
  parameters.push_back(Variant(field.defaultValue));
  return "?" + std::to_string(parameters.size());
}

}  // namespace

TableRecord requireTable(Storage& storage, const std::string& name) {
  std::optional<TableRecord> table = storage.findTable(name);
  if (!table) throw engineError(3078, {name});
  return *table;
}

std::string stored(const TableRecord& table, const FieldRecord& field, const std::string& value) {
  const std::string converted = "telvarn_convert(" + value + ", " + std::to_string(field.type) +
                                ", " + std::to_string(field.size) + ")";
  const int nulls = nullRule(table, field);
  const bool zeroLengthAllowed = !isTextType(field.type) || field.allowZeroLength;
  if (nulls == 0 && zeroLengthAllowed) return converted;
  return "telvarn_check_field(" + converted + ", " +
         Connection::literal(table.name + "." + field.name) + ", " + std::to_string(nulls) + ", " +
         (zeroLengthAllowed ? "1" : "0") + ")";
}

std::optional<std::string> omittedValue(const TableRecord& table, const FieldRecord& field,
                                        std::vector<Variant>& parameters, bool manyRows) {
  if (field.autoNumber()) return stored(table, field, autonumbers::next(table.name, manyRows));
  if (!field.defaultValue.empty()) return stored(table, field, defaultValue(field, parameters));
  if (field.type == DataType::Boolean || nullRule(table, field) != 0)
    return stored(table, field, "NULL");
  return std::nullopt;
}

void requireNoParameters(const ExpressionTranslator& translator) {
  const size_t count = translator.unknownNames().size();
  if (count > 0) throw engineError(3061, {std::to_string(count)});
}

}  // namespace telvarn::sqlite

#include "engine/sqlite/SqlTranslator.h"

#include <algorithm>
#include <optional>

#include "engine/AppError.h"
#include "engine/DataType.h"
#include "engine/Storage.h"
#include "engine/jetsql/ExpressionParser.h"
#include "engine/sqlite/Connection.h"
#include "engine/sqlite/ExpressionTranslator.h"
#include "engine/sqlite/FunctionTranslation.h"

namespace telvarn::sqlite {
namespace {

using jetsql::DataStatement;
using jetsql::DeleteStatement;
using jetsql::InsertStatement;
using jetsql::UpdateStatement;

constexpr int kAutoIncrementAttribute = 16;

TableRecord requireTable(Storage& storage, const std::string& name) {
  std::optional<TableRecord> table = storage.findTable(name);
  if (!table) throw engineError(3078, {name});
  return *table;
}

std::string sqlText(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
  return out + "'";
}

// A value on its way into a field: converted to the field's type, then held
// against its Required and AllowZeroLength settings.
std::string stored(const TableRecord& table, const FieldRecord& field, const std::string& value) {
  const bool zeroLengthAllowed = !isTextType(field.type) || field.allowZeroLength;
  return "telvarn_check_field(telvarn_convert(" + value + ", " + std::to_string(field.type) + ", " +
         std::to_string(field.size) + "), " + sqlText(table.name + "." + field.name) + ", " +
         (field.required ? "1" : "0") + ", " + (zeroLengthAllowed ? "1" : "0") + ")";
}

void requireNoParameters(const ExpressionTranslator& translator) {
  const size_t count = translator.unknownNames().size();
  if (count > 0) throw engineError(3061, {std::to_string(count)});
}

// The field's DefaultValue as SQLite text. A bare word, or text the dialect
// cannot read, is the literal text itself, as the original takes it.
std::string defaultValue(const FieldRecord& field, std::vector<Variant>& parameters) {
  std::string text = field.defaultValue;
  if (!text.empty() && text.front() == '=') text.erase(0, 1);
  const size_t before = parameters.size();
  try {
    jetsql::TokenCursor cursor(text);
    const jetsql::ExprPtr expr =
        jetsql::ExpressionParser(cursor).parseClause(jetsql::ClauseEnd::Statement);
    if (cursor.atStatementEnd()) {
      const TableRecord noFields;
      ExpressionTranslator translator(noFields, {}, text, parameters);
      const std::string sql = translator.clause(*expr);
      if (translator.unknownNames().empty()) return sql;
    }
  } catch (const AppError&) {
  }
  parameters.resize(before);
  parameters.push_back(Variant(field.defaultValue));
  std::string placeholder = "?";
  placeholder += std::to_string(parameters.size());
  return placeholder;
}

// What an INSERT writes into a field it does not name: the next number of
// an AutoNumber, the default value, or Null (which a Yes/No field stores as
// No and a required field refuses).
std::optional<std::string> omittedValue(const TableRecord& table, const FieldRecord& field,
                                        std::vector<Variant>& parameters) {
  if (field.attributes & kAutoIncrementAttribute) {
    const std::string column = Connection::quote(field.name);
    return "(SELECT COALESCE(MAX(" + column + "), 0) + 1 FROM " + Connection::quote(table.name) +
           ")";
  }
  if (!field.defaultValue.empty()) return stored(table, field, defaultValue(field, parameters));
  if (field.required || field.type == DataType::Boolean) return stored(table, field, "NULL");
  return std::nullopt;
}

std::vector<const FieldRecord*> insertTargets(const TableRecord& table,
                                              const InsertStatement& insert) {
  std::vector<const FieldRecord*> targets;
  if (insert.columns.empty()) {
    for (const FieldRecord& field : table.fields) targets.push_back(&field);
    return targets;
  }
  for (const std::string& name : insert.columns) {
    const auto found = std::find_if(table.fields.begin(), table.fields.end(),
                                    [&](const FieldRecord& f) { return sameName(f.name, name); });
    if (found == table.fields.end()) throw engineError(3127, {name});
    targets.push_back(&*found);
  }
  return targets;
}

TranslatedStatement translateInsert(Storage& storage, const InsertStatement& insert,
                                    const std::string& sql) {
  const TableRecord table = requireTable(storage, insert.table);
  const std::vector<const FieldRecord*> targets = insertTargets(table, insert);
  if (targets.size() != insert.values.size()) throw engineError(3346);
  TranslatedStatement out;
  // The values of an INSERT cannot see the table's fields: a name there is a
  // parameter.
  const TableRecord noFields;
  ExpressionTranslator translator(noFields, {}, sql, out.parameters);
  std::string columns;
  std::string values;
  const auto add = [&](const FieldRecord& field, const std::string& value) {
    columns += (columns.empty() ? "" : ", ") + Connection::quote(field.name);
    values += (values.empty() ? "" : ", ") + value;
  };
  for (size_t i = 0; i < targets.size(); ++i) {
    add(*targets[i], stored(table, *targets[i], translator.clause(*insert.values[i])));
  }
  requireNoParameters(translator);
  for (const FieldRecord& field : table.fields) {
    if (std::find(targets.begin(), targets.end(), &field) != targets.end()) continue;
    if (const auto value = omittedValue(table, field, out.parameters)) add(field, *value);
  }
  out.sql =
      "INSERT INTO " + Connection::quote(table.name) + " (" + columns + ") VALUES (" + values + ")";
  return out;
}

TranslatedStatement translateUpdate(Storage& storage, const UpdateStatement& update,
                                    const std::string& sql) {
  const TableRecord table = requireTable(storage, update.table);
  TranslatedStatement out;
  ExpressionTranslator translator(table, update.alias, sql, out.parameters);
  std::string sets;
  for (const jetsql::Assignment& assignment : update.assignments) {
    const std::string value = translator.clause(*assignment.value);
    const FieldRecord* field =
        translator.resolve(assignment.column.qualifier, assignment.column.name);
    if (!field) {
      translator.noteUnknown(assignment.column.qualifier, assignment.column.name);
      continue;
    }
    sets += (sets.empty() ? "" : ", ") + Connection::quote(field->name) + " = " +
            stored(table, *field, value);
  }
  const std::string where = update.where ? " WHERE " + translator.clause(*update.where) : "";
  requireNoParameters(translator);
  out.sql = "UPDATE " + Connection::quote(table.name) + " SET " + sets + where;
  return out;
}

TranslatedStatement translateDelete(Storage& storage, const DeleteStatement& remove,
                                    const std::string& sql) {
  const TableRecord table = requireTable(storage, remove.table);
  if (!remove.target.empty() && !sameName(remove.target, table.name) &&
      !sameName(remove.target, remove.alias))
    throw engineError(3086);
  TranslatedStatement out;
  ExpressionTranslator translator(table, remove.alias, sql, out.parameters);
  const std::string where = remove.where ? " WHERE " + translator.clause(*remove.where) : "";
  requireNoParameters(translator);
  // A table with no field yet has no rows to delete.
  if (table.fields.empty()) return {};
  out.sql = "DELETE FROM " + Connection::quote(table.name) + where;
  return out;
}

}  // namespace

TranslatedStatement translate(Storage& storage, const DataStatement& statement) {
  return std::visit(
      [&](const auto& action) -> TranslatedStatement {
        using Action = std::decay_t<decltype(action)>;
        if constexpr (std::is_same_v<Action, InsertStatement>) {
          return translateInsert(storage, action, statement.sql);
        } else if constexpr (std::is_same_v<Action, UpdateStatement>) {
          return translateUpdate(storage, action, statement.sql);
        } else {
          return translateDelete(storage, action, statement.sql);
        }
      },
      statement.action);
}

}  // namespace telvarn::sqlite

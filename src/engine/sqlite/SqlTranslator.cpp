#include "engine/sqlite/SqlTranslator.h"

#include <algorithm>
#include <optional>

#include "engine/AppError.h"
#include "engine/Storage.h"
#include "engine/sqlite/Connection.h"
#include "engine/sqlite/ExpressionTranslator.h"
#include "engine/sqlite/FieldWrites.h"
#include "engine/sqlite/JoinTranslation.h"
#include "engine/sqlite/SelectTranslator.h"

namespace telvarn::sqlite {
namespace {

using jetsql::DataStatement;
using jetsql::DeleteStatement;
using jetsql::InsertStatement;
using jetsql::UpdateStatement;

// The scope of a statement on one table: its columns are qualified with
// the table's own name, which its alias may also be written for.
Scope tableScope(const TableRecord& table, const std::string& alias) {
  Scope scope;
  scope.add({table.name, alias, table.name, table.fields});
  return scope;
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

// The rows of INSERT ... SELECT, numbered c1, c2, ... so that two result
// columns of one name stay apart.
std::string selectedRows(const TranslatedQuery& rows) {
  std::string names;
  for (size_t i = 1; i <= rows.columns.size(); ++i) {
    names += (i > 1 ? ", c" : "c") + std::to_string(i);
  }
  return "WITH \"telvarn.rows\"(" + names + ") AS (" + rows.sql + ") ";
}

TranslatedStatement translateInsert(Storage& storage, const InsertStatement& insert,
                                    const std::string& sql) {
  const TableRecord table = requireTable(storage, insert.table);
  const std::vector<const FieldRecord*> targets = insertTargets(table, insert);
  TranslatedStatement out;
  // The values of an INSERT cannot see the table's fields: a name there is a
  // parameter.
  const Scope noFields;
  ExpressionTranslator translator(noFields, sql, out.parameters, &storage);
  std::vector<std::string> values;
  std::string prefix;
  if (insert.select) {
    const TranslatedQuery rows = translateQuery(translator, *insert.select);
    if (targets.size() != rows.columns.size()) throw engineError(3346);
    prefix = selectedRows(rows);
    for (size_t i = 1; i <= targets.size(); ++i) values.push_back("c" + std::to_string(i));
  } else {
    if (targets.size() != insert.values.size()) throw engineError(3346);
    for (const auto& value : insert.values) values.push_back(translator.clause(*value));
  }
  requireNoParameters(translator);
  std::string columns;
  std::string list;
  const auto add = [&](const FieldRecord& field, const std::string& value) {
    columns += (columns.empty() ? "" : ", ") + Connection::quote(field.name);
    list += (list.empty() ? "" : ", ") + value;
  };
  for (size_t i = 0; i < targets.size(); ++i)
    add(*targets[i], stored(table, *targets[i], values[i]));
  for (const FieldRecord& field : table.fields) {
    if (std::find(targets.begin(), targets.end(), &field) != targets.end()) continue;
    const auto value = omittedValue(table, field, out.parameters, insert.select != nullptr);
    if (value) add(field, *value);
  }
  out.sql = prefix + "INSERT INTO " + Connection::quote(table.name) + " (" + columns + ") " +
            (insert.select ? "SELECT " + list + " FROM \"telvarn.rows\"" : "VALUES (" + list + ")");
  return out;
}

TranslatedStatement translateUpdate(Storage& storage, const UpdateStatement& update,
                                    const std::string& sql) {
  const TableRecord table = requireTable(storage, update.table);
  TranslatedStatement out;
  const Scope scope = tableScope(table, update.alias);
  ExpressionTranslator translator(scope, sql, out.parameters, &storage);
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
  const std::string where = update.where ? " WHERE " + translator.condition(*update.where) : "";
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
  const Scope scope = tableScope(table, remove.alias);
  ExpressionTranslator translator(scope, sql, out.parameters, &storage);
  const std::string where = remove.where ? " WHERE " + translator.condition(*remove.where) : "";
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
          if (action.source) return translateJoinedUpdate(storage, action, statement.sql);
          return translateUpdate(storage, action, statement.sql);
        } else {
          if (action.source) return translateJoinedDelete(storage, action, statement.sql);
          return translateDelete(storage, action, statement.sql);
        }
      },
      statement.action);
}

}  // namespace telvarn::sqlite

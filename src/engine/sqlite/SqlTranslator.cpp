#include "engine/sqlite/SqlTranslator.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <optional>

#include "engine/AppError.h"
#include "engine/Storage.h"
#include "engine/model/Field.h"
#include "engine/sqlite/Connection.h"
#include "engine/sqlite/ExpressionTranslator.h"
#include "engine/sqlite/FieldWrites.h"
#include "engine/sqlite/JoinTranslation.h"
#include "engine/sqlite/SelectTranslator.h"
#include "engine/sqlite/SqliteStorage.h"
#include "engine/sqlite/ValueCodec.h"

namespace telvarn::sqlite {
namespace {

using jetsql::DataStatement;
using jetsql::DeleteStatement;
using jetsql::InsertStatement;
using jetsql::UpdateStatement;

// The scope of a statement on one table: its columns are qualified with
// the name the statement gives the table (a link's, for a link into this
// file), which its alias may also be written for.
Scope tableScope(const WriteTarget& target, const std::string& named, const std::string& alias) {
  Scope scope;
  scope.add({named, alias, target.sqlName, target.table.fields});
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

// The names of the rows of INSERT ... SELECT, c1, c2, ... so that two
// result columns of one name stay apart (a kind column after its column as
// k1, k2, ...), and each column as the value the INSERT reads.
std::vector<std::string> rowNames(const TranslatedQuery& rows, std::vector<Translated>& values) {
  std::vector<std::string> names;
  for (size_t i = 1; i <= rows.columns.size(); ++i) {
    const FieldRecord& column = rows.columns[i - 1];
    const std::string value = "c" + std::to_string(i);
    names.push_back(value);
    if (column.type != 0) {
      values.push_back({value, kindOfField(column.type)});
      continue;
    }
    const std::string kind = "k" + std::to_string(i);
    names.push_back(kind);
    values.push_back({"telvarn_typed(" + value + ", " + kind + ")", std::nullopt, true});
  }
  return names;
}

// The common table "telvarn.rows" of INSERT ... SELECT, holding `body`'s
// rows under `names`.
std::string insertedRows(const std::vector<std::string>& names, const std::string& body) {
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "" : ", ") + name;
  return "\"telvarn.rows\"(" + list + ") AS (" + body + ")";
}

// The values of one row, bound to :r1, :r2, ...
std::string oneRowValues(size_t count) {
  std::string list;
  for (size_t i = 1; i <= count; ++i) list += (i > 1 ? ", :r" : ":r") + std::to_string(i);
  return "VALUES (" + list + ")";
}

TranslatedStatement translateInsert(Storage& storage, const InsertStatement& insert,
                                    const std::string& sql, LinkedTables* links) {
  const WriteTarget target =
      writeTarget(storage,
                  insert.database.empty() ? requireTable(storage, insert.table)
                                          : externalTable(insert.table, insert.database),
                  links);
  const TableRecord& table = target.table;
  const std::vector<const FieldRecord*> targets = insertTargets(table, insert);
  TranslatedStatement out;
  // The values of an INSERT cannot see the table's fields: a name there is a
  // parameter.
  const Scope noFields;
  ExpressionTranslator translator(noFields, sql, out.whole.parameters, &storage, links);
  std::vector<Translated> values;
  std::optional<TranslatedQuery> selected;
  std::vector<std::string> names;
  if (insert.select) {
    selected = translateQuery(translator, *insert.select);
    if (targets.size() != selected->columns.size()) throw engineError(3346);
    names = rowNames(*selected, values);
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
    add(*targets[i], stored(translator, table, *targets[i], values[i]));
  for (const FieldRecord& field : table.fields) {
    if (std::find(targets.begin(), targets.end(), &field) != targets.end()) continue;
    if (field.autoNumber() && !target.numbersHere) continue;
    const auto value = omittedValue(table, field, translator, insert.select != nullptr);
    if (value) add(field, *value);
  }
  const std::string into = "INSERT INTO " + target.sql + " (" + columns + ") ";
  if (!selected) {
    out.whole.sql = translator.withClause() + into + "VALUES (" + list + ")";
    return out;
  }
  const std::string fromRows = into + "SELECT " + list + " FROM \"telvarn.rows\"";
  out.whole.sql = translator.withClause(insertedRows(names, selected->sql)) + fromRows;
  out.rows.sql =
      translator.withClause(insertedRows(names, selected->sql)) + "SELECT * FROM \"telvarn.rows\"";
  out.oneRow.sql =
      translator.withClause(insertedRows(names, oneRowValues(names.size()))) + fromRows;
  out.rows.parameters = out.whole.parameters;
  out.oneRow.parameters = out.whole.parameters;
  return out;
}

// An UPDATE or DELETE (`change`) of the rows of `table` that meet `where`
// ("" for every row), whole and one row at a time by row id.
TranslatedStatement byRowId(const ExpressionTranslator& translator, const WriteTarget& target,
                            const std::string& change, const std::string& where,
                            std::vector<Variant> parameters) {
  const std::string with = translator.withClause();
  const std::string meeting = where.empty() ? "" : " WHERE " + where;
  TranslatedStatement out;
  out.whole = {with + change + meeting, parameters};
  out.rows = {with + "SELECT rowid FROM " + target.sql + meeting, parameters};
  out.oneRow = {
      with + change + " WHERE " + (where.empty() ? "" : "(" + where + ") AND ") + "rowid = :r1",
      std::move(parameters)};
  return out;
}

TranslatedStatement translateUpdate(Storage& storage, const UpdateStatement& update,
                                    const std::string& sql, LinkedTables* links) {
  const WriteTarget target = writeTarget(storage, requireTable(storage, update.table), links);
  const TableRecord& table = target.table;
  std::vector<Variant> parameters;
  const Scope scope = tableScope(target, update.table, update.alias);
  ExpressionTranslator translator(scope, sql, parameters, &storage, links);
  std::string sets;
  for (const jetsql::Assignment& assignment : update.assignments) {
    const Translated value = translator.clause(*assignment.value);
    const FieldRecord* field =
        translator.resolve(assignment.column.qualifier, assignment.column.name);
    if (!field) {
      translator.noteUnknown(assignment.column.qualifier, assignment.column.name);
      continue;
    }
    checkUpdatable(*field);
    sets += (sets.empty() ? "" : ", ") + Connection::quote(field->name) + " = " +
            stored(translator, table, *field, value);
  }
  const std::string where = update.where ? translator.condition(*update.where) : "";
  requireNoParameters(translator);
  const std::string change = "UPDATE " + target.sql + " SET " + sets;
  return byRowId(translator, target, change, where, std::move(parameters));
}

TranslatedStatement translateDelete(Storage& storage, const DeleteStatement& remove,
                                    const std::string& sql, LinkedTables* links) {
  const TableRecord named = requireTable(storage, remove.table);
  if (!remove.target.empty() && !sameName(remove.target, named.name) &&
      !sameName(remove.target, remove.alias))
    throw engineError(3086);
  // A table with no field yet has no rows to delete.
  if (named.kind == TableKind::Local && named.fields.empty()) return {};
  const WriteTarget target = writeTarget(storage, named, links);
  std::vector<Variant> parameters;
  const Scope scope = tableScope(target, remove.table, remove.alias);
  ExpressionTranslator translator(scope, sql, parameters, &storage, links);
  const std::string where = remove.where ? translator.condition(*remove.where) : "";
  requireNoParameters(translator);
  return byRowId(translator, target, "DELETE FROM " + target.sql, where, std::move(parameters));
}

// The translators number their placeholders ("?12") as the values come;
// SQLite looks each numbered one up among those before it, so that a
// statement with many values (a long In list) would take quadratic time to
// prepare. Plain "?" placeholders cost nothing: each numbered one becomes
// one, its value put in the order the placeholders stand.
SqlText inTextOrder(SqlText numbered) {
  SqlText out;
  const std::string& sql = numbered.sql;
  out.sql.reserve(sql.size());
  out.parameters.reserve(numbered.parameters.size());
  // Where each value went first; a value used again is copied from there.
  std::vector<size_t> placed(numbered.parameters.size(), SIZE_MAX);
  for (size_t i = 0; i < sql.size();) {
    const char c = sql[i];
    if (c == '\'' || c == '"') {
      // A quoted text or name, its quote doubled inside.
      size_t end = i + 1;
      while (end < sql.size() && (sql[end] != c || (end + 1 < sql.size() && sql[end + 1] == c)))
        end += sql[end] == c ? 2 : 1;
      end = std::min(end + 1, sql.size());
      out.sql.append(sql, i, end - i);
      i = end;
    } else if (c == '?') {
      size_t number = 0;
      for (++i; i < sql.size() && std::isdigit(static_cast<unsigned char>(sql[i])); ++i)
        number = number * 10 + static_cast<size_t>(sql[i] - '0');
      out.sql += '?';
      size_t& first = placed.at(number - 1);
      if (first == SIZE_MAX) {
        first = out.parameters.size();
        out.parameters.push_back(std::move(numbered.parameters[number - 1]));
      } else {
        Variant again = out.parameters[first];
        out.parameters.push_back(std::move(again));
      }
    } else {
      out.sql += c;
      ++i;
    }
  }
  return out;
}

}  // namespace

TranslatedStatement translate(Storage& storage, const DataStatement& statement,
                              LinkedTables* links) {
  TranslatedStatement out = std::visit(
      [&](const auto& action) -> TranslatedStatement {
        using Action = std::decay_t<decltype(action)>;
        if constexpr (std::is_same_v<Action, InsertStatement>) {
          return translateInsert(storage, action, statement.sql, links);
        } else if constexpr (std::is_same_v<Action, UpdateStatement>) {
          if (action.source) return translateJoinedUpdate(storage, action, statement.sql, links);
          return translateUpdate(storage, action, statement.sql, links);
        } else {
          if (action.source) return translateJoinedDelete(storage, action, statement.sql, links);
          return translateDelete(storage, action, statement.sql, links);
        }
      },
      statement.action);
  for (SqlText* text : {&out.whole, &out.rows, &out.oneRow}) *text = inTextOrder(std::move(*text));
  return out;
}

std::vector<FieldRecord> describeSelect(Storage& storage, const jetsql::SelectStatement& select,
                                        LinkedTables* links) {
  std::vector<Variant> parameters;
  const Scope none;
  ExpressionTranslator translator(none, select.sql, parameters, &storage, links);
  const TranslatedQuery query = translateQuery(translator, *select.query);
  requireNoParameters(translator);
  return query.columns;
}

}  // namespace telvarn::sqlite

#include "engine/sqlite/JoinTranslation.h"

#include "engine/AppError.h"
#include "engine/Storage.h"
#include "engine/model/Field.h"
#include "engine/sqlite/Connection.h"
#include "engine/sqlite/ExpressionTranslator.h"
#include "engine/sqlite/FieldWrites.h"
#include "engine/sqlite/SelectTranslator.h"

namespace telvarn::sqlite {
namespace {

// The table being changed goes by this name in the outer statement, so that
// the join inside can use the table's own name.
const std::string kTarget = "\"telvarn.target\"";

// The stored table behind one source of the join: only a table (or a link
// to one) can change.
WriteTarget targetTable(Storage& storage, const ScopeSource& source, int error,
                        LinkedTables* links) {
  const std::optional<TableRecord> table = storage.findTable(source.name);
  if (!table || !sameName(table->name, source.name)) throw engineError(error);
  return writeTarget(storage, *table, links);
}

std::string rowsOf(const ScopeSource& source, const std::string& from, const std::string& where) {
  return "SELECT " + Connection::quote(source.sqlName) + ".rowid FROM " + from + where;
}

// `change` on the rows whose ids `rows` selects, whole and one row at a time.
TranslatedStatement byRowIds(const ExpressionTranslator& translator, const std::string& change,
                             const std::string& rows, std::vector<Variant> parameters) {
  const std::string with = translator.withClause();
  TranslatedStatement out;
  out.whole = {with + change + " WHERE rowid IN (" + rows + ")", parameters};
  out.rows = {with + rows, parameters};
  out.oneRow = {with + change + " WHERE rowid IN (" + rows + ") AND rowid = :r1",
                std::move(parameters)};
  return out;
}

}  // namespace

TranslatedStatement translateJoinedUpdate(Storage& storage, const jetsql::UpdateStatement& update,
                                          const std::string& sql, LinkedTables* links) {
  std::vector<Variant> parameters;
  Scope scope;
  ExpressionTranslator translator(scope, sql, parameters, &storage, links);
  const std::string from = translateSource(*update.source, scope, translator);
  const ScopeSource* target = nullptr;
  std::optional<WriteTarget> written;
  std::string columns;
  std::string values;
  for (const jetsql::Assignment& assignment : update.assignments) {
    const Translated value = translator.clause(*assignment.value);
    const Scope::Found found = scope.find(assignment.column.qualifier, assignment.column.name);
    if (!found.field) {
      translator.noteUnknown(assignment.column.qualifier, assignment.column.name);
      continue;
    }
    if (target && target != found.source) throw engineError(3073);
    if (!target) written = targetTable(storage, *found.source, 3073, links);
    target = found.source;
    checkUpdatable(*found.field);
    columns += (columns.empty() ? "" : ", ") + Connection::quote(found.field->name);
    values +=
        (values.empty() ? "" : ", ") + stored(translator, written->table, *found.field, value);
  }
  const std::string where = update.where ? translator.condition(*update.where) : "";
  requireNoParameters(translator);
  if (!target) throw engineError(3073);
  const std::string own = Connection::quote(target->sqlName) + ".rowid = " + kTarget + ".rowid";
  const std::string change = "UPDATE " + written->sql + " AS " + kTarget + " SET (" + columns +
                             ") = (SELECT " + values + " FROM " + from + " WHERE " + own +
                             (where.empty() ? "" : " AND " + where) + " LIMIT 1)";
  return byRowIds(translator, change, rowsOf(*target, from, where.empty() ? "" : " WHERE " + where),
                  std::move(parameters));
}

TranslatedStatement translateJoinedDelete(Storage& storage, const jetsql::DeleteStatement& remove,
                                          const std::string& sql, LinkedTables* links) {
  std::vector<Variant> parameters;
  Scope scope;
  ExpressionTranslator translator(scope, sql, parameters, &storage, links);
  const std::string from = translateSource(*remove.source, scope, translator);
  const std::string where = remove.where ? " WHERE " + translator.condition(*remove.where) : "";
  requireNoParameters(translator);
  if (!remove.distinctRow || remove.target.empty()) throw engineError(3086);
  const ScopeSource* target = scope.source(remove.target);
  if (!target) throw engineError(3086);
  const WriteTarget written = targetTable(storage, *target, 3086, links);
  return byRowIds(translator, "DELETE FROM " + written.sql, rowsOf(*target, from, where),
                  std::move(parameters));
}

}  // namespace telvarn::sqlite

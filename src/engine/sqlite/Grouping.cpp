#include "engine/sqlite/Grouping.h"

#include <algorithm>

#include "engine/AppError.h"
#include "engine/sqlite/Connection.h"
#include "engine/sqlite/FunctionTranslation.h"

namespace telvarn::sqlite {
namespace {

using jetsql::Expr;

bool isAggregate(const Expr& expr) {
  return expr.kind == Expr::Kind::Call && aggregateNamed(expr.text).has_value();
}

bool hasAggregate(const Expr& expr) {
  return isAggregate(expr) ||
         std::any_of(expr.operands.begin(), expr.operands.end(),
                     [](const auto& operand) { return hasAggregate(*operand); });
}

// The source of this level whose field a column names; nullptr for a name
// of an outer level or no field at all.
const ScopeSource* ownSource(const Expr& column, const Scope& scope) {
  const Scope::Found found = scope.find(column.qualifier, column.text);
  const auto& sources = scope.sources();
  const bool own = std::any_of(sources.begin(), sources.end(),
                               [&](const ScopeSource& source) { return &source == found.source; });
  return own ? found.source : nullptr;
}

class GroupingCheck {
 public:
  GroupingCheck(const jetsql::SelectQuery& query, const Scope& scope)
      : query_(query), scope_(scope) {}

  // Whether the groups determine the value: it is grouped on, aggregated,
  // free of the level's fields, or built only of such parts.
  bool determined(const Expr& expr) const {
    if (std::any_of(query_.groupBy.begin(), query_.groupBy.end(),
                    [&](const auto& group) { return same(expr, *group); }))
      return true;
    if (expr.kind == Expr::Kind::Column) return !ownSource(expr, scope_);
    if (isAggregate(expr)) return true;
    return std::all_of(expr.operands.begin(), expr.operands.end(),
                       [&](const auto& operand) { return determined(*operand); });
  }

  // Whether two expressions are the same value: the same structure, with
  // names compared by the field they resolve to.
  bool same(const Expr& a, const Expr& b) const {
    if (a.kind != b.kind || a.op != b.op || a.negated != b.negated ||
        a.operands.size() != b.operands.size() || a.integer != b.integer || a.number != b.number)
      return false;
    if (a.kind == Expr::Kind::Column) {
      const Scope::Found one = scope_.find(a.qualifier, a.text);
      const Scope::Found other = scope_.find(b.qualifier, b.text);
      if (one.field || other.field) return one.field == other.field;
    }
    if (a.query != b.query) return false;
    const bool sameText = a.kind == Expr::Kind::Text ? a.text == b.text : sameName(a.text, b.text);
    if (!sameText) return false;
    for (size_t i = 0; i < a.operands.size(); ++i) {
      if (!same(*a.operands[i], *b.operands[i])) return false;
    }
    return true;
  }

 private:
  const jetsql::SelectQuery& query_;
  const Scope& scope_;
};

// The sources of this level whose fields an expression reads (not those of
// its subqueries, which have their own level).
void shownSources(const Expr& expr, const Scope& scope, std::vector<const ScopeSource*>& shown) {
  if (expr.kind == Expr::Kind::Column) {
    if (const ScopeSource* source = ownSource(expr, scope)) shown.push_back(source);
  }
  for (const auto& operand : expr.operands) shownSources(*operand, scope, shown);
}

// The expressions a grouped level must be able to show: its select list,
// HAVING and its own ORDER BY (that of a union names the union's columns).
std::vector<const Expr*> shownExpressions(const jetsql::SelectQuery& query) {
  std::vector<const Expr*> shown;
  for (const auto& item : query.items) {
    if (item.expr) shown.push_back(item.expr.get());
  }
  if (query.having) shown.push_back(query.having.get());
  if (!query.unions.empty()) return shown;
  for (const auto& order : query.orderBy) shown.push_back(order.expr.get());
  return shown;
}

}  // namespace

bool isGrouped(const jetsql::SelectQuery& query) {
  const std::vector<const Expr*> shown = shownExpressions(query);
  return !query.groupBy.empty() ||
         std::any_of(shown.begin(), shown.end(), [](const Expr* e) { return hasAggregate(*e); });
}

void checkGrouping(const jetsql::SelectQuery& query, const Scope& scope, std::string_view sql) {
  if (!isGrouped(query)) return;
  // The fields behind a "*" are not named, so none of them can be grouped on.
  if (std::any_of(query.items.begin(), query.items.end(),
                  [](const jetsql::SelectItem& item) { return !item.expr; })) {
    throw engineError(3120);
  }
  const GroupingCheck check(query, scope);
  for (const Expr* expr : shownExpressions(query)) {
    if (check.determined(*expr)) continue;
    const size_t begin = std::min(expr->begin, sql.size());
    throw engineError(3122, {std::string(sql.substr(begin, expr->end - begin))});
  }
}

void checkDistinctOrder(const jetsql::SelectQuery& query, const Scope& scope,
                        std::string_view sql) {
  if (query.predicate != jetsql::SelectQuery::Predicate::Distinct || !query.unions.empty()) return;
  const GroupingCheck check(query, scope);
  for (const auto& order : query.orderBy) {
    const Expr& key = *order.expr;
    const bool shown = std::any_of(query.items.begin(), query.items.end(), [&](const auto& item) {
      if (!item.expr) return true;
      if (key.kind == Expr::Kind::Column && key.qualifier.empty() && sameName(item.alias, key.text))
        return true;
      return check.same(*item.expr, key);
    });
    if (shown) continue;
    const size_t begin = std::min(key.begin, sql.size());
    throw engineError(3093, {std::string(sql.substr(begin, key.end - begin))});
  }
}

std::string distinctRecords(const jetsql::SelectQuery& query, const Scope& scope) {
  const auto& sources = scope.sources();
  if (query.predicate != jetsql::SelectQuery::Predicate::DistinctRow || sources.size() < 2 ||
      isGrouped(query))
    return "";
  std::vector<const ScopeSource*> shown;
  for (const auto& item : query.items) {
    if (item.expr) {
      shownSources(*item.expr, scope, shown);
      continue;
    }
    for (const ScopeSource& source : sources) {
      if (item.qualifier.empty() || &source == scope.source(item.qualifier))
        shown.push_back(&source);
    }
  }
  std::string groups;
  for (const ScopeSource& source : sources) {
    if (std::find(shown.begin(), shown.end(), &source) == shown.end()) continue;
    if (!source.record) return "";
    groups += (groups.empty() ? " GROUP BY " : ", ") + Connection::quote(source.sqlName) + ".rowid";
  }
  const bool everyTable = std::all_of(sources.begin(), sources.end(), [&](const ScopeSource& s) {
    return std::find(shown.begin(), shown.end(), &s) != shown.end();
  });
  return everyTable ? "" : groups;
}

}  // namespace telvarn::sqlite

#include "engine/mdb/QueryWriter.h"

#include <algorithm>
#include <charconv>
#include <map>

#include "engine/AppError.h"
#include "engine/Catalog.h"
#include "engine/jetsql/Parser.h"
#include "engine/mdb/ColumnLayout.h"
#include "engine/mdb/QueryFrom.h"
#include "engine/mdb/TableWriter.h"

namespace telvarn::mdb {
namespace {

using jetsql::Expr;
using jetsql::SelectQuery;
using jetsql::TableSource;

constexpr int kTextParameter = 10;
// The names the two parts of a union are stored under.
constexpr const char* kUnionPartNames[] = {"X7YZ_____1", "X7YZ_____2"};

// Rows are stored Start, End, then by part: the order every query of the
// desktop program's files keeps.
int storedRank(int part) {
  if (part == QueryPart::Start) return 0;
  if (part == QueryPart::End) return 1;
  return part + 1;
}

// Tables, conditions, sorts and the End row leave their Flag Null.
bool hasFlag(int part) {
  return part != QueryPart::End && part != QueryPart::Table && part != QueryPart::Where &&
         part != QueryPart::Having && part != QueryPart::OrderBy && part != QueryPart::RemoteDb;
}

// Order: the row's number among the rows of its part, from 1, in four
// bytes, high byte first (the key of MSysQueries is ObjectId, Attribute,
// Order, unique).
std::string sequenceNumber(uint32_t number) {
  return {static_cast<char>(number >> 24), static_cast<char>(number >> 16),
          static_cast<char>(number >> 8), static_cast<char>(number)};
}

class RowMaker {
 public:
  explicit RowMaker(const std::string& sql) : sql_(sql) {}

  std::string text(size_t begin, size_t end) const { return sql_.substr(begin, end - begin); }
  std::string text(const Expr& expr) const { return text(expr.begin, expr.end); }

  void add(int part, int flag, std::string name1 = {}, std::string name2 = {},
           std::string expression = {}, int extra = 0) {
    rows_.push_back({part, flag, std::move(name1), std::move(name2), std::move(expression), extra});
  }

  void parameters(const std::vector<jetsql::ParameterDecl>& declared);
  void options(const SelectQuery& query, int flags = 0);
  void tables(const std::vector<jetsql::SourcePtr>& from);
  void source(const TableSource& source);
  // The items of the select list: "*" as an option, the others as
  // Column rows with `flag`.
  int columns(const SelectQuery& query, int flag);
  void clauses(const SelectQuery& query, int groupFlag);
  void orderBy(const SelectQuery& query);

  // Each Column row, in order, names the field its value goes to.
  void nameTargets(const std::vector<std::string>& fields) {
    auto field = fields.begin();
    for (QueryRow& row : rows_) {
      if (row.part == QueryPart::Column && field != fields.end()) row.name2 = *field++;
    }
  }

  // A flag more in the Options row.
  void addOption(int flag) {
    for (QueryRow& row : rows_) {
      if (row.part == QueryPart::Options) row.flag |= flag;
    }
  }

  std::vector<QueryRow> finish() {
    add(QueryPart::Start, 0);
    add(QueryPart::End, 0);
    std::stable_sort(rows_.begin(), rows_.end(), [](const QueryRow& a, const QueryRow& b) {
      return storedRank(a.part) < storedRank(b.part);
    });
    return std::move(rows_);
  }

 private:
  // The names a FROM item answers to in a join's conditions.
  static void sourceNames(const TableSource& source, std::vector<std::string>& names);
  // Of the names one side of a join answers to, the one its condition
  // refers to first (else the side's first).
  static std::string joinName(const Expr& on, const TableSource& side);

  const std::string& sql_;
  std::vector<QueryRow> rows_;
};

void RowMaker::parameters(const std::vector<jetsql::ParameterDecl>& declared) {
  for (const jetsql::ParameterDecl& parameter : declared) {
    if (!parameter.type || parameter.name.empty()) throw engineError(3139);
    add(QueryPart::Parameter, *parameter.type, parameter.name, {}, {},
        *parameter.type == kTextParameter ? parameter.size : 0);
  }
}

std::string topValue(double top) {
  char digits[32];
  const auto written = std::to_chars(digits, digits + sizeof digits, top);
  return std::string(digits, written.ptr);
}

void RowMaker::options(const SelectQuery& query, int flags) {
  if (query.predicate == SelectQuery::Predicate::Distinct) flags |= QueryOption::Distinct;
  if (query.predicate == SelectQuery::Predicate::DistinctRow) flags |= QueryOption::DistinctRow;
  std::string top;
  if (query.top) {
    flags |= QueryOption::Top | (query.topPercent ? QueryOption::Percent : 0);
    top = topValue(*query.top);
  }
  for (const jetsql::SelectItem& item : query.items) {
    if (!item.expr && item.qualifier.empty()) flags |= QueryOption::AllFields;
  }
  add(QueryPart::Options, flags, top);
}

void RowMaker::sourceNames(const TableSource& source, std::vector<std::string>& names) {
  if (source.kind == TableSource::Kind::Join) {
    sourceNames(*source.left, names);
    sourceNames(*source.right, names);
  } else {
    names.push_back(source.alias.empty() ? source.name : source.alias);
  }
}

// The qualifiers of the columns `expr` refers to, in the order written.
void qualifiers(const Expr& expr, std::vector<std::string>& found) {
  if (expr.kind == Expr::Kind::Column && !expr.qualifier.empty()) found.push_back(expr.qualifier);
  for (const jetsql::ExprPtr& operand : expr.operands) qualifiers(*operand, found);
}

std::string RowMaker::joinName(const Expr& on, const TableSource& side) {
  std::vector<std::string> names;
  sourceNames(side, names);
  std::vector<std::string> referred;
  qualifiers(on, referred);
  for (const std::string& qualifier : referred) {
    for (const std::string& name : names) {
      if (sameName(name, qualifier)) return name;
    }
  }
  return names.front();
}

// Tables first, left to right; a join after the joins inside it, so that
// the reader nests them again as they were written.
void RowMaker::source(const TableSource& source) {
  switch (source.kind) {
    case TableSource::Kind::Table:
      add(QueryPart::Table, 0, source.name, source.alias);
      return;
    case TableSource::Kind::Subquery:
      add(QueryPart::Table, 0, {}, source.alias, text(source.query->begin, source.query->end));
      return;
    case TableSource::Kind::Join:
      break;
  }
  this->source(*source.left);
  this->source(*source.right);
  const int kind = source.join == TableSource::JoinKind::Left    ? 2
                   : source.join == TableSource::JoinKind::Right ? 3
                                                                 : 1;
  add(QueryPart::Join, kind, joinName(*source.on, *source.left),
      joinName(*source.on, *source.right), text(*source.on));
}

// The file of FROM ... IN 'file', which every table of the list names.
std::string fromDatabase(const TableSource& source) {
  if (source.kind == TableSource::Kind::Table) return source.database;
  if (source.kind != TableSource::Kind::Join) return "";
  return fromDatabase(*source.left);
}

void RowMaker::tables(const std::vector<jetsql::SourcePtr>& from) {
  for (const jetsql::SourcePtr& item : from) source(*item);
  if (from.empty()) return;
  const std::string database = fromDatabase(*from.front());
  if (!database.empty()) add(QueryPart::RemoteDb, 0, {}, database);
}

int RowMaker::columns(const SelectQuery& query, int flag) {
  int count = 0;
  for (const jetsql::SelectItem& item : query.items) {
    if (item.expr) {
      add(QueryPart::Column, flag, item.alias, {}, text(*item.expr));
    } else if (!item.qualifier.empty()) {
      add(QueryPart::Column, flag, {}, {}, sqlName(item.qualifier) + ".*");
    } else {
      continue;
    }
    ++count;
  }
  return count;
}

void RowMaker::clauses(const SelectQuery& query, int groupFlag) {
  if (query.where) add(QueryPart::Where, 0, {}, {}, text(*query.where));
  for (const jetsql::ExprPtr& group : query.groupBy)
    add(QueryPart::GroupBy, groupFlag, {}, {}, text(*group));
  if (query.having) add(QueryPart::Having, 0, {}, {}, text(*query.having));
  orderBy(query);
}

void RowMaker::orderBy(const SelectQuery& query) {
  for (const jetsql::OrderItem& order : query.orderBy)
    add(QueryPart::OrderBy, 0, order.descending ? "D" : "", {}, text(*order.expr));
}

QueryDescription select(RowMaker& rows, const SelectQuery& query) {
  if (!query.unions.empty()) {
    // A union of more parts keeps all but the last as the text of its
    // first part: the operator before the last part is the query's own.
    const SelectQuery& last = *query.unions.back().query;
    const size_t leftEnd = query.unions.size() > 1
                               ? query.unions[query.unions.size() - 2].query->blockEnd
                               : query.blockEnd;
    if (!query.into.empty()) throw engineError(3319);
    rows.add(QueryPart::Kind, QueryKind::Union);
    rows.add(QueryPart::Options,
             QueryOption::AllFields | (query.unions.back().all ? 0 : QueryOption::Distinct));
    rows.add(QueryPart::Table, 0, {}, kUnionPartNames[0], rows.text(query.begin, leftEnd));
    rows.add(QueryPart::Table, 0, {}, kUnionPartNames[1], rows.text(last.begin, last.blockEnd));
    rows.orderBy(query);
    return {QueryKind::Union, {}};
  }
  const int kind = query.into.empty() ? QueryKind::Select : QueryKind::MakeTable;
  rows.add(QueryPart::Kind, kind, query.into, query.intoDatabase);
  rows.options(query);
  rows.tables(query.from);
  rows.columns(query, 0);
  rows.clauses(query, 0);
  return {kind, {}};
}

QueryDescription crosstab(RowMaker& rows, const std::string& sql) {
  const jetsql::Crosstab crosstab = jetsql::parseCrosstab(sql);
  const SelectQuery& query = *crosstab.select;
  rows.add(QueryPart::Kind, QueryKind::Crosstab);
  rows.options(query);
  rows.tables(query.from);
  rows.add(QueryPart::Column, CrosstabRole::Value, crosstab.valueAlias, {},
           rows.text(*crosstab.value));
  rows.columns(query, CrosstabRole::RowHeading);
  // The pivot's column keeps the values it lists; its group does not.
  const Expr& pivot = *crosstab.pivot;
  rows.add(QueryPart::Column, CrosstabRole::Pivot, {}, {}, rows.text(pivot));
  rows.clauses(query, CrosstabRole::RowHeading);
  const Expr& grouped =
      pivot.kind == Expr::Kind::In && !pivot.negated ? *pivot.operands.front() : pivot;
  rows.add(QueryPart::GroupBy, CrosstabRole::Pivot, {}, {}, rows.text(grouped));
  if (crosstab.ownerAccess) rows.addOption(QueryOption::OwnerAccess);
  return {QueryKind::Crosstab, {}};
}

QueryDescription append(RowMaker& rows, const jetsql::InsertStatement& insert) {
  rows.add(QueryPart::Kind, QueryKind::Append, insert.table, insert.database);
  const std::vector<std::string>& targets = insert.columns;
  if (insert.select) {
    const SelectQuery& query = *insert.select;
    if (!query.unions.empty()) throw engineError(3319);
    rows.options(query);
    rows.tables(query.from);
    const int count = rows.columns(query, 0);
    const bool allFields = count != static_cast<int>(query.items.size());
    if (!targets.empty() && (allFields || targets.size() != query.items.size()))
      throw engineError(3346);
    rows.clauses(query, 0);
  } else {
    if (!targets.empty() && targets.size() != insert.values.size()) throw engineError(3346);
    for (const jetsql::ExprPtr& value : insert.values)
      rows.add(QueryPart::Column, 0, {}, {}, rows.text(*value));
  }
  rows.nameTargets(targets);
  return {QueryKind::Append, {}};
}

void tablesOf(RowMaker& rows, const std::string& table, const std::string& alias,
              const std::shared_ptr<TableSource>& source) {
  if (source) {
    rows.source(*source);
  } else {
    rows.add(QueryPart::Table, 0, table, alias);
  }
}

QueryDescription update(RowMaker& rows, const jetsql::UpdateStatement& update) {
  rows.add(QueryPart::Kind, QueryKind::Update);
  rows.add(QueryPart::Options, 0);
  tablesOf(rows, update.table, update.alias, update.source);
  for (const jetsql::Assignment& assignment : update.assignments) {
    rows.add(QueryPart::Column, 0, {}, rows.text(assignment.column.begin, assignment.column.end),
             rows.text(*assignment.value));
  }
  if (update.where) rows.add(QueryPart::Where, 0, {}, {}, rows.text(*update.where));
  return {QueryKind::Update, {}};
}

QueryDescription remove(RowMaker& rows, const jetsql::DeleteStatement& remove) {
  rows.add(QueryPart::Kind, QueryKind::Delete);
  const int flags = remove.distinctRow ? QueryOption::DistinctRow : 0;
  rows.add(QueryPart::Options, remove.target.empty() ? flags | QueryOption::AllFields : flags);
  tablesOf(rows, remove.table, remove.alias, remove.source);
  if (!remove.target.empty()) rows.add(QueryPart::Column, 0, {}, {}, sqlName(remove.target) + ".*");
  if (remove.where) rows.add(QueryPart::Where, 0, {}, {}, rows.text(*remove.where));
  return {QueryKind::Delete, {}};
}

}  // namespace

QueryDescription describeQuery(const std::string& sql) {
  const jetsql::Statement statement = jetsql::parseStatement(sql);
  RowMaker rows(sql);
  QueryDescription description;
  if (const auto* selected = std::get_if<jetsql::SelectStatement>(&statement.body)) {
    rows.parameters(statement.parameters);
    description = selected->query ? select(rows, *selected->query) : crosstab(rows, sql);
  } else if (const auto* data = std::get_if<jetsql::DataStatement>(&statement.body)) {
    rows.parameters(statement.parameters);
    description = std::visit(
        [&](const auto& action) {
          using Action = std::decay_t<decltype(action)>;
          if constexpr (std::is_same_v<Action, jetsql::InsertStatement>) {
            return append(rows, action);
          } else if constexpr (std::is_same_v<Action, jetsql::UpdateStatement>) {
            return update(rows, action);
          } else {
            return remove(rows, action);
          }
        },
        data->action);
  } else {
    rows.add(QueryPart::Kind, QueryKind::DataDefinition, {}, {}, sql);
    description.kind = QueryKind::DataDefinition;
  }
  if (statement.ownerAccess) rows.addOption(QueryOption::OwnerAccess);
  description.rows = rows.finish();
  return description;
}

void storeQueryRows(PageFile& file, const std::vector<CatalogEntry>& catalog, int32_t objectId,
                    const std::vector<QueryRow>& rows) {
  const auto found = std::find_if(catalog.begin(), catalog.end(), [](const CatalogEntry& entry) {
    return entry.type == ObjectType::Table && sameName(entry.name, "MSysQueries");
  });
  if (found == catalog.end()) damaged("a catalog without MSysQueries");
  TableWriter table(file, found->definitionPage());
  const auto column = [&](const char* name) {
    const ColumnDef* column = findColumn(table.definition(), name);
    if (column == nullptr) damaged(std::string("MSysQueries without its column ") + name);
    return static_cast<size_t>(column - table.definition().columns.data());
  };
  const size_t id = column("ObjectId"), attribute = column("Attribute"), order = column("Order"),
               flag = column("Flag"), name1 = column("Name1"), name2 = column("Name2"),
               expression = column("Expression"), extra = column("LvExtra");
  const auto textOrNull = [](const std::string& text) {
    return text.empty() ? Variant::null() : Variant(text);
  };
  std::map<int, uint32_t> numbered;
  for (const QueryRow& row : rows) {
    std::vector<Variant> values(table.definition().columns.size(), Variant::null());
    values[id] = Variant(int64_t{objectId});
    values[attribute] = Variant(row.part);
    values[order] = Variant::fromBinary(sequenceNumber(++numbered[row.part]));
    if (hasFlag(row.part)) values[flag] = Variant(row.flag);
    values[name1] = textOrNull(row.name1);
    values[name2] = textOrNull(row.name2);
    values[expression] = textOrNull(row.expression);
    if (row.extra != 0) values[extra] = Variant(row.extra);
    table.insert(std::move(values));
  }
}

uint32_t queryObjectFlags(int kind) {
  switch (kind) {
    case QueryKind::Crosstab:
      return 16;
    case QueryKind::Delete:
      return 32;
    case QueryKind::Update:
      return 48;
    case QueryKind::Append:
      return 64;
    case QueryKind::MakeTable:
      return 80;
    case QueryKind::DataDefinition:
      return 96;
    case QueryKind::PassThrough:
      return 112;
    case QueryKind::Union:
      return 128;
    default:
      return 0;
  }
}

}  // namespace telvarn::mdb

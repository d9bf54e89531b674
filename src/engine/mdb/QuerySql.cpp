#include <map>

#include "engine/mdb/QueryFrom.h"
#include "engine/mdb/QueryText.h"

namespace telvarn::mdb {
namespace {

constexpr const char* kLine = "\r\n";

class QueryBuilder {
 public:
  explicit QueryBuilder(const std::vector<QueryRow>& rows) : rows_(rows) {}

  std::string build() const;

 private:
  const QueryRow* first(int part) const {
    for (const QueryRow& row : rows_) {
      if (row.part == part) return &row;
    }
    return nullptr;
  }
  int options() const { return first(QueryPart::Options) ? first(QueryPart::Options)->flag : 0; }
  int kind() const { return first(QueryPart::Kind) ? first(QueryPart::Kind)->flag : 0; }

  std::string list(int part, const char* separator, std::string (*item)(const QueryRow&),
                   int excludedFlag = -1) const;
  std::string parameters() const;
  std::string selectWords() const;
  std::string columns(int excludedRole = -1) const;
  std::string target() const;
  std::string from() const;
  std::string tail(bool groups = true, bool order = true) const;
  std::string finish(std::string text) const;

  std::string select() const;
  std::string makeTable() const;
  std::string append() const;
  std::string update() const;
  std::string remove() const;
  std::string crosstab() const;
  std::string unionOf() const;

  const std::vector<QueryRow>& rows_;
};

std::string expression(const QueryRow& row) {
  return row.expression;
}

std::string column(const QueryRow& row) {
  return row.name1.empty() ? row.expression : row.expression + " AS " + sqlName(row.name1);
}

std::string ordering(const QueryRow& row) {
  const bool descending = row.name1 == "D" || row.name1 == "d";
  return row.expression + (descending ? " DESC" : "");
}

std::string assignment(const QueryRow& row) {
  return row.name2 + " = " + row.expression;
}

std::string targetColumn(const QueryRow& row) {
  return row.name2.empty() ? "" : sqlName(row.name2);
}

std::string parameterType(const QueryRow& row) {
  static const std::map<int, std::string> names = {
      {0, "Value"},       {1, "Bit"},        {2, "Byte"},       {3, "Short"},    {4, "Long"},
      {5, "Currency"},    {6, "IEEESingle"}, {7, "IEEEDouble"}, {8, "DateTime"}, {9, "Binary"},
      {11, "LongBinary"}, {12, "Memo"},      {15, "Guid"},      {20, "Decimal"}};
  // A Text parameter keeps the size it was declared with; without one it
  // takes the largest, 255.
  constexpr int kTextType = 10;
  constexpr int kLargestText = 255;
  if (row.flag == kTextType) {
    return "Text ( " + std::to_string(row.extra > 0 ? row.extra : kLargestText) + " )";
  }
  const auto found = names.find(row.flag);
  return found == names.end() ? "Value" : found->second;
}

// A name stored in brackets already ("[Beginning Date]", "[Forms]![F]![C]")
// is written as it is.
std::string parameter(const QueryRow& row) {
  const std::string name =
      !row.name1.empty() && row.name1.front() == '[' ? row.name1 : sqlName(row.name1);
  return name + " " + parameterType(row);
}

// A union part as its own text, without the line breaks it may end with:
// the line break before the next part is written once.
std::string unionPart(std::string text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
  return text;
}

std::string QueryBuilder::list(int part, const char* separator,
                               std::string (*item)(const QueryRow&), int excludedFlag) const {
  std::string text;
  for (const QueryRow& row : rows_) {
    if (row.part != part || (excludedFlag >= 0 && row.flag == excludedFlag)) continue;
    text += (text.empty() ? "" : separator) + item(row);
  }
  return text;
}

std::string QueryBuilder::parameters() const {
  const std::string names = list(QueryPart::Parameter, ", ", parameter);
  return names.empty() ? "" : "PARAMETERS " + names + ";" + kLine;
}

std::string QueryBuilder::selectWords() const {
  const int flags = options();
  std::string words;
  if (flags & QueryOption::Distinct) words += "DISTINCT ";
  if (flags & QueryOption::DistinctRow) words += "DISTINCTROW ";
  if (flags & QueryOption::Top) {
    words += "TOP " + first(QueryPart::Options)->name1 + " ";
    if (flags & QueryOption::Percent) words += "PERCENT ";
  }
  return words;
}

std::string QueryBuilder::columns(int excludedRole) const {
  std::string text = list(QueryPart::Column, ", ", column, excludedRole);
  if (options() & QueryOption::AllFields) text = text.empty() ? "*" : "*, " + text;
  return text;
}

std::string QueryBuilder::target() const {
  const QueryRow* kindRow = first(QueryPart::Kind);
  std::string text = sqlName(kindRow->name1);
  if (!kindRow->name2.empty()) text += " IN '" + kindRow->name2 + "'";
  return text;
}

std::string QueryBuilder::from() const {
  const std::string tables = fromList(rows_);
  if (tables.empty()) return "";
  std::string text = std::string(kLine) + "FROM " + tables;
  if (const QueryRow* remote = first(QueryPart::RemoteDb)) {
    text +=
        " IN '" + remote->name2 + "'" + (remote->name1.empty() ? "" : "[" + remote->name1 + "]");
  }
  return text;
}

std::string QueryBuilder::tail(bool groups, bool order) const {
  std::string text;
  const std::string where = list(QueryPart::Where, " AND ", expression);
  if (!where.empty()) text += std::string(kLine) + "WHERE " + where;
  const std::string groupBy = list(QueryPart::GroupBy, ", ", expression, CrosstabRole::Pivot);
  if (groups && !groupBy.empty()) text += std::string(kLine) + "GROUP BY " + groupBy;
  const std::string having = list(QueryPart::Having, " AND ", expression);
  if (groups && !having.empty()) text += std::string(kLine) + "HAVING " + having;
  const std::string orderBy = list(QueryPart::OrderBy, ", ", ordering);
  if (order && !orderBy.empty()) text += std::string(kLine) + "ORDER BY " + orderBy;
  return text;
}

std::string QueryBuilder::finish(std::string text) const {
  if (options() & QueryOption::OwnerAccess) text += std::string(kLine) + "WITH OWNERACCESS OPTION";
  return parameters() + text + ";";
}

std::string QueryBuilder::select() const {
  return finish("SELECT " + selectWords() + columns() + from() + tail());
}

std::string QueryBuilder::makeTable() const {
  return finish("SELECT " + selectWords() + columns() + " INTO " + target() + from() + tail());
}

std::string QueryBuilder::append() const {
  // Without the fields' names the rows fill every field in order.
  const std::string targets = list(QueryPart::Column, ", ", targetColumn);
  return finish("INSERT INTO " + target() + (targets.empty() ? "" : " ( " + targets + " )") +
                kLine + "SELECT " + selectWords() + columns() + from() + tail());
}

std::string QueryBuilder::update() const {
  return finish("UPDATE " + fromList(rows_) + " SET " + list(QueryPart::Column, ", ", assignment) +
                tail(false, false));
}

std::string QueryBuilder::remove() const {
  return finish("DELETE " + selectWords() + columns() + from() + tail(false, false));
}

std::string QueryBuilder::crosstab() const {
  const QueryRow* value = nullptr;
  const QueryRow* pivot = nullptr;
  for (const QueryRow& row : rows_) {
    if (row.part != QueryPart::Column) continue;
    if (row.flag == CrosstabRole::Value && value == nullptr) value = &row;
    if (row.flag == CrosstabRole::Pivot && pivot == nullptr) pivot = &row;
  }
  std::string headings;
  for (const QueryRow& row : rows_) {
    if (row.part == QueryPart::Column && row.flag == CrosstabRole::RowHeading) {
      headings += (headings.empty() ? "" : ", ") + column(row);
    }
  }
  std::string text = "TRANSFORM " + (value ? column(*value) : std::string()) + kLine + "SELECT " +
                     selectWords() + headings + from() + tail();
  if (pivot != nullptr) text += std::string(kLine) + "PIVOT " + pivot->expression;
  return finish(text);
}

std::string QueryBuilder::unionOf() const {
  std::vector<std::string> parts;
  for (const QueryRow& row : rows_) {
    if (row.part == QueryPart::Table && !row.expression.empty()) {
      parts.push_back(unionPart(row.expression));
    }
  }
  const std::string word = (options() & QueryOption::Distinct) ? "UNION" : "UNION ALL";
  std::string text;
  for (const std::string& part : parts) text += text.empty() ? part : kLine + word + " " + part;
  const std::string orderBy = list(QueryPart::OrderBy, ", ", ordering);
  if (!orderBy.empty()) text += std::string(kLine) + "ORDER BY " + orderBy;
  return text + ";";
}

std::string QueryBuilder::build() const {
  switch (kind()) {
    case QueryKind::MakeTable:
      return makeTable();
    case QueryKind::Append:
      return append();
    case QueryKind::Update:
      return update();
    case QueryKind::Delete:
      return remove();
    case QueryKind::Crosstab:
      return crosstab();
    case QueryKind::Union:
      return unionOf();
    case QueryKind::DataDefinition:
    case QueryKind::PassThrough:
      return first(QueryPart::Kind)->expression;
    default:
      return select();
  }
}

}  // namespace

std::string querySql(const std::vector<QueryRow>& rows) {
  return QueryBuilder(rows).build();
}

}  // namespace telvarn::mdb

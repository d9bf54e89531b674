// Stored queries: the desktop program keeps no SQL text for most queries but
// their parts, as rows of MSysQueries (one row per table, column, join,
// condition, ...). These functions read those rows and write the SQL text
// back as the desktop program shows it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/mdb/PageSource.h"
#include "engine/mdb/SystemCatalog.h"

namespace telvarn::mdb {

// What each row of a query describes, and what its Flag means there.
namespace QueryPart {
enum : int {
  Start = 0,
  Kind = 1,       // Flag: the query's kind; Name1: target table or connect string
  Parameter = 2,  // Name1: name; Flag: data type; Extra: a Text parameter's size
  Options = 3,    // Flag: *, DISTINCT, DISTINCTROW, TOP ...; Name1: the TOP value
  RemoteDb = 4,   // Name1: the IN database
  Table = 5,      // Name1: table; Name2: alias; Expression: a union part's text
  Column = 6,     // Expression; Name1: alias; Name2: the target of an UPDATE/INSERT
  Join = 7,       // Name1, Name2: the tables; Expression: ON; Flag: 1 inner 2 left 3 right
  Where = 8,
  GroupBy = 9,
  Having = 10,
  OrderBy = 11,  // Name1: "D" for descending
  End = 255,
};
}  // namespace QueryPart

namespace QueryKind {
enum : int {
  Select = 1,
  MakeTable = 2,
  Append = 3,
  Update = 4,
  Delete = 5,
  Crosstab = 6,
  DataDefinition = 7,
  PassThrough = 8,
  Union = 9,
};
}  // namespace QueryKind

// The Flag of the Options row: what follows SELECT. A union's AllFields
// stands for every row, with Distinct for UNION rather than UNION ALL.
namespace QueryOption {
enum : int {
  AllFields = 0x01,
  Distinct = 0x02,
  OwnerAccess = 0x04,
  DistinctRow = 0x08,
  Top = 0x10,
  Percent = 0x20
};
}  // namespace QueryOption

// The Flag of a crosstab's Column and GroupBy rows.
namespace CrosstabRole {
enum : int { Value = 0, Pivot = 1, RowHeading = 2 };
}  // namespace CrosstabRole

struct QueryRow {
  int part = 0;
  int flag = 0;
  std::string name1;
  std::string name2;
  std::string expression;
  int extra = 0;  // LvExtra (0 when Null)
};

// The rows of the query whose catalog id is `objectId`, in stored order.
std::vector<QueryRow> readQueryRows(PageSource& pages, const std::vector<CatalogEntry>& catalog,
                                    int32_t objectId);

// The SQL text of a query's rows, lines ending CR LF, the last with ";".
std::string querySql(const std::vector<QueryRow>& rows);

inline std::string storedQuerySql(PageSource& pages, const std::vector<CatalogEntry>& catalog,
                                  int32_t objectId) {
  return querySql(readQueryRows(pages, catalog, objectId));
}

}  // namespace telvarn::mdb

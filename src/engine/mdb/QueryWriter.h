// A query to be stored, as the rows of MSysQueries that describe it (the
// reverse of QueryText.h): the statement is parsed by the dialect's parser
// and each part becomes its row, every expression in the spelling the
// statement gave it. A data-definition statement keeps its whole text.
// A union keeps the text of its two parts (more parts: all but the last
// as the first); a crosstab's pivot keeps the values it lists.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/mdb/PageFile.h"
#include "engine/mdb/QueryText.h"

namespace telvarn::mdb {

struct QueryDescription {
  int kind = QueryKind::Select;
  std::vector<QueryRow> rows;  // in the order they are stored, Start first
};

// The parser's numbers for text that is no statement (QueryDef rules are
// the caller's); 3139 for a parameter of no known type; 3346 when an
// INSERT names more or fewer fields than it gives values.
QueryDescription describeQuery(const std::string& sql);

// The rows go into MSysQueries under the query's catalog id, within a
// transaction of the file.
void storeQueryRows(PageFile& file, const std::vector<CatalogEntry>& catalog, int32_t objectId,
                    const std::vector<QueryRow>& rows);

// The catalog's Flags of a query of `kind` (QueryKind).
uint32_t queryObjectFlags(int kind);

}  // namespace telvarn::mdb

// The rows of a linked table for a query that reads it: copied from the
// table in the link's source file into a temporary table of this
// connection, which the translated query reads in its place. The copy is
// made afresh each time a statement reads the link, so it shows the source
// as it is then.
#pragma once

#include <string>
#include <vector>

#include "engine/Catalog.h"
#include "engine/Storage.h"
#include "engine/sqlite/Connection.h"

namespace telvarn::sqlite {

struct LinkedRows {
  std::string table;  // the temporary table as SQLite text; empty when there is no field
  std::vector<FieldRecord> fields;
};

// The rows of `link`'s source table in `source`, the file it names: 3078
// when the table is not there.
LinkedRows copyLinkedRows(Connection& connection, const TableRecord& link, Storage& source);

}  // namespace telvarn::sqlite

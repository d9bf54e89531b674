// The rows of a linked table for a query that reads it: copied from the
// table in the link's source file into a temporary table of this
// connection, which the translated query reads in its place. The copy is
// made afresh each time a statement reads the link, so it shows the source
// as it is then.
#pragma once

#include <string>
#include <vector>

#include "engine/Catalog.h"
#include "engine/sqlite/Connection.h"

namespace telvarn::sqlite {

struct LinkedRows {
  std::string table;  // the temporary table as SQLite text; empty when there is no field
  std::vector<FieldRecord> fields;
};

// 3001 for a link to anything but a database file, 3024 (and the other
// errors of opening) when the file cannot be opened, 3078 when the source
// table is not there.
LinkedRows copyLinkedRows(Connection& connection, const TableRecord& link);

}  // namespace telvarn::sqlite

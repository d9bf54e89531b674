// LinkedTables: where a statement reads the rows of a linked table. The
// translator writes the name it is given in place of the link; the
// executor that runs the statement hands it the names, since only it knows
// the connection the statement runs in. Without one (a view, which
// outlives the statement), a link cannot be read (3251).
#pragma once

#include <string>
#include <vector>

#include "engine/Catalog.h"

namespace telvarn::sqlite {

// A link's rows as the running statement reads them.
struct LinkedRows {
  std::string table;                // SQLite text naming them; empty when there is no field
  std::vector<FieldRecord> fields;  // the source table's fields as they are now
  std::string name;                 // the name alone (no schema), which qualifies its columns
  bool here = false;                // a table of the running file itself, by its own name
};

// A table of another file, named by IN 'file': read and written as a link
// to it is, under a name of its own for each file.
inline TableRecord externalTable(const std::string& name, const std::string& file) {
  TableRecord table;
  table.name = name + " IN " + file;
  table.kind = TableKind::Linked;
  table.connect = ";DATABASE=" + file;
  table.sourceTableName = name;
  return table;
}

class LinkedTables {
 public:
  virtual ~LinkedTables() = default;
  // The rows of `link`'s source table: the errors of opening the file its
  // connect string names (3001, 3024, 3044, 3343, ...), 3078 when that
  // file has no such table, 3251 when it is a link there too.
  virtual LinkedRows rowsOf(const TableRecord& link) = 0;
};

}  // namespace telvarn::sqlite

// Executor: what runs the dialect's data statements on one database file.
// It sits above the storage: the statement is translated and run against
// the storage's tables, whose names it checks through the catalog.
#pragma once

#include <vector>

#include "engine/Catalog.h"
#include "engine/RowsAffected.h"
#include "engine/jetsql/Ast.h"

namespace telvarn::jetsql {

class Executor {
 public:
  virtual ~Executor() = default;

  // Runs one INSERT, UPDATE or DELETE: every row it touches is changed but
  // those that break a rule of the table, which are left out and counted
  // (RowsAffected.h). 3078 for a missing table, 3061 for names that are no
  // field, 3027 where the file cannot be changed, and the other errors of
  // the statement itself; after one of them nothing is changed.
  virtual RowsAffected run(const DataStatement& statement) = 0;

  // The columns a SELECT yields (name, type, size), its names checked as
  // run checks them; nothing is run.
  virtual std::vector<FieldRecord> describe(const SelectStatement& select) = 0;
};

}  // namespace telvarn::jetsql

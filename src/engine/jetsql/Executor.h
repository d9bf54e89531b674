// Executor: what runs the dialect's data statements on one database file.
// It sits above the storage: the statement is translated and run against
// the storage's tables, whose names it checks through the catalog.
#pragma once

#include <vector>

#include "engine/Catalog.h"
#include "engine/jetsql/Ast.h"

namespace telvarn::jetsql {

class Executor {
 public:
  virtual ~Executor() = default;

  // Runs one INSERT, UPDATE or DELETE whole: either every row it touches
  // is changed or none is. 3078 for a missing table, 3061 for names that
  // are no field, 3027 where the file cannot be changed; the row rules'
  // numbers (3022, 3058, 3201, 3314, 3315, ...) for the first row that
  // breaks one.
  virtual void run(const DataStatement& statement) = 0;

  // The columns a SELECT yields (name, type, size), its names checked as
  // run checks them; nothing is run.
  virtual std::vector<FieldRecord> describe(const SelectStatement& select) = 0;
};

}  // namespace telvarn::jetsql

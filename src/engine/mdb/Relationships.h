// The enforced relationships a table takes part in, as its definition
// records them: each gives both tables a foreign-key logical index (kind 2)
// naming the other table and the other's index over the same columns. On
// the referring table that index is marked as pointing to the table that
// holds the keys (relatedTableKind 2); on that one, as pointing to the
// referring table (1), with the relationship's cascade flags.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "engine/Variant.h"
#include "engine/mdb/IndexWriter.h"
#include "engine/mdb/PageFile.h"
#include "engine/mdb/TableDefinition.h"

namespace telvarn::mdb {

class Relationships {
 public:
  Relationships(PageFile& file, const TableDefinition& table);

  // Before a row is written: `keys` its keys in each physical index of the
  // table (empty when it is removed), `old` the keys it had (empty for a
  // new row). 3201, naming the table, when a reference that changed finds
  // no row with its key there (a reference with a Null refers to nothing);
  // 3200, naming the table, when rows there refer to a key that changes or
  // goes and the relationship does not cascade.
  void check(const std::vector<RowKey>& keys, const std::vector<RowKey>& old);

  // After the row is written: the rows that referred to its changed key
  // take the new one (`values`, the row's values in column order), and
  // those that referred to a removed row go, where the relationship
  // cascades. Their own relationships apply in turn.
  void cascade(const std::vector<RowKey>& keys, const std::vector<RowKey>& old,
               const std::vector<Variant>& values);
  // Whether a change of a row here may change rows elsewhere.
  bool mayCascade() const;

 private:
  struct Rule {
    size_t index = 0;  // this table's physical index
    uint32_t otherTable = 0;
    std::vector<uint16_t> otherColumns;  // the other index's columns
    bool refers = false;                 // rows here refer to rows there
    bool cascadeUpdates = false;
    bool cascadeDeletes = false;
  };

  std::string tableName(uint32_t definitionPage);

  PageFile& file_;
  const TableDefinition& table_;
  std::vector<Rule> rules_;
  std::deque<IndexWriter> others_;  // the other table's index, for each rule
};

}  // namespace telvarn::mdb

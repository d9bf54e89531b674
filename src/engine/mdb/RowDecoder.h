// RowDecoder: the values of one stored row. A row holds the column count it
// was written with, the fixed-length values, the variable-length ones, their
// offsets (backwards from the end) and a null mask with one bit per column
// slot (for Yes/No columns the bit is the value). A row written before a
// column was added simply has fewer slots: the missing ones read as Null.
#pragma once

#include <string>
#include <vector>

#include "engine/Variant.h"
#include "engine/mdb/ByteView.h"
#include "engine/mdb/PageSource.h"
#include "engine/mdb/TableDefinition.h"

namespace telvarn::mdb {

class RowDecoder {
 public:
  RowDecoder(PageSource& pages, const TableDefinition& table) : pages_(pages), table_(table) {}

  // One value per column of the table, in the table's column order.
  std::vector<Variant> decode(ByteView row) const;
  // The value of one column: 3049 when its bytes do not hold one.
  Variant value(ByteView row, const ColumnDef& column) const;

  // The stored bytes of one column (empty for Null and for Yes/No), for
  // the index keys; `present` tells Null apart.
  ByteView columnBytes(ByteView row, const ColumnDef& column, bool& present) const;

  // What is wrong with the row's layout, or "": it has no more column slots
  // than the table's rows may have, and its variable-length values lie in
  // order between its fixed-length values and its offset table. 3049 when
  // its null mask or offset table does not fit.
  std::string layoutFault(ByteView row) const;

 private:
  PageSource& pages_;
  const TableDefinition& table_;
};

// A variable-length value's bytes as the engine's value: text decoded to
// UTF-8, long values fetched from their records.
Variant variableValue(PageSource& pages, const ColumnDef& column, ByteView bytes);

}  // namespace telvarn::mdb

// IndexBuild: indexes added to a table's definition and built from its
// rows, and dropped.
//
// An index is a logical index (its name, number and kind) over a physical
// one, the tree. A table's own indexes (those that are no relationship's)
// are numbered from 0 and each has its own tree, tree i for index i; the
// relationships' indexes are numbered after them and share the tree of an
// index over their columns, or have trees of their own after the others.
// Relationship indexes of other tables name indexes by number, so they
// follow when the numbers move. A tree is built from the rows: every
// row's key (IndexKey.h) with its row pointer, in key order. A primary key
// is unique and takes no Null; its tree's flags say so.
#pragma once

#include <cstddef>
#include <string>

#include "engine/Catalog.h"
#include "engine/mdb/PageFile.h"
#include "engine/mdb/TableDefinition.h"

namespace telvarn::mdb {

// The logical index of `index` in the definition, numbered after the
// table's own, with a new tree (without pages yet: newIndexTree gives
// them); the relationship indexes of this and other tables (written back)
// follow. Returns the tree's number. 3283 for a second primary key; 3284
// when the table has an index of that name; 3265 for a column it does not
// have; 3277 for more than 10 columns.
size_t addIndexDefinition(PageFile& file, TableDefinition& table, const IndexRecord& index);

// Fills the empty tree of physical index `physical` from the table's rows.
// 3022 when two rows have one key in a unique index (Nulls in every column
// are no key), 3058 for a Null the index refuses; 3027 for a key this
// engine cannot make. Within a transaction.
void buildIndex(PageFile& file, TableDefinition& table, size_t physical);

// Takes the logical index named `name` out of the definition, with its
// tree when no other index shares it (its pages given back). The logical
// indexes after it are numbered one less, and the relationship indexes of
// other tables that name them follow. 3265 when there is none.
void dropIndexDefinition(PageFile& file, TableDefinition& table, const std::string& name);

}  // namespace telvarn::mdb

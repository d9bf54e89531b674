// RelationshipWriter: enforced relationships made and deleted in a file.
//
// A relationship is one MSysRelationships row per column pair (ccolumn the
// number of pairs, icolumn the pair's place, grbit 0: enforced, nothing
// cascades) and a logical index (kind 2) on each table. The referring
// table's is named as the relationship, points to the keys' table (kind 2)
// and has the tree of an index over its columns, or a tree of its own
// built from the rows; the keys' table's is named ".r" and a letter (A
// for a table with no index yet, one letter on for each index it has),
// points back (kind 1) and shares the tree of the unique index over the
// referred columns. Each names the other by its number.
#pragma once

#include <string>

#include "engine/Catalog.h"
#include "engine/mdb/PageFile.h"

namespace telvarn::mdb {

// Within a transaction. A plain index of the referring table named as the
// relationship and over its columns (the one a statement adds for the
// relationship it makes) becomes the relationship's index; another index
// of that name is 3284. 3012 when a relationship has the name; 3265 for a
// table or column that is not there; 3409 for column lists of different
// lengths; 3368 for columns of different types; 3173 when no unique index
// of the keys' table is over exactly the referred columns; 3201 (naming
// the keys' table) when a row refers to a key no row has.
void addRelationship(PageFile& file, const RelationRecord& relation);

// The relationship's rows and both its indexes, with the referring
// table's tree when no other index shares it. Within a transaction. 3265
// when there is none of that name.
void dropRelationship(PageFile& file, const std::string& name);

}  // namespace telvarn::mdb

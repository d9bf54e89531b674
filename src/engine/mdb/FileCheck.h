// checkFile: reads every structure of a database file and holds each
// against the rules of the format, so that damage is found before anything
// trusts the file (and so that every file the engine writes can be held
// against the same rules). Checked, for each table of the catalog:
//   - its definition: a chain of definition pages that its length fills
//     exactly, free-space counts, column and index counts within bounds,
//     column slots each used once, each index tree serving an index and
//     over columns the table has;
//   - its pages: every page its usage map lists is a data page the table
//     owns, with record offsets inside the page, in order, not overlapping,
//     and a right free-space count; its free-space map lists only its pages;
//   - its rows: each row's layout, each moved row's new place, and each
//     long value's records (on long-value pages, of the right length, no
//     loops);
//   - its indexes: every page of each tree is an index page of the table,
//     listed in the index's usage map, with a right free-space count; every
//     entry is in order, leads to a live row and equals the key made again
//     from that row; every live row has its one entry (none when its key is
//     all Null and the index ignores Nulls); a unique index holds no key
//     twice.
// And for the whole file: no page belongs to two structures, and none that
// is in use is listed as free by the file's page map (page 1).
#pragma once

#include <string>
#include <vector>

#include "engine/mdb/PageSource.h"

namespace telvarn::mdb {

// One sentence per fault, in the order found; empty when the file holds
// together. After 200 faults the rest are counted in one last sentence. No
// damage makes it throw: what cannot be read is itself a fault (only a page
// source that fails to read gives its own error, 3043).
std::vector<std::string> checkFile(PageSource& pages);

}  // namespace telvarn::mdb

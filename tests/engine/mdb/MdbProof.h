// What a written copy of a corpus file is held to after every write test:
// each named table's rows read back through our reader and through
// mdbtools (mdb-export, mdb-count) alike; its definition's row count
// against its live rows (a difference the untouched file had stays the
// same; a table the untouched file lacks has none); its pages are its own
// data pages, the pages with room among them; every index equal, entry by
// entry, to the keys re-made from the live rows, and well formed (entries
// in order, every node entry the last entry of its child, each level
// chained both ways, its usage map its pages);
// and the whole file passes the structural check (`checkFile`).
#pragma once

#include <string>
#include <vector>

namespace telvarn::test {

// What is wrong, one line per fault (empty when nothing is).
std::vector<std::string> proofProblems(const std::string& path, const std::string& untouched,
                                       const std::vector<std::string>& tables);

// A copy of the corpus file `name` in `folder`; its path.
std::string corpusCopy(const std::string& folder, const std::string& name);

}  // namespace telvarn::test

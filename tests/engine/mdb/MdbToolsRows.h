// A table's rows as our reader and as mdbtools give them, each value in a
// form both readers' output reduces to, sorted, so that the two lists can
// be held against each other.
#pragma once

#include <string>
#include <vector>

#include "engine/Catalog.h"
#include "engine/mdb/MdbStorage.h"

namespace telvarn::test {

std::vector<std::string> split(const std::string& text, char separator);

std::vector<std::string> ourRows(mdb::MdbStorage& storage, const TableRecord& table);
// mdb-export's rows of the table in the file at `path`.
std::vector<std::string> theirRows(const std::string& path, const TableRecord& table);

}  // namespace telvarn::test

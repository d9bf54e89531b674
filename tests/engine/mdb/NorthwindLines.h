// Order lines Northwind does not have yet, for tests that write rows into
// its Order Details: pairs of an existing order and an existing product
// (the relationships require both) that no line has, in a fixed order.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "engine/mdb/PageFile.h"
#include "engine/mdb/TableWriter.h"

namespace telvarn::test {

// Orders run from 10248 to 11077, products from 1 to 77.
std::vector<std::pair<int, int>> newOrderLines(mdb::PageFile& file, mdb::TableWriter& details,
                                               size_t count, size_t skip = 0);

}  // namespace telvarn::test

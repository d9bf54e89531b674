#include "engine/mdb/NorthwindLines.h"

#include <set>

#include "engine/mdb/TableScan.h"

namespace telvarn::test {

std::vector<std::pair<int, int>> newOrderLines(mdb::PageFile& file, mdb::TableWriter& details,
                                               size_t count, size_t skip) {
  std::set<std::pair<int, int>> taken;
  std::vector<uint32_t> rows;
  mdb::forEachStoredRow(file, details.definition(), [&](uint32_t row, mdb::ByteView) {
    rows.push_back(row);
    return true;
  });
  for (const uint32_t row : rows) {
    const std::vector<Variant> values = details.read(row);
    taken.emplace(static_cast<int>(values[0].toInteger()), static_cast<int>(values[1].toInteger()));
  }
  std::vector<std::pair<int, int>> lines;
  for (int product = 1; product <= 77 && lines.size() < count; ++product) {
    for (int order = 10248; order <= 11077 && lines.size() < count; ++order) {
      if (taken.count({order, product})) continue;
      if (skip > 0) {
        --skip;
        continue;
      }
      lines.emplace_back(order, product);
    }
  }
  return lines;
}

}  // namespace telvarn::test

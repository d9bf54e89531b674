#include "engine/Storage.h"

namespace telvarn {

void StorageRows::forEachRow(const std::string& table, const RowVisitor& visit) {
  const std::unique_ptr<RowCursor> rows = scan(table);
  while (rows->next()) {
    if (!visit(rows->values())) return;
  }
}

}  // namespace telvarn

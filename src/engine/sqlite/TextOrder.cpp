#include "engine/sqlite/TextOrder.h"

#include <string_view>

#include "engine/DataType.h"
#include "engine/GeneralSortOrder.h"

namespace telvarn::sqlite {
namespace {

int collate(void*, int leftLength, const void* left, int rightLength, const void* right) {
  return compareGeneral(
      std::string_view(static_cast<const char*>(left), static_cast<size_t>(leftLength)),
      std::string_view(static_cast<const char*>(right), static_cast<size_t>(rightLength)));
}

}  // namespace

void registerTextOrder(sqlite3* db) {
  sqlite3_create_collation_v2(db, kTextCollation, SQLITE_UTF8, nullptr, collate, nullptr);
}

std::string collateText(int type) {
  return isTextType(type) ? std::string(" COLLATE ") + kTextCollation : "";
}

}  // namespace telvarn::sqlite

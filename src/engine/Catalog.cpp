#include "engine/Catalog.h"

#include "engine/AppError.h"
#include "engine/GeneralSortOrder.h"

namespace telvarn {

bool sameName(const std::string& a, const std::string& b) {
  return compareGeneral(a, b) == 0;
}

void checkName(const std::string& name) {
  bool valid = !name.empty() && name.size() <= 64 && name.front() != ' ';
  for (unsigned char c : name) {
    if (c < 32 || c == '.' || c == '!' || c == '`' || c == '[' || c == ']') valid = false;
  }
  if (!valid) throw engineError(3125, {name});
}

}  // namespace telvarn

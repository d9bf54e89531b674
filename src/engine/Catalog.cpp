#include "engine/Catalog.h"

#include <cctype>

#include "engine/AppError.h"

namespace telvarn {

bool sameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

void checkName(const std::string& name) {
  bool valid = !name.empty() && name.size() <= 64 && name.front() != ' ';
  for (unsigned char c : name) {
    if (c < 32 || c == '.' || c == '!' || c == '`' || c == '[' || c == ']') valid = false;
  }
  if (!valid) throw engineError(3125, {name});
}

}  // namespace telvarn

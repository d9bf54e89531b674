#include "engine/AppError.h"
#include "engine/mdb/ByteView.h"

namespace telvarn::mdb {

void damaged(const std::string& what) {
  throw AppError(3049, errorDescription(3049, {"(" + what + ")"}));
}

std::string damageOf(const AppError& error) {
  const std::string text = error.description();
  const size_t open = text.find("'(");
  const size_t close = text.find(")'", open);
  if (error.number() == 3049 && open != std::string::npos && close != std::string::npos) {
    return text.substr(open + 2, close - open - 2);
  }
  return std::to_string(error.number()) + " - " + text;
}

}  // namespace telvarn::mdb

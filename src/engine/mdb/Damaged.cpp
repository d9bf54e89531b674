#include "engine/AppError.h"
#include "engine/mdb/ByteView.h"

namespace telvarn::mdb {

void damaged(const std::string& what) {
  throw AppError(3049, errorDescription(3049, {"(" + what + ")"}));
}

}  // namespace telvarn::mdb

// The number of the error a call raises, or 0 when it raises none.
#pragma once

#include <functional>

#include "engine/AppError.h"

namespace telvarn::test {

inline int errorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const AppError& error) {
    return error.number();
  }
  return 0;
}

}  // namespace telvarn::test

#include "engine/values/Clock.h"

#include <algorithm>
#include <ctime>

#include "engine/values/Calendar.h"

namespace telvarn::values {
namespace {

class SystemClock : public Clock {
 public:
  double now() const override {
    const std::time_t seconds = std::time(nullptr);
    std::tm local{};
    localtime_r(&seconds, &local);
    const int64_t day = dayNumber(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    return *dateOf(day, local.tm_hour * 3600 + local.tm_min * 60 + std::min(local.tm_sec, 59));
  }
};

}  // namespace

const Clock& systemClock() {
  static const SystemClock clock;
  return clock;
}

}  // namespace telvarn::values

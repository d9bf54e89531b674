// Variant's conversions (declared with the value in engine/Variant.h) follow
// the value library's rules, so they live with it.
#include <cmath>

#include "engine/Conversions.h"
#include "engine/Variant.h"
#include "engine/values/Convert.h"
#include "engine/values/Errors.h"

namespace telvarn {

bool Variant::toBoolean() const {
  return values::toBool(*this);
}

std::string Variant::toText() const {
  return values::toText(*this);
}

int64_t Variant::toInteger() const {
  switch (kind_) {
    case Kind::Boolean:
    case Kind::Byte:
    case Kind::Short:
    case Kind::Long:
    case Kind::Integer:
      return integer_;
    case Kind::Empty:
      return 0;
    default: {
      const double rounded = roundHalfEven(values::toDouble(*this));
      if (!(std::fabs(rounded) < 9.2e18)) values::fail(values::kOverflow);
      return static_cast<int64_t>(rounded);
    }
  }
}

double Variant::toDouble() const {
  return values::toDouble(*this);
}

}  // namespace telvarn

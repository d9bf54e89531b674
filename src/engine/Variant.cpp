#include "engine/Variant.h"

#include <cmath>

#include "engine/AppError.h"
#include "engine/Conversions.h"
#include "engine/NumberText.h"

namespace telvarn {

Variant Variant::null() {
  Variant v;
  v.kind_ = Kind::Null;
  return v;
}

bool Variant::toBoolean() const {
  switch (kind_) {
    case Kind::Empty:
      return false;
    case Kind::Null:
      throw engineError(94);
    case Kind::Boolean:
    case Kind::Integer:
      return integer_ != 0;
    case Kind::Double:
      return double_ != 0;
    case Kind::Text:
      return telvarn::toBoolean(text_);
  }
  return false;
}

std::string Variant::toText() const {
  switch (kind_) {
    case Kind::Empty:
      return "";
    case Kind::Null:
      throw engineError(94);
    case Kind::Boolean:
      return integer_ ? "True" : "False";
    case Kind::Integer:
      return std::to_string(integer_);
    case Kind::Double:
      return writeDouble(double_, Notation::General, 15);
    case Kind::Text:
      return text_;
  }
  return "";
}

int64_t Variant::toInteger() const {
  switch (kind_) {
    case Kind::Empty:
      return 0;
    case Kind::Null:
      throw engineError(94);
    case Kind::Boolean:
    case Kind::Integer:
      return integer_;
    case Kind::Double:
      if (!std::isfinite(double_) || std::fabs(double_) > 9.2e18) throw engineError(6);
      return static_cast<int64_t>(roundHalfEven(double_));
    case Kind::Text: {
      const auto number = parseNumber(text_);
      if (!number) throw engineError(13);
      return Variant(*number).toInteger();
    }
  }
  return 0;
}

}  // namespace telvarn

namespace telvarn {

double Variant::toDouble() const {
  switch (kind_) {
    case Kind::Double:
      return double_;
    case Kind::Boolean:
    case Kind::Integer:
      return static_cast<double>(integer_);
    case Kind::Empty:
      return 0;
    case Kind::Null:
      throw engineError(94);
    case Kind::Text: {
      const auto number = parseNumber(text_);
      if (!number) throw engineError(13);
      return *number;
    }
  }
  return 0;
}

}  // namespace telvarn

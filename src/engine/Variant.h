// Variant: the value handed to an engine property. The engine converts it to
// the property's own type with the run-time library's rules, so a script's
// text "True" and a 16-bit -1 both make a Boolean True.
#pragma once

#include <cstdint>
#include <string>

namespace telvarn {

class Variant {
 public:
  enum class Kind { Empty, Null, Boolean, Integer, Double, Text };

  Variant() = default;
  Variant(bool value) : kind_(Kind::Boolean), integer_(value ? -1 : 0) {}
  Variant(int value) : kind_(Kind::Integer), integer_(value) {}
  Variant(int64_t value) : kind_(Kind::Integer), integer_(value) {}
  Variant(double value) : kind_(Kind::Double), double_(value) {}
  Variant(std::string value) : kind_(Kind::Text), text_(std::move(value)) {}
  Variant(const char* value) : kind_(Kind::Text), text_(value) {}
  static Variant null();

  Kind kind() const { return kind_; }
  bool isNull() const { return kind_ == Kind::Null; }

  // CBool: numbers are True when non-zero; texts per the run-time library
  // (13 when they do not convert); Null is 94; Empty is False.
  bool toBoolean() const;
  // CStr: Booleans read "True"/"False", numbers in plain decimal.
  std::string toText() const;
  // CLng with half-to-even rounding; 13 for text that is not a number.
  int64_t toInteger() const;
  // CDbl, exact for numbers; 13 for text that is not a number.
  double toDouble() const;

  bool operator==(const Variant& other) const = default;

 private:
  Kind kind_ = Kind::Empty;
  int64_t integer_ = 0;
  double double_ = 0;
  std::string text_;
};

}  // namespace telvarn

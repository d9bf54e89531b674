// Variant: one value of the dialect, tagged with the subtype the BASIC
// run-time library gives it. Engine properties take Variants and convert
// them to their own type, so a script's text "True" and a 16-bit -1 both make
// a Boolean True; the dialect's operators and functions (engine/values/)
// compute on them.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

namespace telvarn {

class Variant {
 public:
  enum class Kind {
    Empty,
    Null,
    Boolean,   // -1 or 0
    Byte,      // 0..255
    Short,     // the library's Integer: 16 bits
    Long,      // 32 bits
    Integer,   // a whole number of up to 64 bits as storage and literals hand
               // it; the value rules read it as a Long when it fits in 32
               // bits, as a Double otherwise
    Currency,  // an exact count of ten-thousandths
    Single,
    Double,
    Date,    // the engine's day number (see values/Calendar.h)
    Text,    // UTF-8
    Binary,  // the bytes of a Binary or OLE Object field
  };

  Variant() = default;
  Variant(bool value) : kind_(Kind::Boolean), integer_(value ? -1 : 0) {}
  Variant(int value) : kind_(Kind::Integer), integer_(value) {}
  Variant(int64_t value) : kind_(Kind::Integer), integer_(value) {}
  Variant(double value) : kind_(Kind::Double), double_(value) {}
  Variant(std::string value) : kind_(Kind::Text), text_(std::move(value)) {}
  Variant(const char* value) : kind_(Kind::Text), text_(value) {}
  static Variant null();
  static Variant fromByte(uint8_t value);
  static Variant fromShort(int16_t value);
  static Variant fromLong(int32_t value);
  // `units` ten-thousandths: fromCurrency(12345) is 1.2345.
  static Variant fromCurrency(int64_t units);
  static Variant fromSingle(float value);
  static Variant fromDate(double dayNumber);
  static Variant fromBinary(std::string bytes);

  Kind kind() const { return kind_; }
  bool isNull() const { return kind_ == Kind::Null; }

  // The stored value, read without conversion: the whole number of a
  // Boolean, Byte, Short, Long or Integer; the ten-thousandths of a
  // Currency; the number of a Single, Double or Date; the bytes of a Text or
  // Binary.
  int64_t wholeValue() const { return integer_; }
  int64_t currencyUnits() const { return integer_; }
  double realValue() const { return double_; }
  const std::string& textValue() const { return text_; }

  // The conversions follow the value library's rules (values/Convert.h).
  // CBool: numbers are True when non-zero; texts per the run-time library
  // (13 when they do not convert); Null is 94; Empty is False.
  bool toBoolean() const;
  // CStr: Booleans read "True"/"False", numbers as the library writes them,
  // dates in the General Date form; Null is 94, bytes 13.
  std::string toText() const;
  // A whole number of up to 64 bits, halves rounded to even; 13 for text
  // that is not a number, 6 beyond the range, 94 for Null.
  int64_t toInteger() const;
  // CDbl: 13 for text that is not a number, 94 for Null.
  double toDouble() const;

  bool operator==(const Variant& other) const = default;

 private:
  Variant(Kind kind, int64_t integer, double real)
      : kind_(kind), integer_(integer), double_(real) {}

  Kind kind_ = Kind::Empty;
  int64_t integer_ = 0;
  double double_ = 0;
  std::string text_;
};

// The kind and the value, "Short(-7)", "Text(\"x\")", for diagnostics.
std::ostream& operator<<(std::ostream& out, const Variant& value);

}  // namespace telvarn

#include "engine/Variant.h"

#include <ostream>

namespace telvarn {

Variant Variant::null() {
  return Variant(Kind::Null, 0, 0);
}

Variant Variant::fromByte(uint8_t value) {
  return Variant(Kind::Byte, value, 0);
}

Variant Variant::fromShort(int16_t value) {
  return Variant(Kind::Short, value, 0);
}

Variant Variant::fromLong(int32_t value) {
  return Variant(Kind::Long, value, 0);
}

Variant Variant::fromCurrency(int64_t units) {
  return Variant(Kind::Currency, units, 0);
}

Variant Variant::fromSingle(float value) {
  return Variant(Kind::Single, 0, value);
}

Variant Variant::fromDate(double dayNumber) {
  return Variant(Kind::Date, 0, dayNumber);
}

Variant Variant::fromBinary(std::string bytes) {
  Variant v(Kind::Binary, 0, 0);
  v.text_ = std::move(bytes);
  return v;
}

std::ostream& operator<<(std::ostream& out, const Variant& value) {
  using Kind = Variant::Kind;
  static constexpr const char* kNames[] = {"Empty", "Null",    "Boolean",  "Byte",   "Short",
                                           "Long",  "Integer", "Currency", "Single", "Double",
                                           "Date",  "Text",    "Binary"};
  out << kNames[static_cast<int>(value.kind())] << "(";
  switch (value.kind()) {
    case Kind::Single:
    case Kind::Double:
    case Kind::Date:
      out << value.realValue();
      break;
    case Kind::Text:
    case Kind::Binary:
      out << '"' << value.textValue() << '"';
      break;
    default:
      out << value.wholeValue();
  }
  return out << ")";
}

}  // namespace telvarn

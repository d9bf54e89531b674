#include "engine/model/FieldValue.h"

#include "engine/DataType.h"
#include "engine/Utf8.h"
#include "engine/jetsql/ConstantExpression.h"
#include "engine/values/Convert.h"
#include "engine/values/Errors.h"

namespace telvarn {
namespace {

Variant converted(const Variant& value, int type, int size) {
  switch (type) {
    case DataType::Boolean:
      return Variant(values::toBool(value));
    case DataType::Byte:
      return Variant::fromByte(values::toByte(value));
    case DataType::Integer:
      return Variant::fromShort(values::toShort(value));
    case DataType::Long:
      return Variant::fromLong(values::toLong(value));
    case DataType::Currency:
      return Variant::fromCurrency(values::toCurrencyUnits(value));
    case DataType::Single:
      return Variant::fromSingle(values::toSingle(value));
    case DataType::Double:
      return Variant(values::toDouble(value));
    case DataType::Date:
      return Variant::fromDate(values::toDate(value));
    case DataType::Binary:
    case DataType::LongBinary:
      if (value.kind() == Variant::Kind::Text) return Variant::fromBinary(value.textValue());
      if (value.kind() != Variant::Kind::Binary) values::fail(values::kTypeMismatch);
      return value;
    default: {
      std::string text = values::toText(value);
      if (type == DataType::Text && size > 0 && toUtf16(text).size() > static_cast<size_t>(size))
        throw engineError(3163);
      return Variant(std::move(text));
    }
  }
}

}  // namespace

Variant fieldValue(const Variant& value, int type, int size) {
  if (value.isNull()) return type == DataType::Boolean ? Variant(false) : Variant::null();
  try {
    return converted(value, type, size);
  } catch (const AppError& error) {
    if (error.number() == values::kTypeMismatch) throw engineError(3421);
    if (error.number() == values::kOverflow) throw engineError(3349);
    throw;
  }
}

Variant defaultValue(const FieldRecord& field) {
  const Variant value =
      field.defaultValue.empty() ? Variant::null() : jetsql::defaultValueOf(field.defaultValue);
  return fieldValue(value, field.type, field.size);
}

}  // namespace telvarn

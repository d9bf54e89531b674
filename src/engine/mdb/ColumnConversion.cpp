#include "engine/mdb/ColumnConversion.h"

#include "engine/AppError.h"
#include "engine/mdb/FixedValue.h"
#include "engine/mdb/TextCodec.h"
#include "engine/values/Convert.h"

namespace telvarn::mdb {
namespace {

bool bytesType(uint8_t type) {
  return type == ColumnType::Binary || type == ColumnType::Ole || type == ColumnType::FixedBinary;
}

// The stored value as the library's typed value.
Variant typed(const ColumnDef& column, const Variant& value) {
  switch (column.type) {
    case ColumnType::Boolean:
      return Variant::fromShort(value.toBoolean() ? -1 : 0);
    case ColumnType::Currency:
      return Variant::fromCurrency(values::toCurrencyUnits(value));
    case ColumnType::Single:
      return Variant::fromSingle(static_cast<float>(value.toDouble()));
    case ColumnType::DateTime:
      return Variant::fromDate(value.toDouble());
    default:
      return value;
  }
}

std::string currencyText(int64_t units) {
  const bool negative = units < 0;
  const uint64_t magnitude =
      negative ? 0 - static_cast<uint64_t>(units) : static_cast<uint64_t>(units);
  return scaledText(negative, magnitude, 4);
}

Variant converted(const Variant& value, const ColumnDef& to) {
  switch (to.type) {
    case ColumnType::Boolean:
      return Variant(values::toBool(value));
    case ColumnType::Byte:
      return Variant(int64_t{values::toByte(value)});
    case ColumnType::Integer:
      return Variant(int64_t{values::toShort(value)});
    case ColumnType::Long:
      return Variant(int64_t{values::toLong(value)});
    case ColumnType::Currency:
      return Variant(currencyText(values::toCurrencyUnits(value)));
    case ColumnType::Single:
      return Variant(static_cast<double>(values::toSingle(value)));
    case ColumnType::Double:
      return Variant(values::toDouble(value));
    case ColumnType::DateTime:
      return Variant(values::toDate(value));
    case ColumnType::Text:
    case ColumnType::Memo: {
      std::string text = values::toText(value);
      if (to.type == ColumnType::Text && unitsFromUtf8(text).size() > to.length / 2u)
        throw engineError(3163);
      return Variant(std::move(text));
    }
    case ColumnType::Guid:
      return Variant(values::toText(value));
    default:
      throw engineError(3421);
  }
}

}  // namespace

Variant convertedValue(const ColumnDef& from, const Variant& value, const ColumnDef& to) {
  if (value.isNull()) return to.type == ColumnType::Boolean ? Variant(false) : value;
  if (bytesType(from.type) || bytesType(to.type)) {
    if (!bytesType(from.type) || !bytesType(to.type)) throw engineError(3421);
    if (to.type != ColumnType::Ole && value.toText().size() > to.length) throw engineError(3163);
    return value;
  }
  try {
    return converted(typed(from, value), to);
  } catch (const AppError& error) {
    if (error.number() == 13) throw engineError(3421);
    if (error.number() == 6) throw engineError(3349);
    throw;
  }
}

}  // namespace telvarn::mdb

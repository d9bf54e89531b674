#include "engine/sqlite/ValueCodec.h"

#include <cstdint>
#include <string>

#include "engine/DataType.h"
#include "engine/values/Calendar.h"
#include "engine/values/Errors.h"

namespace telvarn::sqlite {
namespace {

using Kind = Variant::Kind;

std::string bytesOf(sqlite3_value* value) {
  const auto* bytes = static_cast<const char*>(sqlite3_value_blob(value));
  return bytes ? std::string(bytes, static_cast<size_t>(sqlite3_value_bytes(value))) : "";
}

std::string textOf(sqlite3_value* value) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
  return text ? std::string(text, static_cast<size_t>(sqlite3_value_bytes(value))) : "";
}

// A whole number of kind Byte, Short or Long, widened as far as its value
// needs, as the library widens its whole results.
Variant wholeValue(int64_t value, Kind kind) {
  if (kind == Kind::Byte && value >= 0 && value <= 255)
    return Variant::fromByte(static_cast<uint8_t>(value));
  if (kind != Kind::Long && value >= INT16_MIN && value <= INT16_MAX)
    return Variant::fromShort(static_cast<int16_t>(value));
  if (value >= INT32_MIN && value <= INT32_MAX) return Variant::fromLong(static_cast<int32_t>(value));
  return Variant(static_cast<double>(value));
}

char storageLetter(sqlite3_value* value) {
  switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
      return 'l';
    case SQLITE_FLOAT:
      return 'd';
    case SQLITE_BLOB:
      return 'o';
    default:
      return 'x';
  }
}

Kind kindOfLetter(char letter) {
  switch (letter) {
    case 'b':
      return Kind::Boolean;
    case 'y':
      return Kind::Byte;
    case 's':
      return Kind::Short;
    case 'l':
      return Kind::Long;
    case 'c':
      return Kind::Currency;
    case 'f':
      return Kind::Single;
    case 'd':
      return Kind::Double;
    case 't':
      return Kind::Date;
    case 'o':
      return Kind::Binary;
    case 'n':
      return Kind::Null;
    default:
      return Kind::Text;
  }
}

}  // namespace

char kindLetter(Kind kind) {
  static constexpr char kLetters[] = {'n', 'n', 'b', 'y', 's', 'l', 'l',
                                      'c', 'f', 'd', 't', 'x', 'o'};
  return kLetters[static_cast<int>(kind)];
}

Kind kindOfField(int type) {
  switch (type) {
    case DataType::Boolean:
      return Kind::Boolean;
    case DataType::Byte:
      return Kind::Byte;
    case DataType::Integer:
      return Kind::Short;
    case DataType::Long:
      return Kind::Long;
    case DataType::Currency:
      return Kind::Currency;
    case DataType::Single:
      return Kind::Single;
    case DataType::Double:
      return Kind::Double;
    case DataType::Date:
      return Kind::Date;
    case DataType::Binary:
    case DataType::LongBinary:
      return Kind::Binary;
    default:
      return Kind::Text;
  }
}

Variant readValue(sqlite3_value* value, char letter) {
  const int storage = sqlite3_value_type(value);
  if (storage == SQLITE_NULL) return Variant::null();
  if (letter == kVaries) {
    const auto subtype = static_cast<char>(sqlite3_value_subtype(value));
    letter = subtype != 0 ? subtype : storageLetter(value);
  }
  const Kind kind = kindOfLetter(letter);
  switch (kind) {
    case Kind::Boolean:
      return Variant(sqlite3_value_int64(value) != 0);
    case Kind::Byte:
    case Kind::Short:
    case Kind::Long:
      if (storage == SQLITE_INTEGER) return wholeValue(sqlite3_value_int64(value), kind);
      return Variant(sqlite3_value_double(value));
    case Kind::Currency:
      // SQLite's own sum beyond 64 bits is a REAL: the dialect's overflow.
      if (storage != SQLITE_INTEGER) values::fail(values::kOverflow);
      return Variant::fromCurrency(sqlite3_value_int64(value));
    case Kind::Single:
      return Variant::fromSingle(static_cast<float>(sqlite3_value_double(value)));
    case Kind::Double:
      return Variant(sqlite3_value_double(value));
    case Kind::Date: {
      const double day = sqlite3_value_double(value);
      return values::momentOf(day) ? Variant::fromDate(day) : Variant(day);
    }
    case Kind::Binary:
      return Variant::fromBinary(bytesOf(value));
    case Kind::Null:
      return Variant::null();
    default:
      return Variant(textOf(value));
  }
}

void setResult(sqlite3_context* context, const Variant& value) {
  switch (value.kind()) {
    case Kind::Empty:
    case Kind::Null:
      return sqlite3_result_null(context);
    case Kind::Boolean:
    case Kind::Byte:
    case Kind::Short:
    case Kind::Long:
    case Kind::Integer:
    case Kind::Currency:
      sqlite3_result_int64(context, value.wholeValue());
      break;
    case Kind::Single:
    case Kind::Double:
    case Kind::Date:
      sqlite3_result_double(context, value.realValue());
      break;
    case Kind::Text:
      sqlite3_result_text(context, value.textValue().data(),
                          static_cast<int>(value.textValue().size()), SQLITE_TRANSIENT);
      break;
    case Kind::Binary:
      sqlite3_result_blob(context, value.textValue().data(),
                          static_cast<int>(value.textValue().size()), SQLITE_TRANSIENT);
      break;
  }
  sqlite3_result_subtype(context, static_cast<unsigned char>(kindLetter(value.kind())));
}

void bindValue(sqlite3_stmt* statement, int index, const Variant& value) {
  switch (value.kind()) {
    case Kind::Empty:
    case Kind::Null:
      sqlite3_bind_null(statement, index);
      return;
    case Kind::Boolean:
    case Kind::Byte:
    case Kind::Short:
    case Kind::Long:
    case Kind::Integer:
    case Kind::Currency:
      sqlite3_bind_int64(statement, index, value.wholeValue());
      return;
    case Kind::Single:
    case Kind::Double:
    case Kind::Date:
      sqlite3_bind_double(statement, index, value.realValue());
      return;
    case Kind::Text:
      sqlite3_bind_text(statement, index, value.textValue().data(),
                        static_cast<int>(value.textValue().size()), SQLITE_TRANSIENT);
      return;
    case Kind::Binary:
      sqlite3_bind_blob(statement, index, value.textValue().data(),
                        static_cast<int>(value.textValue().size()), SQLITE_TRANSIENT);
      return;
  }
}

Variant columnValue(sqlite3_stmt* statement, int column, int type) {
  return readValue(sqlite3_column_value(statement, column), kindLetter(kindOfField(type)));
}

}  // namespace telvarn::sqlite

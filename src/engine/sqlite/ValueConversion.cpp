#include "engine/sqlite/ValueConversion.h"

#include <cmath>
#include <string>

#include "engine/AppError.h"
#include "engine/Conversions.h"
#include "engine/DataType.h"
#include "engine/DateText.h"
#include "engine/NumberText.h"
#include "engine/sqlite/FunctionSupport.h"

namespace telvarn::sqlite {

void resultError(sqlite3_context* context, int number, const std::string& insertion) {
  std::string message = std::string(kErrorPrefix) + std::to_string(number);
  if (!insertion.empty()) message += ":" + insertion;
  sqlite3_result_error(context, message.c_str(), -1);
}

namespace {

std::string valueText(sqlite3_value* value) {
  const auto* bytes = reinterpret_cast<const char*>(sqlite3_value_text(value));
  return bytes ? std::string(bytes, static_cast<size_t>(sqlite3_value_bytes(value))) : "";
}

// The value as a number, or nullopt when it is text that is not one.
std::optional<double> valueNumber(sqlite3_value* value) {
  switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
      return sqlite3_value_double(value);
    default:
      return parseNumber(valueText(value));
  }
}

size_t characterCount(const std::string& utf8) {
  size_t count = 0;
  for (unsigned char c : utf8) count += (c & 0xC0) != 0x80;
  return count;
}

void toWholeNumber(sqlite3_context* context, double number, double low, double high) {
  const double rounded = roundHalfEven(number);
  if (!(rounded >= low && rounded <= high)) return resultError(context, 3349);
  sqlite3_result_int64(context, static_cast<sqlite3_int64>(rounded));
}

void toText(sqlite3_context* context, sqlite3_value* value, int size) {
  std::string text;
  if (sqlite3_value_type(value) == SQLITE_FLOAT) {
    text = writeDouble(sqlite3_value_double(value), Notation::General, 15);
  } else {
    text = valueText(value);
  }
  if (size > 0 && characterCount(text) > static_cast<size_t>(size)) {
    return resultError(context, 3163);
  }
  sqlite3_result_text(context, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void toDate(sqlite3_context* context, sqlite3_value* value) {
  if (sqlite3_value_type(value) == SQLITE_TEXT) {
    const std::optional<std::string> date = parseDateText(valueText(value));
    if (!date) return resultError(context, 3421);
    return sqlite3_result_text(context, date->c_str(), -1, SQLITE_TRANSIENT);
  }
  const std::optional<std::string> date = dateFromSerial(sqlite3_value_double(value));
  if (!date) return resultError(context, 3421);
  sqlite3_result_text(context, date->c_str(), -1, SQLITE_TRANSIENT);
}

void convert(sqlite3_context* context, sqlite3_value** argv) {
  sqlite3_value* value = argv[0];
  const int type = sqlite3_value_int(argv[1]);
  const int size = sqlite3_value_int(argv[2]);
  if (sqlite3_value_type(value) == SQLITE_NULL) {
    // A Yes/No field cannot hold Null: it reads as No.
    if (type == DataType::Boolean) return sqlite3_result_int(context, 0);
    return sqlite3_result_null(context);
  }
  if (type == DataType::Text || type == DataType::Memo || type == DataType::Guid) {
    return toText(context, value, type == DataType::Text ? size : 0);
  }
  if (type == DataType::Binary || type == DataType::LongBinary) {
    return sqlite3_result_value(context, value);
  }
  if (type == DataType::Date) return toDate(context, value);
  if (type == DataType::Boolean && sqlite3_value_type(value) == SQLITE_TEXT) {
    try {
      return sqlite3_result_int(context, toBoolean(valueText(value)) ? -1 : 0);
    } catch (const AppError&) {
      return resultError(context, 3421);
    }
  }
  const std::optional<double> number = valueNumber(value);
  if (!number) return resultError(context, 3421);
  switch (type) {
    case DataType::Boolean:
      return sqlite3_result_int(context, *number != 0 ? -1 : 0);
    case DataType::Byte:
      return toWholeNumber(context, *number, 0, 255);
    case DataType::Integer:
      return toWholeNumber(context, *number, -32768, 32767);
    case DataType::Long:
      return toWholeNumber(context, *number, -2147483648.0, 2147483647.0);
    case DataType::Currency:
      return sqlite3_result_double(context, std::round(*number * 10000) / 10000);
    default:
      return sqlite3_result_double(context, *number);
  }
}

}  // namespace

void registerValueConversion(sqlite3* db) {
  sqlite3_create_function(db, "telvarn_convert", 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                          guarded<convert>, nullptr, nullptr);
}

}  // namespace telvarn::sqlite

// The functions every written value passes: telvarn_convert, the value as
// its field stores it, and telvarn_check_field, the field's rules on it.
// A type change runs every row through telvarn_convert, so that it either
// converts every value or changes nothing.
#include <cstdint>

#include "engine/DataType.h"
#include "engine/model/FieldValue.h"
#include "engine/sqlite/FunctionSupport.h"
#include "engine/sqlite/ValueCodec.h"
#include "engine/values/Calendar.h"

namespace telvarn::sqlite {
namespace {

// Whether a value is already as a field of engine type `type` keeps it:
// a whole number within a Long's range for a Long, a count of
// ten-thousandths for a Currency, a valid day number for a Date/Time. The
// common case of arithmetic on fields of the field's own type, which then
// costs no conversion.
bool storedAsItIs(sqlite3_value* value, char letter, int type) {
  const int storage = sqlite3_value_type(value);
  switch (type) {
    case DataType::Long: {
      if (storage != SQLITE_INTEGER || (letter != 'y' && letter != 's' && letter != 'l'))
        return false;
      const int64_t whole = sqlite3_value_int64(value);
      return whole >= INT32_MIN && whole <= INT32_MAX;
    }
    case DataType::Currency:
      return storage == SQLITE_INTEGER && letter == 'c';
    case DataType::Date:
      return (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) && letter == 't' &&
             values::momentOf(sqlite3_value_double(value)).has_value();
    default:
      return false;
  }
}

void convert(sqlite3_context* context, sqlite3_value** argv) {
  const char letter = letterAt(codeOf(argv[1]), 0);
  const int type = sqlite3_value_int(argv[2]);
  if (storedAsItIs(argv[0], letter, type)) {
    sqlite3_result_value(context, argv[0]);
    return;
  }
  const Variant value = readValue(argv[0], letter);
  setResult(context, fieldValue(value, type, sqlite3_value_int(argv[3])));
}

// The third argument: 1 for a Required field, 2 for a field in an index
// that refuses Null.
void checkField(sqlite3_context* context, sqlite3_value** argv) {
  const auto* name = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
  const std::string field = name ? name : "";
  const bool null = sqlite3_value_type(argv[0]) == SQLITE_NULL;
  if (null && sqlite3_value_int(argv[2]) == 1) throw engineError(3314, {field});
  if (null && sqlite3_value_int(argv[2]) == 2) throw engineError(3058);
  if (sqlite3_value_type(argv[0]) == SQLITE_TEXT && sqlite3_value_bytes(argv[0]) == 0 &&
      sqlite3_value_int(argv[3]) == 0)
    throw engineError(3315, {field});
  sqlite3_result_value(context, argv[0]);
}

}  // namespace

void registerValueConversion(sqlite3* db) {
  sqlite3_create_function(db, "telvarn_convert", 4,
                          SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_SUBTYPE, nullptr,
                          guarded<convert>, nullptr, nullptr);
  sqlite3_create_function(db, "telvarn_check_field", 4, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                          guarded<checkField>, nullptr, nullptr);
}

}  // namespace telvarn::sqlite

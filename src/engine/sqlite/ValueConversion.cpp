// The functions every written value passes: telvarn_convert, the value as
// its field stores it, and telvarn_check_field, the field's rules on it.
// A type change runs every row through telvarn_convert, so that it either
// converts every value or changes nothing.
#include "engine/FieldValue.h"
#include "engine/sqlite/FunctionSupport.h"

namespace telvarn::sqlite {
namespace {

void convert(sqlite3_context* context, sqlite3_value** argv) {
  const Variant value = readValue(argv[0], letterAt(codeOf(argv[1]), 0));
  setResult(context, fieldValue(value, sqlite3_value_int(argv[2]), sqlite3_value_int(argv[3])));
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
  sqlite3_create_function(db, "telvarn_convert", 4, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_SUBTYPE,
                          nullptr, guarded<convert>, nullptr, nullptr);
  sqlite3_create_function(db, "telvarn_check_field", 4, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                          guarded<checkField>, nullptr, nullptr);
}

}  // namespace telvarn::sqlite

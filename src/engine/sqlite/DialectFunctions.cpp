#include "engine/sqlite/DialectFunctions.h"

#include <cmath>
#include <optional>
#include <string>

#include "engine/AppError.h"
#include "engine/Conversions.h"
#include "engine/DateText.h"
#include "engine/NumberText.h"
#include "engine/jetsql/LikePattern.h"
#include "engine/sqlite/FunctionSupport.h"

namespace telvarn::sqlite {
namespace {

void like(sqlite3_context* context, sqlite3_value** argv) {
  if (isNull(argv[0]) || isNull(argv[1])) return sqlite3_result_null(context);
  sqlite3_result_int(context, jetsql::likeMatches(textOf(argv[0]), textOf(argv[1])) ? -1 : 0);
}

// The serial number of a value that is a date text, as date arithmetic
// takes it; nullopt for anything else.
std::optional<double> dateSerial(sqlite3_value* value) {
  if (sqlite3_value_type(value) != SQLITE_TEXT || parseNumber(rawText(value))) return std::nullopt;
  const auto stored = parseDateText(rawText(value));
  return stored ? serialFromDate(*stored) : std::nullopt;
}

// "+" adds numbers but joins two texts; Null makes Null either way. A date
// plus a number is that many days later.
void add(sqlite3_context* context, sqlite3_value** argv) {
  if (isNull(argv[0]) || isNull(argv[1])) return sqlite3_result_null(context);
  if (sqlite3_value_type(argv[0]) == SQLITE_TEXT && sqlite3_value_type(argv[1]) == SQLITE_TEXT) {
    return resultText(context, rawText(argv[0]) + rawText(argv[1]));
  }
  for (int i = 0; i < 2; ++i) {
    const std::optional<double> date = dateSerial(argv[i]);
    if (!date) continue;
    const auto sum = dateFromSerial(*date + numberOf(argv[1 - i]).value());
    if (!sum) throw FunctionError{6, {}};
    return resultText(context, *sum);
  }
  const Number a = numberOf(argv[0]);
  const Number b = numberOf(argv[1]);
  int64_t sum = 0;
  if (a.integral && b.integral && !__builtin_add_overflow(a.integer, b.integer, &sum)) {
    return sqlite3_result_int64(context, sum);
  }
  sqlite3_result_double(context, a.value() + b.value());
}

// "&" joins the texts of its operands, a Null counting as "".
void concat(sqlite3_context* context, sqlite3_value** argv) {
  if (isNull(argv[0]) && isNull(argv[1])) return sqlite3_result_null(context);
  resultText(context, textOf(argv[0]) + textOf(argv[1]));
}

void divide(sqlite3_context* context, sqlite3_value** argv) {
  if (isNull(argv[0]) || isNull(argv[1])) return sqlite3_result_null(context);
  const double divisor = numberOf(argv[1]).value();
  if (divisor == 0) throw FunctionError{kDivisionByZero, {}};
  sqlite3_result_double(context, numberOf(argv[0]).value() / divisor);
}

// "\" and Mod round both operands to whole numbers first.
void intDivide(sqlite3_context* context, sqlite3_value** argv) {
  if (isNull(argv[0]) || isNull(argv[1])) return sqlite3_result_null(context);
  const int64_t divisor = wholeOf(argv[1]);
  if (divisor == 0) throw FunctionError{kDivisionByZero, {}};
  sqlite3_result_int64(context, wholeOf(argv[0]) / divisor);
}

void modulo(sqlite3_context* context, sqlite3_value** argv) {
  if (isNull(argv[0]) || isNull(argv[1])) return sqlite3_result_null(context);
  const int64_t divisor = wholeOf(argv[1]);
  if (divisor == 0) throw FunctionError{kDivisionByZero, {}};
  sqlite3_result_int64(context, wholeOf(argv[0]) % divisor);
}

void power(sqlite3_context* context, sqlite3_value** argv) {
  if (isNull(argv[0]) || isNull(argv[1])) return sqlite3_result_null(context);
  const double result = std::pow(numberOf(argv[0]).value(), numberOf(argv[1]).value());
  if (std::isnan(result)) throw FunctionError{kInvalidCall, {}};
  if (std::isinf(result)) throw FunctionError{6, {}};
  sqlite3_result_double(context, result);
}

void text(sqlite3_context* context, sqlite3_value** argv) {
  if (isNull(argv[0])) return sqlite3_result_null(context);
  resultText(context, textOf(argv[0]));
}

void right(sqlite3_context* context, sqlite3_value** argv) {
  if (isNull(argv[0])) return sqlite3_result_null(context);
  const int64_t count = wholeOf(argv[1]);
  if (count < 0) throw FunctionError{kInvalidCall, {}};
  const std::string value = textOf(argv[0]);
  size_t start = value.size();
  for (int64_t taken = 0; start > 0 && taken < count;) {
    --start;
    if ((static_cast<unsigned char>(value[start]) & 0xC0) != 0x80) ++taken;
  }
  resultText(context, value.substr(start));
}

void rounded(sqlite3_context* context, sqlite3_value** argv, double (*how)(double)) {
  if (isNull(argv[0])) return sqlite3_result_null(context);
  const Number number = numberOf(argv[0]);
  if (number.integral) return sqlite3_result_int64(context, number.integer);
  sqlite3_result_double(context, how(number.real));
}

void floorOf(sqlite3_context* context, sqlite3_value** argv) {
  rounded(context, argv, std::floor);
}
void truncOf(sqlite3_context* context, sqlite3_value** argv) {
  rounded(context, argv, std::trunc);
}

// Val: the number at the start of a text, blanks ignored; 0 when there is none.
void val(sqlite3_context* context, sqlite3_value** argv) {
  if (isNull(argv[0])) throw FunctionError{94, {}};
  std::string digits;
  for (char c : textOf(argv[0])) {
    if (c != ' ' && c != '\t') digits += c;
  }
  const std::optional<LeadingNumber> number = readLeadingDecimal(digits);
  sqlite3_result_double(context, number ? number->value : 0);
}

// The checks a stored value meets after its conversion to the field's type.
// The third argument: 1 for a Required field, 2 for a field in an index
// that refuses Null.
void checkField(sqlite3_context* context, sqlite3_value** argv) {
  const std::string field = rawText(argv[1]);
  if (isNull(argv[0]) && sqlite3_value_int(argv[2]) == 1) throw FunctionError{3314, field};
  if (isNull(argv[0]) && sqlite3_value_int(argv[2]) == 2) throw FunctionError{3058, {}};
  if (sqlite3_value_type(argv[0]) == SQLITE_TEXT && sqlite3_value_bytes(argv[0]) == 0 &&
      sqlite3_value_int(argv[3]) == 0)
    throw FunctionError{3315, field};
  sqlite3_result_value(context, argv[0]);
}

struct Function {
  const char* name;
  int arguments;
  void (*call)(sqlite3_context*, int, sqlite3_value**);
};

constexpr Function kFunctions[] = {
    {"telvarn_like", 2, guarded<like>},
    {"telvarn_add", 2, guarded<add>},
    {"telvarn_concat", 2, guarded<concat>},
    {"telvarn_div", 2, guarded<divide>},
    {"telvarn_intdiv", 2, guarded<intDivide>},
    {"telvarn_mod", 2, guarded<modulo>},
    {"telvarn_pow", 2, guarded<power>},
    {"telvarn_text", 1, guarded<text>},
    {"telvarn_right", 2, guarded<right>},
    {"telvarn_int", 1, guarded<floorOf>},
    {"telvarn_fix", 1, guarded<truncOf>},
    {"telvarn_val", 1, guarded<val>},
    {"telvarn_check_field", 4, guarded<checkField>},
};

}  // namespace

void registerDialectFunctions(sqlite3* db) {
  for (const Function& function : kFunctions) {
    sqlite3_create_function(db, function.name, function.arguments,
                            SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, function.call, nullptr,
                            nullptr);
  }
  registerDateFunctions(db);
  registerTextFunctions(db);
  registerAggregates(db);
}

}  // namespace telvarn::sqlite

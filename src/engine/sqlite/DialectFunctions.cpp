#include "engine/sqlite/DialectFunctions.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "engine/AppError.h"
#include "engine/Conversions.h"
#include "engine/jetsql/LikePattern.h"
#include "engine/sqlite/ValueConversion.h"

namespace telvarn::sqlite {
namespace {

constexpr int kDivisionByZero = 11;
constexpr int kInvalidCall = 5;
constexpr int kTypeMismatch = 3464;

// Raised inside a function; the executor turns it into the engine error.
struct FunctionError {
  int number;
  std::string insertion;
};

bool isNull(sqlite3_value* value) {
  return sqlite3_value_type(value) == SQLITE_NULL;
}

std::string rawText(sqlite3_value* value) {
  const auto* bytes = reinterpret_cast<const char*>(sqlite3_value_text(value));
  return bytes ? std::string(bytes, static_cast<size_t>(sqlite3_value_bytes(value))) : "";
}

// A value as text the way the run-time library writes it: 15 significant
// digits for a Double, no trailing ".0".
std::string textOf(sqlite3_value* value) {
  if (sqlite3_value_type(value) != SQLITE_FLOAT) return rawText(value);
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.15G", sqlite3_value_double(value));
  return buffer;
}

struct Number {
  bool integral = false;
  int64_t integer = 0;
  double real = 0;
  double value() const { return integral ? static_cast<double>(integer) : real; }
};

Number numberOf(sqlite3_value* value) {
  switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
      return {true, sqlite3_value_int64(value), 0};
    case SQLITE_FLOAT:
      return {false, 0, sqlite3_value_double(value)};
    default: {
      const std::optional<double> parsed = parseNumber(rawText(value));
      if (!parsed) throw FunctionError{kTypeMismatch, {}};
      return {false, 0, *parsed};
    }
  }
}

int64_t wholeOf(sqlite3_value* value) {
  const Number number = numberOf(value);
  if (number.integral) return number.integer;
  const double rounded = roundHalfEven(number.real);
  if (!(std::fabs(rounded) < 9.2e18)) throw FunctionError{6, {}};
  return static_cast<int64_t>(rounded);
}

void resultText(sqlite3_context* context, const std::string& text) {
  sqlite3_result_text(context, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

using Body = void (*)(sqlite3_context*, sqlite3_value**);

// Runs a function body, handing any engine error to SQLite as its message.
template <Body body>
void guarded(sqlite3_context* context, int, sqlite3_value** argv) {
  try {
    body(context, argv);
  } catch (const FunctionError& error) {
    std::string message = kErrorPrefix + std::to_string(error.number);
    if (!error.insertion.empty()) message += ":" + error.insertion;
    sqlite3_result_error(context, message.c_str(), -1);
  } catch (const AppError& error) {
    const std::string message = kErrorPrefix + std::to_string(error.number());
    sqlite3_result_error(context, message.c_str(), -1);
  }
}

void like(sqlite3_context* context, sqlite3_value** argv) {
  if (isNull(argv[0]) || isNull(argv[1])) return sqlite3_result_null(context);
  sqlite3_result_int(context, jetsql::likeMatches(textOf(argv[0]), textOf(argv[1])) ? -1 : 0);
}

// "+" adds numbers but joins two texts; Null makes Null either way.
void add(sqlite3_context* context, sqlite3_value** argv) {
  if (isNull(argv[0]) || isNull(argv[1])) return sqlite3_result_null(context);
  if (sqlite3_value_type(argv[0]) == SQLITE_TEXT && sqlite3_value_type(argv[1]) == SQLITE_TEXT) {
    return resultText(context, rawText(argv[0]) + rawText(argv[1]));
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
  sqlite3_result_double(context, std::strtod(digits.c_str(), nullptr));
}

// The checks a stored value meets after its conversion to the field's type.
void checkField(sqlite3_context* context, sqlite3_value** argv) {
  const std::string field = rawText(argv[1]);
  if (isNull(argv[0]) && sqlite3_value_int(argv[2]) != 0) throw FunctionError{3314, field};
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
}

}  // namespace telvarn::sqlite

#include "engine/sqlite/DialectFunctions.h"

#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

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
std::optional<double> dateSerial(const Operand& value) {
  if (value.type != SQLITE_TEXT || parseNumber(value.text)) return std::nullopt;
  const auto stored = parseDateText(value.text);
  return stored ? serialFromDate(*stored) : std::nullopt;
}

// "+" adds numbers but joins two texts; Null makes Null either way. A date
// plus a number is that many days later.
Operand add(const Operand& a, const Operand& b) {
  if (a.isNull() || b.isNull()) return {};
  if (a.type == SQLITE_TEXT && b.type == SQLITE_TEXT) return Operand::ofText(a.text + b.text);
  for (const auto& [one, other] : {std::pair(&a, &b), std::pair(&b, &a)}) {
    const std::optional<double> date = dateSerial(*one);
    if (!date) continue;
    const auto sum = dateFromSerial(*date + numberOf(*other).value());
    if (!sum) throw FunctionError{6, {}};
    return Operand::ofText(*sum);
  }
  const Number x = numberOf(a);
  const Number y = numberOf(b);
  int64_t sum = 0;
  if (x.integral && y.integral && !__builtin_add_overflow(x.integer, y.integer, &sum)) {
    return Operand::ofInteger(sum);
  }
  return Operand::ofReal(x.value() + y.value());
}

// "&" joins the texts of its operands, a Null counting as "".
Operand concat(const Operand& a, const Operand& b) {
  if (a.isNull() && b.isNull()) return {};
  return Operand::ofText(textOf(a) + textOf(b));
}

Operand divide(const Operand& a, const Operand& b) {
  if (a.isNull() || b.isNull()) return {};
  const double divisor = numberOf(b).value();
  if (divisor == 0) throw FunctionError{kDivisionByZero, {}};
  return Operand::ofReal(numberOf(a).value() / divisor);
}

// "\" and Mod round both operands to whole numbers first.
Operand intDivide(const Operand& a, const Operand& b) {
  if (a.isNull() || b.isNull()) return {};
  const int64_t divisor = wholeOf(b);
  if (divisor == 0) throw FunctionError{kDivisionByZero, {}};
  return Operand::ofInteger(wholeOf(a) / divisor);
}

Operand modulo(const Operand& a, const Operand& b) {
  if (a.isNull() || b.isNull()) return {};
  const int64_t divisor = wholeOf(b);
  if (divisor == 0) throw FunctionError{kDivisionByZero, {}};
  return Operand::ofInteger(wholeOf(a) % divisor);
}

Operand power(const Operand& a, const Operand& b) {
  if (a.isNull() || b.isNull()) return {};
  const double result = std::pow(numberOf(a).value(), numberOf(b).value());
  if (std::isnan(result)) throw FunctionError{kInvalidCall, {}};
  if (std::isinf(result)) throw FunctionError{6, {}};
  return Operand::ofReal(result);
}

// A list of terms (telvarn_terms) is a pointer value of this type; SQLite
// hands it on only from one function straight to another.
constexpr const char* kTermsType = "telvarn-terms";

struct Terms {
  std::vector<std::unique_ptr<sqlite3_value, void (*)(sqlite3_value*)>> values;
};

// Each operand the arguments stand for, in order: an argument that is a
// list of terms stands for its terms.
template <typename Visit>
void forEachOperand(int argc, sqlite3_value** argv, Visit visit) {
  for (int i = 0; i < argc; ++i) {
    const auto* list = static_cast<const Terms*>(sqlite3_value_pointer(argv[i], kTermsType));
    if (!list) {
      visit(argv[i]);
      continue;
    }
    for (const auto& value : list->values) visit(value.get());
  }
}

// telvarn_terms(...): its operands kept as one list, for an operator
// function given more operands than SQLite passes as arguments.
void terms(sqlite3_context* context, int argc, sqlite3_value** argv) {
  auto list = std::make_unique<Terms>();
  forEachOperand(argc, argv, [&](sqlite3_value* value) {
    list->values.emplace_back(sqlite3_value_dup(value), sqlite3_value_free);
  });
  sqlite3_result_pointer(context, list.release(), kTermsType,
                         [](void* list) { delete static_cast<Terms*>(list); });
}

using Step = Operand (*)(const Operand&, const Operand&);

// An operator over any number of operands, applied left to right.
template <Step step>
void run(sqlite3_context* context, int argc, sqlite3_value** argv) {
  reportingErrors(context, [&] {
    std::optional<Operand> result;
    forEachOperand(argc, argv, [&](sqlite3_value* value) {
      result = result ? step(*result, Operand::of(value)) : Operand::of(value);
    });
    resultOperand(context, result.value_or(Operand{}));
  });
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
    {"telvarn_like", 2, guarded<like>},   {"telvarn_terms", -1, terms},
    {"telvarn_add", -1, run<add>},        {"telvarn_concat", -1, run<concat>},
    {"telvarn_div", -1, run<divide>},     {"telvarn_intdiv", -1, run<intDivide>},
    {"telvarn_mod", -1, run<modulo>},     {"telvarn_pow", -1, run<power>},
    {"telvarn_text", 1, guarded<text>},   {"telvarn_right", 2, guarded<right>},
    {"telvarn_int", 1, guarded<floorOf>}, {"telvarn_fix", 1, guarded<truncOf>},
    {"telvarn_val", 1, guarded<val>},     {"telvarn_check_field", 4, guarded<checkField>},
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

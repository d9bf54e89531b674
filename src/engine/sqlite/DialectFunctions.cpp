#include "engine/sqlite/DialectFunctions.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/jetsql/LikePattern.h"
#include "engine/sqlite/Connection.h"
#include "engine/sqlite/FunctionSupport.h"
#include "engine/values/Arithmetic.h"
#include "engine/values/Comparison.h"
#include "engine/values/Convert.h"

namespace telvarn::sqlite {

void resultError(sqlite3_context* context, const AppError& error) {
  sqlite3_result_error(context, failureMessage(error).c_str(), -1);
}

namespace {

// A list of terms (telvarn_terms) is a pointer value of this type; SQLite
// hands it on only from one function straight to another.
constexpr const char* kTermsType = "telvarn-terms";

using Terms = std::vector<Variant>;

// Each operand the arguments stand for, in order: an argument that is a
// list of terms stands for its terms.
template <typename Visit>
void forEachOperand(std::string_view code, int argc, sqlite3_value** argv, Visit visit) {
  for (int i = 0; i < argc; ++i) {
    if (const auto* list = static_cast<const Terms*>(sqlite3_value_pointer(argv[i], kTermsType))) {
      for (const Variant& value : *list) visit(value);
    } else {
      visit(readValue(argv[i], letterAt(code, static_cast<size_t>(i))));
    }
  }
}

// telvarn_terms(code, ...): its operands kept as one list.
void terms(sqlite3_context* context, int argc, sqlite3_value** argv) {
  reporting(context, [&] {
    auto list = std::make_unique<Terms>();
    forEachOperand(codeOf(argv[0]), argc - 1, argv + 1,
                   [&](const Variant& value) { list->push_back(value); });
    sqlite3_result_pointer(context, list.release(), kTermsType,
                           [](void* list) { delete static_cast<Terms*>(list); });
  });
}

using Step = Variant (*)(const Variant&, const Variant&);

// An operator over any number of operands, applied left to right.
template <Step step>
void fold(sqlite3_context* context, int argc, sqlite3_value** argv) {
  reporting(context, [&] {
    std::optional<Variant> result;
    forEachOperand(codeOf(argv[0]), argc - 1, argv + 1, [&](const Variant& value) {
      result = result ? step(*result, value) : value;
    });
    setResult(context, result.value_or(Variant::null()));
  });
}

void negate(sqlite3_context* context, sqlite3_value** argv) {
  setResult(context, values::negate(readValue(argv[1], letterAt(codeOf(argv[0]), 0))));
}

// A result of True, False or Null as SQLite's own tests give it: 1, 0 or
// Null.
void resultTest(sqlite3_context* context, std::optional<bool> holds) {
  if (!holds) return sqlite3_result_null(context);
  sqlite3_result_int(context, *holds ? 1 : 0);
}

void compare(sqlite3_context* context, sqlite3_value** argv) {
  const std::string_view code = codeOf(argv[1]);
  const Variant result = values::compare(static_cast<values::Comparison>(sqlite3_value_int(argv[0])),
                                         readValue(argv[2], letterAt(code, 0)),
                                         readValue(argv[3], letterAt(code, 1)));
  resultTest(context, result.isNull() ? std::nullopt : std::optional(result.toBoolean()));
}

// Between takes its bounds in either order.
void between(sqlite3_context* context, sqlite3_value** argv) {
  const std::string_view code = codeOf(argv[0]);
  const Variant value = readValue(argv[1], letterAt(code, 0));
  const Variant one = readValue(argv[2], letterAt(code, 1));
  const Variant other = readValue(argv[3], letterAt(code, 2));
  const std::optional<int> aboveOne = values::order(value, one);
  const std::optional<int> aboveOther = values::order(value, other);
  if (!aboveOne || !aboveOther) return resultTest(context, std::nullopt);
  resultTest(context, (*aboveOne >= 0 && *aboveOther <= 0) || (*aboveOther >= 0 && *aboveOne <= 0));
}

// True when the value equals an item; else Null when an item is Null.
void in(sqlite3_context* context, int argc, sqlite3_value** argv) {
  reporting(context, [&] {
    const std::string_view code = codeOf(argv[0]);
    const Variant value = readValue(argv[1], letterAt(code, 0));
    if (value.isNull()) return resultTest(context, std::nullopt);
    bool found = false;
    bool nullItem = false;
    forEachOperand(code.substr(std::min<size_t>(1, code.size())), argc - 2, argv + 2,
                   [&](const Variant& item) {
                     const std::optional<int> order = values::order(value, item);
                     found = found || order == 0;
                     nullItem = nullItem || !order;
                   });
    resultTest(context, found ? std::optional(true) : nullItem ? std::nullopt : std::optional(false));
  });
}

void like(sqlite3_context* context, sqlite3_value** argv) {
  const std::string_view code = codeOf(argv[0]);
  const Variant text = readValue(argv[1], letterAt(code, 0));
  const Variant pattern = readValue(argv[2], letterAt(code, 1));
  if (text.isNull() || pattern.isNull()) return resultTest(context, std::nullopt);
  resultTest(context, jetsql::likeMatches(values::toText(text), values::toText(pattern)));
}

void typed(sqlite3_context* context, sqlite3_value** argv) {
  sqlite3_result_value(context, argv[0]);
  const auto* letter = sqlite3_value_text(argv[1]);
  if (letter && *letter) sqlite3_result_subtype(context, *letter);
}

void kind(sqlite3_context* context, sqlite3_value** argv) {
  const char letter = kindLetter(readValue(argv[0], kVaries).kind());
  sqlite3_result_text(context, &letter, 1, SQLITE_TRANSIENT);
}

struct Function {
  const char* name;
  int arguments;
  void (*call)(sqlite3_context*, int, sqlite3_value**);
};

constexpr Function kFunctions[] = {
    {"telvarn_terms", -1, terms},
    {"telvarn_add", -1, fold<values::add>},
    {"telvarn_subtract", -1, fold<values::subtract>},
    {"telvarn_multiply", -1, fold<values::multiply>},
    {"telvarn_divide", -1, fold<values::divide>},
    {"telvarn_intdiv", -1, fold<values::integerDivide>},
    {"telvarn_mod", -1, fold<values::modulo>},
    {"telvarn_pow", -1, fold<values::power>},
    {"telvarn_concat", -1, fold<values::concatenate>},
    {"telvarn_negate", 2, guarded<negate>},
    {"telvarn_compare", 4, guarded<compare>},
    {"telvarn_between", 4, guarded<between>},
    {"telvarn_in", -1, in},
    {"telvarn_like", 3, guarded<like>},
    {"telvarn_typed", 2, guarded<typed>},
    {"telvarn_kind", 1, guarded<kind>},
};

}  // namespace

void registerDialectFunctions(sqlite3* db) {
  for (const Function& function : kFunctions) {
    sqlite3_create_function(db, function.name, function.arguments,
                            SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_SUBTYPE, nullptr,
                            function.call, nullptr, nullptr);
  }
  registerLibraryFunctions(db);
  registerAggregates(db);
  registerValueConversion(db);
}

}  // namespace telvarn::sqlite

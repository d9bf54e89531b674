// The aggregates whose rules SQLite's own do not follow (exact Currency
// sums and averages, the spreads, First and Last, values of a kind that
// differs by row), and the functions of the value library's table, as SQL
// functions computing with the library.
#include <cctype>
#include <string>
#include <vector>

#include "engine/sqlite/FunctionSupport.h"
#include "engine/values/Aggregates.h"
#include "engine/values/FunctionTable.h"

namespace telvarn::sqlite {
namespace {

// telvarn_aggregate(aggregate, code, value): the group's Aggregate lives
// from its first row's step to the final call, which SQLite makes whenever
// a step was made.
void aggregateStep(sqlite3_context* context, int, sqlite3_value** argv) {
  auto** slot = static_cast<values::Aggregate**>(
      sqlite3_aggregate_context(context, sizeof(values::Aggregate*)));
  if (!slot) return sqlite3_result_error_nomem(context);
  reporting(context, [&] {
    if (!*slot)
      *slot = new values::Aggregate(static_cast<values::AggregateKind>(sqlite3_value_int(argv[0])));
    (*slot)->add(readValue(argv[2], letterAt(codeOf(argv[1]), 0)));
  });
}

// A group without rows has no Aggregate: Null (Count is SQLite's own).
void aggregateFinal(sqlite3_context* context) {
  auto** slot = static_cast<values::Aggregate**>(sqlite3_aggregate_context(context, 0));
  values::Aggregate* aggregate = slot ? *slot : nullptr;
  reporting(context, [&] { setResult(context, aggregate ? aggregate->result() : Variant::null()); });
  delete aggregate;
}

// telvarn_<name>(code, ...): the library's function of that name.
void call(sqlite3_context* context, int argc, sqlite3_value** argv) {
  reporting(context, [&] {
    const auto& function = *static_cast<const values::FunctionEntry*>(sqlite3_user_data(context));
    const std::string_view code = codeOf(argv[0]);
    std::vector<Variant> arguments;
    arguments.reserve(static_cast<size_t>(argc - 1));
    for (int i = 1; i < argc; ++i)
      arguments.push_back(readValue(argv[i], letterAt(code, static_cast<size_t>(i - 1))));
    setResult(context, function.call(arguments, values::systemClock()));
  });
}

}  // namespace

void registerAggregates(sqlite3* db) {
  sqlite3_create_function(db, "telvarn_aggregate", 3, SQLITE_UTF8 | SQLITE_SUBTYPE, nullptr,
                          nullptr, aggregateStep, aggregateFinal);
}

void registerLibraryFunctions(sqlite3* db) {
  for (const values::FunctionEntry& function : values::allFunctions()) {
    std::string name = "telvarn_";
    for (char c : function.name) name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const int flags =
        SQLITE_UTF8 | SQLITE_SUBTYPE | (function.deterministic ? SQLITE_DETERMINISTIC : 0);
    sqlite3_create_function(db, name.c_str(), -1, flags, const_cast<values::FunctionEntry*>(&function),
                            call, nullptr, nullptr);
  }
}

}  // namespace telvarn::sqlite

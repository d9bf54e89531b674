// The aggregates SQLite lacks: First and Last (the value of the first and
// the last row the group reads) and StDev, StDevP, Var and VarP. Their steps
// use only SQLite's C calls and arithmetic; they are noexcept, so no C++
// exception can unwind through SQLite from here.
#include <cmath>

#include "engine/sqlite/FunctionSupport.h"

namespace telvarn::sqlite {
namespace {

struct Kept {
  sqlite3_value* value = nullptr;
};

template <bool last>
void keepStep(sqlite3_context* context, int, sqlite3_value** argv) noexcept {
  auto* kept = static_cast<Kept*>(sqlite3_aggregate_context(context, sizeof(Kept)));
  if (!kept) return sqlite3_result_error_nomem(context);
  if (kept->value && !last) return;
  sqlite3_value_free(kept->value);
  kept->value = sqlite3_value_dup(argv[0]);
}

void keepFinal(sqlite3_context* context) noexcept {
  auto* kept = static_cast<Kept*>(sqlite3_aggregate_context(context, 0));
  if (!kept || !kept->value) return sqlite3_result_null(context);
  sqlite3_result_value(context, kept->value);
  sqlite3_value_free(kept->value);
}

struct Moments {
  int64_t count = 0;
  double mean = 0;
  double squares = 0;  // sum of squared distances from the mean (Welford)
  int mode = 0;        // 0 StDev, 1 StDevP, 2 Var, 3 VarP
};

void spreadStep(sqlite3_context* context, int, sqlite3_value** argv) noexcept {
  auto* m = static_cast<Moments*>(sqlite3_aggregate_context(context, sizeof(Moments)));
  if (!m) return sqlite3_result_error_nomem(context);
  m->mode = sqlite3_value_int(argv[1]);
  if (isNull(argv[0])) return;
  const double x = sqlite3_value_double(argv[0]);
  ++m->count;
  const double delta = x - m->mean;
  m->mean += delta / static_cast<double>(m->count);
  m->squares += delta * (x - m->mean);
}

// A sample's spread needs two values, the population's one; with fewer the
// result is Null.
void spreadFinal(sqlite3_context* context) noexcept {
  auto* m = static_cast<Moments*>(sqlite3_aggregate_context(context, 0));
  const bool population = m && (m->mode == 1 || m->mode == 3);
  if (!m || m->count < (population ? 1 : 2)) return sqlite3_result_null(context);
  const double variance = m->squares / static_cast<double>(m->count - (population ? 0 : 1));
  sqlite3_result_double(context, m->mode < 2 ? std::sqrt(variance) : variance);
}

}  // namespace

void registerAggregates(sqlite3* db) {
  sqlite3_create_function(db, "telvarn_first", 1, SQLITE_UTF8, nullptr, nullptr, keepStep<false>,
                          keepFinal);
  sqlite3_create_function(db, "telvarn_last", 1, SQLITE_UTF8, nullptr, nullptr, keepStep<true>,
                          keepFinal);
  sqlite3_create_function(db, "telvarn_spread", 2, SQLITE_UTF8, nullptr, nullptr, spreadStep,
                          spreadFinal);
}

}  // namespace telvarn::sqlite

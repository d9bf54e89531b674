// What the SQL functions the engine registers share: reporting a failure to
// SQLite as a numbered error, so that no C++ exception ever unwinds through
// SQLite, and reading the code of their arguments' kinds.
#pragma once

#include <sqlite3.h>

#include <string_view>

#include "engine/AppError.h"
#include "engine/sqlite/ValueCodec.h"
#include "engine/values/Errors.h"

namespace telvarn::sqlite {

// The start of an error message that carries the engine's error: the
// prefix, the number, then "=" and the error's whole text, or ":" and the
// insertion of the number's catalogue text (as a trigger raises it).
// Connection turns such a message back into the numbered error.
inline constexpr std::string_view kErrorPrefix = "telvarn:";

// Reports `error` from inside a function.
void resultError(sqlite3_context* context, const AppError& error);

// Runs `work`, reporting whatever it throws as a numbered error:
// asAppError numbers the C++ library's own failures, and a type mismatch
// is the engine's 3464, as inside any statement.
template <typename Work>
void reporting(sqlite3_context* context, Work work) {
  try {
    work();
  } catch (const std::exception& failure) {
    resultError(context, values::inQueryExpression(asAppError(failure)));
  }
}

using Body = void (*)(sqlite3_context*, sqlite3_value**);

template <Body body>
void guarded(sqlite3_context* context, int, sqlite3_value** argv) {
  reporting(context, [&] { body(context, argv); });
}

// The code argument of a function: one letter per further argument
// (ValueCodec.h).
inline std::string_view codeOf(sqlite3_value* value) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
  return text ? std::string_view(text, static_cast<size_t>(sqlite3_value_bytes(value)))
              : std::string_view();
}

// The letter of argument `i` of a code (the value's own subtype beyond it).
inline char letterAt(std::string_view code, size_t i) {
  return i < code.size() ? code[i] : kVaries;
}

// Registered by registerDialectFunctions with the rest.
void registerAggregates(sqlite3* db);
void registerLibraryFunctions(sqlite3* db);
void registerValueConversion(sqlite3* db);

}  // namespace telvarn::sqlite

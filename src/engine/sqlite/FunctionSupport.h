// What the dialect's SQL functions share: reading SQLite values the way the
// run-time library reads them, and reporting an engine error from inside a
// function (kErrorPrefix, the number and, after ":", the insertion).
#pragma once

#include <sqlite3.h>

#include <cctype>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include "engine/AppError.h"
#include "engine/Conversions.h"
#include "engine/NumberText.h"
#include "engine/sqlite/ValueConversion.h"

namespace telvarn::sqlite {

inline constexpr int kDivisionByZero = 11;
inline constexpr int kInvalidCall = 5;
inline constexpr int kTypeMismatch = 3464;

// Raised inside a function; the executor turns it into the engine error.
struct FunctionError {
  int number;
  std::string insertion;
};

inline bool isNull(sqlite3_value* value) {
  return sqlite3_value_type(value) == SQLITE_NULL;
}

inline std::string rawText(sqlite3_value* value) {
  const auto* bytes = reinterpret_cast<const char*>(sqlite3_value_text(value));
  return bytes ? std::string(bytes, static_cast<size_t>(sqlite3_value_bytes(value))) : "";
}

// A SQLite value held apart from SQLite: what an operator function hands
// from one step of a run to the next.
struct Operand {
  int type = SQLITE_NULL;  // SQLITE_INTEGER, _FLOAT, _TEXT, _BLOB or _NULL
  int64_t integer = 0;
  double real = 0;
  std::string text;  // of a TEXT or BLOB

  static Operand of(sqlite3_value* value) {
    Operand operand;
    operand.type = sqlite3_value_type(value);
    if (operand.type == SQLITE_INTEGER) operand.integer = sqlite3_value_int64(value);
    if (operand.type == SQLITE_FLOAT) operand.real = sqlite3_value_double(value);
    if (operand.type == SQLITE_TEXT || operand.type == SQLITE_BLOB) operand.text = rawText(value);
    return operand;
  }
  static Operand ofInteger(int64_t value) { return {SQLITE_INTEGER, value, 0, {}}; }
  static Operand ofReal(double value) { return {SQLITE_FLOAT, 0, value, {}}; }
  static Operand ofText(std::string value) { return {SQLITE_TEXT, 0, 0, std::move(value)}; }
  bool isNull() const { return type == SQLITE_NULL; }
};

// A Double as the run-time library writes it: by default 15 significant
// digits and no trailing ".0"; a capital E before an exponent.
inline std::string doubleText(double value, Notation notation = Notation::General,
                              int precision = 15) {
  std::string text = writeDouble(value, notation, precision);
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// A value as text the way the run-time library writes it.
inline std::string textOf(const Operand& value) {
  if (value.type == SQLITE_INTEGER) return std::to_string(value.integer);
  if (value.type != SQLITE_FLOAT) return value.text;
  return doubleText(value.real);
}

inline std::string textOf(sqlite3_value* value) {
  return textOf(Operand::of(value));
}

struct Number {
  bool integral = false;
  int64_t integer = 0;
  double real = 0;
  double value() const { return integral ? static_cast<double>(integer) : real; }
};

inline Number numberOf(const Operand& value) {
  switch (value.type) {
    case SQLITE_INTEGER:
      return {true, value.integer, 0};
    case SQLITE_FLOAT:
      return {false, 0, value.real};
    default: {
      const std::optional<double> parsed = parseNumber(value.text);
      if (!parsed) throw FunctionError{kTypeMismatch, {}};
      return {false, 0, *parsed};
    }
  }
}

inline Number numberOf(sqlite3_value* value) {
  return numberOf(Operand::of(value));
}

inline int64_t wholeOf(const Operand& value) {
  const Number number = numberOf(value);
  if (number.integral) return number.integer;
  const double rounded = roundHalfEven(number.real);
  if (!(std::fabs(rounded) < 9.2e18)) throw FunctionError{6, {}};
  return static_cast<int64_t>(rounded);
}

inline int64_t wholeOf(sqlite3_value* value) {
  return wholeOf(Operand::of(value));
}

inline void resultText(sqlite3_context* context, const std::string& text) {
  sqlite3_result_text(context, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

inline void resultOperand(sqlite3_context* context, const Operand& value) {
  switch (value.type) {
    case SQLITE_INTEGER:
      return sqlite3_result_int64(context, value.integer);
    case SQLITE_FLOAT:
      return sqlite3_result_double(context, value.real);
    case SQLITE_TEXT:
      return resultText(context, value.text);
    case SQLITE_BLOB:
      return sqlite3_result_blob(context, value.text.data(), static_cast<int>(value.text.size()),
                                 SQLITE_TRANSIENT);
    default:
      return sqlite3_result_null(context);
  }
}

// Runs `work`, handing whatever it throws to SQLite as a numbered error
// (asAppError numbers the C++ library's own failures), so that no C++
// exception ever unwinds through SQLite. Every function we register runs so.
template <typename Work>
void reportingErrors(sqlite3_context* context, Work work) {
  try {
    work();
  } catch (const FunctionError& error) {
    resultError(context, error.number, error.insertion);
  } catch (const std::exception& failure) {
    const AppError error = asAppError(failure);
    // An AppError's text comes back from the catalogue by its number; a
    // library failure brings its own as the insertion.
    resultError(context, error.number(),
                dynamic_cast<const AppError*>(&failure) ? "" : failure.what());
  }
}

using Body = void (*)(sqlite3_context*, sqlite3_value**);

template <Body body>
void guarded(sqlite3_context* context, int, sqlite3_value** argv) {
  reportingErrors(context, [&] { body(context, argv); });
}

struct SqlFunction {
  const char* name;
  int arguments;
  void (*call)(sqlite3_context*, int, sqlite3_value**);
};

template <size_t count>
void registerFunctions(sqlite3* db, const SqlFunction (&functions)[count]) {
  for (const SqlFunction& function : functions) {
    sqlite3_create_function(db, function.name, function.arguments,
                            SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, function.call, nullptr,
                            nullptr);
  }
}

// Registered by registerDialectFunctions with the rest.
void registerDateFunctions(sqlite3* db);
void registerTextFunctions(sqlite3* db);
void registerAggregates(sqlite3* db);
void registerFormat(sqlite3* db);

}  // namespace telvarn::sqlite

// The numbers the dialect's value rules fail with. They are the BASIC
// run-time library's own: 5 an argument out of its range, 6 a result beyond
// its type, 11 a division by zero, 13 a type mismatch, 94 a Null where a
// value is needed.
//
// Inside a statement the engine reports a type mismatch as 3464 "Data type
// mismatch in criteria expression" (the reference gives that number for a
// type clash in a query and no other), whatever the expression; the other
// numbers are the same there. A caller that evaluates a query expression
// passes each failure through inQueryExpression.
#pragma once

#include "engine/AppError.h"

namespace telvarn::values {

inline constexpr int kInvalidCall = 5;
inline constexpr int kOverflow = 6;
inline constexpr int kDivisionByZero = 11;
inline constexpr int kTypeMismatch = 13;
inline constexpr int kInvalidUseOfNull = 94;
inline constexpr int kQueryTypeMismatch = 3464;

[[noreturn]] inline void fail(int number) {
  throw engineError(number);
}

// The error as the engine reports it inside a query expression.
inline AppError inQueryExpression(const AppError& error) {
  return error.number() == kTypeMismatch ? engineError(kQueryTypeMismatch) : error;
}

}  // namespace telvarn::values

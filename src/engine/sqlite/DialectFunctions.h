// The dialect's operators, comparisons and functions as SQL functions of
// each connection, named telvarn_..., which the translated statements call.
// Each computes with the value library (engine/values/). The first argument
// of most is the code of the kinds of the others, one letter each
// (ValueCodec.h); a value result carries its kind as its subtype. A failure
// comes back from SQLite as the numbered error (FunctionSupport.h), a type
// mismatch as 3464.
//
//   telvarn_add, telvarn_subtract, telvarn_multiply, telvarn_divide,
//   telvarn_intdiv, telvarn_mod, telvarn_pow, telvarn_concat (code, a, b, ...)
//       the operator over its operands, left to right. An operand may be a
//       telvarn_terms(code, ...), which stands for its own operands in order
//       (its letter in the outer code is '-'): SQLite passes a function at
//       most 127 arguments.
//   telvarn_negate(code, a)
//   telvarn_compare(comparison, code, a, b)   comparison: values::Comparison
//   telvarn_between(code, value, one, other)  either bound may be the lower
//   telvarn_in(code, value, item, ...)        items as operator operands
//   telvarn_like(code, text, pattern)
//       1, 0 or Null, as SQLite's own comparisons give
//   telvarn_typed(value, letter)   the value with the kind `letter`
//   telvarn_kind(value)            the letter of the value's kind
//   telvarn_<name>(code, ...)      each function of values/FunctionTable.h
//   telvarn_aggregate(aggregate, code, value)
//       the rules of values/Aggregates.h; `aggregate` is an AggregateKind
//   telvarn_convert(value, code, type, size)
//       the value as a field of engine type `type` stores it (FieldValue.h)
//   telvarn_check_field(value, 'Table.Field', nulls, allowZeroLength)
//       3314 for Null in a Required field (nulls 1), 3058 for Null in a key
//       that refuses it (nulls 2), 3315 for "" where it is not allowed
#pragma once

#include <sqlite3.h>

namespace telvarn::sqlite {

void registerDialectFunctions(sqlite3* db);

}  // namespace telvarn::sqlite

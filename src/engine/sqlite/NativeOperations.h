// Where SQLite's own operators give exactly the dialect's answer, so that
// the translation may use them instead of a registered function: on values
// of kinds known from the statement, in the stored forms of ValueCodec.h.
#pragma once

#include <optional>

#include "engine/Variant.h"
#include "engine/jetsql/Ast.h"

namespace telvarn::sqlite {

// Whether `a op b` (+, - or *) is SQLite's own on operands of these kinds:
// whole numbers with whole numbers (SQLite's 64 bits hold a Long's sum or
// product, and a value beyond 32 bits reads back as the Double the dialect
// makes of it); Doubles with Doubles or whole numbers; a Date plus or minus
// a Double, a whole number or a Date (day numbers); Currency plus or minus
// Currency and Currency times a whole number (counts of ten-thousandths,
// beyond 64 bits a REAL that reads back as the overflow); a Date times a
// number. Never for Singles (rounded to a float at every step), text or a
// kind that differs by row; a Null makes Null.
bool nativeArithmetic(jetsql::Op op, Variant::Kind a, Variant::Kind b);

// Whether unary minus is SQLite's own: whole numbers, Doubles, Dates and
// Currency.
bool nativeNegation(Variant::Kind a);

// Whether SQLite's own comparison of values of these kinds gives the
// dialect's order: numbers and dates with each other by their value (a
// Single only with a Single or a whole number, which it holds exactly,
// Currency only with Currency), text with text in the General sort order,
// bytes with bytes; anything with Null.
bool nativeComparison(Variant::Kind a, Variant::Kind b);

// 3464 (the dialect's type mismatch in a statement) when values of these
// kinds can never be compared: text or bytes with anything else.
void requireComparable(std::optional<Variant::Kind> a, std::optional<Variant::Kind> b);

}  // namespace telvarn::sqlite

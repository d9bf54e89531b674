// The dialect's numeric functions on Variants. Null in gives Null out; text
// is the Double it holds (13 when none); Empty is 0.
#pragma once

#include "engine/Variant.h"

namespace telvarn::values {

// Abs, Int (the next whole number down), Fix (toward zero) and Round keep
// the operand's subtype (a Boolean or Empty becomes an Integer, text a
// Double; -32768 and the lowest Long widen as for negation).
Variant abs(const Variant& value);
Variant intPart(const Variant& value);
Variant fix(const Variant& value);
// Round(value, places): halves to even at the last place kept
// (Round(2.5) is 2, Round(0.125, 2) 0.12); negative places are 5.
Variant round(const Variant& value, const Variant& places);
// The subtype Abs, Int, Fix and Round give an operand of `kind` (a 64-bit
// whole number counts as a Long).
Variant::Kind keptKind(Variant::Kind kind);
// Sgn: -1, 0 or 1 as an Integer.
Variant sgn(const Variant& value);
// Always Doubles: Sqr of a negative is 5, Log of zero or less 5, Exp
// beyond a Double 6.
Variant sqr(const Variant& value);
Variant exp(const Variant& value);
Variant log(const Variant& value);
Variant atn(const Variant& value);
Variant cos(const Variant& value);
Variant sin(const Variant& value);
Variant tan(const Variant& value);
// Hex and Oct: the digits of the value rounded to a whole number (beyond a
// Long 6); an Integer or Byte shows 16 bits when negative ("FFFF"), other
// negatives 32 ("FFFFFFFF"). Empty is "0".
Variant hex(const Variant& value);
Variant oct(const Variant& value);

}  // namespace telvarn::values

// The dialect's arithmetic and text operators on Variants, typed as the
// run-time library types them.
//
// Null in gives Null out (& excepted). Operands: Empty is 0 (Integer), a
// Boolean an Integer (-1 or 0), a 64-bit whole number a Long when it fits
// (else a Double), text the Double it holds (13 when it holds none: '12abc'
// * 2 is a type mismatch), bytes 13.
//
// + and - give the type of the wider operand in the order Byte < Integer <
// Long < Single < Double < Currency, * in Byte < Integer < Long < Single <
// Currency < Double; a Single with a Long (or, for *, a Currency) gives a
// Double. A Byte result beyond 0..255 widens to Integer, an Integer to Long,
// a Long or Single to Double; Double and Currency overflow is 6. Currency
// stays exact. A Date with any number is a Date (a Double when it leaves the
// valid dates), Date - Date a Double count of days; * and / take a Date as
// its day number.
#pragma once

#include "engine/Variant.h"

namespace telvarn::values {

// +: numbers add; two texts join; Empty + x is x.
Variant add(const Variant& a, const Variant& b);
// - (two texts are subtracted as numbers).
Variant subtract(const Variant& a, const Variant& b);
Variant multiply(const Variant& a, const Variant& b);
// /: a Single when one operand is a Single and the other a Single, Integer
// or Byte; otherwise a Double. x / 0 is 11, 0 / 0 is 6.
Variant divide(const Variant& a, const Variant& b);
// \ and Mod round both operands to whole numbers first (halves to even;
// beyond a Long 6), truncate toward zero and give a Byte when both are
// Bytes, an Integer when both are at most Integers, else a Long; Mod takes
// the sign of the dividend. A zero divisor is 11.
Variant integerDivide(const Variant& a, const Variant& b);
Variant modulo(const Variant& a, const Variant& b);
// ^: always a Double; a negative base with a fractional exponent is 5, zero
// to a negative power 11, a result beyond a Double 6.
Variant power(const Variant& a, const Variant& b);
// Unary minus, of the operand's type (-Byte is an Integer; widening as
// above).
Variant negate(const Variant& a);
// &: both texts (CStr) joined, Null counting as ""; Null & Null is Null.
Variant concatenate(const Variant& a, const Variant& b);

enum class Operator { Add, Subtract, Multiply, Divide, IntegerDivide, Modulo, Power, Concatenate };

// The subtype `op` gives operands of these subtypes before their values are
// known, by the rules above: a value may still widen it (a Long sum beyond
// 32 bits is a Double, a date sum beyond the valid dates a Double). Null
// when either is Null (& gives Text); 13 for bytes. A 64-bit whole number
// counts as a Long.
Variant::Kind resultKind(Operator op, Variant::Kind a, Variant::Kind b);
// The subtype unary minus gives.
Variant::Kind negatedKind(Variant::Kind a);

}  // namespace telvarn::values

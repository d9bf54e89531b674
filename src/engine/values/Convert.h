// The run-time library's conversions of one Variant to a subtype (CBool,
// CByte, CInt, CLng, CCur, CSng, CDbl, CDate, CStr) and its readings of a
// value as a number (Val, Str, IsNumeric, IsDate). Every rule that turns a
// value into another type lives here; operators and functions call these.
//
// Shared rules: Null is 94 (Invalid use of Null); Empty is 0, "" or False;
// text converts when it is a number (engine/Conversions.h: blanks, sign,
// fraction, exponent, &H, &O; "12abc" and "1,000" are 13) or, for CDate, a
// date (DateReading.h); bytes are 13; a result beyond the target's range is
// 6 (Overflow). Whole-number targets round halves to even: CInt(2.5) is 2,
// CInt(3.5) is 4. A Boolean is -1 or 0 as a number; a Date its day number.
#pragma once

#include <cstdint>
#include <string>

#include "engine/Variant.h"

namespace telvarn::values {

bool toBool(const Variant& value);          // CBool; text "True"/"False" too
uint8_t toByte(const Variant& value);       // CByte: 0..255
int16_t toShort(const Variant& value);      // CInt: -32768..32767
int32_t toLong(const Variant& value);       // CLng
int64_t toCurrencyUnits(const Variant& value);  // CCur, in ten-thousandths, halves to even
float toSingle(const Variant& value);       // CSng
double toDouble(const Variant& value);      // CDbl
double toDate(const Variant& value);        // CDate: a number within the valid dates or date text
std::string toText(const Variant& value);   // CStr: see NumberText.h and DateFormat.h

// A value the engine converts for a Yes/No field: CBool, but text that is
// no truth value is the engine's conversion error, 3421, not 13.
bool toFieldBool(const Variant& value);

// The number a text holds as a Variant Double (13 when it holds none); a
// number as it is. The value arithmetic sees for text operands.
double numberOfText(const std::string& text);

// Val: the number at the start of the text, blanks, tabs and line feeds
// ignored anywhere ("1 615 198th" is 1615198), "&H"/"&O" read as such, 0
// when there is none. A fraction or exponent followed by "%" or "&" (the
// Integer and Long type marks) is 13. Numbers and dates are read as their
// CStr text. Null is 94. Always a Double.
double val(const Variant& value);

// Str: the number's text with a leading blank where a minus sign would
// stand (" 459", "-459.65"); text is converted to a number first (13 when
// it is none); Null gives Null.
Variant str(const Variant& value);

// IsNumeric: numbers, Booleans, Empty and text that converts; not dates,
// Null or bytes.
bool isNumeric(const Variant& value);

// IsDate: Dates and text the date reader takes; numbers are not dates.
bool isDate(const Variant& value);

}  // namespace telvarn::values

// Format(value, format, firstdayofweek, firstweekofyear) with United States
// settings.
//
// Named formats: General Number, Currency ("$1,234.57", negatives in
// parentheses), Fixed, Standard, Percent, Scientific, Yes/No, True/False,
// On/Off, General Date, Long/Medium/Short Date and Long/Medium/Short Time,
// in any letter case. A user-defined format has up to four sections
// separated by ";": for numbers positive;negative;zero;Null (an empty
// section takes the first's form), for text text;Null-or-"". Which kind of
// format applies: digit placeholders make a number format, date tokens
// (DateFormat.h) a date format for dates, numbers and date text, @ & < > !
// a text format; a number format leaves text that is no number as it is.
// Text formats fill @ (a character or a blank) and & (a character or
// nothing) from the right, from the left after "!", force case with < and
// >, and put characters beyond the placeholders at the end.
//
// No format writes the value as CStr does. Null gives Null unless a
// section serves Null. Null as an option is 94; options out of range are 5.
#pragma once

#include "engine/Variant.h"

namespace telvarn::values {

Variant format(const Variant& value, const Variant& format, const Variant& firstDayOfWeek,
               const Variant& firstWeekOfYear);

}  // namespace telvarn::values

// The dialect's date functions on Variants. A date argument is a Date, a
// number within the valid dates (6 beyond) or date text (DateReading.h; 13
// when it is none), so Month('3/14/2024') is 3. Null as the date gives Null;
// Null as an interval, count, number part or option is 94.
//
// `interval` is one of yyyy q m y d w ww h n s in any letter case (else 5).
// `firstDayOfWeek` is 1 Sunday .. 7 Saturday, 0 the system's (Sunday);
// `firstWeekOfYear` 1 the week of 1 January, 2 the first with four days, 3
// the first whole week, 0 the system's (1). Other values are 5.
#pragma once

#include "engine/Variant.h"
#include "engine/values/Clock.h"

namespace telvarn::values {

// Year, Month, Day, Hour, Minute, Second: Integers.
Variant year(const Variant& date);
Variant month(const Variant& date);
Variant day(const Variant& date);
Variant hour(const Variant& date);
Variant minute(const Variant& date);
Variant second(const Variant& date);
// Weekday: 1 for `firstDayOfWeek`.
Variant weekday(const Variant& date, const Variant& firstDayOfWeek);

// DateSerial: parts beyond their unit carry into the next (month 14 is
// February of the next year, day 0 the month's eve); years 0-99 are
// completed as two-digit years. Each part is an Integer (6 beyond);
// a date outside the valid range is 5.
Variant dateSerial(const Variant& year, const Variant& month, const Variant& day);
// TimeSerial: hours, minutes and seconds carried likewise from day 0;
// TimeSerial(25, 0, 0) is 12/31/1899 1:00 AM.
Variant timeSerial(const Variant& hour, const Variant& minute, const Variant& second);
// DateValue and TimeValue: the date or the time part alone.
Variant dateValue(const Variant& date);
Variant timeValue(const Variant& date);

// DateAdd: `number` rounded to a whole number (halves to even); months
// keep the day or take the month's last one (1/31 + 1 month is 2/29 in a
// leap year); the time of day is kept; a result outside the valid dates is
// 5.
Variant dateAdd(const Variant& interval, const Variant& number, const Variant& date);
// DateDiff: the boundaries crossed from `date1` to `date2` (negative when
// `date2` is earlier): years, quarters, months, midnights (y, d), whole
// weeks (w), first days of the week (ww), hours, minutes, seconds. A Long.
Variant dateDiff(const Variant& interval, const Variant& date1, const Variant& date2,
                 const Variant& firstDayOfWeek, const Variant& firstWeekOfYear);
// DatePart: year, quarter, month, day of the year, day, weekday, week of
// the year, hour, minute, second. An Integer.
Variant datePart(const Variant& interval, const Variant& date, const Variant& firstDayOfWeek,
                 const Variant& firstWeekOfYear);

// MonthName(1..12), WeekdayName(1..7 counted from `firstDayOfWeek`):
// full or three-letter names; other numbers are 5.
Variant monthName(const Variant& month, const Variant& abbreviate);
Variant weekdayName(const Variant& weekday, const Variant& abbreviate,
                    const Variant& firstDayOfWeek);

// Now, Date and Time from the clock.
Variant now(const Clock& clock);
Variant today(const Clock& clock);
Variant timeNow(const Clock& clock);

}  // namespace telvarn::values

// Dates written as text with United States settings: the General Date form
// that CStr, & and text fields use, and Format's named and user-defined
// date formats.
#pragma once

#include <string>
#include <string_view>

namespace telvarn::values {

// "January".."December" for 1..12.
std::string_view monthName(int month);
// "Sunday".."Saturday" for 1..7.
std::string_view dayName(int weekday);

// "3/14/2024", "3/14/2024 1:45:10 PM", and for day 0 the time alone
// ("1:45:10 PM", "12:00:00 AM"). 6 for a date outside the valid range.
std::string generalDate(double date);

// Whether `format` is a named date or time format ("General Date", "Long
// Date", "Medium Date", "Short Date", "Long Time", "Medium Time", "Short
// Time"), in any letter case.
bool isNamedDateFormat(std::string_view format);

// Whether a user-defined format holds date or time tokens (outside quotes
// and backslashes).
bool hasDateTokens(std::string_view format);

// The date written with a named format or the user-defined tokens
//   c d dd ddd dddd ddddd dddddd w ww m mm mmm mmmm q y yy yyyy
//   h hh n nn s ss ttttt AM/PM am/pm A/P a/p AMPM
// (m and mm are minutes right after h or hh), "quoted" and \ literals and
// any other character as itself. w counts from `firstDayOfWeek` (1 Sunday ..
// 7 Saturday) and ww by `firstWeekOfYear` (1..3, see Calendar.h). 6 for a
// date outside the valid range.
std::string formatDate(double date, std::string_view format, int firstDayOfWeek,
                       int firstWeekOfYear);

}  // namespace telvarn::values

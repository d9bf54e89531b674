// Reading a date from text: the one reader behind CDate, DateValue,
// TimeValue, IsDate, text compared or added as a date and the dialect's
// #...# literals. US order whatever the locale.
#pragma once

#include <optional>
#include <string_view>

namespace telvarn::values {

// A date and/or a time in any form the engine takes:
//   numbers  3/14/2024, 3-14-2024, 3.14.24 (month/day/year; day/month/year
//            when that is the only valid reading), 2024-03-14 (a first
//            number of three or four digits is the year), 3/14 (this year),
//            3/2024 (the first of the month);
//   names    14-Mar-2024, March 14, 2024, Mar 14 2024, 14 March 2024,
//            Mar 2024; a month's full name or its first three letters;
//   times    13:45, 13:45:10, 1:45 PM, 1:45PM, 1 PM, alone or before or
//            after the date.
// Two-digit years 00-29 are 20xx, 30-99 19xx. A time alone falls on day 0.
// The result is a stored date (Calendar.h); nullopt for anything else,
// a day name, an invalid day or time ("2/30/2024", "25:00") or a date
// outside 1/1/100..12/31/9999.
std::optional<double> readDate(std::string_view text);

}  // namespace telvarn::values

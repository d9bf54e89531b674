// Dates as the dialect writes them (#1/31/2000#, #2000-01-31 10:30#) and as
// the storage keeps them: the text "YYYY-MM-DD HH:MM:SS", which sorts and
// compares in date order.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace telvarn {

// Reads a date and/or time: month/day/year in US order whatever the locale
// (day/month when the first number cannot be a month), year-month-day, and a
// time of h:nn[:ss] with optional AM/PM. A time alone falls on 1899-12-30,
// day zero of the serial date numbering. Two-digit years 00-29 are 20xx.
std::optional<std::string> parseDateText(std::string_view text);

// The stored text of a serial date: whole days since 1899-12-30, the
// fraction the time of day (negative serials count days backwards with the
// time still added forwards, as the original numbering does).
std::optional<std::string> dateFromSerial(double serial);

// The serial number of a stored date text.
std::optional<double> serialFromDate(std::string_view stored);

}  // namespace telvarn

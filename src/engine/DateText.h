// Dates as the SQLite storage keeps them today: the text
// "YYYY-MM-DD HH:MM:SS", which sorts and compares in date order. Reading
// date text and the day numbering are the dialect's value rules
// (values/DateReading.h, values/Calendar.h); this only writes and reads that
// stored form.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace telvarn {

// The stored text of any date text the dialect reads (values::readDate).
std::optional<std::string> parseDateText(std::string_view text);

// The stored text of a day number (values/Calendar.h); nullopt outside the
// valid dates.
std::optional<std::string> dateFromSerial(double serial);

// The day number of a stored date text.
std::optional<double> serialFromDate(std::string_view stored);

}  // namespace telvarn

// A date as the text "YYYY-MM-DD HH:MM:SS": the form --export writes dates
// in, and the form files of the SQLite storage's earlier layout kept them
// in. The day numbering is the dialect's (values/Calendar.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace telvarn {

// The text of a day number; nullopt outside the valid dates.
std::optional<std::string> dateFromSerial(double serial);

// The day number of such a text (a date alone is its midnight); nullopt
// for any other text.
std::optional<double> serialFromDate(std::string_view stored);

}  // namespace telvarn

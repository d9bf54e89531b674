// Date/Time values in the storage are texts "YYYY-MM-DD HH:MM:SS", which sort
// in time order and read well in any SQLite tool. These turn other forms
// into that text.
#pragma once

#include <optional>
#include <string>

namespace telvarn::sqlite {

// Accepts "YYYY-MM-DD", "YYYY-MM-DD HH:MM[:SS]", "M/D/YYYY" and
// "M/D/YYYY H:MM[:SS] [AM|PM]"; nullopt for anything else or a day that
// does not exist.
std::optional<std::string> normaliseDateText(const std::string& text);

// A serial date (days since 30 December 1899, the fraction the time of day).
std::string dateTextFromSerial(double serial);

}  // namespace telvarn::sqlite

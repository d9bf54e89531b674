// A date taken apart, for the date functions and Format.
#pragma once

#include <sqlite3.h>

#include <cstdint>

namespace telvarn::sqlite {

struct Moment {
  int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;
};

// A date argument: stored text, any text the dialect reads as a date, or a
// serial number. Anything else is a type mismatch (a FunctionError).
Moment momentOf(sqlite3_value* value);

// Days since 1899-12-30, day zero of the serial numbering.
int64_t dayNumber(int year, int month, int day);
int64_t dayNumber(const Moment& m);

// 1 for Sunday to 7 for Saturday.
int weekday(int64_t day);

}  // namespace telvarn::sqlite

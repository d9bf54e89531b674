// Dates as the engine keeps them. A date is a day number: whole days since
// 12/30/1899 (day 0), the time of day as the fraction. Before day 0 the
// whole part counts backwards while the fraction still runs forwards from
// midnight, so -1.25 is 12/29/1899 6:00 AM and -0.25 is 12/30/1899 6:00 AM.
// Valid dates run from 1/1/100 to 12/31/9999 in the proleptic Gregorian
// calendar; times are kept to the second.
#pragma once

#include <cstdint>
#include <optional>

namespace telvarn::values {

inline constexpr int64_t kFirstDay = -657434;  // 1/1/100
inline constexpr int64_t kLastDay = 2958465;   // 12/31/9999
inline constexpr int64_t kSecondsPerDay = 86400;

struct CivilDate {
  int year;
  int month;
  int day;
};

// A date taken apart: its calendar day and the seconds since its midnight.
struct Moment {
  int64_t day;
  int seconds;
};

int64_t dayNumber(int year, int month, int day);
CivilDate civilDate(int64_t dayNumber);
bool isLeapYear(int year);
int daysInMonth(int year, int month);

// A two-digit year as the engine completes it: 0-29 are 2000-2029, 30-99
// are 1930-1999; any other year stays.
int fullYear(int year);

// The moment of a stored date, its time rounded to the second; nullopt
// outside the valid dates or when not a number.
std::optional<Moment> momentOf(double date);

// The stored date of a day and the seconds since its midnight (0..86399);
// nullopt outside the valid dates.
std::optional<double> dateOf(int64_t day, int64_t seconds);

// Moments on one line of seconds, for arithmetic across midnight.
inline int64_t secondsOf(const Moment& moment) {
  return moment.day * kSecondsPerDay + moment.seconds;
}
std::optional<double> dateFromSeconds(int64_t seconds);

// The day of the week, 1 for `firstDayOfWeek` (1 Sunday .. 7 Saturday).
int weekday(int64_t dayNumber, int firstDayOfWeek);

// The week of the year: week 1 holds 1 January (firstWeekOfYear 1), is the
// first with four days of the year (2), or the first whole week (3); a day
// before week 1 belongs to the last week of the year before.
int weekOfYear(int64_t dayNumber, int firstDayOfWeek, int firstWeekOfYear);

}  // namespace telvarn::values

#include "engine/values/Calendar.h"

#include <cmath>

namespace telvarn::values {
namespace {

// Days between 0000-03-01 and 1899-12-30 in the era counting below.
constexpr int64_t kDayZeroOffset = 693899;

int64_t floorDivide(int64_t a, int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

}  // namespace

int64_t dayNumber(int year, int month, int day) {
  const int64_t y = year - (month <= 2);
  const int64_t era = floorDivide(y, 400);
  const int64_t yearOfEra = y - era * 400;
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - kDayZeroOffset;
}

CivilDate civilDate(int64_t dayNumber) {
  const int64_t z = dayNumber + kDayZeroOffset;
  const int64_t era = floorDivide(z, 146097);
  const int64_t dayOfEra = z - era * 146097;
  const int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t mp = (5 * dayOfYear + 2) / 153;
  CivilDate date;
  date.day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
  date.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  date.year = static_cast<int>(yearOfEra + era * 400 + (date.month <= 2));
  return date;
}

bool isLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

int fullYear(int year) {
  if (year >= 0 && year <= 29) return year + 2000;
  if (year >= 30 && year <= 99) return year + 1900;
  return year;
}

std::optional<Moment> momentOf(double date) {
  if (!std::isfinite(date) || date <= kFirstDay - 1.0 || date >= kLastDay + 1.0) return std::nullopt;
  const double whole = std::trunc(date);
  auto day = static_cast<int64_t>(whole);
  auto seconds = static_cast<int64_t>(std::llround(std::fabs(date - whole) * kSecondsPerDay));
  if (seconds >= kSecondsPerDay) {
    seconds -= kSecondsPerDay;
    day += date < 0 ? -1 : 1;
  }
  if (day < kFirstDay || day > kLastDay) return std::nullopt;
  return Moment{day, static_cast<int>(seconds)};
}

std::optional<double> dateOf(int64_t day, int64_t seconds) {
  if (day < kFirstDay || day > kLastDay) return std::nullopt;
  const double time = static_cast<double>(seconds) / kSecondsPerDay;
  return day < 0 ? static_cast<double>(day) - time : static_cast<double>(day) + time;
}

std::optional<double> dateFromSeconds(int64_t seconds) {
  return dateOf(floorDivide(seconds, kSecondsPerDay),
                seconds - floorDivide(seconds, kSecondsPerDay) * kSecondsPerDay);
}

int weekday(int64_t dayNumber, int firstDayOfWeek) {
  // Day 0 was a Saturday, day 7 of a week that starts on Sunday.
  const int64_t sundayBased = ((dayNumber + 6) % 7 + 7) % 7;  // 0 Sunday .. 6 Saturday
  return static_cast<int>((sundayBased - (firstDayOfWeek - 1) + 7) % 7) + 1;
}

namespace {

// The first day of week 1 of `year`.
int64_t firstWeekStart(int year, int firstDayOfWeek, int firstWeekOfYear) {
  const int64_t januaryFirst = dayNumber(year, 1, 1);
  const int64_t weekStart = januaryFirst - (weekday(januaryFirst, firstDayOfWeek) - 1);
  const int64_t daysInYear = weekStart + 7 - januaryFirst;  // of that first calendar week
  if (firstWeekOfYear == 2) return daysInYear >= 4 ? weekStart : weekStart + 7;
  if (firstWeekOfYear == 3) return weekStart == januaryFirst ? weekStart : weekStart + 7;
  return weekStart;
}

}  // namespace

int weekOfYear(int64_t day, int firstDayOfWeek, int firstWeekOfYear) {
  int year = civilDate(day).year;
  int64_t start = firstWeekStart(year, firstDayOfWeek, firstWeekOfYear);
  if (day < start) start = firstWeekStart(--year, firstDayOfWeek, firstWeekOfYear);
  // With week 1 the one holding 1 January, the last days of December stay
  // in the old year's last week; otherwise they may open the new year.
  if (firstWeekOfYear != 1 && day >= firstWeekStart(year + 1, firstDayOfWeek, firstWeekOfYear))
    return 1;
  return static_cast<int>((day - start) / 7) + 1;
}

}  // namespace telvarn::values

#include "engine/values/DateFunctions.h"

#include <cctype>
#include <string>

#include "engine/values/Calendar.h"
#include "engine/values/Convert.h"
#include "engine/values/DateFormat.h"
#include "engine/values/Errors.h"

namespace telvarn::values {
namespace {

enum class Interval { Year, Quarter, Month, DayOfYear, Day, Weekday, Week, Hour, Minute, Second };

Interval intervalOf(const Variant& value) {
  if (value.isNull()) fail(kInvalidUseOfNull);
  std::string name = toText(value);
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  static constexpr std::pair<std::string_view, Interval> kIntervals[] = {
      {"yyyy", Interval::Year}, {"q", Interval::Quarter},  {"m", Interval::Month},
      {"y", Interval::DayOfYear}, {"d", Interval::Day},    {"w", Interval::Weekday},
      {"ww", Interval::Week},   {"h", Interval::Hour},     {"n", Interval::Minute},
      {"s", Interval::Second},
  };
  for (const auto& [text, interval] : kIntervals) {
    if (name == text) return interval;
  }
  fail(kInvalidCall);
}

int32_t whole(const Variant& value) {
  if (value.isNull()) fail(kInvalidUseOfNull);
  return toLong(value);
}

int option(const Variant& value, int highest) {
  const int32_t number = whole(value);
  if (number < 0 || number > highest) fail(kInvalidCall);
  return number == 0 ? 1 : number;
}

Moment momentArgument(const Variant& date) {
  return *momentOf(toDate(date));
}

Variant dateResult(std::optional<double> date) {
  if (!date) fail(kInvalidCall);
  return Variant::fromDate(*date);
}

Variant shortResult(int64_t value) {
  return Variant::fromShort(static_cast<int16_t>(value));
}

// The first day of the week `day` lies in.
int64_t weekStart(int64_t day, int firstDayOfWeek) {
  return day - (weekday(day, firstDayOfWeek) - 1);
}

int64_t floorDivide(int64_t a, int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

template <int64_t (*part)(const Moment&)>
Variant partOf(const Variant& date) {
  if (date.isNull()) return Variant::null();
  return shortResult(part(momentArgument(date)));
}

int64_t yearOf(const Moment& m) {
  return civilDate(m.day).year;
}
int64_t monthOf(const Moment& m) {
  return civilDate(m.day).month;
}
int64_t dayOf(const Moment& m) {
  return civilDate(m.day).day;
}
int64_t hourOf(const Moment& m) {
  return m.seconds / 3600;
}
int64_t minuteOf(const Moment& m) {
  return m.seconds / 60 % 60;
}
int64_t secondOf(const Moment& m) {
  return m.seconds % 60;
}

// The date `months` months on, the day kept or cut to the month's last.
std::optional<double> addMonths(const Moment& m, int64_t months) {
  const CivilDate date = civilDate(m.day);
  const int64_t total = int64_t{date.year} * 12 + (date.month - 1) + months;
  const int64_t year = floorDivide(total, 12);
  if (year < 100 || year > 9999) return std::nullopt;
  const int month = static_cast<int>(total - year * 12) + 1;
  const int day = std::min(date.day, daysInMonth(static_cast<int>(year), month));
  return dateOf(dayNumber(static_cast<int>(year), month, day), m.seconds);
}

std::optional<double> addSeconds(const Moment& m, int64_t count, int64_t unit) {
  int64_t seconds;
  if (__builtin_mul_overflow(count, unit, &seconds) ||
      __builtin_add_overflow(seconds, secondsOf(m), &seconds))
    return std::nullopt;
  return dateFromSeconds(seconds);
}

}  // namespace

Variant year(const Variant& date) {
  return partOf<yearOf>(date);
}
Variant month(const Variant& date) {
  return partOf<monthOf>(date);
}
Variant day(const Variant& date) {
  return partOf<dayOf>(date);
}
Variant hour(const Variant& date) {
  return partOf<hourOf>(date);
}
Variant minute(const Variant& date) {
  return partOf<minuteOf>(date);
}
Variant second(const Variant& date) {
  return partOf<secondOf>(date);
}

Variant weekday(const Variant& date, const Variant& firstDayOfWeek) {
  const int first = option(firstDayOfWeek, 7);
  if (date.isNull()) return Variant::null();
  return shortResult(weekday(momentArgument(date).day, first));
}

Variant dateSerial(const Variant& year, const Variant& month, const Variant& day) {
  for (const Variant* part : {&year, &month, &day}) {
    if (part->isNull()) fail(kInvalidUseOfNull);
  }
  const int64_t months = int64_t{fullYear(toShort(year))} * 12 + (toShort(month) - 1);
  const int64_t whichYear = floorDivide(months, 12);
  if (whichYear < 100 || whichYear > 9999) fail(kInvalidCall);
  const int64_t first = dayNumber(static_cast<int>(whichYear), static_cast<int>(months - whichYear * 12) + 1, 1);
  return dateResult(dateOf(first + toShort(day) - 1, 0));
}

Variant timeSerial(const Variant& hour, const Variant& minute, const Variant& second) {
  for (const Variant* part : {&hour, &minute, &second}) {
    if (part->isNull()) fail(kInvalidUseOfNull);
  }
  return dateResult(
      dateFromSeconds(int64_t{toShort(hour)} * 3600 + int64_t{toShort(minute)} * 60 + toShort(second)));
}

Variant dateValue(const Variant& date) {
  if (date.isNull()) return Variant::null();
  return Variant::fromDate(*dateOf(momentArgument(date).day, 0));
}

Variant timeValue(const Variant& date) {
  if (date.isNull()) return Variant::null();
  return Variant::fromDate(*dateOf(0, momentArgument(date).seconds));
}

Variant dateAdd(const Variant& interval, const Variant& number, const Variant& date) {
  const Interval unit = intervalOf(interval);
  const int64_t count = whole(number);
  if (date.isNull()) return Variant::null();
  const Moment m = momentArgument(date);
  switch (unit) {
    case Interval::Year:
      return dateResult(addMonths(m, count * 12));
    case Interval::Quarter:
      return dateResult(addMonths(m, count * 3));
    case Interval::Month:
      return dateResult(addMonths(m, count));
    case Interval::Week:
      return dateResult(addSeconds(m, count, 7 * kSecondsPerDay));
    case Interval::Hour:
      return dateResult(addSeconds(m, count, 3600));
    case Interval::Minute:
      return dateResult(addSeconds(m, count, 60));
    case Interval::Second:
      return dateResult(addSeconds(m, count, 1));
    default:
      return dateResult(addSeconds(m, count, kSecondsPerDay));
  }
}

Variant dateDiff(const Variant& interval, const Variant& date1, const Variant& date2,
                 const Variant& firstDayOfWeek, const Variant& firstWeekOfYear) {
  const Interval unit = intervalOf(interval);
  const int first = option(firstDayOfWeek, 7);
  option(firstWeekOfYear, 3);
  if (date1.isNull() || date2.isNull()) return Variant::null();
  const Moment a = momentArgument(date1);
  const Moment b = momentArgument(date2);
  const CivilDate x = civilDate(a.day);
  const CivilDate y = civilDate(b.day);
  int64_t result;
  switch (unit) {
    case Interval::Year:
      result = y.year - x.year;
      break;
    case Interval::Quarter:
      result = (y.year * 4 + (y.month - 1) / 3) - (x.year * 4 + (x.month - 1) / 3);
      break;
    case Interval::Month:
      result = (y.year * 12 + y.month) - (x.year * 12 + x.month);
      break;
    case Interval::Weekday:
      result = (b.day - a.day) / 7;
      break;
    case Interval::Week:
      result = (weekStart(b.day, first) - weekStart(a.day, first)) / 7;
      break;
    case Interval::Hour:
      result = floorDivide(secondsOf(b), 3600) - floorDivide(secondsOf(a), 3600);
      break;
    case Interval::Minute:
      result = floorDivide(secondsOf(b), 60) - floorDivide(secondsOf(a), 60);
      break;
    case Interval::Second:
      result = secondsOf(b) - secondsOf(a);
      break;
    default:
      result = b.day - a.day;
  }
  if (result < INT32_MIN || result > INT32_MAX) fail(kOverflow);
  return Variant::fromLong(static_cast<int32_t>(result));
}

Variant datePart(const Variant& interval, const Variant& date, const Variant& firstDayOfWeek,
                 const Variant& firstWeekOfYear) {
  const Interval unit = intervalOf(interval);
  const int firstDay = option(firstDayOfWeek, 7);
  const int firstWeek = option(firstWeekOfYear, 3);
  if (date.isNull()) return Variant::null();
  const Moment m = momentArgument(date);
  const CivilDate d = civilDate(m.day);
  switch (unit) {
    case Interval::Year:
      return shortResult(d.year);
    case Interval::Quarter:
      return shortResult((d.month - 1) / 3 + 1);
    case Interval::Month:
      return shortResult(d.month);
    case Interval::DayOfYear:
      return shortResult(m.day - dayNumber(d.year, 1, 1) + 1);
    case Interval::Day:
      return shortResult(d.day);
    case Interval::Weekday:
      return shortResult(weekday(m.day, firstDay));
    case Interval::Week:
      return shortResult(weekOfYear(m.day, firstDay, firstWeek));
    case Interval::Hour:
      return shortResult(hourOf(m));
    case Interval::Minute:
      return shortResult(minuteOf(m));
    default:
      return shortResult(secondOf(m));
  }
}

Variant monthName(const Variant& month, const Variant& abbreviate) {
  const int32_t number = whole(month);
  if (abbreviate.isNull()) fail(kInvalidUseOfNull);
  if (number < 1 || number > 12) fail(kInvalidCall);
  const std::string_view name = values::monthName(number);
  return std::string(toBool(abbreviate) ? name.substr(0, 3) : name);
}

Variant weekdayName(const Variant& weekday, const Variant& abbreviate,
                    const Variant& firstDayOfWeek) {
  const int32_t number = whole(weekday);
  const int first = option(firstDayOfWeek, 7);
  if (abbreviate.isNull()) fail(kInvalidUseOfNull);
  if (number < 1 || number > 7) fail(kInvalidCall);
  const std::string_view name = dayName((number - 1 + first - 1) % 7 + 1);
  return std::string(toBool(abbreviate) ? name.substr(0, 3) : name);
}

Variant now(const Clock& clock) {
  return Variant::fromDate(clock.now());
}

Variant today(const Clock& clock) {
  return Variant::fromDate(*dateOf(momentOf(clock.now())->day, 0));
}

Variant timeNow(const Clock& clock) {
  return Variant::fromDate(*dateOf(0, momentOf(clock.now())->seconds));
}

}  // namespace telvarn::values

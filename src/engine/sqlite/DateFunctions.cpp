// DateAdd, DateDiff, DatePart, DateValue and TimeSerial on the stored date
// text "YYYY-MM-DD HH:MM:SS", as the run-time library computes them: the
// week starts on Sunday, and DateDiff counts the boundaries it crosses.
#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/DateText.h"
#include "engine/jetsql/Lexer.h"
#include "engine/sqlite/DateParts.h"
#include "engine/sqlite/FunctionSupport.h"

namespace telvarn::sqlite {

Moment momentOf(sqlite3_value* value) {
  std::optional<std::string> text;
  if (sqlite3_value_type(value) == SQLITE_TEXT) {
    text = parseDateText(rawText(value));
  } else {
    text = dateFromSerial(numberOf(value).value());
  }
  Moment m;
  if (!text || std::sscanf(text->c_str(), "%d-%d-%d %d:%d:%d", &m.year, &m.month, &m.day, &m.hour,
                           &m.minute, &m.second) != 6)
    throw FunctionError{kTypeMismatch, {}};
  return m;
}

int64_t dayNumber(int year, int month, int day) {
  int64_t y = year - (month <= 2);
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 693899;
}

int64_t dayNumber(const Moment& m) {
  return dayNumber(m.year, m.month, m.day);
}

int weekday(int64_t day) {
  return static_cast<int>(((day % 7) + 7 + 6) % 7) + 1;
}

namespace {

constexpr int64_t kSecondsPerDay = 86400;

int64_t secondsOf(const Moment& m) {
  return dayNumber(m) * kSecondsPerDay + m.hour * 3600 + m.minute * 60 + m.second;
}

int daysInMonth(int year, int month) {
  return static_cast<int>(dayNumber(year + (month == 12), month % 12 + 1, 1) -
                          dayNumber(year, month, 1));
}

void resultMoment(sqlite3_context* context, int64_t seconds) {
  const std::optional<std::string> text =
      dateFromSerial(static_cast<double>(seconds) / kSecondsPerDay);
  if (!text) throw FunctionError{kInvalidCall, {}};
  resultText(context, *text);
}

// Months added keep the day, or take the month's last day when it is shorter.
int64_t addMonths(const Moment& m, int64_t months) {
  const int64_t total = m.year * 12 + (m.month - 1) + months;
  Moment out = m;
  out.year = static_cast<int>(total / 12);
  out.month = static_cast<int>(total % 12) + 1;
  if (out.year < 100 || out.year > 9999) throw FunctionError{kInvalidCall, {}};
  out.day = std::min(m.day, daysInMonth(out.year, out.month));
  return secondsOf(out);
}

enum class Unit { Year, Quarter, Month, DayOfYear, Day, Weekday, Week, Hour, Minute, Second };

Unit unitOf(sqlite3_value* value) {
  static constexpr std::pair<std::string_view, Unit> kUnits[] = {
      {"yyyy", Unit::Year}, {"q", Unit::Quarter}, {"m", Unit::Month}, {"y", Unit::DayOfYear},
      {"d", Unit::Day},     {"w", Unit::Weekday}, {"ww", Unit::Week}, {"h", Unit::Hour},
      {"n", Unit::Minute},  {"s", Unit::Second},
  };
  const std::string text = textOf(value);
  for (const auto& [name, unit] : kUnits) {
    if (jetsql::sameWord(name, text)) return unit;
  }
  throw FunctionError{kInvalidCall, {}};
}

void dateAdd(sqlite3_context* context, sqlite3_value** argv) {
  if (isNull(argv[1]) || isNull(argv[2])) return sqlite3_result_null(context);
  const Unit unit = unitOf(argv[0]);
  const auto count = static_cast<int64_t>(std::trunc(numberOf(argv[1]).value()));
  const Moment m = momentOf(argv[2]);
  switch (unit) {
    case Unit::Year:
      return resultMoment(context, addMonths(m, count * 12));
    case Unit::Quarter:
      return resultMoment(context, addMonths(m, count * 3));
    case Unit::Month:
      return resultMoment(context, addMonths(m, count));
    case Unit::Week:
      return resultMoment(context, secondsOf(m) + count * 7 * kSecondsPerDay);
    case Unit::Hour:
      return resultMoment(context, secondsOf(m) + count * 3600);
    case Unit::Minute:
      return resultMoment(context, secondsOf(m) + count * 60);
    case Unit::Second:
      return resultMoment(context, secondsOf(m) + count);
    default:
      return resultMoment(context, secondsOf(m) + count * kSecondsPerDay);
  }
}

int64_t floorDivide(int64_t a, int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

void dateDiff(sqlite3_context* context, sqlite3_value** argv) {
  if (isNull(argv[1]) || isNull(argv[2])) return sqlite3_result_null(context);
  const Unit unit = unitOf(argv[0]);
  const Moment a = momentOf(argv[1]);
  const Moment b = momentOf(argv[2]);
  int64_t result = 0;
  switch (unit) {
    case Unit::Year:
      result = b.year - a.year;
      break;
    case Unit::Quarter:
      result = (b.year * 4 + (b.month - 1) / 3) - (a.year * 4 + (a.month - 1) / 3);
      break;
    case Unit::Month:
      result = (b.year * 12 + b.month) - (a.year * 12 + a.month);
      break;
    case Unit::Weekday:
      result = (dayNumber(b) - dayNumber(a)) / 7;
      break;
    case Unit::Week:  // Sundays crossed
      result = floorDivide(
          dayNumber(b) - weekday(dayNumber(b)) + 1 - (dayNumber(a) - weekday(dayNumber(a)) + 1), 7);
      break;
    case Unit::Hour:
      result = floorDivide(secondsOf(b), 3600) - floorDivide(secondsOf(a), 3600);
      break;
    case Unit::Minute:
      result = floorDivide(secondsOf(b), 60) - floorDivide(secondsOf(a), 60);
      break;
    case Unit::Second:
      result = secondsOf(b) - secondsOf(a);
      break;
    default:
      result = dayNumber(b) - dayNumber(a);
  }
  sqlite3_result_int64(context, result);
}

int64_t datePartOf(Unit unit, const Moment& m) {
  const int64_t dayOfYear = dayNumber(m) - dayNumber(m.year, 1, 1) + 1;
  switch (unit) {
    case Unit::Year:
      return m.year;
    case Unit::Quarter:
      return (m.month - 1) / 3 + 1;
    case Unit::Month:
      return m.month;
    case Unit::DayOfYear:
      return dayOfYear;
    case Unit::Day:
      return m.day;
    case Unit::Weekday:
      return weekday(dayNumber(m));
    case Unit::Week:  // the week holding 1 January is the first
      return (dayOfYear + weekday(dayNumber(m.year, 1, 1)) - 2) / 7 + 1;
    case Unit::Hour:
      return m.hour;
    case Unit::Minute:
      return m.minute;
    default:
      return m.second;
  }
}

void datePart(sqlite3_context* context, sqlite3_value** argv) {
  if (isNull(argv[1])) return sqlite3_result_null(context);
  sqlite3_result_int64(context, datePartOf(unitOf(argv[0]), momentOf(argv[1])));
}

void dateValue(sqlite3_context* context, sqlite3_value** argv) {
  if (isNull(argv[0])) return sqlite3_result_null(context);
  const Moment m = momentOf(argv[0]);
  resultMoment(context, dayNumber(m) * kSecondsPerDay);
}

void timeSerial(sqlite3_context* context, sqlite3_value** argv) {
  if (isNull(argv[0]) || isNull(argv[1]) || isNull(argv[2])) return sqlite3_result_null(context);
  resultMoment(context, wholeOf(argv[0]) * 3600 + wholeOf(argv[1]) * 60 + wholeOf(argv[2]));
}

constexpr SqlFunction kFunctions[] = {
    {"telvarn_dateadd", 3, guarded<dateAdd>},       {"telvarn_datediff", 3, guarded<dateDiff>},
    {"telvarn_datepart", 2, guarded<datePart>},     {"telvarn_datevalue", 1, guarded<dateValue>},
    {"telvarn_timeserial", 3, guarded<timeSerial>},
};

}  // namespace

void registerDateFunctions(sqlite3* db) {
  registerFunctions(db, kFunctions);
}

}  // namespace telvarn::sqlite

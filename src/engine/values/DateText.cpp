#include "engine/values/DateText.h"

#include <cstdio>

#include "engine/values/Calendar.h"

namespace telvarn {

std::optional<std::string> dateFromSerial(double serial) {
  const std::optional<values::Moment> moment = values::momentOf(serial);
  if (!moment) return std::nullopt;
  const values::CivilDate date = values::civilDate(moment->day);
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", date.year, date.month,
                date.day, moment->seconds / 3600, moment->seconds / 60 % 60, moment->seconds % 60);
  return buffer;
}

std::optional<double> serialFromDate(std::string_view stored) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  const std::string text(stored);
  const int read =
      std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d", &year, &month, &day, &hour, &minute, &second);
  if (read != 3 && read != 6) return std::nullopt;
  if (month < 1 || month > 12 || day < 1 || day > values::daysInMonth(year, month))
    return std::nullopt;
  return values::dateOf(values::dayNumber(year, month, day), hour * 3600 + minute * 60 + second);
}

}  // namespace telvarn

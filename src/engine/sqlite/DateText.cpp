#include "engine/sqlite/DateText.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <regex>

namespace telvarn::sqlite {
namespace {

std::optional<std::string> format(int year, int month, int day, int hour, int minute, int second) {
  using namespace std::chrono;
  const year_month_day date{std::chrono::year(year),
                            std::chrono::month(static_cast<unsigned>(month)),
                            std::chrono::day(static_cast<unsigned>(day))};
  if (!date.ok() || year < 100 || year > 9999) return std::nullopt;
  if (hour > 23 || minute > 59 || second > 59) return std::nullopt;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour,
                minute, second);
  return std::string(buffer);
}

int number(const std::ssub_match& match) {
  return match.matched ? std::stoi(match.str()) : 0;
}

}  // namespace

std::optional<std::string> normaliseDateText(const std::string& text) {
  static const std::regex iso(
      R"(\s*(\d{4})-(\d{1,2})-(\d{1,2})(?:[ T](\d{1,2}):(\d{2})(?::(\d{2}))?)?\s*)");
  static const std::regex us(
      R"(\s*(\d{1,2})/(\d{1,2})/(\d{4})(?:\s+(\d{1,2}):(\d{2})(?::(\d{2}))?\s*([AaPp][Mm])?)?\s*)");
  std::smatch m;
  if (std::regex_match(text, m, iso)) {
    return format(number(m[1]), number(m[2]), number(m[3]), number(m[4]), number(m[5]),
                  number(m[6]));
  }
  if (std::regex_match(text, m, us)) {
    int hour = number(m[4]);
    if (m[7].matched) {
      if (hour < 1 || hour > 12) return std::nullopt;
      const bool pm = m[7].str()[0] == 'P' || m[7].str()[0] == 'p';
      hour = hour % 12 + (pm ? 12 : 0);
    }
    return format(number(m[3]), number(m[1]), number(m[2]), hour, number(m[5]), number(m[6]));
  }
  return std::nullopt;
}

std::string dateTextFromSerial(double serial) {
  using namespace std::chrono;
  const double wholeDays = std::floor(serial);
  // Times before the epoch count their fraction forward from the day, as the
  // engine counts them.
  const double fraction = std::fabs(serial - wholeDays);
  const sys_days epoch = sys_days{std::chrono::year(1899) / 12 / 30};
  const year_month_day date{epoch + days(static_cast<long>(wholeDays))};
  long seconds = std::lround(fraction * 86400.0);
  if (seconds >= 86400) seconds = 86399;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02u %02ld:%02ld:%02ld", int(date.year()),
                unsigned(date.month()), unsigned(date.day()), seconds / 3600, seconds / 60 % 60,
                seconds % 60);
  return buffer;
}

}  // namespace telvarn::sqlite

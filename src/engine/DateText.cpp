#include "engine/DateText.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

#include "engine/jetsql/Lexer.h"

namespace telvarn {
namespace {

struct Parts {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0;
};

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t daysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

Parts civilFromDays(int64_t z) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  Parts parts;
  parts.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  parts.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  parts.year = static_cast<int>(yoe + era * 400 + (parts.month <= 2));
  return parts;
}

const int64_t kDayZero = daysFromCivil(1899, 12, 30);

int daysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

// The numbers of "12/31/1999" or "1999-12-31", with their digit counts.
bool splitNumbers(std::string_view text, char separator, std::vector<int>& numbers,
                  std::vector<size_t>& widths) {
  size_t start = 0;
  while (start <= text.size()) {
    size_t stop = text.find(separator, start);
    if (stop == std::string_view::npos) stop = text.size();
    const auto piece = text.substr(start, stop - start);
    if (piece.empty() || piece.size() > 4) return false;
    int value = 0;
    for (char c : piece) {
      if (!std::isdigit(static_cast<unsigned char>(c))) return false;
      value = value * 10 + (c - '0');
    }
    numbers.push_back(value);
    widths.push_back(piece.size());
    start = stop + 1;
  }
  return true;
}

int currentYear() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local.tm_year + 1900;
}

bool readDate(std::string_view text, Parts& parts) {
  const char separator = text.find('/') != std::string_view::npos ? '/' : '-';
  std::vector<int> n;
  std::vector<size_t> width;
  if (!splitNumbers(text, separator, n, width) || n.size() < 2 || n.size() > 3) return false;
  if (width[0] > 2) {
    if (n.size() != 3) return false;
    parts.year = n[0], parts.month = n[1], parts.day = n[2];
  } else {
    parts.month = n[0], parts.day = n[1];
    parts.year = n.size() == 3 ? n[2] : currentYear();
    if (n.size() == 3 && width[2] <= 2) parts.year += parts.year < 30 ? 2000 : 1900;
    if (parts.month > 12 && parts.day <= 12) std::swap(parts.month, parts.day);
  }
  return parts.year >= 100 && parts.year <= 9999 && parts.month >= 1 && parts.month <= 12 &&
         parts.day >= 1 && parts.day <= daysInMonth(parts.year, parts.month);
}

bool readTime(std::string_view text, std::string_view meridiem, Parts& parts) {
  std::vector<int> n;
  std::vector<size_t> width;
  if (!splitNumbers(text, ':', n, width) || n.size() > 3) return false;
  if (n.size() == 1 && meridiem.empty()) return false;
  parts.hour = n[0];
  parts.minute = n.size() > 1 ? n[1] : 0;
  parts.second = n.size() > 2 ? n[2] : 0;
  if (!meridiem.empty()) {
    if (parts.hour < 1 || parts.hour > 12) return false;
    parts.hour %= 12;
    if (jetsql::sameWord(meridiem, "PM")) parts.hour += 12;
  }
  return parts.hour <= 23 && parts.minute <= 59 && parts.second <= 59;
}

std::vector<std::string_view> words(std::string_view text) {
  std::vector<std::string_view> out;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    size_t j = i;
    while (j < text.size() && !std::isspace(static_cast<unsigned char>(text[j]))) ++j;
    if (j > i) out.push_back(text.substr(i, j - i));
    i = j;
  }
  return out;
}

// Splits "10:30PM" into the time and its AM/PM marker.
std::string_view takeMeridiem(std::string_view& time) {
  if (time.size() > 2) {
    const auto tail = time.substr(time.size() - 2);
    if (jetsql::sameWord(tail, "AM") || jetsql::sameWord(tail, "PM")) {
      time.remove_suffix(2);
      return tail;
    }
  }
  return {};
}

std::string format(const Parts& p) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day,
                p.hour, p.minute, p.second);
  return buffer;
}

}  // namespace

std::optional<std::string> parseDateText(std::string_view text) {
  auto pieces = words(text);
  Parts parts;
  std::string_view meridiem;
  if (!pieces.empty() &&
      (jetsql::sameWord(pieces.back(), "AM") || jetsql::sameWord(pieces.back(), "PM"))) {
    meridiem = pieces.back();
    pieces.pop_back();
  }
  if (pieces.empty() || pieces.size() > 2) return std::nullopt;
  std::string_view date = pieces[0];
  std::string_view time;
  if (pieces.size() == 2) {
    time = pieces[1];
  } else if (date.find(':') != std::string_view::npos || !meridiem.empty()) {
    time = date;
    date = {};
  }
  if (meridiem.empty()) meridiem = takeMeridiem(time);
  if (!date.empty() && !readDate(date, parts)) return std::nullopt;
  if (!time.empty() && !readTime(time, meridiem, parts)) return std::nullopt;
  return format(parts);
}

std::optional<std::string> dateFromSerial(double serial) {
  if (!std::isfinite(serial) || serial < -657434.0 || serial >= 2958466.0) return std::nullopt;
  const double whole = std::trunc(serial);
  auto seconds = static_cast<int64_t>(std::llround(std::fabs(serial - whole) * 86400.0));
  auto days = static_cast<int64_t>(whole);
  if (seconds >= 86400) {
    seconds -= 86400;
    days += serial < 0 ? -1 : 1;
  }
  Parts parts = civilFromDays(kDayZero + days);
  parts.hour = static_cast<int>(seconds / 3600);
  parts.minute = static_cast<int>(seconds / 60 % 60);
  parts.second = static_cast<int>(seconds % 60);
  return format(parts);
}

std::optional<double> serialFromDate(std::string_view stored) {
  Parts p;
  const std::string text(stored);
  const int read = std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d", &p.year, &p.month, &p.day,
                               &p.hour, &p.minute, &p.second);
  if (read != 3 && read != 6) return std::nullopt;
  if (p.month < 1 || p.month > 12 || p.day < 1 || p.day > daysInMonth(p.year, p.month))
    return std::nullopt;
  const double days = static_cast<double>(daysFromCivil(p.year, p.month, p.day) - kDayZero);
  const double time = (p.hour * 3600 + p.minute * 60 + p.second) / 86400.0;
  return days < 0 ? days - time : days + time;
}

}  // namespace telvarn

#include "engine/values/DateFormat.h"

#include <cctype>
#include <cstdio>

#include "engine/values/Calendar.h"
#include "engine/values/Errors.h"

namespace telvarn::values {
namespace {

constexpr std::string_view kMonths[] = {"January", "February", "March",     "April",
                                        "May",     "June",     "July",      "August",
                                        "September", "October", "November", "December"};
constexpr std::string_view kDays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                      "Thursday", "Friday", "Saturday"};

constexpr std::string_view kShortDate = "m/d/yyyy";
constexpr std::string_view kLongDate = "dddd, mmmm d, yyyy";
constexpr std::string_view kLongTime = "h:nn:ss AM/PM";

struct NamedFormat {
  std::string_view name;
  std::string_view tokens;
};
constexpr NamedFormat kNamed[] = {
    {"Long Date", kLongDate},          {"Medium Date", "dd-mmm-yy"}, {"Short Date", kShortDate},
    {"Long Time", kLongTime},          {"Medium Time", "hh:nn AM/PM"}, {"Short Time", "hh:nn"},
};

char lower(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool startsWithWord(std::string_view text, std::string_view word) {
  if (text.size() < word.size()) return false;
  for (size_t i = 0; i < word.size(); ++i) {
    if (lower(text[i]) != lower(word[i])) return false;
  }
  return true;
}

bool sameWord(std::string_view a, std::string_view b) {
  return a.size() == b.size() && startsWithWord(a, b);
}

std::string twoDigits(int value) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "%02d", value);
  return buffer;
}

// The 12-hour markers a format may hold; each switches h and hh to 1..12.
constexpr std::string_view kMarkers[] = {"AM/PM", "AMPM", "A/P"};

class DateWriter {
 public:
  DateWriter(const Moment& moment, int firstDayOfWeek, int firstWeekOfYear)
      : moment_(moment), date_(civilDate(moment.day)), firstDay_(firstDayOfWeek),
        firstWeek_(firstWeekOfYear) {}

  std::string write(std::string_view format) {
    twelveHour_ = false;
    for (size_t i = 0; i < format.size(); ++i) {
      for (std::string_view marker : kMarkers) twelveHour_ |= startsWithWord(format.substr(i), marker);
    }
    std::string out;
    size_t i = 0;
    while (i < format.size()) i = step(format, i, out);
    return out;
  }

  static std::string generalDate(const Moment& moment) {
    std::string text;
    if (moment.day != 0) text = DateWriter(moment, 1, 1).write(kShortDate);
    if (moment.seconds != 0 || moment.day == 0) {
      if (!text.empty()) text += ' ';
      text += DateWriter(moment, 1, 1).write(kLongTime);
    }
    return text;
  }

 private:
  size_t run(std::string_view format, size_t i) const {
    size_t n = 0;
    while (i + n < format.size() && lower(format[i + n]) == lower(format[i])) ++n;
    return n;
  }

  // Writes the token at `i`; returns where the next one starts.
  size_t step(std::string_view format, size_t i, std::string& out) {
    const char c = format[i];
    if (c == '"') {
      const size_t close = format.find('"', i + 1);
      const size_t end = close == std::string_view::npos ? format.size() : close;
      out += format.substr(i + 1, end - i - 1);
      return end == format.size() ? end : end + 1;
    }
    if (c == '\\') {
      if (i + 1 < format.size()) out += format[i + 1];
      return i + 2;
    }
    for (std::string_view marker : {std::string_view("AM/PM"), std::string_view("A/P")}) {
      if (!startsWithWord(format.substr(i), marker)) continue;
      const bool pm = moment_.seconds >= 12 * 3600;
      std::string text = marker.size() == 5 ? (pm ? "PM" : "AM") : (pm ? "P" : "A");
      if (std::islower(static_cast<unsigned char>(c))) {
        for (char& letter : text) letter = lower(letter);
      }
      out += text;
      return i + marker.size();
    }
    if (startsWithWord(format.substr(i), "AMPM")) {
      out += moment_.seconds >= 12 * 3600 ? "PM" : "AM";
      return i + 4;
    }
    const size_t n = run(format, i);
    switch (lower(c)) {
      case 'c':
        out += generalDate(moment_);
        return i + 1;
      case 'd':
        return i + day(std::min<size_t>(n, 6), out);
      case 'w':
        return i + week(std::min<size_t>(n, 2), out);
      case 'm':
        return i + month(std::min<size_t>(n, 4), out);
      case 'q':
        out += std::to_string((date_.month - 1) / 3 + 1);
        lastWasHour_ = false;
        return i + 1;
      case 'y':
        return i + year(n, out);
      case 'h':
        hour(std::min<size_t>(n, 2), out);
        return i + std::min<size_t>(n, 2);
      case 'n':
        number(moment_.seconds / 60 % 60, std::min<size_t>(n, 2), out);
        return i + std::min<size_t>(n, 2);
      case 's':
        number(moment_.seconds % 60, std::min<size_t>(n, 2), out);
        return i + std::min<size_t>(n, 2);
      case 't':
        if (n >= 5) {
          out += DateWriter(moment_, firstDay_, firstWeek_).write(kLongTime);
          return i + 5;
        }
        out += c;
        return i + 1;
      default:
        out += c;
        return i + 1;
    }
  }

  void number(int value, size_t width, std::string& out) {
    out += width == 2 ? twoDigits(value) : std::to_string(value);
    lastWasHour_ = false;
  }

  size_t day(size_t n, std::string& out) {
    lastWasHour_ = false;
    if (n <= 2) {
      out += n == 2 ? twoDigits(date_.day) : std::to_string(date_.day);
    } else if (n <= 4) {
      const std::string_view name = dayName(weekday(moment_.day, 1));
      out += n == 3 ? name.substr(0, 3) : name;
    } else {
      out += DateWriter(moment_, firstDay_, firstWeek_).write(n == 5 ? kShortDate : kLongDate);
    }
    return n;
  }

  size_t week(size_t n, std::string& out) {
    lastWasHour_ = false;
    out += std::to_string(n == 1 ? weekday(moment_.day, firstDay_)
                                 : weekOfYear(moment_.day, firstDay_, firstWeek_));
    return n;
  }

  size_t month(size_t n, std::string& out) {
    if (n <= 2 && lastWasHour_) {
      number(moment_.seconds / 60 % 60, n, out);
    } else if (n <= 2) {
      number(date_.month, n, out);
    } else {
      const std::string_view name = monthName(date_.month);
      out += n == 3 ? name.substr(0, 3) : name;
      lastWasHour_ = false;
    }
    return n;
  }

  size_t year(size_t n, std::string& out) {
    lastWasHour_ = false;
    if (n >= 4) {
      out += std::to_string(date_.year);
      return 4;
    }
    if (n >= 2) {
      out += twoDigits(date_.year % 100);
      return 2;
    }
    out += std::to_string(moment_.day - dayNumber(date_.year, 1, 1) + 1);
    return 1;
  }

  void hour(size_t n, std::string& out) {
    int value = moment_.seconds / 3600;
    if (twelveHour_) value = value % 12 == 0 ? 12 : value % 12;
    out += n == 2 ? twoDigits(value) : std::to_string(value);
    lastWasHour_ = true;
  }

  const Moment& moment_;
  const CivilDate date_;
  const int firstDay_;
  const int firstWeek_;
  bool twelveHour_ = false;
  bool lastWasHour_ = false;
};

Moment momentOrOverflow(double date) {
  const std::optional<Moment> moment = momentOf(date);
  if (!moment) fail(kOverflow);
  return *moment;
}

}  // namespace

std::string_view monthName(int month) {
  return kMonths[month - 1];
}

std::string_view dayName(int weekday) {
  return kDays[weekday - 1];
}

std::string generalDate(double date) {
  return DateWriter::generalDate(momentOrOverflow(date));
}

bool isNamedDateFormat(std::string_view format) {
  if (sameWord(format, "General Date")) return true;
  for (const NamedFormat& named : kNamed) {
    if (sameWord(format, named.name)) return true;
  }
  return false;
}

bool hasDateTokens(std::string_view format) {
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '"') {
      const size_t close = format.find('"', i + 1);
      if (close == std::string_view::npos) return false;
      i = close;
    } else if (format[i] == '\\') {
      ++i;
    } else if (std::string_view("cdwmqyhns").find(lower(format[i])) != std::string_view::npos ||
               startsWithWord(format.substr(i), "ttttt") || startsWithWord(format.substr(i), "A/P") ||
               startsWithWord(format.substr(i), "AMPM")) {
      return true;
    }
  }
  return false;
}

std::string formatDate(double date, std::string_view format, int firstDayOfWeek,
                       int firstWeekOfYear) {
  const Moment moment = momentOrOverflow(date);
  if (format.empty() || sameWord(format, "General Date")) return DateWriter::generalDate(moment);
  for (const NamedFormat& named : kNamed) {
    if (sameWord(format, named.name)) format = named.tokens;
  }
  return DateWriter(moment, firstDayOfWeek, firstWeekOfYear).write(format);
}

}  // namespace telvarn::values

// Format(value, format): the named formats (General Number, Currency,
// Fixed, Standard, Percent, Scientific, Yes/No, True/False, On/Off, General
// Date, Long/Medium/Short Date and Time) in the United States settings the
// original runs with, and custom formats of digit placeholders (0 # , . %)
// or date parts (yyyy, mm, dd, hh, nn, ss, AM/PM, ...).
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/jetsql/Lexer.h"
#include "engine/sqlite/DateParts.h"
#include "engine/sqlite/FunctionSupport.h"

namespace telvarn::sqlite {
namespace {

constexpr const char* kMonths[] = {"January",   "February", "March",    "April",
                                   "May",       "June",     "July",     "August",
                                   "September", "October",  "November", "December"};
constexpr const char* kDays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                 "Thursday", "Friday", "Saturday"};

std::string twoDigits(int value) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "%02d", value);
  return buffer;
}

// The digits of |value| rounded half away from zero to `decimals` places,
// with thousands separators when asked, at least `minimumWhole` whole digits.
std::string digits(double value, int decimals, bool thousands, int minimumWhole) {
  const double scale = std::pow(10.0, decimals);
  const double scaled = std::round(std::fabs(value) * scale);
  std::string all = writeDouble(scaled, Notation::Fixed, 0);
  if (all.size() <= static_cast<size_t>(decimals)) all.insert(0, decimals + 1 - all.size(), '0');
  std::string whole = all.substr(0, all.size() - decimals);
  const std::string fraction = all.substr(all.size() - decimals);
  if (whole == "0" && minimumWhole == 0) whole.clear();
  if (whole.size() < static_cast<size_t>(minimumWhole))
    whole.insert(0, minimumWhole - whole.size(), '0');
  if (thousands) {
    for (int at = static_cast<int>(whole.size()) - 3; at > 0; at -= 3) whole.insert(at, ",");
  }
  return decimals > 0 ? whole + "." + fraction : whole;
}

bool isPlaceholder(char c) {
  return c == '0' || c == '#';
}

// One section of a custom number format: literal text around one run of
// placeholders.
std::string customNumber(double value, const std::string& format) {
  const size_t first = format.find_first_of("0#");
  if (first == std::string::npos) return format;
  size_t last = first;
  for (size_t i = first; i < format.size(); ++i) {
    if (isPlaceholder(format[i]) || format[i] == ',' || format[i] == '.')
      last = i;
    else
      break;
  }
  const std::string pattern = format.substr(first, last - first + 1);
  const size_t point = pattern.find('.');
  const std::string whole = pattern.substr(0, point);
  const std::string fraction = point == std::string::npos ? "" : pattern.substr(point + 1);
  int decimals = 0;
  int required = 0;
  for (char c : fraction) {
    if (!isPlaceholder(c)) continue;
    ++decimals;
    if (c == '0') required = decimals;
  }
  const bool percent = format.find('%') != std::string::npos;
  std::string number =
      digits(percent ? value * 100 : value, decimals, whole.find(',') != std::string::npos,
             static_cast<int>(std::count(whole.begin(), whole.end(), '0')));
  // Optional places ("#") drop their trailing zeros.
  while (decimals > required && number.back() == '0') {
    number.pop_back();
    --decimals;
  }
  if (!number.empty() && number.back() == '.') number.pop_back();
  return format.substr(0, first) + number + format.substr(last + 1);
}

std::string numberFormat(double value, const std::string& format) {
  struct Named {
    const char* name;
    const char* custom;
  };
  static constexpr Named kNamed[] = {
      {"Fixed", "0.00"},         {"Standard", "#,##0.00"}, {"Percent", "0.00%"},
      {"Currency", "$#,##0.00"}, {"Yes/No", nullptr},      {"True/False", nullptr},
      {"On/Off", nullptr},       {"General Number", ""},   {"Scientific", nullptr}};
  std::string custom = format;
  for (const Named& named : kNamed) {
    if (!jetsql::sameWord(named.name, format)) continue;
    if (!named.custom) {
      if (jetsql::sameWord(format, "Scientific")) {
        return doubleText(value, Notation::Scientific, 2);
      }
      const std::string pair = named.name;
      const size_t slash = pair.find('/');
      return value != 0 ? pair.substr(0, slash) : pair.substr(slash + 1);
    }
    if (!*named.custom) {
      return doubleText(value);
    }
    if (jetsql::sameWord(format, "Currency") && value < 0) {
      return "(" + customNumber(-value, named.custom) + ")";
    }
    custom = named.custom;
  }
  // Sections: positive;negative;zero.
  const size_t semicolon = custom.find(';');
  if (semicolon != std::string::npos) {
    const std::string negative = custom.substr(semicolon + 1);
    if (value < 0 && !negative.empty())
      return customNumber(-value, negative.substr(0, negative.find(';')));
    custom = custom.substr(0, semicolon);
  }
  const std::string text = customNumber(value, custom);
  return value < 0 && text.find_first_of("123456789") != std::string::npos ? "-" + text : text;
}

class DateWriter {
 public:
  DateWriter(const Moment& m, const std::string& format) : m_(m), format_(format) {
    const std::string upper = [&] {
      std::string u = format;
      for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      return u;
    }();
    twelveHour_ =
        upper.find("AM/PM") != std::string::npos || upper.find("A/P") != std::string::npos;
  }

  std::string write() {
    while (pos_ < format_.size()) step();
    return out_;
  }

 private:
  size_t run(char c) const {
    size_t n = 0;
    while (pos_ + n < format_.size() &&
           std::tolower(static_cast<unsigned char>(format_[pos_ + n])) == c)
      ++n;
    return n;
  }

  bool take(const char* word) {
    if (!jetsql::sameWord(std::string_view(format_).substr(pos_, std::strlen(word)), word))
      return false;
    const bool upper = std::isupper(static_cast<unsigned char>(format_[pos_]));
    const bool pm = m_.hour >= 12;
    const std::string_view w(word);
    std::string text = w.size() == 5 ? (pm ? "PM" : "AM") : (pm ? "P" : "A");
    if (!upper)
      for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    out_ += text;
    pos_ += w.size();
    return true;
  }

  void step() {
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(format_[pos_])));
    if (c == 'a' && (take("AM/PM") || take("A/P"))) return;
    if (format_[pos_] == '\\' && pos_ + 1 < format_.size()) {
      out_ += format_[pos_ + 1];
      pos_ += 2;
      return;
    }
    if (format_[pos_] == '"') {
      const size_t close = format_.find('"', pos_ + 1);
      out_ += format_.substr(pos_ + 1, close - pos_ - 1);
      pos_ = close == std::string::npos ? format_.size() : close + 1;
      return;
    }
    const size_t n = std::string("ymdhnsqw").find(c) == std::string::npos ? 1 : run(c);
    part(c, n);
    pos_ += n;
  }

  void part(char c, size_t n) {
    const int64_t day = dayNumber(m_);
    switch (c) {
      case 'y':
        if (n >= 4)
          out_ += std::to_string(m_.year);
        else if (n >= 2)
          out_ += twoDigits(m_.year % 100);
        else
          out_ += std::to_string(day - dayNumber(m_.year, 1, 1) + 1);
        break;
      case 'm':
        if (afterHour_ && n <= 2) {
          out_ += n == 2 ? twoDigits(m_.minute) : std::to_string(m_.minute);
        } else if (n >= 3) {
          out_ += n == 3 ? std::string(kMonths[m_.month - 1], 3) : kMonths[m_.month - 1];
        } else {
          out_ += n == 2 ? twoDigits(m_.month) : std::to_string(m_.month);
        }
        break;
      case 'd':
        if (n >= 3) {
          const char* name = kDays[weekday(day) - 1];
          out_ += n == 3 ? std::string(name, 3) : name;
        } else {
          out_ += n == 2 ? twoDigits(m_.day) : std::to_string(m_.day);
        }
        break;
      case 'h': {
        int hour = m_.hour;
        if (twelveHour_) hour = hour % 12 == 0 ? 12 : hour % 12;
        out_ += n >= 2 ? twoDigits(hour) : std::to_string(hour);
        afterHour_ = true;
        return;
      }
      case 'n':
        out_ += n >= 2 ? twoDigits(m_.minute) : std::to_string(m_.minute);
        break;
      case 's':
        out_ += n >= 2 ? twoDigits(m_.second) : std::to_string(m_.second);
        break;
      case 'q':
        out_ += std::to_string((m_.month - 1) / 3 + 1);
        break;
      case 'w':
        if (n >= 2) {
          out_ += std::to_string(
              (day - dayNumber(m_.year, 1, 1) + weekday(dayNumber(m_.year, 1, 1)) - 1) / 7 + 1);
        } else {
          out_ += std::to_string(weekday(day));
        }
        break;
      default:
        out_ += format_[pos_];
        return;
    }
    if (c != ' ' && c != ':') afterHour_ = false;
  }

  const Moment& m_;
  const std::string& format_;
  size_t pos_ = 0;
  std::string out_;
  bool twelveHour_ = false;
  bool afterHour_ = false;
};

std::string dateFormat(const Moment& m, const std::string& format) {
  static constexpr std::pair<const char*, const char*> kNamed[] = {
      {"Long Date", "dddd, mmmm d, yyyy"}, {"Medium Date", "dd-mmm-yy"},
      {"Short Date", "m/d/yyyy"},          {"Long Time", "h:nn:ss AM/PM"},
      {"Medium Time", "hh:nn AM/PM"},      {"Short Time", "hh:nn"},
  };
  for (const auto& [name, custom] : kNamed) {
    if (jetsql::sameWord(name, format)) return DateWriter(m, custom).write();
  }
  if (format.empty() || jetsql::sameWord(format, "General Date")) {
    const bool hasTime = m.hour || m.minute || m.second;
    const bool hasDate = dayNumber(m) != 0;
    std::string text = hasDate || !hasTime ? DateWriter(m, "m/d/yyyy").write() : "";
    if (hasTime) text += (text.empty() ? "" : " ") + DateWriter(m, "h:nn:ss AM/PM").write();
    return text;
  }
  return DateWriter(m, format).write();
}

bool isDateFormat(const std::string& format) {
  for (const char* name : {"General Date", "Long Date", "Medium Date", "Short Date", "Long Time",
                           "Medium Time", "Short Time"}) {
    if (jetsql::sameWord(name, format)) return true;
  }
  return format.find_first_of("0#") == std::string::npos &&
         format.find_first_of("ymdhnsqwYMDHNSQW") != std::string::npos &&
         !jetsql::sameWord(format, "Yes/No") && !jetsql::sameWord(format, "On/Off") &&
         !jetsql::sameWord(format, "Standard") && !jetsql::sameWord(format, "Fixed") &&
         !jetsql::sameWord(format, "Scientific") && !jetsql::sameWord(format, "Percent") &&
         !jetsql::sameWord(format, "Currency") && !jetsql::sameWord(format, "True/False") &&
         !jetsql::sameWord(format, "General Number");
}

// A stored date reads "YYYY-MM-DD HH:MM:SS".
bool looksStoredDate(const std::string& text) {
  return text.size() == 19 && text[4] == '-' && text[7] == '-' && text[10] == ' ' &&
         text[13] == ':' && std::isdigit(static_cast<unsigned char>(text[0]));
}

void format(sqlite3_context* context, sqlite3_value** argv) {
  if (isNull(argv[0])) return sqlite3_result_null(context);
  const std::string pattern = isNull(argv[1]) ? "" : rawText(argv[1]);
  const bool text = sqlite3_value_type(argv[0]) == SQLITE_TEXT;
  if (isDateFormat(pattern) || (text && looksStoredDate(rawText(argv[0])))) {
    if (!pattern.empty() || text)
      return resultText(context, dateFormat(momentOf(argv[0]), pattern));
  }
  if (text && !parseNumber(rawText(argv[0]))) return resultText(context, rawText(argv[0]));
  if (pattern.empty()) return resultText(context, textOf(argv[0]));
  resultText(context, numberFormat(numberOf(argv[0]).value(), pattern));
}

constexpr SqlFunction kFunctions[] = {{"telvarn_format", 2, guarded<format>}};

}  // namespace

void registerFormat(sqlite3* db) {
  registerFunctions(db, kFunctions);
}

}  // namespace telvarn::sqlite

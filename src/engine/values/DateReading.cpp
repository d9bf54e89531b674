#include "engine/Utf8.h"
#include "engine/values/DateReading.h"

#include <array>
#include <cctype>
#include <string>
#include <vector>

#include "engine/values/Calendar.h"
#include "engine/values/Clock.h"
#include "engine/values/DateFormat.h"

namespace telvarn::values {
namespace {

struct Token {
  enum class Kind { Number, Word, Separator } kind;
  std::string_view text;
  int value = 0;  // a number's value
};

bool isLetter(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) != 0;
}
bool isDigit(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

std::optional<std::vector<Token>> tokens(std::string_view text) {
  std::vector<Token> out;
  size_t i = 0;
  while (i < text.size()) {
    const size_t begin = i;
    const char c = text[i];
    if (isDigit(c)) {
      while (i < text.size() && isDigit(text[i])) ++i;
      if (i - begin > 4) return std::nullopt;
      int value = 0;
      for (size_t k = begin; k < i; ++k) value = value * 10 + (text[k] - '0');
      out.push_back({Token::Kind::Number, text.substr(begin, i - begin), value});
    } else if (isLetter(c)) {
      while (i < text.size() && isLetter(text[i])) ++i;
      out.push_back({Token::Kind::Word, text.substr(begin, i - begin)});
    } else if (c == ' ' || c == '\t') {
      while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
      out.push_back({Token::Kind::Separator, " "});
    } else if (std::string_view("/-.,:").find(c) != std::string_view::npos) {
      out.push_back({Token::Kind::Separator, text.substr(i++, 1)});
    } else {
      return std::nullopt;
    }
  }
  return out;
}

// 1..12 for a month's full name or its first three letters, else 0.
int monthOf(std::string_view word) {
  for (int month = 1; month <= 12; ++month) {
    const std::string_view name = monthName(month);
    if (sameWord(word, name) || sameWord(word, name.substr(0, 3))) return month;
  }
  return 0;
}

bool isSeparator(const Token& token, char c) {
  return token.kind == Token::Kind::Separator && token.text[0] == c;
}

struct Time {
  int hour = 0, minute = 0, second = 0;
};

// Takes the time out of `all`: h:nn[:ss] or an hour followed by AM/PM, with
// an optional AM/PM after it. False when the text holds a malformed time.
bool takeTime(std::vector<Token>& all, std::optional<Time>& time) {
  for (size_t i = 0; i < all.size(); ++i) {
    if (all[i].kind != Token::Kind::Number) continue;
    size_t end = i + 1;
    std::vector<int> parts{all[i].value};
    while (end + 1 < all.size() && isSeparator(all[end], ':') &&
           all[end + 1].kind == Token::Kind::Number && parts.size() < 3) {
      parts.push_back(all[end + 1].value);
      end += 2;
    }
    size_t marker = end;
    if (marker < all.size() && isSeparator(all[marker], ' ')) ++marker;
    const bool meridiem = marker < all.size() && all[marker].kind == Token::Kind::Word &&
                          (sameWord(all[marker].text, "AM") || sameWord(all[marker].text, "PM"));
    if (parts.size() == 1 && !meridiem) continue;
    Time t{parts[0], parts.size() > 1 ? parts[1] : 0, parts.size() > 2 ? parts[2] : 0};
    if (meridiem) {
      if (t.hour > 12) return false;
      t.hour = t.hour % 12 + (sameWord(all[marker].text, "PM") ? 12 : 0);
      end = marker + 1;
    }
    if (t.hour > 23 || t.minute > 59 || t.second > 59) return false;
    time = t;
    all.erase(all.begin() + static_cast<std::ptrdiff_t>(i), all.begin() + static_cast<std::ptrdiff_t>(end));
    return true;
  }
  return true;
}

struct Number {
  int value;
  size_t width;
};

std::optional<int64_t> validDay(int year, int month, int day, size_t yearWidth) {
  if (yearWidth <= 2) year = fullYear(year);
  if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > daysInMonth(year, month))
    return std::nullopt;
  return dayNumber(year, month, day);
}

int currentYear() {
  return civilDate(momentOf(systemClock().now())->day).year;
}

// The day of numbers alone: m/d/y, else d/m/y, else y/m/d; a leading year of
// three or four digits is always y/m/d.
std::optional<int64_t> numericDay(const std::vector<Number>& n) {
  if (n.size() == 3) {
    if (n[0].width >= 3) return validDay(n[0].value, n[1].value, n[2].value, n[0].width);
    if (auto day = validDay(n[2].value, n[0].value, n[1].value, n[2].width)) return day;
    if (auto day = validDay(n[2].value, n[1].value, n[0].value, n[2].width)) return day;
    return validDay(n[0].value, n[1].value, n[2].value, n[0].width);
  }
  if (n.size() == 2) {
    if (n[1].width >= 3) return validDay(n[1].value, n[0].value, 1, n[1].width);
    if (n[0].width >= 3) return validDay(n[0].value, n[1].value, 1, n[0].width);
    if (auto day = validDay(currentYear(), n[0].value, n[1].value, 4)) return day;
    return validDay(currentYear(), n[1].value, n[0].value, 4);
  }
  return std::nullopt;
}

// The day of a month name with numbers before or after it.
std::optional<int64_t> namedDay(int month, size_t position, const std::vector<Number>& n) {
  if (n.empty() || n.size() > 2) return std::nullopt;
  if (position == 0) {  // Mar 14 2024, March 14, Mar 2024
    if (n.size() == 1 && (n[0].width >= 3 || n[0].value > 31))
      return validDay(n[0].value, month, 1, n[0].width);
    if (n.size() == 1) return validDay(currentYear(), month, n[0].value, 4);
    return validDay(n[1].value, month, n[0].value, n[1].width);
  }
  if (position == 1) {  // 14-Mar-2024, 14 March, 2024 Mar 14
    if (n[0].width >= 3) return n.size() == 2 ? validDay(n[0].value, month, n[1].value, n[0].width)
                                              : validDay(n[0].value, month, 1, n[0].width);
    if (n.size() == 1) return validDay(currentYear(), month, n[0].value, 4);
    return validDay(n[1].value, month, n[0].value, n[1].width);
  }
  return std::nullopt;
}

}  // namespace

std::optional<double> readDate(std::string_view text) {
  std::optional<std::vector<Token>> all = tokens(text);
  if (!all) return std::nullopt;
  std::optional<Time> time;
  if (!takeTime(*all, time)) return std::nullopt;
  std::vector<Number> numbers;
  int month = 0;
  size_t monthPosition = 0;
  for (const Token& token : *all) {
    if (token.kind == Token::Kind::Number) {
      numbers.push_back({token.value, token.text.size()});
    } else if (token.kind == Token::Kind::Word) {
      if (month != 0 || (month = monthOf(token.text)) == 0) return std::nullopt;
      monthPosition = numbers.size();
    } else if (token.text[0] == ':') {
      return std::nullopt;
    }
  }
  std::optional<int64_t> day = 0;
  if (month != 0) {
    day = namedDay(month, monthPosition, numbers);
  } else if (!numbers.empty()) {
    day = numericDay(numbers);
  } else if (!time) {
    return std::nullopt;
  }
  if (!day) return std::nullopt;
  const Time t = time.value_or(Time{});
  return dateOf(*day, t.hour * 3600 + t.minute * 60 + t.second);
}

}  // namespace telvarn::values

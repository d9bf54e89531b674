#include "engine/values/Format.h"

#include <cctype>
#include <string>
#include <vector>

#include "engine/Utf8.h"
#include "engine/values/Convert.h"
#include "engine/values/DateFormat.h"
#include "engine/values/Errors.h"
#include "engine/values/LetterCase.h"
#include "engine/values/NumberFormat.h"

namespace telvarn::values {
namespace {

using Kind = Variant::Kind;

// The sections of a format, split at the semicolons outside quotes and
// backslashes.
std::vector<std::string_view> sectionsOf(std::string_view format) {
  std::vector<std::string_view> out;
  size_t start = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '"') {
      const size_t close = format.find('"', i + 1);
      i = close == std::string_view::npos ? format.size() : close;
    } else if (format[i] == '\\') {
      ++i;
    } else if (format[i] == ';') {
      out.push_back(format.substr(start, i - start));
      start = i + 1;
    }
  }
  out.push_back(format.substr(std::min(start, format.size())));
  return out;
}

bool hasTextPlaceholders(std::string_view section) {
  for (size_t i = 0; i < section.size(); ++i) {
    if (section[i] == '"') {
      const size_t close = section.find('"', i + 1);
      if (close == std::string_view::npos) return false;
      i = close;
    } else if (section[i] == '\\') {
      ++i;
    } else if (std::string_view("@&<>!").find(section[i]) != std::string_view::npos) {
      return true;
    }
  }
  return false;
}

std::string numberWithSections(const Variant& value, const std::vector<std::string_view>& sections) {
  DecimalNumber number = decimalOf(value);
  const bool negative = number.negative;
  number.negative = false;
  if (number.isZero() && sections.size() >= 3 && !sections[2].empty())
    return formatNumber(number, sections[2]);
  if (negative && sections.size() >= 2 && !sections[1].empty())
    return formatNumber(number, sections[1]);
  const std::string text = formatNumber(number, sections[0]);
  const bool shown = text.find_first_of("123456789") != std::string::npos;
  return negative && shown ? "-" + text : text;
}

std::string textFormat(const std::string& text, std::string_view section) {
  struct Piece {
    bool placeholder;
    char kind;  // '@' or '&' for a placeholder
    std::string literal;
  };
  std::vector<Piece> pieces;
  bool leftToRight = false;
  char letterCase = 0;
  for (size_t i = 0; i < section.size(); ++i) {
    const char c = section[i];
    if (c == '"') {
      const size_t close = section.find('"', i + 1);
      const size_t end = close == std::string_view::npos ? section.size() : close;
      pieces.push_back({false, 0, std::string(section.substr(i + 1, end - i - 1))});
      i = end;
    } else if (c == '\\') {
      if (i + 1 < section.size()) pieces.push_back({false, 0, std::string(1, section[++i])});
    } else if (c == '@' || c == '&') {
      pieces.push_back({true, c, {}});
    } else if (c == '!') {
      leftToRight = true;
    } else if (c == '<' || c == '>') {
      if (!letterCase) letterCase = c;
    } else {
      pieces.push_back({false, 0, std::string(1, c)});
    }
  }
  const std::string cased = letterCase == '<'   ? lowerCase(text)
                            : letterCase == '>' ? upperCase(text)
                                                : text;
  const std::u16string units = toUtf16(cased);
  size_t places = 0;
  for (const Piece& p : pieces) places += p.placeholder;
  // Right to left, the first placeholders are the ones left empty.
  const size_t empty = units.size() < places && !leftToRight ? places - units.size() : 0;
  std::u16string out;
  size_t place = 0, next = 0;
  for (const Piece& p : pieces) {
    if (!p.placeholder) {
      out += toUtf16(p.literal);
      continue;
    }
    if (place++ < empty || next >= units.size()) {
      if (p.kind == '@') out += u' ';
    } else {
      out += units[next++];
    }
  }
  out += units.substr(std::min(next, units.size()));
  return fromUtf16(out);
}

std::string namedNumber(const Variant& value, std::string_view name) {
  struct Named {
    std::string_view name;
    std::string_view format;
  };
  static constexpr Named kNamed[] = {
      {"Currency", "$#,##0.00;($#,##0.00)"}, {"Fixed", "0.00"},
      {"Standard", "#,##0.00"},              {"Percent", "0.00%"},
      {"Scientific", "0.00E+00"},
  };
  for (const Named& named : kNamed) {
    if (sameWord(name, named.name)) return numberWithSections(value, sectionsOf(named.format));
  }
  const bool zero = decimalOf(value).isZero();
  if (sameWord(name, "Yes/No")) return zero ? "No" : "Yes";
  if (sameWord(name, "True/False")) return zero ? "False" : "True";
  if (sameWord(name, "On/Off")) return zero ? "Off" : "On";
  return toText(value);  // General Number
}

bool isNamedNumberFormat(std::string_view name) {
  for (std::string_view named : {"General Number", "Currency", "Fixed", "Standard", "Percent",
                                 "Scientific", "Yes/No", "True/False", "On/Off"}) {
    if (sameWord(name, named)) return true;
  }
  return false;
}

int option(const Variant& value, int highest) {
  if (value.isNull()) fail(kInvalidUseOfNull);
  const int32_t number = toLong(value);
  if (number < 0 || number > highest) fail(kInvalidCall);
  return number == 0 ? 1 : number;
}

// The value as a number when it is one: numbers, Booleans, Dates (for
// number formats) and text that holds a number.
bool isNumber(const Variant& value) {
  return value.kind() != Kind::Text && value.kind() != Kind::Empty && isNumeric(value);
}

}  // namespace

Variant format(const Variant& value, const Variant& pattern, const Variant& firstDayOfWeek,
               const Variant& firstWeekOfYear) {
  const int firstDay = option(firstDayOfWeek, 7);
  const int firstWeek = option(firstWeekOfYear, 3);
  const std::string text = pattern.isNull() ? "" : toText(pattern);
  const std::vector<std::string_view> sections = sectionsOf(text);

  if (value.isNull()) {
    if (sections.size() == 4 && hasDigitPlaceholders(sections[0])) return formatNumber({}, sections[3]);
    if (sections.size() == 2 && hasTextPlaceholders(sections[0])) return textFormat("", sections[1]);
    return Variant::null();
  }
  const bool numericText = value.kind() == Kind::Text && isNumeric(value);
  const Variant number = numericText ? Variant(toDouble(value)) : value;
  if (text.empty()) return toText(number);

  if (isNamedDateFormat(text)) {
    if (value.kind() == Kind::Text && !numericText && !isDate(value)) return value;
    return formatDate(toDate(number), text, firstDay, firstWeek);
  }
  if (isNamedNumberFormat(text)) {
    if (!isNumber(number) && value.kind() != Kind::Date) return value.kind() == Kind::Empty ? "" : value;
    return namedNumber(value.kind() == Kind::Date ? Variant(value.realValue()) : number, text);
  }

  const std::string_view first = sections[0];
  if (hasTextPlaceholders(first) && !hasDigitPlaceholders(first)) {
    const std::string content = toText(value);
    if (content.empty() && sections.size() >= 2) return textFormat("", sections[1]);
    return textFormat(content, first);
  }
  if (hasDigitPlaceholders(first) || !hasDateTokens(first)) {
    if (value.kind() == Kind::Date) return numberWithSections(Variant(value.realValue()), sections);
    if (!isNumber(number)) return toText(value);
    return numberWithSections(number, sections);
  }
  if (value.kind() == Kind::Text && !numericText && !isDate(value)) return value;
  if (value.kind() == Kind::Empty) return "";
  return formatDate(toDate(number), first, firstDay, firstWeek);
}

}  // namespace telvarn::values

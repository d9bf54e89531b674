#include "engine/values/NumberFormat.h"

#include <cstdlib>
#include <vector>

#include "engine/NumberText.h"
#include "engine/values/Convert.h"

namespace telvarn::values {
namespace {

using Kind = Variant::Kind;

struct Element {
  enum class Type { Literal, Zero, Hash, Point, Comma, Percent, Exponent } type;
  std::string text;    // a literal's text; an exponent's letter and sign
};

std::vector<Element> elementsOf(std::string_view section) {
  std::vector<Element> out;
  const auto literal = [&](std::string_view text) {
    if (!out.empty() && out.back().type == Element::Type::Literal) {
      out.back().text += text;
    } else {
      out.push_back({Element::Type::Literal, std::string(text)});
    }
  };
  for (size_t i = 0; i < section.size(); ++i) {
    const char c = section[i];
    if (c == '"') {
      const size_t close = section.find('"', i + 1);
      const size_t end = close == std::string_view::npos ? section.size() : close;
      literal(section.substr(i + 1, end - i - 1));
      i = end;
    } else if (c == '\\') {
      if (i + 1 < section.size()) literal(section.substr(++i, 1));
    } else if (c == '0') {
      out.push_back({Element::Type::Zero, {}});
    } else if (c == '#') {
      out.push_back({Element::Type::Hash, {}});
    } else if (c == '.') {
      out.push_back({Element::Type::Point, {}});
    } else if (c == ',') {
      out.push_back({Element::Type::Comma, {}});
    } else if (c == '%') {
      out.push_back({Element::Type::Percent, {}});
    } else if ((c == 'E' || c == 'e') && i + 1 < section.size() &&
               (section[i + 1] == '+' || section[i + 1] == '-')) {
      out.push_back({Element::Type::Exponent, std::string(section.substr(i, 2))});
      ++i;
    } else {
      literal(section.substr(i, 1));
    }
  }
  return out;
}

bool isDigit(const Element& e) {
  return e.type == Element::Type::Zero || e.type == Element::Type::Hash;
}

// Rounds half away from zero to `places` decimals.
void roundTo(DecimalNumber& n, int places) {
  const int keep = n.point + places;
  if (keep < 0 || n.isZero()) {
    n.digits.clear();
    return;
  }
  if (static_cast<size_t>(keep) >= n.digits.size()) return;
  const bool up = n.digits[static_cast<size_t>(keep)] >= '5';
  n.digits.resize(static_cast<size_t>(keep));
  if (up) {
    size_t i = n.digits.size();
    while (i > 0 && n.digits[i - 1] == '9') n.digits[--i] = '0';
    if (i == 0) {
      n.digits.insert(n.digits.begin(), '1');
      ++n.point;
    } else {
      ++n.digits[i - 1];
    }
  }
  while (!n.digits.empty() && n.digits.back() == '0') n.digits.pop_back();
  if (n.digits.empty()) n.point = 0;
}

// The digit at `index` of 0.digits x 10^point counted from the point (0 the
// first decimal, -1 the units).
char digitAt(const DecimalNumber& n, int index) {
  const int at = n.point + index;
  return at >= 0 && static_cast<size_t>(at) < n.digits.size() ? n.digits[static_cast<size_t>(at)]
                                                              : '0';
}

std::string wholeDigits(const DecimalNumber& n) {
  std::string out;
  for (int i = -n.point; i < 0; ++i) out += digitAt(n, i);
  return out;
}

std::string grouped(const std::string& digits) {
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

}  // namespace

DecimalNumber decimalOf(const Variant& number) {
  DecimalNumber n;
  std::string text;
  switch (number.kind()) {
    case Kind::Double:
    case Kind::Date:
    case Kind::Single:
    case Kind::Text: {
      const double value = toDouble(number);
      const std::string written =
          writeDouble(value, Notation::Scientific, number.kind() == Kind::Single ? 6 : 14);
      const char* buffer = written.c_str();
      n.negative = buffer[0] == '-';
      const char* c = buffer + (n.negative ? 1 : 0);
      for (; *c && *c != 'e'; ++c) {
        if (*c != '.') n.digits += *c;
      }
      n.point = std::atoi(c + 1) + 1;
      break;
    }
    default:
      text = toText(number.kind() == Kind::Boolean ? Variant(number.wholeValue()) : number);
      n.negative = text[0] == '-';
      if (n.negative) text.erase(0, 1);
      const size_t dot = text.find('.');
      n.point = static_cast<int>(dot == std::string::npos ? text.size() : dot);
      if (dot != std::string::npos) text.erase(dot, 1);
      n.digits = text;
  }
  const size_t first = n.digits.find_first_not_of('0');
  if (first == std::string::npos) return {n.negative, "", 0};
  n.digits.erase(0, first);
  n.point -= static_cast<int>(first);
  while (n.digits.back() == '0') n.digits.pop_back();
  return n;
}

bool hasDigitPlaceholders(std::string_view section) {
  for (const Element& e : elementsOf(section)) {
    if (isDigit(e)) return true;
  }
  return false;
}

std::string formatNumber(DecimalNumber number, std::string_view section) {
  std::vector<Element> elements = elementsOf(section);
  // The parts: integer placeholders up to the point, fraction after it, an
  // exponent and its placeholders.
  size_t point = elements.size(), exponent = elements.size();
  for (size_t i = 0; i < elements.size(); ++i) {
    if (elements[i].type == Element::Type::Point && point == elements.size()) point = i;
    if (elements[i].type == Element::Type::Exponent && exponent == elements.size()) exponent = i;
  }
  if (exponent < point) point = exponent;
  const size_t integerEnd = point;
  const size_t fractionEnd = exponent;

  // Commas of the integer part: grouping between placeholders, scaling at
  // its end, a literal comma otherwise.
  bool thousands = false;
  const std::vector<Element> written = elements;
  for (size_t i = 0; i < integerEnd; ++i) {
    if (written[i].type != Element::Type::Comma) continue;
    bool placeholderAfter = false;
    for (size_t k = i + 1; k < integerEnd; ++k) placeholderAfter |= isDigit(written[k]);
    const bool scaling = i > 0 && !placeholderAfter &&
                         (isDigit(written[i - 1]) || written[i - 1].type == Element::Type::Comma);
    const bool grouping = i > 0 && isDigit(written[i - 1]) && i + 1 < integerEnd &&
                          isDigit(written[i + 1]);
    if (scaling) number.point -= 3;
    thousands |= grouping;
    elements[i] = {Element::Type::Literal, scaling || grouping ? "" : ","};
  }
  for (const Element& e : elements) {
    if (e.type == Element::Type::Percent) number.point += 2;
  }

  int integerPlaces = 0, required = 0, fractionPlaces = 0, fractionRequired = 0;
  for (size_t i = 0; i < integerEnd; ++i) {
    if (!isDigit(elements[i])) continue;
    ++integerPlaces;
    if (elements[i].type == Element::Type::Zero || required > 0) ++required;
  }
  for (size_t i = integerEnd; i < fractionEnd; ++i) {
    if (!isDigit(elements[i])) continue;
    ++fractionPlaces;
    if (elements[i].type == Element::Type::Zero) fractionRequired = fractionPlaces;
  }

  int power = 0;
  if (exponent < elements.size() && !number.isZero()) {
    power = number.point - integerPlaces;
    number.point = integerPlaces;
    roundTo(number, fractionPlaces);
    if (number.point > integerPlaces && !number.isZero()) {  // 9.99 became 10.0
      ++power;
      --number.point;
    }
  } else {
    roundTo(number, fractionPlaces);
  }

  std::string whole = wholeDigits(number);
  if (static_cast<int>(whole.size()) < required) whole.insert(0, required - whole.size(), '0');
  std::string fraction;
  for (int i = 0; i < fractionPlaces; ++i) fraction += digitAt(number, i);
  while (static_cast<int>(fraction.size()) > fractionRequired && fraction.back() == '0')
    fraction.pop_back();

  std::string out;
  // Integer placeholders take the digits from the right; the leftmost one
  // also takes any digits beyond them. With grouping the whole number
  // stands at the first placeholder.
  int placesLeft = integerPlaces;
  size_t taken = 0;
  for (size_t i = 0; i < integerEnd; ++i) {
    const Element& e = elements[i];
    if (!isDigit(e)) {
      out += e.type == Element::Type::Percent ? "%" : e.type == Element::Type::Point ? "." : e.text;
      continue;
    }
    if (thousands) {
      if (placesLeft-- == integerPlaces) out += grouped(whole);
      continue;
    }
    const size_t share = placesLeft == integerPlaces
                             ? (whole.size() > static_cast<size_t>(integerPlaces - 1)
                                    ? whole.size() - static_cast<size_t>(integerPlaces - 1)
                                    : 0)
                             : (whole.size() - taken >= static_cast<size_t>(placesLeft) ? 1 : 0);
    out += whole.substr(taken, share);
    taken += share;
    --placesLeft;
  }
  // Without integer placeholders the whole digits stand before the point.
  if (integerPlaces == 0 && fractionPlaces > 0) out += whole;
  size_t fractionTaken = 0;
  for (size_t i = integerEnd; i < elements.size(); ++i) {
    const Element& e = elements[i];
    if (i < fractionEnd && isDigit(e)) {
      if (fractionTaken < fraction.size()) out += fraction[fractionTaken++];
      continue;
    }
    switch (e.type) {
      case Element::Type::Point:
        out += ".";
        break;
      case Element::Type::Percent:
        out += "%";
        break;
      case Element::Type::Comma:
        out += ",";
        break;
      case Element::Type::Exponent: {
        int zeros = 0;
        size_t k = i + 1;
        for (; k < elements.size() && isDigit(elements[k]); ++k)
          zeros += elements[k].type == Element::Type::Zero;
        std::string digits = std::to_string(power < 0 ? -power : power);
        if (static_cast<int>(digits.size()) < std::max(zeros, 1))
          digits.insert(0, std::max(zeros, 1) - digits.size(), '0');
        out += e.text[0];
        if (power < 0) out += '-';
        else if (e.text[1] == '+') out += '+';
        out += digits;
        i = k - 1;
        break;
      }
      default:
        out += e.text;
    }
  }
  return out;
}

}  // namespace telvarn::values

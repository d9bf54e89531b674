#include "engine/values/TextFunctions.h"

#include <algorithm>

#include "engine/Utf8.h"
#include "engine/values/Convert.h"
#include "engine/values/Errors.h"
#include "engine/values/LetterCase.h"
#include "engine/GeneralSortOrder.h"

namespace telvarn::values {
namespace {

std::u16string unitsOf(const Variant& text) {
  return toUtf16(toText(text));
}

Variant textResult(std::u16string_view units) {
  return Variant(fromUtf16(units));
}

int64_t whole(const Variant& value) {
  if (value.isNull()) fail(kInvalidUseOfNull);
  return toLong(value);
}

int64_t atLeast(const Variant& value, int64_t lowest) {
  const int64_t number = whole(value);
  if (number < lowest) fail(kInvalidCall);
  return number;
}

enum class Method { Binary, Text, Database };

Method methodOf(const Variant& compare, Method fallback) {
  switch (whole(compare)) {
    case -1:
      return fallback;
    case 0:
      return Method::Binary;
    case 1:
      return Method::Text;
    case 2:
      return Method::Database;
    default:
      fail(kInvalidCall);
  }
}

// The units as the method compares them: letter case folded unless binary.
std::u16string comparable(std::u16string units, Method method) {
  return method == Method::Binary ? units : foldedCase(units);
}

Variant along(const Variant& text, std::u16string (*cut)(std::u16string_view)) {
  if (text.isNull()) return Variant::null();
  return textResult(cut(unitsOf(text)));
}

}  // namespace

Variant len(const Variant& value) {
  if (value.isNull()) return Variant::null();
  return Variant::fromLong(static_cast<int32_t>(unitsOf(value).size()));
}

Variant left(const Variant& text, const Variant& length) {
  const int64_t count = atLeast(length, 0);
  if (text.isNull()) return Variant::null();
  const std::u16string units = unitsOf(text);
  return textResult(std::u16string_view(units).substr(0, static_cast<size_t>(count)));
}

Variant right(const Variant& text, const Variant& length) {
  const int64_t count = atLeast(length, 0);
  if (text.isNull()) return Variant::null();
  const std::u16string units = unitsOf(text);
  const size_t kept = std::min(units.size(), static_cast<size_t>(count));
  return textResult(std::u16string_view(units).substr(units.size() - kept));
}

Variant mid(const Variant& text, const Variant& start) {
  const int64_t first = atLeast(start, 1);
  if (text.isNull()) return Variant::null();
  const std::u16string units = unitsOf(text);
  if (static_cast<size_t>(first) > units.size()) return "";
  return textResult(std::u16string_view(units).substr(static_cast<size_t>(first - 1)));
}

Variant mid(const Variant& text, const Variant& start, const Variant& length) {
  const int64_t first = atLeast(start, 1);
  const int64_t count = atLeast(length, 0);
  if (text.isNull()) return Variant::null();
  const std::u16string units = unitsOf(text);
  if (static_cast<size_t>(first) > units.size()) return "";
  return textResult(
      std::u16string_view(units).substr(static_cast<size_t>(first - 1), static_cast<size_t>(count)));
}

Variant inStr(const Variant& start, const Variant& text, const Variant& sought,
              const Variant& compare) {
  const int64_t first = atLeast(start, 1);
  const Method method = methodOf(compare, Method::Database);
  if (text.isNull() || sought.isNull()) return Variant::null();
  const std::u16string haystack = comparable(unitsOf(text), method);
  const std::u16string needle = comparable(unitsOf(sought), method);
  if (static_cast<size_t>(first) > haystack.size()) return Variant::fromLong(0);
  if (needle.empty()) return Variant::fromLong(static_cast<int32_t>(first));
  const size_t at = haystack.find(needle, static_cast<size_t>(first - 1));
  return Variant::fromLong(at == std::u16string::npos ? 0 : static_cast<int32_t>(at + 1));
}

Variant inStrRev(const Variant& text, const Variant& sought, const Variant& start,
                 const Variant& compare) {
  int64_t last = whole(start);
  if (last == 0 || last < -1) fail(kInvalidCall);
  const Method method = methodOf(compare, Method::Binary);
  if (text.isNull() || sought.isNull()) return Variant::null();
  const std::u16string haystack = comparable(unitsOf(text), method);
  const std::u16string needle = comparable(unitsOf(sought), method);
  if (last == -1) last = static_cast<int64_t>(haystack.size());
  if (static_cast<size_t>(last) > haystack.size()) return Variant::fromLong(0);
  if (needle.empty()) return Variant::fromLong(static_cast<int32_t>(last));
  if (needle.size() > static_cast<size_t>(last)) return Variant::fromLong(0);
  const size_t at = haystack.rfind(needle, static_cast<size_t>(last) - needle.size());
  return Variant::fromLong(at == std::u16string::npos ? 0 : static_cast<int32_t>(at + 1));
}

Variant replace(const Variant& text, const Variant& find, const Variant& with,
                const Variant& start, const Variant& count, const Variant& compare) {
  if (text.isNull() || find.isNull() || with.isNull()) fail(kInvalidUseOfNull);
  const int64_t first = atLeast(start, 1);
  int64_t remaining = atLeast(count, -1);
  const Method method = methodOf(compare, Method::Binary);
  const std::u16string units = unitsOf(text);
  if (static_cast<size_t>(first) > units.size()) return "";
  const std::u16string source = units.substr(static_cast<size_t>(first - 1));
  const std::u16string target = unitsOf(find);
  if (target.empty() || remaining == 0) return textResult(source);
  const std::u16string searched = comparable(source, method);
  const std::u16string sought = comparable(target, method);
  const std::u16string replacement = unitsOf(with);
  std::u16string out;
  size_t from = 0;
  for (size_t at; remaining != 0 && (at = searched.find(sought, from)) != std::u16string::npos;
       --remaining) {
    out.append(source, from, at - from).append(replacement);
    from = at + sought.size();
  }
  return textResult(out.append(source, from));
}

Variant strComp(const Variant& a, const Variant& b, const Variant& compare) {
  const Method method = methodOf(compare, Method::Database);
  if (a.isNull() || b.isNull()) return Variant::null();
  int order;
  if (method == Method::Database) {
    order = compareGeneral(toText(a), toText(b));
  } else {
    order = comparable(unitsOf(a), method).compare(comparable(unitsOf(b), method));
  }
  return Variant::fromShort(static_cast<int16_t>((order > 0) - (order < 0)));
}

Variant strReverse(const Variant& text) {
  if (text.isNull()) fail(kInvalidUseOfNull);
  std::u16string units = unitsOf(text);
  std::reverse(units.begin(), units.end());
  // A character beyond U+FFFF keeps its two units in order.
  for (size_t i = 0; i + 1 < units.size(); ++i) {
    if (units[i] >= 0xDC00 && units[i] <= 0xDFFF && units[i + 1] >= 0xD800 && units[i + 1] <= 0xDBFF)
      std::swap(units[i], units[i + 1]), ++i;
  }
  return textResult(units);
}

Variant lCase(const Variant& text) {
  if (text.isNull()) return Variant::null();
  return lowerCase(toText(text));
}

Variant uCase(const Variant& text) {
  if (text.isNull()) return Variant::null();
  return upperCase(toText(text));
}

Variant lTrim(const Variant& text) {
  return along(text, [](std::u16string_view units) {
    return std::u16string(units.substr(std::min(units.find_first_not_of(u' '), units.size())));
  });
}

Variant rTrim(const Variant& text) {
  return along(text, [](std::u16string_view units) {
    return std::u16string(units.substr(0, units.find_last_not_of(u' ') + 1));
  });
}

Variant trim(const Variant& text) {
  return rTrim(lTrim(text));
}

Variant space(const Variant& count) {
  return std::string(static_cast<size_t>(atLeast(count, 0)), ' ');
}

Variant string(const Variant& count, const Variant& character) {
  if (count.isNull() || character.isNull()) return Variant::null();
  const int64_t times = atLeast(count, 0);
  std::u16string unit;
  if (character.kind() == Variant::Kind::Text) {
    const std::u16string units = unitsOf(character);
    if (units.empty()) fail(kInvalidCall);
    unit = units.substr(0, 1);
  } else {
    const int64_t code = whole(character) % 256;
    if (code < 0) fail(kInvalidCall);
    unit = toUtf16(toText(chr(Variant::fromLong(static_cast<int32_t>(code)))));
  }
  std::u16string out;
  for (int64_t i = 0; i < times; ++i) out += unit;
  return textResult(out);
}

Variant asc(const Variant& text) {
  if (text.isNull()) fail(kInvalidUseOfNull);
  const std::u16string units = unitsOf(text);
  if (units.empty()) fail(kInvalidCall);
  return Variant::fromShort(toWindows1252(units[0]).value_or('?'));
}

Variant ascW(const Variant& text) {
  if (text.isNull()) fail(kInvalidUseOfNull);
  const std::u16string units = unitsOf(text);
  if (units.empty()) fail(kInvalidCall);
  return Variant::fromShort(static_cast<int16_t>(units[0]));
}

Variant chr(const Variant& code) {
  const int64_t number = whole(code);
  if (number < 0 || number > 255) fail(kInvalidCall);
  std::string out;
  appendUtf8(out, fromWindows1252(static_cast<unsigned char>(number)));
  return out;
}

Variant chrW(const Variant& code) {
  const int64_t number = whole(code);
  if (number < -32768 || number > 65535) fail(kInvalidCall);
  return textResult(std::u16string(1, static_cast<char16_t>(number < 0 ? number + 65536 : number)));
}

}  // namespace telvarn::values

// Str, String, InStrRev, StrReverse, Round, UCase and LCase as the run-time
// library has them, Null in giving Null out.
#include <algorithm>
#include <string>
#include <vector>

#include "engine/Unicode.h"
#include "engine/sqlite/FunctionSupport.h"

namespace telvarn::sqlite {
namespace {

// The characters of a UTF-8 text, each as its bytes.
std::vector<std::string> characters(const std::string& text) {
  std::vector<std::string> out;
  for (unsigned char c : text) {
    if ((c & 0xC0) == 0x80 && !out.empty()) {
      out.back() += static_cast<char>(c);
    } else {
      out.emplace_back(1, static_cast<char>(c));
    }
  }
  return out;
}

std::string lower(const std::string& text) {
  return unicode::lowerCase(text);
}

// UCase and LCase: every letter of Unicode that has a case.
void upper(sqlite3_context* context, sqlite3_value** argv) {
  if (isNull(argv[0])) return sqlite3_result_null(context);
  resultText(context, unicode::upperCase(textOf(argv[0])));
}

void lowered(sqlite3_context* context, sqlite3_value** argv) {
  if (isNull(argv[0])) return sqlite3_result_null(context);
  resultText(context, lower(textOf(argv[0])));
}

// Str: a number with a leading blank where a minus sign would stand.
void str(sqlite3_context* context, sqlite3_value** argv) {
  if (isNull(argv[0])) return sqlite3_result_null(context);
  const Number number = numberOf(argv[0]);
  const std::string text =
      number.integral ? std::to_string(number.integer) : doubleText(number.real);
  resultText(context, text.front() == '-' ? text : " " + text);
}

// String(n, c): n times the first character of c, or the character with
// code c.
void repeat(sqlite3_context* context, sqlite3_value** argv) {
  if (isNull(argv[0]) || isNull(argv[1])) return sqlite3_result_null(context);
  const int64_t count = wholeOf(argv[0]);
  if (count < 0) throw FunctionError{kInvalidCall, {}};
  std::string unit;
  if (sqlite3_value_type(argv[1]) == SQLITE_TEXT) {
    const std::vector<std::string> chars = characters(rawText(argv[1]));
    if (chars.empty()) throw FunctionError{kInvalidCall, {}};
    unit = chars.front();
  } else {
    const int64_t code = wholeOf(argv[1]) % 256;
    unit = std::string(1, static_cast<char>(code < 0 ? code + 256 : code));
  }
  std::string out;
  for (int64_t i = 0; i < count; ++i) out += unit;
  resultText(context, out);
}

// InStrRev(text, sought, start): the last place of `sought` that ends at or
// before `start` (-1: the end), 0 when there is none; letter case ignored.
void inStrRev(sqlite3_context* context, sqlite3_value** argv) {
  if (isNull(argv[0]) || isNull(argv[1])) return sqlite3_result_null(context);
  const std::vector<std::string> text = characters(lower(textOf(argv[0])));
  const std::vector<std::string> sought = characters(lower(textOf(argv[1])));
  int64_t start = wholeOf(argv[2]);
  if (start == 0 || start < -1) throw FunctionError{kInvalidCall, {}};
  if (start == -1 || start > static_cast<int64_t>(text.size()))
    start = static_cast<int64_t>(text.size());
  if (sought.empty()) return sqlite3_result_int64(context, start);
  for (int64_t at = start - static_cast<int64_t>(sought.size()); at >= 0; --at) {
    if (std::equal(sought.begin(), sought.end(), text.begin() + at))
      return sqlite3_result_int64(context, at + 1);
  }
  sqlite3_result_int64(context, 0);
}

void strReverse(sqlite3_context* context, sqlite3_value** argv) {
  if (isNull(argv[0])) return sqlite3_result_null(context);
  std::vector<std::string> chars = characters(textOf(argv[0]));
  std::reverse(chars.begin(), chars.end());
  std::string out;
  for (const std::string& c : chars) out += c;
  resultText(context, out);
}

// Round(x, places): half to even at the last place kept.
void round(sqlite3_context* context, sqlite3_value** argv) {
  if (isNull(argv[0])) return sqlite3_result_null(context);
  const Number number = numberOf(argv[0]);
  const int64_t places = isNull(argv[1]) ? 0 : wholeOf(argv[1]);
  if (places < 0) throw FunctionError{kInvalidCall, {}};
  if (number.integral) return sqlite3_result_int64(context, number.integer);
  const double scale = std::pow(10.0, static_cast<double>(std::min<int64_t>(places, 15)));
  const double rounded = roundHalfEven(number.real * scale) / scale;
  if (places == 0 && std::fabs(rounded) < 9.2e18)
    return sqlite3_result_int64(context, static_cast<int64_t>(rounded));
  sqlite3_result_double(context, rounded);
}

constexpr SqlFunction kFunctions[] = {
    {"telvarn_str", 1, guarded<str>},           {"telvarn_string", 2, guarded<repeat>},
    {"telvarn_instrrev", 3, guarded<inStrRev>}, {"telvarn_strreverse", 1, guarded<strReverse>},
    {"telvarn_round", 2, guarded<round>},       {"telvarn_ucase", 1, guarded<upper>},
    {"telvarn_lcase", 1, guarded<lowered>},
};

}  // namespace

void registerTextFunctions(sqlite3* db) {
  registerFunctions(db, kFunctions);
  registerFormat(db);
}

}  // namespace telvarn::sqlite

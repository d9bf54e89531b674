#include "engine/sqlite/FunctionTranslation.h"

#include "engine/DataType.h"
#include "engine/jetsql/Lexer.h"

namespace telvarn::sqlite {
namespace {

using Args = std::vector<std::string>;

std::string asText(const Args& a, size_t i) {
  return "telvarn_text(" + a[i] + ")";
}

template <int type>
std::string convert(const Args& a) {
  return "telvarn_convert(" + a[0] + ", " + std::to_string(type) + ", 0)";
}

std::string datePart(const Args& a, const char* format) {
  return std::string("CAST(strftime('") + format + "', " + a[0] + ") AS INTEGER)";
}

std::string instr(const Args& a) {
  if (a.size() == 2) return "instr(lower(" + asText(a, 0) + "), lower(" + asText(a, 1) + "))";
  // InStr(start, text, sought): the position in the whole text, 0 when absent.
  const std::string found =
      "instr(lower(substr(" + asText(a, 1) + ", " + a[0] + ")), lower(" + asText(a, 2) + "))";
  return "(CASE " + found + " WHEN 0 THEN 0 ELSE " + found + " + " + a[0] + " - 1 END)";
}

std::string mid(const Args& a) {
  return "substr(" + asText(a, 0) + ", " + a[1] + (a.size() == 3 ? ", " + a[2] : "") + ")";
}

std::string dateSerial(const Args& a) {
  return "(date(printf('%04d-01-01', " + a[0] + "), printf('%+d months', " + a[1] +
         " - 1), printf('%+d days', " + a[2] + " - 1)) || ' 00:00:00')";
}

// A registered function called with the first `count` arguments, the
// missing optional ones given as `fallback`.
template <int count>
std::string called(const char* function, const Args& a, const char* fallback) {
  std::string out = std::string(function) + "(";
  for (int i = 0; i < count; ++i) {
    if (i > 0) out += ", ";
    out += static_cast<size_t>(i) < a.size() ? a[static_cast<size_t>(i)] : fallback;
  }
  return out + ")";
}

constexpr FunctionRule kRules[] = {
    {"IIf", 3, 3, nullptr},
    {"Nz", 1, 2,
     [](const Args& a) { return "COALESCE(" + a[0] + ", " + (a.size() > 1 ? a[1] : "''") + ")"; }},
    {"IsNull", 1, 1, [](const Args& a) { return "(-(" + a[0] + " IS NULL))"; }},
    {"Len", 1, 1, [](const Args& a) { return "length(" + asText(a, 0) + ")"; }},
    {"Left", 2, 2, [](const Args& a) { return "substr(" + asText(a, 0) + ", 1, " + a[1] + ")"; }},
    {"Right", 2, 2, [](const Args& a) { return "telvarn_right(" + a[0] + ", " + a[1] + ")"; }},
    {"Mid", 2, 3, mid},
    {"InStr", 2, 3, instr},
    {"UCase", 1, 1, [](const Args& a) { return "telvarn_ucase(" + a[0] + ")"; }},
    {"LCase", 1, 1, [](const Args& a) { return "telvarn_lcase(" + a[0] + ")"; }},
    {"Trim", 1, 1, [](const Args& a) { return "trim(" + a[0] + ", ' ')"; }},
    {"LTrim", 1, 1, [](const Args& a) { return "ltrim(" + a[0] + ", ' ')"; }},
    {"RTrim", 1, 1, [](const Args& a) { return "rtrim(" + a[0] + ", ' ')"; }},
    {"Replace", 3, 3,
     [](const Args& a) { return "replace(" + a[0] + ", " + a[1] + ", " + a[2] + ")"; }},
    {"Space", 1, 1, [](const Args& a) { return "printf('%*s', " + a[0] + ", '')"; }},
    {"Date", 0, 0,
     [](const Args&) -> std::string {
       return "strftime('%Y-%m-%d 00:00:00', 'now', 'localtime')";
     }},
    {"Now", 0, 0,
     [](const Args&) -> std::string {
       return "strftime('%Y-%m-%d %H:%M:%S', 'now', 'localtime')";
     }},
    {"Time", 0, 0,
     [](const Args&) -> std::string {
       return "('1899-12-30 ' || strftime('%H:%M:%S', 'now', 'localtime'))";
     }},
    {"DateSerial", 3, 3, dateSerial},
    {"Year", 1, 1, [](const Args& a) { return datePart(a, "%Y"); }},
    {"Month", 1, 1, [](const Args& a) { return datePart(a, "%m"); }},
    {"Day", 1, 1, [](const Args& a) { return datePart(a, "%d"); }},
    {"Hour", 1, 1, [](const Args& a) { return datePart(a, "%H"); }},
    {"Minute", 1, 1, [](const Args& a) { return datePart(a, "%M"); }},
    {"Second", 1, 1, [](const Args& a) { return datePart(a, "%S"); }},
    {"Weekday", 1, 1, [](const Args& a) { return "(" + datePart(a, "%w") + " + 1)"; }},
    {"CStr", 1, 1, convert<DataType::Memo>},
    {"CBool", 1, 1, convert<DataType::Boolean>},
    {"CByte", 1, 1, convert<DataType::Byte>},
    {"CInt", 1, 1, convert<DataType::Integer>},
    {"CLng", 1, 1, convert<DataType::Long>},
    {"CCur", 1, 1, convert<DataType::Currency>},
    {"CSng", 1, 1, convert<DataType::Single>},
    {"CDbl", 1, 1, convert<DataType::Double>},
    {"CDate", 1, 1, convert<DataType::Date>},
    {"CVar", 1, 1, [](const Args& a) { return a[0]; }},
    {"Abs", 1, 1, [](const Args& a) { return "abs(" + a[0] + ")"; }},
    {"Sgn", 1, 1,
     [](const Args& a) {
       return "(CASE WHEN " + a[0] + " > 0 THEN 1 WHEN " + a[0] + " < 0 THEN -1 WHEN " + a[0] +
              " = 0 THEN 0 END)";
     }},
    {"Int", 1, 1, [](const Args& a) { return "telvarn_int(" + a[0] + ")"; }},
    {"Fix", 1, 1, [](const Args& a) { return "telvarn_fix(" + a[0] + ")"; }},
    {"Sqr", 1, 1, [](const Args& a) { return "telvarn_pow(" + a[0] + ", 0.5)"; }},
    {"Val", 1, 1, [](const Args& a) { return "telvarn_val(" + a[0] + ")"; }},
    {"DateAdd", 3, 3, [](const Args& a) { return called<3>("telvarn_dateadd", a, ""); }},
    {"DateDiff", 3, 5, [](const Args& a) { return called<3>("telvarn_datediff", a, ""); }},
    {"DatePart", 2, 4, [](const Args& a) { return called<2>("telvarn_datepart", a, ""); }},
    {"DateValue", 1, 1, [](const Args& a) { return called<1>("telvarn_datevalue", a, ""); }},
    {"TimeSerial", 3, 3, [](const Args& a) { return called<3>("telvarn_timeserial", a, ""); }},
    {"Format", 1, 2, [](const Args& a) { return called<2>("telvarn_format", a, "NULL"); }},
    {"Round", 1, 2, [](const Args& a) { return called<2>("telvarn_round", a, "0"); }},
    {"Str", 1, 1, [](const Args& a) { return called<1>("telvarn_str", a, ""); }},
    {"String", 2, 2, [](const Args& a) { return called<2>("telvarn_string", a, ""); }},
    {"InStrRev", 2, 3, [](const Args& a) { return called<3>("telvarn_instrrev", a, "-1"); }},
    {"StrReverse", 1, 1, [](const Args& a) { return called<1>("telvarn_strreverse", a, ""); }},
    {"Count", 1, 1, [](const Args& a) { return "count(" + a[0] + ")"; }},
    {"Sum", 1, 1, [](const Args& a) { return "sum(" + a[0] + ")"; }},
    {"Avg", 1, 1, [](const Args& a) { return "avg(" + a[0] + ")"; }},
    {"Min", 1, 1, [](const Args& a) { return "min(" + a[0] + ")"; }},
    {"Max", 1, 1, [](const Args& a) { return "max(" + a[0] + ")"; }},
    {"First", 1, 1, [](const Args& a) { return "telvarn_first(" + a[0] + ")"; }},
    {"Last", 1, 1, [](const Args& a) { return "telvarn_last(" + a[0] + ")"; }},
    {"StDev", 1, 1, [](const Args& a) { return "telvarn_spread(" + a[0] + ", 0)"; }},
    {"StDevP", 1, 1, [](const Args& a) { return "telvarn_spread(" + a[0] + ", 1)"; }},
    {"Var", 1, 1, [](const Args& a) { return "telvarn_spread(" + a[0] + ", 2)"; }},
    {"VarP", 1, 1, [](const Args& a) { return "telvarn_spread(" + a[0] + ", 3)"; }},
};

}  // namespace

const FunctionRule* findFunction(std::string_view name) {
  for (const FunctionRule& rule : kRules) {
    if (jetsql::sameWord(rule.name, name)) return &rule;
  }
  return nullptr;
}

bool isBareFunction(std::string_view name) {
  return jetsql::sameWord(name, "Date") || jetsql::sameWord(name, "Now") ||
         jetsql::sameWord(name, "Time");
}

}  // namespace telvarn::sqlite

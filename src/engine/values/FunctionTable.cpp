#include "engine/values/FunctionTable.h"
#include "engine/Utf8.h"

#include <cctype>

#include "engine/values/Convert.h"
#include "engine/values/DateFunctions.h"
#include "engine/values/Format.h"
#include "engine/values/MathFunctions.h"
#include "engine/values/TextFunctions.h"

namespace telvarn::values {
namespace {

using Args = std::span<const Variant>;
using Kind = Variant::Kind;

// The argument at `i`, or `fallback` when the call left it out.
Variant arg(Args a, size_t i, const Variant& fallback = Variant()) {
  return i < a.size() ? a[i] : fallback;
}

const Variant kDefaultCompare(-1);
const Variant kSunday(1);
const Variant kFirstWeekHoldingJanuaryFirst(1);

template <Variant (*f)(const Variant&)>
Variant one(Args a, const Clock&) {
  return f(a[0]);
}

template <Variant (*f)(const Variant&, const Variant&)>
Variant two(Args a, const Clock&) {
  return f(a[0], a[1]);
}

template <Variant (*f)(const Variant&, const Variant&, const Variant&)>
Variant three(Args a, const Clock&) {
  return f(a[0], a[1], a[2]);
}

template <Variant (*f)(const Clock&)>
Variant fromClock(Args, const Clock& clock) {
  return f(clock);
}

constexpr FunctionEntry kFunctions[] = {
    {"CBool", 1, 1, true, Yields::Kind, Kind::Boolean, [](Args a, const Clock&) { return Variant(toBool(a[0])); }},
    {"CByte", 1, 1, true, Yields::Kind, Kind::Byte, [](Args a, const Clock&) { return Variant::fromByte(toByte(a[0])); }},
    {"CInt", 1, 1, true, Yields::Kind, Kind::Short, [](Args a, const Clock&) { return Variant::fromShort(toShort(a[0])); }},
    {"CLng", 1, 1, true, Yields::Kind, Kind::Long, [](Args a, const Clock&) { return Variant::fromLong(toLong(a[0])); }},
    {"CCur", 1, 1, true, Yields::Kind, Kind::Currency,
     [](Args a, const Clock&) { return Variant::fromCurrency(toCurrencyUnits(a[0])); }},
    {"CSng", 1, 1, true, Yields::Kind, Kind::Single, [](Args a, const Clock&) { return Variant::fromSingle(toSingle(a[0])); }},
    {"CDbl", 1, 1, true, Yields::Kind, Kind::Double, [](Args a, const Clock&) { return Variant(toDouble(a[0])); }},
    {"CDate", 1, 1, true, Yields::Kind, Kind::Date, [](Args a, const Clock&) { return Variant::fromDate(toDate(a[0])); }},
    {"CStr", 1, 1, true, Yields::Kind, Kind::Text, [](Args a, const Clock&) { return Variant(toText(a[0])); }},
    {"CVar", 1, 1, true, Yields::Argument, Kind::Empty, [](Args a, const Clock&) { return a[0]; }},
    {"Val", 1, 1, true, Yields::Kind, Kind::Double, [](Args a, const Clock&) { return Variant(val(a[0])); }},
    {"Str", 1, 1, true, Yields::Kind, Kind::Text, one<str>},
    {"IsNull", 1, 1, true, Yields::Kind, Kind::Boolean, [](Args a, const Clock&) { return Variant(a[0].isNull()); }},
    {"IsNumeric", 1, 1, true, Yields::Kind, Kind::Boolean, [](Args a, const Clock&) { return Variant(isNumeric(a[0])); }},
    {"IsDate", 1, 1, true, Yields::Kind, Kind::Boolean, [](Args a, const Clock&) { return Variant(isDate(a[0])); }},

    {"Asc", 1, 1, true, Yields::Kind, Kind::Short, one<asc>},
    {"AscW", 1, 1, true, Yields::Kind, Kind::Short, one<ascW>},
    {"Chr", 1, 1, true, Yields::Kind, Kind::Text, one<chr>},
    {"ChrW", 1, 1, true, Yields::Kind, Kind::Text, one<chrW>},
    {"Len", 1, 1, true, Yields::Kind, Kind::Long, one<len>},
    {"Left", 2, 2, true, Yields::Kind, Kind::Text, two<left>},
    {"Right", 2, 2, true, Yields::Kind, Kind::Text, two<right>},
    {"Mid", 2, 3, true, Yields::Kind, Kind::Text,
     [](Args a, const Clock&) { return a.size() == 2 ? mid(a[0], a[1]) : mid(a[0], a[1], a[2]); }},
    {"InStr", 2, 4, true, Yields::Kind, Kind::Long,
     [](Args a, const Clock&) {
       if (a.size() == 2) return inStr(Variant(1), a[0], a[1], kDefaultCompare);
       return inStr(a[0], a[1], a[2], arg(a, 3, kDefaultCompare));
     }},
    {"InStrRev", 2, 4, true, Yields::Kind, Kind::Long,
     [](Args a, const Clock&) {
       return inStrRev(a[0], a[1], arg(a, 2, Variant(-1)), arg(a, 3, kDefaultCompare));
     }},
    {"Replace", 3, 6, true, Yields::Kind, Kind::Text,
     [](Args a, const Clock&) {
       return replace(a[0], a[1], a[2], arg(a, 3, Variant(1)), arg(a, 4, Variant(-1)),
                      arg(a, 5, kDefaultCompare));
     }},
    {"StrComp", 2, 3, true, Yields::Kind, Kind::Short,
     [](Args a, const Clock&) { return strComp(a[0], a[1], arg(a, 2, kDefaultCompare)); }},
    {"StrReverse", 1, 1, true, Yields::Kind, Kind::Text, one<strReverse>},
    {"LCase", 1, 1, true, Yields::Kind, Kind::Text, one<lCase>},
    {"UCase", 1, 1, true, Yields::Kind, Kind::Text, one<uCase>},
    {"LTrim", 1, 1, true, Yields::Kind, Kind::Text, one<lTrim>},
    {"RTrim", 1, 1, true, Yields::Kind, Kind::Text, one<rTrim>},
    {"Trim", 1, 1, true, Yields::Kind, Kind::Text, one<trim>},
    {"Space", 1, 1, true, Yields::Kind, Kind::Text, one<space>},
    {"String", 2, 2, true, Yields::Kind, Kind::Text, two<string>},

    {"Abs", 1, 1, true, Yields::Kept, Kind::Empty, one<abs>},
    {"Atn", 1, 1, true, Yields::Kind, Kind::Double, one<atn>},
    {"Cos", 1, 1, true, Yields::Kind, Kind::Double, one<cos>},
    {"Exp", 1, 1, true, Yields::Kind, Kind::Double, one<exp>},
    {"Fix", 1, 1, true, Yields::Kept, Kind::Empty, one<fix>},
    {"Hex", 1, 1, true, Yields::Kind, Kind::Text, one<hex>},
    {"Int", 1, 1, true, Yields::Kept, Kind::Empty, one<intPart>},
    {"Log", 1, 1, true, Yields::Kind, Kind::Double, one<log>},
    {"Oct", 1, 1, true, Yields::Kind, Kind::Text, one<oct>},
    {"Round", 1, 2, true, Yields::Kept, Kind::Empty, [](Args a, const Clock&) { return round(a[0], arg(a, 1, Variant(0))); }},
    {"Sgn", 1, 1, true, Yields::Kind, Kind::Short, one<sgn>},
    {"Sin", 1, 1, true, Yields::Kind, Kind::Double, one<sin>},
    {"Sqr", 1, 1, true, Yields::Kind, Kind::Double, one<sqr>},
    {"Tan", 1, 1, true, Yields::Kind, Kind::Double, one<tan>},

    {"Date", 0, 0, false, Yields::Kind, Kind::Date, fromClock<today>},
    {"Time", 0, 0, false, Yields::Kind, Kind::Date, fromClock<timeNow>},
    {"Now", 0, 0, false, Yields::Kind, Kind::Date, fromClock<now>},
    {"Year", 1, 1, true, Yields::Kind, Kind::Short, one<year>},
    {"Month", 1, 1, true, Yields::Kind, Kind::Short, one<month>},
    {"Day", 1, 1, true, Yields::Kind, Kind::Short, one<day>},
    {"Hour", 1, 1, true, Yields::Kind, Kind::Short, one<hour>},
    {"Minute", 1, 1, true, Yields::Kind, Kind::Short, one<minute>},
    {"Second", 1, 1, true, Yields::Kind, Kind::Short, one<second>},
    {"Weekday", 1, 2, true, Yields::Kind, Kind::Short,
     [](Args a, const Clock&) { return weekday(a[0], arg(a, 1, kSunday)); }},
    {"DateSerial", 3, 3, true, Yields::Kind, Kind::Date, three<dateSerial>},
    {"TimeSerial", 3, 3, true, Yields::Kind, Kind::Date, three<timeSerial>},
    {"DateValue", 1, 1, true, Yields::Kind, Kind::Date, one<dateValue>},
    {"TimeValue", 1, 1, true, Yields::Kind, Kind::Date, one<timeValue>},
    {"DateAdd", 3, 3, true, Yields::Kind, Kind::Date, three<dateAdd>},
    {"DateDiff", 3, 5, true, Yields::Kind, Kind::Long,
     [](Args a, const Clock&) {
       return dateDiff(a[0], a[1], a[2], arg(a, 3, kSunday),
                       arg(a, 4, kFirstWeekHoldingJanuaryFirst));
     }},
    {"DatePart", 2, 4, true, Yields::Kind, Kind::Short,
     [](Args a, const Clock&) {
       return datePart(a[0], a[1], arg(a, 2, kSunday), arg(a, 3, kFirstWeekHoldingJanuaryFirst));
     }},
    {"MonthName", 1, 2, true, Yields::Kind, Kind::Text,
     [](Args a, const Clock&) { return monthName(a[0], arg(a, 1, Variant(false))); }},
    {"WeekdayName", 1, 3, true, Yields::Kind, Kind::Text,
     [](Args a, const Clock&) {
       return weekdayName(a[0], arg(a, 1, Variant(false)), arg(a, 2, kSunday));
     }},
    {"Format", 1, 4, true, Yields::Kind, Kind::Text,
     [](Args a, const Clock&) {
       return format(a[0], arg(a, 1, Variant("")), arg(a, 2, kSunday),
                     arg(a, 3, kFirstWeekHoldingJanuaryFirst));
     }},
};

}  // namespace

const FunctionEntry* functionNamed(std::string_view name) {
  for (const FunctionEntry& entry : kFunctions) {
    if (sameWord(entry.name, name)) return &entry;
  }
  return nullptr;
}

std::span<const FunctionEntry> allFunctions() {
  return kFunctions;
}

Variant::Kind resultKind(const FunctionEntry& function, std::span<const Variant::Kind> arguments) {
  switch (function.yields) {
    case Yields::Kind:
      return function.kind;
    case Yields::Argument:
      return arguments[0];
    case Yields::Kept:
      return arguments[0] == Kind::Null ? Kind::Null : keptKind(arguments[0]);
  }
  return function.kind;
}

}  // namespace telvarn::values

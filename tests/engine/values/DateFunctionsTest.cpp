// The date functions. Expected values are the library reference's examples
// and rules; week numbers follow its firstweekofyear definitions (with
// vbFirstFourDays and Monday these are the ISO 8601 weeks).
#include "engine/values/DateFunctions.h"

#include "engine/values/Calendar.h"
#include "engine/values/ValueTesting.h"

namespace telvarn::values {
namespace {

using test::errorOf;

const Variant kNull = Variant::null();
const Variant kSunday(1), kMonday(2);

Variant dateOn(int year, int month, int day, int seconds = 0) {
  return Variant::fromDate(*dateOf(dayNumber(year, month, day), seconds));
}

TEST(DateParts, ReadDatesNumbersAndDateText) {
  const Variant february12 = dateOn(1969, 2, 12);
  EXPECT_EQ(month(february12), Variant::fromShort(2));
  EXPECT_EQ(year(february12), Variant::fromShort(1969));
  EXPECT_EQ(weekday(february12, kSunday), Variant::fromShort(4));
  EXPECT_EQ(weekday(february12, kMonday), Variant::fromShort(3));
  EXPECT_EQ(month(Variant("3/14/2024")), Variant::fromShort(3));
  EXPECT_EQ(day(Variant(45365)), Variant::fromShort(14));
  EXPECT_EQ(hour(Variant("1:45:10 PM")), Variant::fromShort(13));
  EXPECT_EQ(minute(Variant("1:45:10 PM")), Variant::fromShort(45));
  EXPECT_EQ(second(Variant("1:45:10 PM")), Variant::fromShort(10));
  EXPECT_EQ(month(kNull), kNull);
  EXPECT_EQ(errorOf([] { month(Variant("not a date")); }), 13);
  EXPECT_EQ(errorOf([] { month(Variant(1e9)); }), 6);
  EXPECT_EQ(errorOf([&] { weekday(february12, Variant(8)); }), 5);
}

TEST(DateParts, DatePartWeeksFollowTheFirstDayAndFirstWeek) {
  const Variant kOne(1), kFour(2), kFull(3), ww("ww");
  EXPECT_EQ(datePart(ww, dateOn(2000, 1, 1), kSunday, kOne), Variant::fromShort(1));
  EXPECT_EQ(datePart(ww, dateOn(2000, 1, 2), kSunday, kOne), Variant::fromShort(2));
  EXPECT_EQ(datePart(ww, dateOn(2024, 12, 31), kSunday, kOne), Variant::fromShort(53));
  EXPECT_EQ(datePart(ww, dateOn(2021, 1, 1), kMonday, kFour), Variant::fromShort(53));
  EXPECT_EQ(datePart(ww, dateOn(2021, 1, 4), kMonday, kFour), Variant::fromShort(1));
  EXPECT_EQ(datePart(ww, dateOn(2024, 12, 31), kMonday, kFour), Variant::fromShort(1));
  EXPECT_EQ(datePart(ww, dateOn(2022, 1, 1), kSunday, kFull), Variant::fromShort(52));
  EXPECT_EQ(datePart(ww, dateOn(2022, 1, 2), kSunday, kFull), Variant::fromShort(1));
  EXPECT_EQ(datePart(Variant("y"), dateOn(2000, 3, 1), kSunday, kOne), Variant::fromShort(61));
  EXPECT_EQ(datePart(Variant("q"), dateOn(2000, 8, 1), kSunday, kOne), Variant::fromShort(3));
  EXPECT_EQ(datePart(Variant("W"), dateOn(2000, 1, 1), kMonday, kOne), Variant::fromShort(6));
  EXPECT_EQ(datePart(Variant("n"), kNull, kSunday, kOne), kNull);
  EXPECT_EQ(errorOf([] { datePart(Variant("x"), Variant(1), Variant(1), Variant(1)); }), 5);
  EXPECT_EQ(errorOf([] { datePart(Variant("d"), Variant(1), Variant(1), Variant(4)); }), 5);
  EXPECT_EQ(errorOf([] { datePart(kNull, Variant(1), Variant(1), Variant(1)); }), 94);
}

TEST(BuildingDates, SerialsAndValues) {
  EXPECT_EQ(dateSerial(Variant(1969), Variant(2), Variant(12)), dateOn(1969, 2, 12));
  EXPECT_EQ(dateSerial(Variant(1990 - 10), Variant(8 - 2), Variant(1 - 1)), dateOn(1980, 5, 31));
  EXPECT_EQ(dateSerial(Variant(2000), Variant(2), Variant(30)), dateOn(2000, 3, 1));
  EXPECT_EQ(dateSerial(Variant(2024), Variant(14), Variant(1)), dateOn(2025, 2, 1));
  EXPECT_EQ(dateSerial(Variant(24), Variant(3), Variant(14)), dateOn(2024, 3, 14));
  EXPECT_EQ(dateSerial(Variant(99), Variant(13), Variant(1)), dateOn(2000, 1, 1));
  EXPECT_EQ(errorOf([] { dateSerial(Variant(10000), Variant(1), Variant(1)); }), 5);
  EXPECT_EQ(errorOf([] { dateSerial(Variant(2000), Variant(40000), Variant(1)); }), 6);
  EXPECT_EQ(errorOf([] { dateSerial(Variant::null(), Variant(1), Variant(1)); }), 94);

  EXPECT_EQ(timeSerial(Variant(16), Variant(35), Variant(17)), dateOn(1899, 12, 30, 59717));
  EXPECT_EQ(timeSerial(Variant(12 - 6), Variant(-15), Variant(0)), dateOn(1899, 12, 30, 20700));
  EXPECT_EQ(timeSerial(Variant(25), Variant(0), Variant(0)), dateOn(1899, 12, 31, 3600));
  EXPECT_EQ(timeSerial(Variant(-1), Variant(0), Variant(0)), dateOn(1899, 12, 29, 82800));

  EXPECT_EQ(dateValue(Variant("February 12, 1969")), dateOn(1969, 2, 12));
  EXPECT_EQ(dateValue(Variant("2/3/2001 10:00")), dateOn(2001, 2, 3));
  EXPECT_EQ(dateValue(Variant(45365.75)), dateOn(2024, 3, 14));
  EXPECT_EQ(timeValue(Variant("4:35:17 PM")), dateOn(1899, 12, 30, 59717));
  EXPECT_EQ(timeValue(Variant("3/14/2024 16:35:17")), dateOn(1899, 12, 30, 59717));
  EXPECT_EQ(dateValue(kNull), kNull);
  EXPECT_EQ(errorOf([] { dateValue(Variant("2/3/2001 89:98")); }), 13);
}

TEST(DateArithmetic, DateAddKeepsValidDates) {
  EXPECT_EQ(dateAdd(Variant("m"), Variant(1), Variant("31-Jan-95")), dateOn(1995, 2, 28));
  EXPECT_EQ(dateAdd(Variant("m"), Variant(1), Variant("31-Jan-96")), dateOn(1996, 2, 29));
  EXPECT_EQ(dateAdd(Variant("yyyy"), Variant(-1), dateOn(2000, 2, 29)), dateOn(1999, 2, 28));
  EXPECT_EQ(dateAdd(Variant("q"), Variant(1), dateOn(2000, 1, 31, 49510)), dateOn(2000, 4, 30, 49510));
  EXPECT_EQ(dateAdd(Variant("h"), Variant(11), dateOn(2000, 1, 31, 49510)), dateOn(2000, 2, 1, 2710));
  EXPECT_EQ(dateAdd(Variant("ww"), Variant(1), dateOn(2000, 1, 31)), dateOn(2000, 2, 7));
  EXPECT_EQ(dateAdd(Variant("d"), Variant(1.5), dateOn(2000, 1, 1)), dateOn(2000, 1, 3));
  EXPECT_EQ(dateAdd(Variant("d"), Variant(2.5), dateOn(2000, 1, 1)), dateOn(2000, 1, 3));
  EXPECT_EQ(dateAdd(Variant("n"), Variant(-1), dateOn(1899, 12, 30)), dateOn(1899, 12, 29, 86340));
  EXPECT_EQ(dateAdd(Variant("d"), Variant(1), kNull), kNull);
  EXPECT_EQ(errorOf([] { dateAdd(Variant("yyyy"), Variant(-2000), Variant("1/1/2000")); }), 5);
  EXPECT_EQ(errorOf([] { dateAdd(Variant("x"), Variant(1), Variant(1)); }), 5);
  EXPECT_EQ(errorOf([] { dateAdd(Variant("d"), Variant::null(), Variant(1)); }), 94);
}

TEST(DateArithmetic, DateDiffCountsBoundaries) {
  const auto diff = [](const char* interval, const Variant& a, const Variant& b,
                       const Variant& firstDay = Variant(1)) {
    return dateDiff(Variant(interval), a, b, firstDay, Variant(1));
  };
  EXPECT_EQ(diff("yyyy", dateOn(1999, 12, 31), dateOn(2000, 1, 1)), Variant::fromLong(1));
  EXPECT_EQ(diff("m", dateOn(1999, 12, 31), dateOn(2000, 1, 1)), Variant::fromLong(1));
  EXPECT_EQ(diff("q", dateOn(2000, 1, 1), dateOn(2000, 12, 31)), Variant::fromLong(3));
  EXPECT_EQ(diff("d", dateOn(2000, 1, 31, 49510), dateOn(2000, 1, 1)), Variant::fromLong(-30));
  EXPECT_EQ(diff("d", dateOn(2000, 1, 1, 82800), dateOn(2000, 1, 2, 3600)), Variant::fromLong(1));
  EXPECT_EQ(diff("h", dateOn(2000, 1, 1, 86340), dateOn(2000, 1, 2, 60)), Variant::fromLong(1));
  EXPECT_EQ(diff("s", dateOn(2000, 1, 1), dateOn(2000, 1, 1, 61)), Variant::fromLong(61));
  // Sundays from Saturday 1/1/2000 to Sunday 1/9/2000: the 2nd and the 9th.
  EXPECT_EQ(diff("ww", dateOn(2000, 1, 1), dateOn(2000, 1, 9)), Variant::fromLong(2));
  EXPECT_EQ(diff("ww", dateOn(2000, 1, 2), dateOn(2000, 1, 8)), Variant::fromLong(0));
  EXPECT_EQ(diff("ww", dateOn(2000, 1, 1), dateOn(2000, 1, 9), kMonday), Variant::fromLong(1));
  // Saturdays after Saturday 1/1/2000 up to 1/9/2000: the 8th.
  EXPECT_EQ(diff("w", dateOn(2000, 1, 1), dateOn(2000, 1, 9)), Variant::fromLong(1));
  EXPECT_EQ(diff("w", dateOn(2000, 1, 9), dateOn(2000, 1, 1)), Variant::fromLong(-1));
  EXPECT_EQ(diff("d", kNull, dateOn(2000, 1, 1)), kNull);
  EXPECT_EQ(errorOf([] { dateDiff(Variant("s"), Variant(-600000), Variant(2900000), Variant(1), Variant(1)); }), 6);
}

TEST(Names, MonthAndWeekdayNames) {
  const Variant no(false), yes(true);
  EXPECT_EQ(monthName(Variant(2), no), Variant("February"));
  EXPECT_EQ(monthName(Variant(2), yes), Variant("Feb"));
  EXPECT_EQ(weekdayName(Variant(1), no, kSunday), Variant("Sunday"));
  EXPECT_EQ(weekdayName(Variant(1), yes, kMonday), Variant("Mon"));
  EXPECT_EQ(weekdayName(Variant(7), no, Variant(0)), Variant("Saturday"));
  EXPECT_EQ(errorOf([&] { monthName(Variant(13), no); }), 5);
  EXPECT_EQ(errorOf([&] { weekdayName(Variant(0), no, kSunday); }), 5);
  EXPECT_EQ(errorOf([&] { monthName(Variant::null(), no); }), 94);
}

TEST(Clock, NowDateAndTimeReadTheClock) {
  struct Fixed : Clock {
    double now() const override { return 45365 + 0.75; }
  } clock;
  EXPECT_EQ(now(clock), Variant::fromDate(45365.75));
  EXPECT_EQ(today(clock), Variant::fromDate(45365));
  EXPECT_EQ(timeNow(clock), Variant::fromDate(0.75));
}

}  // namespace
}  // namespace telvarn::values

// Day numbers, the date reader and the General Date text. Anchors: the
// engine's date range 1/1/100..12/31/9999 (-657434..2958465), 1/1/1900 is
// day 2, 1/1/2000 day 36526, 3/14/2024 day 45365; 11/21/2010 (40531) was a
// Sunday.
#include "engine/values/Calendar.h"
#include "engine/values/DateFormat.h"
#include "engine/values/DateReading.h"

#include "engine/values/ValueTesting.h"

namespace telvarn::values {
namespace {

constexpr double kMarch14 = 45365;

double at(int hour, int minute, int second = 0) {
  return (hour * 3600 + minute * 60 + second) / 86400.0;
}

TEST(DayNumbers, CountFromTheEnginesDayZero) {
  EXPECT_EQ(dayNumber(1899, 12, 30), 0);
  EXPECT_EQ(dayNumber(1900, 1, 1), 2);
  EXPECT_EQ(dayNumber(2000, 1, 1), 36526);
  EXPECT_EQ(dayNumber(2024, 3, 14), 45365);
  EXPECT_EQ(dayNumber(100, 1, 1), kFirstDay);
  EXPECT_EQ(dayNumber(9999, 12, 31), kLastDay);
  const CivilDate date = civilDate(45365);
  EXPECT_EQ(date.year * 10000 + date.month * 100 + date.day, 20240314);
  EXPECT_EQ(weekday(40531, 1), 1);
  EXPECT_EQ(weekday(0, 1), 7);
  EXPECT_EQ(weekday(0, 7), 1);
}

TEST(DayNumbers, RunTheTimeForwardsBeforeDayZero) {
  const Moment moment = *momentOf(-1.25);
  EXPECT_EQ(moment.day, -1);
  EXPECT_EQ(moment.seconds, 6 * 3600);
  EXPECT_EQ(*dateOf(-1, 6 * 3600), -1.25);
  EXPECT_EQ(momentOf(-0.25)->day, 0);
  EXPECT_EQ(generalDate(-1.25), "12/29/1899 6:00:00 AM");
  EXPECT_EQ(*dateFromSeconds(-1), -1 - at(23, 59, 59));
  EXPECT_FALSE(momentOf(kLastDay + 1.0));
  EXPECT_FALSE(momentOf(kFirstDay - 0.5 - 1));
  EXPECT_FALSE(dateOf(kFirstDay - 1, 0));
}

TEST(ReadDate, TakesEveryFormTheEngineTakes) {
  EXPECT_EQ(readDate("3/14/2024"), kMarch14);
  EXPECT_EQ(readDate(" 3-14-2024 "), kMarch14);
  EXPECT_EQ(readDate("2024-03-14"), kMarch14);
  EXPECT_EQ(readDate("2024/3/14"), kMarch14);
  EXPECT_EQ(readDate("14-Mar-2024"), kMarch14);
  EXPECT_EQ(readDate("March 14, 2024"), kMarch14);
  EXPECT_EQ(readDate("Mar 14 2024"), kMarch14);
  EXPECT_EQ(readDate("14 march 2024"), kMarch14);
  EXPECT_EQ(readDate("3/14/24"), kMarch14);
  EXPECT_EQ(readDate("14/3/2024"), kMarch14);  // day/month: the only valid reading
  EXPECT_EQ(readDate("3/2024"), dayNumber(2024, 3, 1));
  EXPECT_EQ(readDate("1/1/29"), dayNumber(2029, 1, 1));
  EXPECT_EQ(readDate("1/1/30"), dayNumber(1930, 1, 1));
  EXPECT_EQ(readDate("1/1/100"), kFirstDay);
}

TEST(ReadDate, TakesTimesAloneAndWithTheDate) {
  EXPECT_EQ(readDate("3/14/2024 13:45"), kMarch14 + at(13, 45));
  EXPECT_EQ(readDate("2024-03-14 13:45:10"), kMarch14 + at(13, 45, 10));
  EXPECT_EQ(readDate("3/14/2024 1:45 PM"), kMarch14 + at(13, 45));
  EXPECT_EQ(readDate("1:45:10 pm 3/14/2024"), kMarch14 + at(13, 45, 10));
  EXPECT_EQ(readDate("1:45PM"), at(13, 45));
  EXPECT_EQ(readDate("13:45"), at(13, 45));
  EXPECT_EQ(readDate("1 PM"), at(13, 0));
  EXPECT_EQ(readDate("12:00 AM"), 0);
  EXPECT_EQ(readDate("12:30 PM"), at(12, 30));
  EXPECT_EQ(readDate("12/29/1899 6:00"), -1.25);
}

TEST(ReadDate, RefusesWhatIsNoDate) {
  for (const char* text : {"", "abc", "12abc", "2/30/2024", "2/29/2023", "13/13/2024", "25:00",
                           "13:60", "10:30:61", "13:00 PM", "Thursday, March 14, 2024",
                           "Mar Apr 2024", "1/1/99999", "12/31/10000", "3/14/2024 x", "5",
                           "1:2:3:4", "3/14/2024 12:00 AM PM"}) {
    EXPECT_FALSE(readDate(text)) << "'" << text << "'";
  }
}

TEST(GeneralDate, WritesTheDateTheTimeOrBoth) {
  EXPECT_EQ(generalDate(kMarch14), "3/14/2024");
  EXPECT_EQ(generalDate(kMarch14 + at(13, 45, 10)), "3/14/2024 1:45:10 PM");
  EXPECT_EQ(generalDate(kMarch14 + at(0, 0, 1)), "3/14/2024 12:00:01 AM");
  EXPECT_EQ(generalDate(at(13, 45, 10)), "1:45:10 PM");
  EXPECT_EQ(generalDate(2.525), "1/1/1900 12:36:00 PM");
  EXPECT_EQ(generalDate(kLastDay), "12/31/9999");
  EXPECT_EQ(test::errorOf([] { generalDate(kLastDay + 1.0); }), 6);
}

}  // namespace
}  // namespace telvarn::values

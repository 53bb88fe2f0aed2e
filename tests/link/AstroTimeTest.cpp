#include "link/AstroTime.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

namespace orvane {
namespace {

ui::DateTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  ui::DateTime time;
  time.year = year;
  time.month = month;
  time.day = day;
  time.hour = hour;
  time.minute = minute;
  time.second = second;
  return time;
}

TEST(AstroTimeTest, LZ) {
  struct Case {
    unsigned value;
    const char* text;
  };
  const Case cases[] = {{7, "07"},     {10, "10"},       {0, "00"},   {9, "09"},    {59, "59"},
                        {100, "100"},  {65535, "65535"}, {65536, "00"}, {65545, "09"}};
  for (const auto& c : cases) EXPECT_EQ(LZ(c.value), c.text) << c.value;
}

TEST(AstroTimeTest, Frac) {
  struct Case {
    double x;
    double expected;
  };
  const Case cases[] = {{-0.25, 0.75}, {2.5, 0.5}, {0, 0},       {-1, 0},
                        {3, 0},        {-2.75, 0.25}, {0.125, 0.125}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(Frac(c.x), c.expected) << c.x;
  // A tiny negative number must not give a fraction of exactly 1.
  for (double x : {-1e-20, -1e-17, -1e-300}) {
    EXPECT_GE(Frac(x), 0) << x;
    EXPECT_LT(Frac(x), 1) << x;
  }
}

TEST(AstroTimeTest, MJDOfKnownDates) {
  EXPECT_DOUBLE_EQ(MJD(At(2000, 1, 1, 12)), 51544.5);
  EXPECT_DOUBLE_EQ(MJD(At(1858, 11, 17)), 0);
  EXPECT_DOUBLE_EQ(MJD(At(2000, 2, 29)), 51603);
  EXPECT_DOUBLE_EQ(MJD(At(2000, 3, 1)), 51604);
  EXPECT_DOUBLE_EQ(MJD(At(1900, 3, 1)), 15079);
  EXPECT_DOUBLE_EQ(MJD(At(2000, 1, 1, 6, 30, 36)), 51544 + (6 + 30 / 60.0 + 36 / 3600.0) / 24);
}

// The day count is checked against the standard library's calendar over two centuries,
// January and February included.
TEST(AstroTimeTest, MJDMatchesTheCalendarDayCount) {
  using namespace std::chrono;
  const sys_days mjdZero = year{1858} / November / 17;
  for (sys_days date = sys_days(year{1900} / January / 1); date < sys_days(year{2100} / 1 / 1);
       date += days{13}) {
    year_month_day ymd(date);
    double expected = static_cast<double>((date - mjdZero).count());
    ui::DateTime utc = At(int(ymd.year()), int(unsigned(ymd.month())), int(unsigned(ymd.day())));
    ASSERT_DOUBLE_EQ(MJD(utc), expected) << int(ymd.year()) << "-" << unsigned(ymd.month())
                                         << "-" << unsigned(ymd.day());
  }
}

TEST(AstroTimeTest, LongitudeFromText) {
  struct Case {
    const char* text;
    std::optional<double> degrees;
  };
  const Case cases[] = {
      {"+00030", 0.0},     // degrees 0 leave the minutes out
      {"-00030", 0.0},     {"-00100", -1.0},   {"+00100", 1.0},     {"+01030", 10.5},
      {"-01230", -12.5},   {"+18000", 180.0},  {"+ 1 30", 10.5},    {" 01000", 10.0},
      {"010000", 100.0},    {"+0100099", 10.0}, {"+0003", std::nullopt}, {"", std::nullopt},
      {"abcdef", std::nullopt}, {"+00a00", std::nullopt}, {"+000xx", std::nullopt},
      {"++0100", std::nullopt},
  };
  for (const auto& c : cases) {
    std::optional<double> degrees = LongitudeFromText(c.text);
    ASSERT_EQ(degrees.has_value(), c.degrees.has_value()) << c.text;
    if (degrees) {
      EXPECT_DOUBLE_EQ(*degrees, *c.degrees) << c.text;
    }
  }
}

// Reference values: Greenwich mean sidereal time 18h41m50.55s at J2000.0 (2000-01-01 12:00
// UTC); 8h34m57.09s at 1987-04-10 19:21 UTC (Meeus, Astronomical Algorithms, example
// 12.b); 2026-12-07 00:00 UTC and 2024-03-20 03:06 UTC computed separately with the IAU 1982
// series in seconds and checked against the IAU 2000 Earth-rotation-angle form.
TEST(AstroTimeTest, StardateAtGreenwich) {
  struct Case {
    ui::DateTime utc;
    const char* expected;
  };
  const Case cases[] = {
      {At(2000, 1, 1, 12), "18:41:50"},
      {At(1987, 4, 10, 19, 21), "08:34:57"},
      {At(2026, 12, 7), "05:03:07"},
      {At(2024, 3, 20, 3, 6), "14:58:35"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Stardate("+00000", c.utc), c.expected) << c.utc.year;
  }
}

// The controller's longitude is subtracted: λ/15 hours come off the Greenwich time.
TEST(AstroTimeTest, StardateSubtractsTheLongitude) {
  struct Case {
    const char* longitude;
    ui::DateTime utc;
    const char* expected;
  };
  const ui::DateTime j2000 = At(2000, 1, 1, 12);
  const Case cases[] = {
      {"+01000", j2000, "18:01:50"},
      {"-01000", j2000, "19:21:50"},
      {"+00730", j2000, "18:11:50"},
      {"+00030", j2000, "18:41:50"},  // minutes without degrees count for nothing
      {"+18000", j2000, "06:41:50"},
      {"-09000", j2000, "00:41:50"},  // past midnight wraps round
      {"+28100", j2000, "23:57:50"},
      {"-00100", At(1987, 4, 10, 19, 21), "08:38:57"},
      {"+07500", At(1987, 4, 10, 19, 21), "03:34:57"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Stardate(c.longitude, c.utc), c.expected) << c.longitude;
  }
}

TEST(AstroTimeTest, StardateIsEmptyWithoutALongitude) {
  for (const char* text : {"+0000", "", "+0x000", "east!"}) {
    EXPECT_EQ(Stardate(text, At(2000, 1, 1, 12)), "") << text;
  }
}

TEST(AstroTimeTest, StardateStaysWithinTheDay) {
  for (int minute = 0; minute < 24 * 60; minute += 7) {
    std::string text = Stardate("-17959", At(2025, 6, 30, minute / 60, minute % 60, 59));
    ASSERT_EQ(text.size(), 8u) << text;
    EXPECT_LT(text, "24:00:00");
    EXPECT_EQ(text[2], ':');
    EXPECT_EQ(text[5], ':');
  }
}

}  // namespace
}  // namespace orvane

// Precession between J2000.0 and the equinox of a date, against a worked example of the
// rigorous method, and the way back.
#include "share/Precession.h"
#include "ui/Calendar.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(PrecessionTest, CenturiesCountFromJ2000Noon) {
  EXPECT_DOUBLE_EQ(CenturiesSinceJ2000(ui::DateTime{2000, 1, 1, 12, 0, 0, 0}), 0.0);
  EXPECT_DOUBLE_EQ(CenturiesSinceJ2000(ui::DateTime{2100, 1, 1, 12, 0, 0, 0}), 1.0);
  EXPECT_NEAR(CenturiesSinceJ2000(ui::DateTime{1999, 12, 31, 0, 0, 0, 0}), -1.5 / 36525, 1e-15);
  EXPECT_EQ(ui::DaysSince1970(1970, 1, 1), 0);
  EXPECT_EQ(ui::DaysSince1970(2000, 3, 1), 11017);
}

TEST(PrecessionTest, TheWorkedExampleAndBack) {
  // Theta Persei from J2000.0 to 2028 November 13.19: 41.054063, +49.227750 degrees
  // become 41.547214, +49.348483.
  const double t = 0.288670500;
  const Equatorial ofDate = PrecessFromJ2000(Equatorial{41.054063 / 15, 49.227750}, t);
  EXPECT_NEAR(ofDate.hours * 15, 41.547214, 2e-6);
  EXPECT_NEAR(ofDate.degrees, 49.348483, 2e-6);
  const Equatorial back = PrecessToJ2000(ofDate, t);
  EXPECT_NEAR(back.hours * 15, 41.054063, 1e-9);
  EXPECT_NEAR(back.degrees, 49.227750, 1e-9);
  // Near zero hours the right ascension stays within 0 to 24 hours.
  const Equatorial wrapped = PrecessToJ2000(Equatorial{0.001, 10}, t);
  EXPECT_GT(wrapped.hours, 23.9);
  EXPECT_LT(wrapped.hours, 24.0);
  // The pole of date is not the J2000 pole, and nothing leaves the sphere.
  const Equatorial pole = PrecessToJ2000(Equatorial{0, 90}, t);
  EXPECT_LT(pole.degrees, 90.0);
  EXPECT_GT(pole.degrees, 89.8);
}

}  // namespace
}  // namespace orvane

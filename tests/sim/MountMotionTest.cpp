// The mount's motion by hand and on slews, and the controller's clock, over time.
#include <gtest/gtest.h>

#include "SimTestSupport.h"

namespace orvane::sim {
namespace {

using testing::ask;
using testing::fixedOptions;

constexpr double kSidereal = MountModel::kSiderealDegreesPerSecond;

ControllerOptions equatorOptions() {
  ControllerOptions options = fixedOptions();
  options.startRightAscensionHours = 6;
  options.startDeclinationDegrees = 0;
  return options;
}

struct RateCase {
  std::string rateCommand;
  std::string direction;
  double raDegreesPerSecond;
  double decDegreesPerSecond;
};

class ManualMotion : public ::testing::TestWithParam<RateCase> {};

TEST_P(ManualMotion, MovesAtTheRateOfTheModeWhileTheDirectionIsDriven) {
  SimulatedController controller(equatorOptions());
  ask(controller, ":Sw3#", 0);
  ask(controller, GetParam().rateCommand, 0);
  ask(controller, ":M" + GetParam().direction + "#", 0);
  double ra = 90 + GetParam().raDegreesPerSecond * 10;
  double dec = GetParam().decDegreesPerSecond * 10;
  EXPECT_NEAR(controller.rightAscensionHours(10000) * 15, ra, 1e-9);
  EXPECT_NEAR(controller.declinationDegrees(10000), dec, 1e-9);
  ask(controller, ":Q" + GetParam().direction + "#", 10000);
  // Tracking: the position stays where the motion stopped.
  EXPECT_NEAR(controller.rightAscensionHours(60000) * 15, ra, 1e-9);
  EXPECT_NEAR(controller.declinationDegrees(60000), dec, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Rates, ManualMotion,
                         ::testing::Values(RateCase{":RG#", "n", 0, 0.5 * kSidereal},
                                           RateCase{":RC#", "s", 0, -16 * kSidereal},
                                           RateCase{":RS#", "e", 3, 0},
                                           RateCase{":RS#", "w", -3, 0},
                                           RateCase{":RC#", "e", 16 * kSidereal, 0}));

TEST(MountMotion, DeclinationStopsAtThePole) {
  SimulatedController controller(equatorOptions());
  ask(controller, ":RS#", 0);
  ask(controller, ":Sw6#", 0);
  ask(controller, ":Mn#", 0);
  EXPECT_DOUBLE_EQ(controller.declinationDegrees(60000), 90);
  EXPECT_EQ(ask(controller, ":GD#", 60000), "+90:00:00#");
}

TEST(MountMotion, RightAscensionWrapsAroundZeroHours) {
  ControllerOptions options = equatorOptions();
  options.startRightAscensionHours = 23.9;
  SimulatedController controller(options);
  ask(controller, ":RS#", 0);
  ask(controller, ":Sw3#", 0);
  ask(controller, ":Me#", 0);
  EXPECT_NEAR(controller.rightAscensionHours(1000), 0.1, 1e-9);
  EXPECT_EQ(ask(controller, ":GR#", 1000), "00:06:00#");
}

TEST(MountMotion, ChangingTheRateWhileMovingKeepsTheDistanceSoFar) {
  SimulatedController controller(equatorOptions());
  ask(controller, ":Sw2#", 0);
  ask(controller, ":RS#", 0);
  ask(controller, ":Mn#", 0);
  ask(controller, ":Sw4#", 1000);
  EXPECT_NEAR(controller.declinationDegrees(2000), 6, 1e-9);
  ask(controller, ":Sw9#", 2000);  // not a speed: ignored
  EXPECT_NEAR(controller.declinationDegrees(3000), 10, 1e-9);
  ask(controller, ":Q#", 3000);
  EXPECT_NEAR(controller.declinationDegrees(9000), 10, 1e-9);
}

TEST(MountMotion, SlewMovesEachAxisAtTheSlewSpeedUntilItArrives) {
  SimulatedController controller(equatorOptions());
  ask(controller, ":Sw2#", 0);
  ask(controller, ":Sr06:40:00#", 0);   // 10 degrees east
  ask(controller, ":Sd-04:00:00#", 0);  // 4 degrees south
  EXPECT_EQ(ask(controller, ":MS#", 0), "0#");
  EXPECT_TRUE(controller.mount().slewing(1000));
  EXPECT_NEAR(controller.rightAscensionHours(1000) * 15, 92, 1e-9);
  EXPECT_NEAR(controller.declinationDegrees(1000), -2, 1e-9);
  EXPECT_NEAR(controller.declinationDegrees(3000), -4, 1e-9);
  EXPECT_NEAR(controller.rightAscensionHours(3000) * 15, 96, 1e-9);
  EXPECT_TRUE(controller.mount().slewing(4999));
  EXPECT_FALSE(controller.mount().slewing(5000));
  EXPECT_EQ(ask(controller, ":GR#", 5000), "06:40:00#");
  EXPECT_EQ(ask(controller, ":GD#", 9000), "-04:00:00#");
}

// A target set after a slew has ended (or during one) is where the next slew goes; the
// mount does not jump there, and the slew in progress keeps its own target.
TEST(MountMotion, ANewTargetIsReachedBySlewingNotByJumping) {
  SimulatedController controller(equatorOptions());
  ask(controller, ":Sw2#", 0);
  ask(controller, ":Sr06:40:00#", 0);
  EXPECT_EQ(ask(controller, ":MS#", 0), "0#");
  EXPECT_FALSE(controller.mount().slewing(60000));
  ask(controller, ":Sr07:20:00#", 60000);  // 10 degrees further east
  ask(controller, ":Sd+06:00:00#", 60000);
  EXPECT_NEAR(controller.rightAscensionHours(61000) * 15, 100, 1e-9);
  EXPECT_NEAR(controller.declinationDegrees(61000), 0, 1e-9);
  EXPECT_EQ(ask(controller, ":MS#", 61000), "0#");
  EXPECT_NEAR(controller.rightAscensionHours(62000) * 15, 102, 1e-9);
  EXPECT_NEAR(controller.declinationDegrees(62000), 2, 1e-9);
  ask(controller, ":Sr12:00:00#", 62000);  // set during the slew: for the next one
  EXPECT_NEAR(controller.rightAscensionHours(66000) * 15, 110, 1e-9);
  EXPECT_FALSE(controller.mount().slewing(66000));
  EXPECT_EQ(ask(controller, ":GD#", 66000), "+06:00:00#");
}

TEST(MountMotion, AJ2000TargetIsPrecessedToTheControllersDate) {
  // 7 December 2026: 26.9 years of precession.
  SimulatedController controller(fixedOptions());
  ask(controller, ":Sr18:36:56#", 0);  // Vega, J2000
  ask(controller, ":Sd+38:47:01#", 0);
  EXPECT_EQ(ask(controller, ":Sp#", 0), "1#");
  EXPECT_EQ(ask(controller, ":MS#", 0), "0#");
  // Vega's annual precession is +2.02 s in right ascension and +3.2'' in declination:
  // 54 s and 88'' by the end of 2026.
  EXPECT_EQ(ask(controller, ":GR#", 120000), "18:37:50#");
  EXPECT_EQ(ask(controller, ":GD#", 120000), "+38:48:29#");
  // Without ":Sp#" the target is taken as of date.
  ask(controller, ":Sr18:36:56#", 120000);
  ask(controller, ":Sd+38:47:01#", 120000);
  ask(controller, ":MS#", 120000);
  EXPECT_EQ(ask(controller, ":GR#", 240000), "18:36:56#");
}

TEST(MountMotion, SlewTakesTheShorterWayAcrossZeroHours) {
  ControllerOptions options = equatorOptions();
  options.startRightAscensionHours = 23;
  SimulatedController controller(options);
  ask(controller, ":Sw5#", 0);
  ask(controller, ":Sr01:00:00#", 0);
  ask(controller, ":Sd+00:00:00#", 0);
  ask(controller, ":MS#", 0);
  EXPECT_NEAR(controller.rightAscensionHours(3000), 0, 1e-9);
  EXPECT_FALSE(controller.mount().slewing(6000));
  EXPECT_NEAR(controller.rightAscensionHours(6000), 1, 1e-9);
}

TEST(MountMotion, StopEndsASlewWhereTheMountIs) {
  SimulatedController controller(equatorOptions());
  ask(controller, ":Sw1#", 0);
  ask(controller, ":Sd+30:00:00#", 0);
  ask(controller, ":MS#", 0);
  ask(controller, ":Q#", 5000);
  EXPECT_FALSE(controller.mount().slewing(5000));
  EXPECT_NEAR(controller.declinationDegrees(60000), 5, 1e-9);
}

TEST(MountMotion, DrivingADirectionEndsASlew) {
  SimulatedController controller(equatorOptions());
  ask(controller, ":Sw1#", 0);
  ask(controller, ":RS#", 0);
  ask(controller, ":Sd+30:00:00#", 0);
  ask(controller, ":MS#", 0);
  ask(controller, ":Ms#", 5000);
  EXPECT_FALSE(controller.mount().slewing(5000));
  EXPECT_NEAR(controller.declinationDegrees(7000), 3, 1e-9);
}

TEST(MountMotion, SpeedChangeDuringASlewAppliesFromThen) {
  SimulatedController controller(equatorOptions());
  ask(controller, ":Sw1#", 0);
  ask(controller, ":Sd+30:00:00#", 0);
  ask(controller, ":MS#", 0);
  ask(controller, ":Sw5#", 5000);
  EXPECT_NEAR(controller.declinationDegrees(6000), 10, 1e-9);
  EXPECT_FALSE(controller.mount().slewing(10000));
}

TEST(ControllerClock, RunsWithTheCallersTime) {
  SimulatedController controller(fixedOptions());
  EXPECT_EQ(ask(controller, ":GL#", 0), "21:00:00#");
  EXPECT_EQ(ask(controller, ":GL#", 61500), "21:01:01#");
  EXPECT_EQ(ask(controller, ":GL#", 3 * 3600 * 1000.0), "00:00:00#");
  EXPECT_EQ(ask(controller, ":GC#", 3 * 3600 * 1000.0), "12/08/26#");
}

TEST(ControllerClock, SettingTheTimeKeepsTheDateAndTheDateKeepsTheTime) {
  SimulatedController controller(fixedOptions());
  ask(controller, ":SC12/31/26#", 0);
  ask(controller, ":SL23:59:59#", 500);
  EXPECT_EQ(ask(controller, ":GL#", 1400), "23:59:59#");
  EXPECT_EQ(ask(controller, ":GL#", 1500), "00:00:00#");
  EXPECT_EQ(ask(controller, ":GC#", 1500), "01/01/27#");
  ask(controller, ":SC02/28/28#", 2000);
  EXPECT_EQ(ask(controller, ":GL#", 2000), "00:00:00#");
  ask(controller, ":SL23:59:59#", 2000);
  EXPECT_EQ(ask(controller, ":GC#", 3000), "02/29/28#");
}

}  // namespace
}  // namespace orvane::sim

// The start-up handshake after a power cycle.
#include <gtest/gtest.h>

#include "SimTestSupport.h"

namespace orvane::sim {
namespace {

using testing::ask;
using testing::fixedOptions;
using testing::nativeRead;

const std::string kAck(1, '\x06');

ControllerOptions bootOptions() {
  ControllerOptions options = fixedOptions();
  options.startInBootMode = true;
  return options;
}

TEST(BootMode, AnswersOnlyTheAcknowledgeByteUntilAStartModeIsChosen) {
  SimulatedController controller(bootOptions());
  EXPECT_TRUE(controller.bootMode());
  EXPECT_EQ(ask(controller, ":GV#"), "");
  EXPECT_EQ(ask(controller, ":GR#"), "");
  EXPECT_EQ(ask(controller, nativeRead("99")), "");
  EXPECT_EQ(ask(controller, kAck), "b#");
  EXPECT_EQ(ask(controller, "bW#"), "");
  EXPECT_FALSE(controller.bootMode());
  EXPECT_EQ(ask(controller, ":GV#"), "324#");
  EXPECT_EQ(ask(controller, kAck), "P#");
}

struct StartModeCase {
  std::string command;
  bool alignedAfter;
};

class StartMode : public ::testing::TestWithParam<StartModeCase> {};

TEST_P(StartMode, ColdStartForgetsTheAlignmentAndTheWarmOnesKeepIt) {
  ControllerOptions options = bootOptions();
  options.aligned = true;
  options.startRightAscensionHours = 0;
  options.startDeclinationDegrees = 90;
  SimulatedController controller(options);
  ask(controller, "bW#");
  // Point elsewhere before the power cycle.
  ask(controller, ":Sr06:00:00#");
  ask(controller, ":Sd+10:00:00#");
  ask(controller, ":CM#");
  controller.restart(2000);
  EXPECT_TRUE(controller.bootMode());
  EXPECT_EQ(ask(controller, kAck, 2100), "b#");
  ask(controller, GetParam().command, 2200);
  EXPECT_FALSE(controller.bootMode());
  EXPECT_EQ((controller.statusBits() & SimulatedController::kStatusAligned) != 0,
            GetParam().alignedAfter);
  EXPECT_EQ(ask(controller, ":GD#", 2300), GetParam().alignedAfter ? "+10:00:00#" : "+90:00:00#");
}

INSTANTIATE_TEST_SUITE_P(Modes, StartMode,
                         ::testing::Values(StartModeCase{"bC#", false}, StartModeCase{"bW#", true},
                                           StartModeCase{"bR#", true}));

TEST(BootMode, RestartStopsTheMountAndDropsAPartialCommand) {
  SimulatedController controller(fixedOptions());
  ask(controller, ":RS#", 0);
  ask(controller, ":Sw1#", 0);
  ask(controller, ":Ms#", 0);
  ask(controller, ":G", 1000);
  controller.restart(1000);
  ask(controller, "bR#", 1500);
  EXPECT_EQ(ask(controller, "V#", 1600), "");
  EXPECT_NEAR(controller.declinationDegrees(5000), 89.0, 1e-9);
}

TEST(BootMode, NoAnnouncementsWhileWaiting) {
  ControllerOptions options = bootOptions();
  options.announceEveryMs = 100;
  SimulatedController controller(options);
  EXPECT_TRUE(controller.poll(1000).empty());
  ask(controller, "bC#", 1000);
  EXPECT_FALSE(controller.poll(1100).empty());
}

}  // namespace
}  // namespace orvane::sim

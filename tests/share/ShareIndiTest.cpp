// INDI as a real client of the sharing server: orvane-sim on a pseudo-terminal, the whole
// program in real time on the headless backend with sharing on, and indiserver running
// INDI's generic driver for this command family (indi_lx200generic, Debian package
// indi-bin) in its network mode, pointed at the program's text port. The driver connects,
// shows the position the simulator reports, and a goto set with indi_setprop slews the
// simulated mount, while the program goes on polling and the simulator never sees a
// command written into a reply it still owes. Every wait is bounded.
#include <signal.h>

#include <chrono>
#include <cmath>
#include <memory>

#include "persistence/ProfileFolder.h"
#include "share/IndiTools.h"
#include "share/ShareLiveSupport.h"
#include "share/StellariumProtocol.h"
#include "support/SimulatorProcess.h"

namespace orvane::share_test {
namespace {

using Clock = std::chrono::steady_clock;

class ShareIndiTest : public LiveShareTest {
 protected:
  void SetUp() override {
    if (!indi_.missing().empty()) {
      GTEST_SKIP() << indi_.missing() << " is missing: INDI's tools come with the Debian package "
                   << "indi-bin, which scripts/install-deps.sh installs";
    }
    StartProgram();
    indi_.StartServer();
  }

  void TearDown() override {
    indi_.StopServer();
    LiveShareTest::TearDown();
  }

  // Finds the driver's device and connects it to the program's text port.
  void ConnectDriver() {
    ASSERT_TRUE(Pump([&] { return indi_.FindDevice(); })) << indi_.serverOutput();
    indi_.ConnectDriver(textPort());
    ASSERT_TRUE(Pump([&] { return indi_.Property("CONNECTION.CONNECT") == "On"; }))
        << indi_.serverOutput();
  }

  // The driver talks to the program while a tool runs: the program goes on meanwhile.
  IndiTools indi_{[this] { backend_->advance(20); }};
};

TEST_F(ShareIndiTest, TheGenericDriverFollowsTheMountAndSlewsIt) {
  ConnectDriver();
  EXPECT_EQ(app_->share()->clientCount(), 1);

  // The driver shows the position polling reads.
  ASSERT_TRUE(Pump([&] {
    const auto hours = HoursOfReading(main().controllerState().LastRightAscension.text);
    const auto degrees = DegreesOfReading(main().controllerState().LastDeclination.text);
    return hours && degrees &&
           std::fabs(indi_.Number("EQUATORIAL_EOD_COORD.RA") - *hours) < 0.001 &&
           std::fabs(indi_.Number("EQUATORIAL_EOD_COORD.DEC") - *degrees) < 0.01;
  }));

  // A goto from INDI moves the simulated mount (which starts at the pole and slews five
  // degrees a second, so a near target is reached in seconds); the program follows it.
  indi_.Set("EQUATORIAL_EOD_COORD.RA;DEC=1.5;75.25");
  ASSERT_TRUE(Pump([&] {
    return main().controllerState().LastRightAscension.text == "01:30:00" &&
           main().controllerState().LastDeclination.text == "+75:15:00";
  })) << simulator_->output().substr(0, 4000);
  EXPECT_TRUE(Pump([&] {
    return std::fabs(indi_.Number("EQUATORIAL_EOD_COORD.RA") - 1.5) < 0.001 &&
           std::fabs(indi_.Number("EQUATORIAL_EOD_COORD.DEC") - 75.25) < 0.01;
  }));

  indi_.StopServer();
  app_->Shutdown();
  kill(simulator_->pid(), SIGTERM);
  EXPECT_EQ(simulator_->waitForExit(kStartMs), 0);
  const std::string output = simulator_->output();
  EXPECT_NE(output.find("<- :Sr01:30:00#"), std::string::npos);
  EXPECT_NE(output.find("<- :Sd+75:15:00#"), std::string::npos);
  EXPECT_NE(output.find("orvane-sim: 0 breaches"), std::string::npos) << output.substr(0, 4000);
  EXPECT_EQ(output.find("breach:"), std::string::npos);
}

// What the controller cannot do is refused at once: setting the tracking frequency fails
// without the driver's three waits of five seconds, and a park is never reported done (the
// mount did not move) until the driver aborts it; the driver follows the position all along.
TEST_F(ShareIndiTest, TheGenericDriverIsRefusedAtOnceWhatTheControllerCannotDo) {
  ConnectDriver();
  const auto asked = Clock::now();
  indi_.Set("Tracking Frequency.trackFreq=60.2");
  ASSERT_TRUE(Pump([&] { return indi_.Property("Tracking Frequency._STATE") == "Alert"; }));
  // The driver tries three times and waits five seconds for each answer that does not come.
  EXPECT_LT(Clock::now() - asked, std::chrono::seconds(10));

  indi_.Set("TELESCOPE_PARK.PARK=On");
  ASSERT_TRUE(Pump([&] { return indi_.Property("TELESCOPE_PARK._STATE") == "Busy"; }));
  PumpFor(std::chrono::seconds(4));  // the driver asks about the motion every second
  EXPECT_EQ(indi_.Property("TELESCOPE_PARK._STATE"), "Busy");
  EXPECT_NE(indi_.Property("EQUATORIAL_EOD_COORD._STATE"), "Alert");  // the position read on
  const auto& trace = app().windows().trace->Status->lines();
  EXPECT_EQ(std::count_if(trace.begin(), trace.end(),
                          [](const std::string& line) {
                            return line.find("\":hP#\" refused: the controller cannot park") !=
                                   std::string::npos;
                          }),
            1);
  indi_.Set("TELESCOPE_ABORT_MOTION.ABORT=On");
  EXPECT_TRUE(Pump([&] { return indi_.Property("TELESCOPE_PARK._STATE") != "Busy"; }));

  indi_.StopServer();
  const std::string output = Finish();
  EXPECT_EQ(output.find("<- :hP#"), std::string::npos);
  EXPECT_EQ(output.find("<- :ST"), std::string::npos);
  EXPECT_NE(output.find("orvane-sim: 0 breaches"), std::string::npos) << output.substr(0, 4000);
}

}  // namespace
}  // namespace orvane::share_test

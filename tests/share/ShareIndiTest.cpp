// INDI as a real client of the sharing server: orvane-sim on a pseudo-terminal, the whole
// program in real time on the headless backend with sharing on, and indiserver running
// INDI's generic driver for this command family (indi_lx200generic, Debian package
// indi-bin) in its network mode, pointed at the program's text port. The driver connects,
// shows the position the simulator reports, and a goto set with indi_setprop slews the
// simulated mount, while the program goes on polling and the simulator never sees a
// command written into a reply it still owes. Every wait is bounded.
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>

#include "persistence/ProfileFolder.h"
#include "share/ShareLiveSupport.h"
#include "share/StellariumProtocol.h"
#include "support/SimulatorProcess.h"

namespace orvane::share_test {
namespace {

namespace fs = std::filesystem;
using testing::SimulatorProcess;
using Clock = std::chrono::steady_clock;

// The program's full path on PATH; empty when it is not installed.
std::string FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::stringstream folders(path != nullptr ? path : "/usr/bin:/bin");
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    const fs::path candidate = fs::path(folder) / name;
    if (!folder.empty() && ::access(candidate.c_str(), X_OK) == 0) return candidate.string();
  }
  return {};
}

class ShareIndiTest : public LiveShareTest {
 protected:
  void SetUp() override {
    for (const char* tool : {"indiserver", "indi_lx200generic", "indi_setprop", "indi_getprop"}) {
      tools_[tool] = FindProgram(tool);
      if (tools_[tool].empty()) {
        GTEST_SKIP() << tool << " is missing: INDI's tools come with the Debian package indi-bin, "
                     << "which scripts/install-deps.sh installs";
      }
    }
    StartProgram();
    indiPort_ = FreePort();
    // The driver keeps its configuration and park state under HOME, the test's own.
    indi_ = std::make_unique<SimulatorProcess>(
        tools_["indiserver"],
        std::vector<std::string>{"-p", std::to_string(indiPort_), tools_["indi_lx200generic"]},
        true);
  }

  void TearDown() override {
    indi_.reset();
    LiveShareTest::TearDown();
  }

  // Runs an INDI tool while the program goes on (the driver talks to it meanwhile); its
  // output.
  std::string Tool(const std::string& name, const std::vector<std::string>& arguments) {
    std::vector<std::string> words{"-p", std::to_string(indiPort_)};
    words.insert(words.end(), arguments.begin(), arguments.end());
    SimulatorProcess tool(tools_[name], words);
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (tool.waitForExit(0) == -1 && Clock::now() < deadline) backend_->advance(20);
    return tool.output();
  }

  // A property's value as indi_getprop prints it ("device.property.element=value").
  std::string Property(const std::string& name) {
    const std::string output = Tool("indi_getprop", {"-t", "1", device_ + "." + name});
    const size_t at = output.find(device_ + "." + name + "=");
    if (at == std::string::npos) return {};
    const size_t start = at + device_.size() + name.size() + 2;
    return output.substr(start, output.find('\n', start) - start);
  }
  double Number(const std::string& name) {
    const std::string text = Property(name);
    return text.empty() ? NAN : std::strtod(text.c_str(), nullptr);
  }

  // Finds the driver's device name in its own description and connects it to the
  // program's text port.
  void ConnectDriver() {
    ASSERT_TRUE(Pump([&] {
      const std::string output = Tool("indi_getprop", {"-t", "1", "*.DRIVER_INFO.DRIVER_EXEC"});
      const size_t at = output.find(".DRIVER_INFO.DRIVER_EXEC=indi_lx200generic");
      if (at == std::string::npos) return false;
      const size_t start = output.rfind('\n', at);
      device_ = output.substr(start == std::string::npos ? 0 : start + 1,
                              at - (start == std::string::npos ? 0 : start + 1));
      return true;
    })) << indi_->output();
    Tool("indi_setprop", {device_ + ".CONNECTION_MODE.CONNECTION_SERIAL=Off;CONNECTION_TCP=On"});
    Tool("indi_setprop",
         {device_ + ".DEVICE_ADDRESS.ADDRESS;PORT=127.0.0.1;" + std::to_string(textPort_)});
    Tool("indi_setprop", {device_ + ".CONNECTION.CONNECT=On"});
    ASSERT_TRUE(Pump([&] { return Property("CONNECTION.CONNECT") == "On"; })) << indi_->output();
  }

  std::map<std::string, std::string> tools_;
  std::unique_ptr<SimulatorProcess> indi_;
  int indiPort_ = 0;
  std::string device_;
};

TEST_F(ShareIndiTest, TheGenericDriverFollowsTheMountAndSlewsIt) {
  ConnectDriver();
  EXPECT_EQ(app_->share()->clientCount(), 1);

  // The driver shows the position polling reads.
  ASSERT_TRUE(Pump([&] {
    const auto hours = HoursOfReading(main().controllerState().LastRightAscension.text);
    const auto degrees = DegreesOfReading(main().controllerState().LastDeclination.text);
    return hours && degrees && std::fabs(Number("EQUATORIAL_EOD_COORD.RA") - *hours) < 0.001 &&
           std::fabs(Number("EQUATORIAL_EOD_COORD.DEC") - *degrees) < 0.01;
  }));

  // A goto from INDI moves the simulated mount (which starts at the pole and slews five
  // degrees a second, so a near target is reached in seconds); the program follows it.
  Tool("indi_setprop", {device_ + ".EQUATORIAL_EOD_COORD.RA;DEC=1.5;75.25"});
  ASSERT_TRUE(Pump([&] {
    return main().controllerState().LastRightAscension.text == "01:30:00" &&
           main().controllerState().LastDeclination.text == "+75:15:00";
  })) << simulator_->output().substr(0, 4000);
  EXPECT_TRUE(Pump([&] {
    return std::fabs(Number("EQUATORIAL_EOD_COORD.RA") - 1.5) < 0.001 &&
           std::fabs(Number("EQUATORIAL_EOD_COORD.DEC") - 75.25) < 0.01;
  }));

  indi_.reset();
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
  Tool("indi_setprop", {device_ + ".Tracking Frequency.trackFreq=60.2"});
  ASSERT_TRUE(Pump([&] { return Property("Tracking Frequency._STATE") == "Alert"; }));
  // The driver tries three times and waits five seconds for each answer that does not come.
  EXPECT_LT(Clock::now() - asked, std::chrono::seconds(10));

  Tool("indi_setprop", {device_ + ".TELESCOPE_PARK.PARK=On"});
  ASSERT_TRUE(Pump([&] { return Property("TELESCOPE_PARK._STATE") == "Busy"; }));
  PumpFor(std::chrono::seconds(4));  // the driver asks about the motion every second
  EXPECT_EQ(Property("TELESCOPE_PARK._STATE"), "Busy");
  EXPECT_NE(Property("EQUATORIAL_EOD_COORD._STATE"), "Alert");  // the position read on
  const auto& trace = app().windows().trace->Status->lines();
  EXPECT_EQ(std::count_if(trace.begin(), trace.end(),
                          [](const std::string& line) {
                            return line.find("\":hP#\" refused: the controller cannot park") !=
                                   std::string::npos;
                          }),
            1);
  Tool("indi_setprop", {device_ + ".TELESCOPE_ABORT_MOTION.ABORT=On"});
  EXPECT_TRUE(Pump([&] { return Property("TELESCOPE_PARK._STATE") != "Busy"; }));

  indi_.reset();
  const std::string output = Finish();
  EXPECT_EQ(output.find("<- :hP#"), std::string::npos);
  EXPECT_EQ(output.find("<- :ST"), std::string::npos);
  EXPECT_NE(output.find("orvane-sim: 0 breaches"), std::string::npos) << output.substr(0, 4000);
}

}  // namespace
}  // namespace orvane::share_test

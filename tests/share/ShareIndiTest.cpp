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

#include "link/DeviceMap.h"
#include "link/PosixSerialDeviceFactory.h"
#include "persistence/ProfileFolder.h"
#include "share/IndiTools.h"
#include "share/ShareTestSupport.h"
#include "share/StellariumProtocol.h"
#include "support/SimulatorProcess.h"

namespace orvane::share_test {
namespace {

namespace fs = std::filesystem;
using testing::SimulatorProcess;
using Clock = std::chrono::steady_clock;

constexpr int kStartMs = 15000;
constexpr auto kPatience = std::chrono::seconds(30);

class ShareIndiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!indi_.missing().empty()) {
      GTEST_SKIP() << indi_.missing() << " is missing: INDI's tools come with the Debian package "
                   << "indi-bin, which scripts/install-deps.sh installs";
    }
    const fs::path link = environment_.root() / "com1";
    simulator_ = std::make_unique<SimulatorProcess>(
        ORVANE_SIM_PROGRAM, std::vector<std::string>{"--link", link.string(), "--log", "--strict"});
    ASSERT_TRUE(simulator_->waitForOutput("ready", kStartMs));
    const fs::path folder = environment_.root() / "program";
    fs::create_directories(folder);
    testing::WriteFile(folder / "Share.ocf",
                       "Version \"32.4\"\nPort \"COM1\"\nTimeOut \"1000\"\nCacheDelay \"1000\"\n"
                       "Update \"1000\"\n");
    backend_ = std::make_unique<ui::HeadlessBackend>(ui::DateTime{2026, 12, 7, 21, 0, 0, 0}, 60,
                                                     ui::Size{1024, 768},
                                                     ui::HeadlessBackend::Clock::Real);
    settings_ = std::make_unique<SettingsStore>(SettingsStore::DefaultLocation());
    settings_->write("COM1", link.string());
    settings_->write("LastProfile", "Share.ocf");
    settings_->write("Share", "on");
    textPort_ = FreePort();
    settings_->write("ShareTextPort", std::to_string(textPort_));
    settings_->write("ShareStellariumPort", "0");
    devices_ = std::make_unique<PosixSerialDeviceFactory>(*backend_, DeviceMap(*settings_));
    app_ = std::make_unique<Application>(*backend_, *settings_, *devices_, folder);
    app_->CreateWindows();
    ASSERT_TRUE(Pump([&] {
      return main().ConnectedPort > 0 && main().controllerState().LastDeclination.atMs >= 0;
    }));
    ASSERT_TRUE(app_->share()->running());
    indi_.StartServer();
  }

  void TearDown() override {
    indi_.StopServer();
    if (app_) app_->Shutdown();
    app_.reset();
    devices_.reset();
    settings_.reset();
    backend_.reset();
  }

  TMainForm& main() { return *app_->windows().main; }

  // Lets the program run (real time) until done() holds; false after the patience.
  bool Pump(const std::function<bool()>& done) {
    const auto deadline = Clock::now() + kPatience;
    while (!done()) {
      if (Clock::now() > deadline) return false;
      backend_->advance(20);
    }
    return true;
  }

  testing::TempEnvironment environment_;
  // The driver talks to the program while a tool runs: the program goes on meanwhile.
  IndiTools indi_{[this] { backend_->advance(20); }};
  std::unique_ptr<SimulatorProcess> simulator_;
  std::unique_ptr<ui::HeadlessBackend> backend_;
  std::unique_ptr<SettingsStore> settings_;
  std::unique_ptr<PosixSerialDeviceFactory> devices_;
  std::unique_ptr<Application> app_;
  int textPort_ = 0;
};

TEST_F(ShareIndiTest, TheGenericDriverFollowsTheMountAndSlewsIt) {
  // The driver's device name, from its own description.
  ASSERT_TRUE(Pump([&] { return indi_.FindDevice(); })) << indi_.serverOutput();
  indi_.ConnectDriver(textPort_);
  ASSERT_TRUE(Pump([&] { return indi_.Property("CONNECTION.CONNECT") == "On"; }))
      << indi_.serverOutput();
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

}  // namespace
}  // namespace orvane::share_test

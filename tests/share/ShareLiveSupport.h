// The whole program in real time, as a user runs it: orvane-sim --strict --log on a
// pseudo-terminal mapped to COM1, the program on the headless backend with its real clock
// and sharing on (text port, and the Stellarium port when asked), and network clients the
// test drives. The simulator's log shows every command that reached the controller, and its
// report at the end counts the commands written into a reply it still owed. Every wait is
// bounded.
// Thread: the test's thread, which is the program's user-interface thread.
#pragma once

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/DeviceMap.h"
#include "link/PosixSerialDeviceFactory.h"
#include "share/ShareTestSupport.h"
#include "support/SimulatorProcess.h"

namespace orvane::share_test {

class LiveShareTest : public ::testing::Test {
 protected:
  using Clock = std::chrono::steady_clock;
  static constexpr int kStartMs = 15000;

  // Starts the simulator and the program and waits until the program polls the controller.
  void StartProgram(bool stellarium = false) {
    namespace fs = std::filesystem;
    const fs::path link = environment_.root() / "com1";
    simulator_ = std::make_unique<testing::SimulatorProcess>(
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
    stellariumPort_ = stellarium ? FreePort() : 0;
    settings_->write("ShareStellariumPort", std::to_string(stellariumPort_));
    devices_ = std::make_unique<PosixSerialDeviceFactory>(*backend_, DeviceMap(*settings_));
    app_ = std::make_unique<Application>(*backend_, *settings_, *devices_, folder);
    app_->CreateWindows();
    ASSERT_TRUE(Pump([&] {
      return main().ConnectedPort > 0 && main().controllerState().LastDeclination.atMs >= 0;
    }));
    ASSERT_TRUE(app_->share()->running());
  }

  void TearDown() override {
    if (app_) app_->Shutdown();
    app_.reset();
    devices_.reset();
    settings_.reset();
    backend_.reset();
  }

  TMainForm& main() { return *app_->windows().main; }
  Application& app() { return *app_; }
  int textPort() const { return textPort_; }
  int stellariumPort() const { return stellariumPort_; }

  // Lets the program run (real time) until done() holds; false after the patience.
  bool Pump(const std::function<bool()>& done,
            std::chrono::milliseconds patience = std::chrono::seconds(30)) {
    const auto deadline = Clock::now() + patience;
    while (!done()) {
      if (Clock::now() > deadline) return false;
      backend_->advance(10);
    }
    return true;
  }
  void PumpFor(std::chrono::milliseconds time) {
    Pump([] { return false; }, time);
  }

  // The commands the simulator received, in order ("<- " lines of its log).
  std::vector<std::string> SimulatorReceived() const {
    std::vector<std::string> commands;
    const std::string log = simulator_->output();
    for (size_t at = log.find("<- "); at != std::string::npos; at = log.find("<- ", at + 3)) {
      commands.push_back(log.substr(at + 3, log.find('\n', at) - at - 3));
    }
    return commands;
  }

  // Ends the program and the simulator; the simulator's output, its report last.
  std::string Finish() {
    if (app_) app_->Shutdown();
    app_.reset();
    kill(simulator_->pid(), SIGTERM);
    EXPECT_EQ(simulator_->waitForExit(kStartMs), 0);
    return simulator_->output();
  }

  testing::TempEnvironment environment_;
  std::unique_ptr<testing::SimulatorProcess> simulator_;
  std::unique_ptr<ui::HeadlessBackend> backend_;
  std::unique_ptr<SettingsStore> settings_;
  std::unique_ptr<PosixSerialDeviceFactory> devices_;
  std::unique_ptr<Application> app_;
  int textPort_ = 0;
  int stellariumPort_ = 0;
};

}  // namespace orvane::share_test

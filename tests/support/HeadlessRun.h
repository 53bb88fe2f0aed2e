// HeadlessRun: the real program without a display (orvane-control --headless), as a
// process of its own, against orvane-sim on a pseudo-terminal, for end-to-end tests. The
// program runs with DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM removed from its
// environment, in the test's temporary HOME and XDG folders; the settings file maps COM1
// to the simulator and holds the settings the test gives; the profile (in the temporary
// folder) polls every second with a reply time-out of a second. Both processes are ended
// when the object goes.
// Thread: the test's thread.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/HeadlessApp.h"
#include "support/SimulatorProcess.h"

namespace orvane::testing {

class HeadlessRun {
 public:
  struct Options {
    std::vector<std::string> simulatorOptions;  // besides --link, --log and --strict
    std::vector<std::pair<std::string, std::string>> settings;
    std::vector<std::string> programOptions;  // besides --headless, --profile and --port
  };

  HeadlessRun(TempEnvironment& environment, const std::string& programPath,
              const std::string& simulatorPath, const Options& options);

  SimulatorProcess& program() { return *program_; }
  SimulatorProcess& simulator() { return *simulator_; }
  bool started() const { return program_ != nullptr; }

  // Waits until the program's standard error holds text count times.
  bool WaitFor(const std::string& text, int timeoutMs, int count = 1);
  int Count(const std::string& text) const;
  // Ends the program with SIGTERM: its exit code (-1 when it did not end within
  // timeoutMs) and the milliseconds it took.
  std::pair<int, long long> Terminate(int timeoutMs);

 private:
  std::unique_ptr<SimulatorProcess> simulator_;
  std::unique_ptr<SimulatorProcess> program_;
};

}  // namespace orvane::testing

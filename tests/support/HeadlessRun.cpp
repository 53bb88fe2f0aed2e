#include "support/HeadlessRun.h"

#include <signal.h>

#include <chrono>
#include <thread>

#include "persistence/SettingsStore.h"

namespace orvane::testing {

namespace {
constexpr int kSimulatorStartMs = 15000;
}

HeadlessRun::HeadlessRun(TempEnvironment& environment, const std::string& programPath,
                         const std::string& simulatorPath, const Options& options) {
  const std::filesystem::path link = environment.root() / "com1";
  std::vector<std::string> simulatorWords{"--link", link.string(), "--log", "--strict"};
  simulatorWords.insert(simulatorWords.end(), options.simulatorOptions.begin(),
                        options.simulatorOptions.end());
  simulator_ = std::make_unique<SimulatorProcess>(simulatorPath, simulatorWords);
  if (!simulator_->waitForOutput("ready", kSimulatorStartMs)) return;

  const std::filesystem::path profile = environment.root() / "Headless.ocf";
  WriteFile(profile,
            "Version \"32.4\"\nPort \"COM1\"\nTimeOut \"1000\"\nCacheDelay \"1000\"\n"
            "Update \"1000\"\n");
  SettingsStore settings(SettingsStore::DefaultLocation());
  settings.write("COM1", link.string());
  for (const auto& [key, value] : options.settings) settings.write(key, value);

  std::vector<std::string> words{"-u",        "DISPLAY",   "-u",      "WAYLAND_DISPLAY", "-u",
                                 "QT_QPA_PLATFORM", programPath, "--headless", "--profile",
                                 profile.string(),  "--port",    "COM1"};
  words.insert(words.end(), options.programOptions.begin(), options.programOptions.end());
  program_ = std::make_unique<SimulatorProcess>("/usr/bin/env", words);
}

bool HeadlessRun::WaitFor(const std::string& text, int timeoutMs, int count) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (Count(text) < count) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    program_->waitForOutput("\n", 100);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

int HeadlessRun::Count(const std::string& text) const {
  const std::string output = program_->output();
  int count = 0;
  for (size_t at = output.find(text); at != std::string::npos; at = output.find(text, at + 1)) {
    ++count;
  }
  return count;
}

std::pair<int, long long> HeadlessRun::Terminate(int timeoutMs) {
  const auto start = std::chrono::steady_clock::now();
  ::kill(program_->pid(), SIGTERM);
  const int code = program_->waitForExit(timeoutMs);
  const long long took = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - start)
                             .count();
  return {code, took};
}

}  // namespace orvane::testing

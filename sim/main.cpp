// orvane-sim: an Orvane controller on a pseudo-terminal, for running the program without
// the device and for end-to-end tests.
#include <ctime>
#include <iostream>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "SimulatorServer.h"

namespace {

// The controller's clock starts from the computer's local clock.
void startFromComputerClock(orvane::sim::ControllerOptions& options) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  options.startYear = local.tm_year + 1900;
  options.startMonth = local.tm_mon + 1;
  options.startDay = local.tm_mday;
  options.startSecondOfDay = local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
  options.utcOffsetHours = -static_cast<double>(local.tm_gmtoff) / 3600.0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  orvane::sim::CommandLineResult parsed = orvane::sim::parseCommandLine(arguments);
  if (parsed.helpRequested) {
    std::cout << orvane::sim::usageText();
    return 0;
  }
  if (parsed.versionRequested) {
    std::cout << orvane::sim::versionText();
    return 0;
  }
  if (!parsed.settings) {
    std::cerr << "orvane-sim: " << parsed.error << "\nTry orvane-sim --help\n";
    return 2;
  }
  startFromComputerClock(parsed.settings->controller);
  orvane::sim::SimulatorServer server(*parsed.settings, std::cout, std::cerr);
  return server.run();
}

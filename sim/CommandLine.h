// CommandLine: the arguments of orvane-sim, read into the controller's options and the
// program's own settings.
// Thread: any (pure functions).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ControllerOptions.h"

namespace orvane::sim {

struct SimulatorSettings {
  ControllerOptions controller;
  std::string linkPath;  // empty: no link
  bool log = false;      // print every command and every reply
};

struct CommandLineResult {
  std::optional<SimulatorSettings> settings;  // absent after --help, --version or an error
  bool helpRequested = false;
  bool versionRequested = false;  // the simulator's own version, not the controller's
  std::string error;
};

// arguments: without the program's name. Options take their value as the next argument
// or after "=" ("--level 2", "--level=2"). "--version" with digits sets the simulated
// controller's version; alone (last, or followed by another option) it asks for the
// simulator's own version.
CommandLineResult parseCommandLine(const std::vector<std::string>& arguments);
std::string usageText();
// "orvane-sim " and the version of the package, ending in a newline.
std::string versionText();

}  // namespace orvane::sim

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
  std::optional<SimulatorSettings> settings;  // absent after --help or an error
  bool helpRequested = false;
  std::string error;
};

// arguments: without the program's name. Options take their value as the next argument
// or after "=" ("--level 2", "--level=2").
CommandLineResult parseCommandLine(const std::vector<std::string>& arguments);
std::string usageText();

}  // namespace orvane::sim

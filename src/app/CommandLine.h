// CommandLine: the arguments of orvane-control. They are read before the application
// object exists, so that --help and --version answer on a terminal without a display and a
// wrong option is reported before any window is attempted.
// Thread: any (pure functions).
#pragma once

#include <string>
#include <vector>

namespace orvane {

// Exit code of a command line that cannot be used (unknown option, missing value).
constexpr int kExitUsageError = 2;

struct CommandLine {
  enum class Action { Run, ShowHelp, ShowVersion, Refuse };
  Action action = Action::Run;
  // Run: when not empty, save a picture of the main window as PNG once start-up has
  // finished, print the file's path and end the program (for tooling and tests).
  std::string screenshotPath;
  // Run: start in night vision, whatever scheme was chosen last (--night).
  bool night = false;
  // Refuse: what is wrong, one line without the program's name.
  std::string error;
};

// arguments: without the program's name. "--screenshot FILE" and "--screenshot=FILE" are
// the same. --help and --version end the reading: what follows them is not looked at.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The text of --help, ending in a newline.
std::string UsageText();

// The text of --version, "orvane-control " and the program's version, ending in a newline.
std::string VersionText();

}  // namespace orvane

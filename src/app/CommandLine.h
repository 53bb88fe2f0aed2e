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
  // Run without a display (--headless): status lines and the trace go to standard error.
  bool headless = false;
  // --profile NAME: the profile to open instead of the remembered one ("NAME" or
  // "NAME.ocf"); empty: the remembered one.
  std::string profile;
  // --port: the port selector's entry to connect with instead of the profile's port
  // (0 "Auto-detect", 1-5 "COM1" to "COM5", 6 "Offline"); -1: the profile's.
  int portEntry = -1;
};

// arguments: without the program's name. "--screenshot FILE" and "--screenshot=FILE" are
// the same. --help and --version end the reading: what follows them is not looked at.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The port selector's entry of a port name ("Auto-detect", "COM1" ... "COM5", "Offline",
// any case); -1 for any other name.
int PortEntryOfName(const std::string& name);

// The text of --help, ending in a newline.
std::string UsageText();

// The text of --version, "orvane-control " and the program's version, ending in a newline.
std::string VersionText();

}  // namespace orvane

#include "app/CommandLine.h"

namespace orvane {
namespace {

constexpr const char* kScreenshotOption = "--screenshot";

CommandLine Refuse(std::string error) {
  CommandLine result;
  result.action = CommandLine::Action::Refuse;
  result.error = std::move(error);
  return result;
}

}  // namespace

std::string UsageText() {
  return "Usage: orvane-control [options]\n"
         "Controls an Orvane telescope mount controller over a serial line.\n"
         "\n"
         "Profiles and object lists: $XDG_DATA_HOME/OrvaneControl (~/.local/share/\n"
         "OrvaneControl), filled with the shipped files on first start. Settings and the\n"
         "serial devices of COM1 to COM5: $XDG_CONFIG_HOME/OrvaneControl/OrvaneControl.conf.\n"
         "\n"
         "  --night             start in night vision, whatever was chosen last\n"
         "  --screenshot FILE   save a picture of the main window as PNG once start-up\n"
         "                      has finished, print the file's path and exit\n"
         "  --help              show this text and exit\n"
         "  --version           show the program's version and exit\n";
}

std::string VersionText() {
  return std::string("orvane-control ") + ORVANE_VERSION + "\n";
}

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine result;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      result.action = CommandLine::Action::ShowHelp;
      return result;
    }
    if (argument == "--version") {
      result.action = CommandLine::Action::ShowVersion;
      return result;
    }
    if (argument == "--night") {
      result.night = true;
    } else if (argument == kScreenshotOption) {
      // A value that looks like an option is a forgotten file name, not a file.
      if (i + 1 >= arguments.size() || arguments[i + 1].empty() ||
          arguments[i + 1].front() == '-') {
        return Refuse("--screenshot needs the name of a PNG file");
      }
      result.screenshotPath = arguments[++i];
    } else if (argument.rfind("--screenshot=", 0) == 0) {
      result.screenshotPath = argument.substr(argument.find('=') + 1);
      if (result.screenshotPath.empty()) return Refuse("--screenshot needs the name of a PNG file");
    } else if (argument.rfind("--help=", 0) == 0 || argument.rfind("--version=", 0) == 0 ||
               argument.rfind("--night=", 0) == 0) {
      return Refuse(argument.substr(0, argument.find('=')) + " takes no value");
    } else if (!argument.empty() && argument.front() == '-') {
      return Refuse("unknown option " + argument);
    } else {
      return Refuse("unexpected argument \"" + argument + "\" (the program takes no files)");
    }
  }
  return result;
}

}  // namespace orvane

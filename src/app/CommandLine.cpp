#include "app/CommandLine.h"

#include <cctype>
#include <iterator>
#include <optional>

namespace orvane {
namespace {

constexpr const char* kScreenshotOption = "--screenshot";
constexpr const char* kPortNames[] = {"auto-detect", "com1", "com2", "com3",
                                      "com4",        "com5", "offline"};

CommandLine Refuse(std::string error) {
  CommandLine result;
  result.action = CommandLine::Action::Refuse;
  result.error = std::move(error);
  return result;
}

// An option's value: the next argument ("--port COM2") or the text after "=" ("--port=COM2").
// Nothing (and the reading refused) when it is missing or looks like an option.
std::optional<std::string> OptionValue(const std::vector<std::string>& arguments, std::size_t& i,
                                       const std::string& option) {
  const std::string& argument = arguments[i];
  if (argument.size() > option.size() && argument.compare(0, option.size() + 1, option + "=") == 0) {
    std::string value = argument.substr(option.size() + 1);
    if (value.empty()) return std::nullopt;
    return value;
  }
  if (i + 1 >= arguments.size() || arguments[i + 1].empty() || arguments[i + 1].front() == '-') {
    return std::nullopt;
  }
  return arguments[++i];
}

bool IsOption(const std::string& argument, const std::string& option) {
  return argument == option || argument.rfind(option + "=", 0) == 0;
}

}  // namespace

int PortEntryOfName(const std::string& name) {
  std::string lower;
  for (char ch : name) lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(ch))));
  for (int entry = 0; entry < static_cast<int>(std::size(kPortNames)); ++entry) {
    if (lower == kPortNames[entry]) return entry;
  }
  return -1;
}

std::string UsageText() {
  return "Usage: orvane-control [options]\n"
         "Controls an Orvane telescope mount controller over a serial line.\n"
         "\n"
         "Profiles and object lists: $XDG_DATA_HOME/OrvaneControl (~/.local/share/\n"
         "OrvaneControl), filled with the shipped files on first start. Settings and the\n"
         "serial devices of COM1 to COM5: $XDG_CONFIG_HOME/OrvaneControl/OrvaneControl.conf.\n"
         "\n"
         "  --night             start in night vision, whatever was chosen last\n"
         "  --headless          run without a display: no window, status lines and the\n"
         "                      trace on standard error; ends on SIGTERM or SIGINT\n"
         "  --profile NAME      open the profile NAME (.ocf) instead of the remembered one\n"
         "  --port PORT         connect on PORT (COM1 to COM5, Auto-detect or Offline)\n"
         "                      instead of the profile's port\n"
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
    } else if (argument == "--headless") {
      result.headless = true;
    } else if (IsOption(argument, "--profile")) {
      std::optional<std::string> name = OptionValue(arguments, i, "--profile");
      if (!name) return Refuse("--profile needs the name of a profile");
      result.profile = *name;
    } else if (IsOption(argument, "--port")) {
      std::optional<std::string> port = OptionValue(arguments, i, "--port");
      if (!port) return Refuse("--port needs a port: COM1 to COM5, Auto-detect or Offline");
      result.portEntry = PortEntryOfName(*port);
      if (result.portEntry < 0) {
        return Refuse("--port " + *port + " is no port: COM1 to COM5, Auto-detect or Offline");
      }
    } else if (argument.rfind("--help=", 0) == 0 || argument.rfind("--version=", 0) == 0 ||
               argument.rfind("--night=", 0) == 0) {
      return Refuse(argument.substr(0, argument.find('=')) + " takes no value");
    } else if (!argument.empty() && argument.front() == '-') {
      return Refuse("unknown option " + argument);
    } else {
      return Refuse("unexpected argument \"" + argument + "\" (the program takes no files)");
    }
  }
  if (result.headless && !result.screenshotPath.empty()) {
    return Refuse("--screenshot needs a display; it cannot go with --headless");
  }
  return result;
}

}  // namespace orvane

#include "CommandLine.h"

#include <charconv>

namespace orvane::sim {
namespace {

constexpr long long kMaxMilliseconds = 7LL * 24 * 3600 * 1000;

std::optional<long long> wholeNumber(const std::string& text, long long low, long long high) {
  long long value = 0;
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end || value < low || value > high) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::string usageText() {
  return "Usage: orvane-sim [options]\n"
         "Simulates an Orvane mount controller on a pseudo-terminal until SIGINT or SIGTERM.\n"
         "SIGUSR1 completes the initial alignment as the hand controller would;\n"
         "SIGUSR2 switches status bit 4 of setting 99;\n"
         "SIGHUP power-cycles the controller: it waits for a start mode.\n"
         "\n"
         "  --link PATH           make PATH a symbolic link to the terminal device\n"
         "  --level N             level digit of the version reply (default 3)\n"
         "  --version NN          two version digits (default 24: \":GV#\" answers 324#)\n"
         "  --low-precision       start in low precision\n"
         "  --boot-mode           start waiting for a start mode (byte 6 answers b#)\n"
         "  --unaligned           start without the initial alignment\n"
         "  --silent              never answer\n"
         "  --echo                send back every byte received, nothing else\n"
         "  --garbage             answer with random bytes\n"
         "  --split N             send every reply in N pieces, 20 ms apart\n"
         "  --late MS             delay every reply by MS milliseconds\n"
         "  --unplug-after MS     drop the line after MS milliseconds\n"
         "  --replug-after MS     bring the dropped line back MS milliseconds later, on a new\n"
         "                        terminal device that the link then points to\n"
         "  --announce-every MS   announce \"Updating Planetary Data\" every MS milliseconds\n"
         "  --no-pacing           send replies at once instead of at 9600 baud\n"
         "  --log                 print every command received and every reply\n"
         "  --strict              report every command that arrives while a reply to an\n"
         "                        earlier one is still owed (stop commands excepted)\n"
         "  --help                show this text\n"
         "  --version             without digits: show the simulator's own version\n";
}

std::string versionText() {
  return std::string("orvane-sim ") + ORVANE_VERSION + "\n";
}

CommandLineResult parseCommandLine(const std::vector<std::string>& arguments) {
  CommandLineResult result;
  SimulatorSettings settings;
  ControllerOptions& options = settings.controller;

  for (std::size_t i = 0; i < arguments.size(); ++i) {
    std::string name = arguments[i];
    std::optional<std::string> inlineValue;
    if (std::size_t equals = name.find('=');
        name.rfind("--", 0) == 0 && equals != std::string::npos) {
      inlineValue = name.substr(equals + 1);
      name = name.substr(0, equals);
    }
    auto fail = [&](const std::string& message) {
      result.error = message;
      return result;
    };
    // The value of an option that takes one.
    auto value = [&]() -> std::optional<std::string> {
      if (inlineValue) return inlineValue;
      if (i + 1 < arguments.size()) return arguments[++i];
      return std::nullopt;
    };
    auto milliseconds = [&]() -> std::optional<long long> {
      auto text = value();
      return text ? wholeNumber(*text, 0, kMaxMilliseconds) : std::nullopt;
    };
    bool takesValue = name == "--link" || name == "--level" || name == "--version" ||
                      name == "--split" || name == "--late" || name == "--unplug-after" ||
                      name == "--replug-after" || name == "--announce-every";
    if (inlineValue && !takesValue) return fail(name + " takes no value");

    // The program's own version: "--version" without a value of its own.
    const bool versionWithoutDigits =
        name == "--version" && !inlineValue &&
        (i + 1 == arguments.size() || arguments[i + 1].rfind("-", 0) == 0);

    if (name == "--help" || name == "-h") {
      result.helpRequested = true;
      return result;
    } else if (versionWithoutDigits) {
      result.versionRequested = true;
      return result;
    } else if (name == "--link") {
      auto path = value();
      if (!path || path->empty()) return fail("--link needs a path");
      settings.linkPath = *path;
    } else if (name == "--level") {
      auto text = value();
      auto level = text ? wholeNumber(*text, 0, 9) : std::nullopt;
      if (!level) return fail("--level needs one digit");
      options.level = static_cast<int>(*level);
    } else if (name == "--version") {
      auto text = value();
      if (!text || text->size() != 2 || !wholeNumber(*text, 0, 99)) {
        return fail("--version needs two digits");
      }
      options.version = *text;
    } else if (name == "--split") {
      auto text = value();
      auto pieces = text ? wholeNumber(*text, 1, 100) : std::nullopt;
      if (!pieces) return fail("--split needs a number of pieces from 1 to 100");
      options.splitPieces = static_cast<int>(*pieces);
    } else if (name == "--late") {
      auto ms = milliseconds();
      if (!ms) return fail("--late needs milliseconds");
      options.lateReplyMs = static_cast<double>(*ms);
    } else if (name == "--unplug-after") {
      auto ms = milliseconds();
      if (!ms) return fail("--unplug-after needs milliseconds");
      options.unplugAtMs = static_cast<double>(*ms);
    } else if (name == "--replug-after") {
      auto ms = milliseconds();
      if (!ms) return fail("--replug-after needs milliseconds");
      options.replugAfterMs = static_cast<double>(*ms);
    } else if (name == "--announce-every") {
      auto ms = milliseconds();
      if (!ms || *ms == 0) return fail("--announce-every needs milliseconds above 0");
      options.announceEveryMs = static_cast<double>(*ms);
    } else if (name == "--low-precision") {
      options.highPrecision = false;
    } else if (name == "--boot-mode") {
      options.startInBootMode = true;
    } else if (name == "--unaligned") {
      options.aligned = false;
    } else if (name == "--silent") {
      options.silent = true;
    } else if (name == "--echo") {
      options.echo = true;
    } else if (name == "--garbage") {
      options.garbage = true;
    } else if (name == "--no-pacing") {
      options.paceAtLineRate = false;
    } else if (name == "--log") {
      settings.log = true;
    } else if (name == "--strict") {
      options.strict = true;
    } else {
      return fail("unknown option " + name);
    }
  }
  if (options.replugAfterMs >= 0 && options.unplugAtMs < 0) {
    result.error = "--replug-after needs --unplug-after";
    return result;
  }
  result.settings = std::move(settings);
  return result;
}

}  // namespace orvane::sim

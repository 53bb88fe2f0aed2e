#include "app/HeadlessProgram.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <memory>
#include <cstdio>

#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/HeadlessConsole.h"
#include "app/MainForm.h"
#include "dialogue/AlignmentForm.h"
#include "dialogue/RestartForm.h"
#include "link/DeviceMap.h"
#include "link/PosixSerialDeviceFactory.h"
#include "link/ProgramPhase.h"
#include "persistence/ProfilePage.h"
#include "persistence/SettingsStore.h"
#include "share/ShareServer.h"
#include "share/ShareSettings.h"
#include "ui/DescriptorWatch.h"
#include "ui/Latin1.h"
#include "ui/Timer.h"

namespace orvane {

namespace {

// Written by the signal handler, read on the user-interface thread through a socket watch.
int signalPair[2] = {-1, -1};
volatile std::sig_atomic_t caughtSignal = 0;

void onEndingSignal(int number) {
  caughtSignal = number;
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = ::write(signalPair[0], &byte, 1);
}

const char* SignalName(int number) {
  switch (number) {
    case SIGTERM:
      return "SIGTERM";
    case SIGINT:
      return "SIGINT";
    case SIGHUP:
      return "SIGHUP";
    default:
      return "a signal";
  }
}

std::string WithoutBlanks(std::string_view text) {
  std::string result;
  for (char ch : text) {
    if (ch != ' ' && ch != '\t') result.push_back(static_cast<char>(ui::Latin1Lower(ch)));
  }
  return result;
}

// Answers the dialogs no one sees.
int AnswerDialog(ui::Form& form, Windows& windows, const SettingsStore& settings,
                 HeadlessConsole& console) {
  if (&form == windows.restart) {
    const std::optional<std::string> value = settings.read(kHeadlessStartModeKey);
    std::optional<StartMode> mode = value ? StartModeOfSetting(*value) : std::nullopt;
    if (value && !mode) {
      console.Log(std::string(kHeadlessStartModeKey) + "=" + *value +
                  " names no start mode (Cold Start, Warm Start, Warm Restart or Quit)");
    }
    const StartMode chosen = mode.value_or(StartMode::WarmStart);
    console.Log("The controller was restarted and waits for its start mode: \"" +
                StartModeCaption(chosen) + "\" (" + std::string(kHeadlessStartModeKey) + ")");
    TRestartForm& restart = *windows.restart;
    switch (chosen) {
      case StartMode::ColdStart:
        restart.ColdClick();
        break;
      case StartMode::WarmStart:
        restart.WarmClick();
        break;
      case StartMode::WarmRestart:
        restart.RestartClick();
        break;
      case StartMode::Quit:
        restart.QuitClick();
        break;
    }
    return form.modalResult();
  }
  if (&form == windows.alignment) {
    console.Log(
        "The controller has not been aligned: the program goes on without the initial "
        "alignment (align the mount with the hand controller)");
    windows.alignment->ProceedClick();
    return ui::modal::kOk;
  }
  console.Log("Dialog \"" + form.text() + "\" closed: there is no display to show it");
  return ui::modal::kCancel;
}

// Sharing that is switched on but could not start (its port held for a while by another
// program, the network address not there yet at boot): with no one to turn the switch off
// and on, the program tries again, after 15 s and then at twice the wait each time, up to
// 15 minutes. Nothing when sharing runs or is off.
constexpr int kFirstShareWaitMs = 15 * 1000;
constexpr int kLongestShareWaitMs = 15 * 60 * 1000;

std::unique_ptr<ui::Timer> RetrySharing(Application& application, SettingsStore& settings,
                                        HeadlessConsole& console) {
  ShareServer* share = application.share();
  if (share == nullptr || share->running() || !ReadShareSettings(settings).enabled) return nullptr;
  console.Log("Sharing is on but could not start: trying again in 15 s");
  auto timer = std::make_unique<ui::Timer>(console, kFirstShareWaitMs);
  timer->onTimer = [&application, &settings, &console](ui::Timer& self) {
    ShareServer* server = application.share();
    if (server == nullptr || server->running() || !ReadShareSettings(settings).enabled) {
      self.stop();
    } else if (server->Start()) {
      console.Log("Sharing started on a new try");
      self.stop();
    } else {
      self.setInterval(std::min(self.interval() * 2, kLongestShareWaitMs));
    }
  };
  return timer;
}

// A controller that did not answer when the program started (the mount switched on after
// the computer, an adapter plugged in later): with no one to choose the port again, the
// program looks for it again, after 5 s and then at twice the wait each time, up to a
// minute, for as long as it is not connected. A lost link is healed by the connection
// itself; "Offline" is left alone.
constexpr int kFirstConnectWaitMs = 5 * 1000;
constexpr int kLongestConnectWaitMs = 60 * 1000;

std::unique_ptr<ui::Timer> RetryConnecting(TMainForm& main, HeadlessConsole& console) {
  auto timer = std::make_unique<ui::Timer>(console, kFirstConnectWaitMs);
  timer->onTimer = [&main, &console](ui::Timer& self) {
    if (main.shuttingDown()) {
      self.stop();
      return;
    }
    const ControllerState& controller = main.controllerState();
    const bool startedUp = main.StartupTimer.tag() == startup_phase::kStarted &&
                           !main.StartupTimer.enabled();
    if (!startedUp || controller.ConnectedPort != -1 || controller.CommandBusy ||
        main.connection.Reconnecting()) {
      self.setInterval(kFirstConnectWaitMs);
      return;
    }
    console.Log("No controller: looking for it again");
    main.connection.SerialPortSelect(&main.StartupTimer);
    if (main.shuttingDown()) return;
    if (main.controllerState().ConnectedPort > 0) {
      console.Log("Controller found on a new try");
      self.setInterval(kFirstConnectWaitMs);
    } else {
      self.setInterval(std::min(self.interval() * 2, kLongestConnectWaitMs));
    }
  };
  return timer;
}

}  // namespace

std::string ProfileOfCommandLine(const std::string& name, const std::filesystem::path& folder) {
  std::string file = name;
  const bool hasEnding = file.size() >= kProfileEnding.size() &&
                         ui::EqualIgnoringCase(file.substr(file.size() - kProfileEnding.size()),
                                               kProfileEnding);
  if (!hasEnding) file += kProfileEnding;
  std::error_code error;
  const std::filesystem::path path = std::filesystem::path(file).is_absolute()
                                         ? std::filesystem::path(file)
                                         : folder / file;
  return std::filesystem::is_regular_file(path, error) ? file : std::string();
}

std::optional<StartMode> StartModeOfSetting(std::string_view value) {
  const std::string word = WithoutBlanks(value);
  if (word == "coldstart" || word == "cold") return StartMode::ColdStart;
  if (word == "warmstart" || word == "warm") return StartMode::WarmStart;
  if (word == "warmrestart" || word == "restart") return StartMode::WarmRestart;
  if (word == "quit") return StartMode::Quit;
  return std::nullopt;
}

std::string StartModeCaption(StartMode mode) {
  switch (mode) {
    case StartMode::ColdStart:
      return "Cold Start";
    case StartMode::WarmStart:
      return "Warm Start";
    case StartMode::WarmRestart:
      return "Warm Restart";
    case StartMode::Quit:
      return "Quit";
  }
  return {};
}

int RunHeadless(const CommandLine& commandLine, const std::filesystem::path& programFolder) {
  std::string profile;
  if (!commandLine.profile.empty()) {
    profile = ProfileOfCommandLine(commandLine.profile, programFolder);
    if (profile.empty()) {
      std::fprintf(stderr, "orvane-control: no profile \"%s\" in %s\n",
                   commandLine.profile.c_str(), programFolder.c_str());
      return kExitUsageError;
    }
  }
  // Standard error may be a pipe that its reader closes; the program goes on without it.
  std::signal(SIGPIPE, SIG_IGN);

  HeadlessConsole console(stderr);
  SettingsStore settings(SettingsStore::DefaultLocation());
  PosixSerialDeviceFactory devices(console, DeviceMap(settings));
  console.Log(std::string("orvane-control ") + ORVANE_VERSION +
              " runs without a display (process " + std::to_string(::getpid()) + ")");
  console.Log("Profiles and object lists: " + programFolder.string());
  console.Log("Settings: " + settings.file().string());

  std::unique_ptr<ui::DescriptorWatch> signalWatch;
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPair) == 0) {
    signalWatch = std::make_unique<ui::DescriptorWatch>(console, signalPair[1]);
    signalWatch->onReadable = [&console](ui::DescriptorWatch& watch) {
      char byte = 0;
      [[maybe_unused]] const ssize_t got = ::read(watch.descriptor(), &byte, 1);
      watch.setWatchReading(false);
      // A second signal ends the process at once.
      std::signal(SIGTERM, SIG_DFL);
      std::signal(SIGINT, SIG_DFL);
      std::signal(SIGHUP, SIG_DFL);
      console.Log(std::string("Ending on ") + SignalName(caughtSignal));
      console.terminate();
    };
    struct sigaction action {};
    action.sa_handler = onEndingSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : {SIGTERM, SIGINT, SIGHUP}) sigaction(number, &action, nullptr);
  }

  {
    Application application(console, settings, devices, programFolder);
    Windows& windows = application.windows();
    console.modalHandler = [&](ui::Form& form) {
      return AnswerDialog(form, windows, settings, console);
    };
    application.CreateWindows();
    TMainForm& main = *windows.main;
    main.startChoices.profile = profile;
    main.startChoices.portEntry = commandLine.portEntry;
    console.StartShowing();
    // Sharing started with the windows, before status lines were written.
    console.Log(main.ShareStatus->text());
    std::unique_ptr<ui::Timer> shareRetry = RetrySharing(application, settings, console);
    std::unique_ptr<ui::Timer> connectRetry = RetryConnecting(main, console);
    application.Run();
    console.modalHandler = nullptr;
  }
  signalWatch.reset();
  for (int& end : signalPair) {
    if (end >= 0) ::close(end);
    end = -1;
  }
  console.Log("Ended");
  return 0;
}

}  // namespace orvane

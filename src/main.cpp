// Process entry of the real program: Qt application, Qt backend, the program's folder and
// settings store, the ten windows, the message loop, and an orderly shutdown also on
// SIGINT and SIGTERM.
//
// The command line is read before the Qt application exists, so that --help, --version and
// a wrong option are answered without a display. One option exists for tooling only:
// --screenshot FILE waits until start-up has finished, saves a picture of the main window as
// PNG, prints its path and ends the program. With --headless no Qt application is made at
// all: the program runs on the headless backend (see app/HeadlessProgram.h).
#include <QApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/HeadlessProgram.h"
#include "app/MainForm.h"
#include "persistence/ProfileFolder.h"
#include "link/DeviceMap.h"
#include "link/PosixSerialDeviceFactory.h"
#include "persistence/SettingsStore.h"
#include "ui/qt/QtApplication.h"
#include "ui/qt/QtBackend.h"

namespace {

int signalPipe[2] = {-1, -1};

void onTerminationSignal(int) {
  char byte = 1;
  ssize_t written = ::write(signalPipe[0], &byte, 1);
  (void)written;
}

void installTerminationHandlers(orvane::ui::Backend& backend, QObject* owner) {
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return;
  auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, owner);
  QObject::connect(notifier, &QSocketNotifier::activated, owner, [&backend, notifier] {
    char byte = 0;
    ssize_t got = ::read(signalPipe[1], &byte, 1);
    (void)got;
    notifier->setEnabled(false);
    backend.terminate();
  });
  struct sigaction action {};
  action.sa_handler = onTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

// Saves the main window's area of the screen once start-up has played its animations and
// the status lines have stopped blinking.
void scheduleScreenshot(orvane::Application& app, const QString& path) {
  auto* poll = new QTimer(qApp);
  QObject::connect(poll, &QTimer::timeout, qApp, [&app, path, poll] {
    orvane::TMainForm* main = app.windows().main;
    if (main == nullptr || main->StartupTimer.tag() != orvane::startup_phase::kStarted ||
        !main->StaticControlsPanel->visible()) {
      return;
    }
    poll->stop();
    QTimer::singleShot(1500, qApp, [&app, path] {
      orvane::TMainForm* main = app.windows().main;
      QScreen* screen = QGuiApplication::primaryScreen();
      QPixmap shot = screen->grabWindow(0, main->left(), main->top(), main->width(), main->height());
      if (shot.save(path, "PNG")) {
        std::printf("%s\n", path.toLocal8Bit().constData());
      } else {
        std::fprintf(stderr, "could not save %s\n", path.toLocal8Bit().constData());
      }
      std::fflush(stdout);
      main->ExitClick();
    });
  });
  poll->start(100);
}

// The folder of the running executable, without asking Qt (none runs without a display).
std::filesystem::path ExecutableFolder() {
  std::error_code error;
  const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::current_path(error) : executable.parent_path();
}

}  // namespace

int main(int argc, char* argv[]) {
  const orvane::CommandLine commandLine =
      orvane::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  switch (commandLine.action) {
    case orvane::CommandLine::Action::ShowHelp:
      std::fputs(orvane::UsageText().c_str(), stdout);
      return 0;
    case orvane::CommandLine::Action::ShowVersion:
      std::fputs(orvane::VersionText().c_str(), stdout);
      return 0;
    case orvane::CommandLine::Action::Refuse:
      std::fprintf(stderr, "orvane-control: %s\nTry 'orvane-control --help' for the options.\n",
                   commandLine.error.c_str());
      return orvane::kExitUsageError;
    case orvane::CommandLine::Action::Run:
      break;
  }
  if (commandLine.headless) {
    const std::filesystem::path executableDir = ExecutableFolder();
    return orvane::RunHeadless(commandLine,
                               orvane::ResolveProgramFolder(
                                   executableDir, {executableDir / ORVANE_SHIPPED_DATA_FROM_BINARY}));
  }

  // Qt is shown the program's name only: every argument has been read above, and Qt's own
  // options (-platform, -style, ...) are set through its environment variables instead.
  int qtArgumentCount = 1;
  orvane::ui::QtApplication qtApplication(qtArgumentCount, argv);
  orvane::ui::QtApplication::setApplicationDisplayName("Orvane Control");
  // Lets the desktop match the windows to the menu entry and its icon.
  orvane::ui::QtApplication::setDesktopFileName("org.orvane.OrvaneControl");
  const QString screenshotPath = QString::fromLocal8Bit(commandLine.screenshotPath);

  // An installed program finds the shipped profiles and object lists in the data folder
  // beside its own (bin/../share/orvane-control) and copies them to the user's data folder
  // on first start.
  const std::filesystem::path executableDir =
      QCoreApplication::applicationDirPath().toLocal8Bit().toStdString();
  const std::filesystem::path programFolder = orvane::ResolveProgramFolder(
      executableDir, {executableDir / ORVANE_SHIPPED_DATA_FROM_BINARY});

  // --profile: the profile to open instead of the remembered one.
  std::string startProfile;
  if (!commandLine.profile.empty()) {
    startProfile = orvane::ProfileOfCommandLine(commandLine.profile, programFolder);
    if (startProfile.empty()) {
      std::fprintf(stderr, "orvane-control: no profile \"%s\" in %s\n", commandLine.profile.c_str(),
                   programFolder.c_str());
      return orvane::kExitUsageError;
    }
  }

  orvane::ui::QtBackend backend(qtApplication);
  orvane::SettingsStore settings(orvane::SettingsStore::DefaultLocation());
  orvane::PosixSerialDeviceFactory devices(backend, orvane::DeviceMap(settings));
  orvane::Application application(backend, settings, devices, programFolder);
  installTerminationHandlers(backend, &qtApplication);
  if (commandLine.night) application.StartInNightVision();
  application.CreateWindows();
  application.windows().main->startChoices.profile = startProfile;
  application.windows().main->startChoices.portEntry = commandLine.portEntry;
  if (!screenshotPath.isEmpty()) scheduleScreenshot(application, screenshotPath);
  application.Run();
  return 0;
}

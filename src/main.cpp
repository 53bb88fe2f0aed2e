// Process entry of the real program: Qt application, Qt backend, the program's folder and
// settings store, the ten windows, the message loop, and an orderly shutdown also on
// SIGINT and SIGTERM.
//
// One option exists for tooling only: --screenshot FILE waits until start-up has finished,
// saves a picture of the main window as PNG, prints its path and ends the program.
#include <QApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

#include "app/Application.h"
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

}  // namespace

int main(int argc, char* argv[]) {
  orvane::ui::QtApplication qtApplication(argc, argv);
  orvane::ui::QtApplication::setApplicationDisplayName("Orvane Control");
  QString screenshotPath;
  const QStringList arguments = QCoreApplication::arguments();
  int at = arguments.indexOf("--screenshot");
  if (at >= 0 && at + 1 < arguments.size()) screenshotPath = arguments.at(at + 1);

  const std::filesystem::path executableDir =
      QCoreApplication::applicationDirPath().toLocal8Bit().toStdString();
  const std::filesystem::path programFolder = orvane::ResolveProgramFolder(
      executableDir, {executableDir / ".." / "share" / "orvane-control", ORVANE_SOURCE_PROFILES});

  orvane::ui::QtBackend backend(qtApplication);
  orvane::SettingsStore settings(orvane::SettingsStore::DefaultLocation());
  orvane::PosixSerialDeviceFactory devices(backend, orvane::DeviceMap(settings));
  orvane::Application application(backend, settings, devices, programFolder);
  installTerminationHandlers(backend, &qtApplication);
  application.CreateWindows();
  if (!screenshotPath.isEmpty()) scheduleScreenshot(application, screenshotPath);
  application.Run();
  return 0;
}

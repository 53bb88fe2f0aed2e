// A direct ":GR#" round trip through the real serial component and cache manager against
// the orvane-sim program on a pseudo-terminal at 9600 baud, compared with its floor: the
// fixed 40 ms pause after a write plus 1.04 ms per byte sent and received.
#include <QApplication>
#include <cstdio>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include "BenchSupport.h"
#include "app/Application.h"
#include "app/MainForm.h"
#include "link/Cache.h"
#include "link/DeviceMap.h"
#include "link/PosixSerialDeviceFactory.h"
#include "persistence/SettingsStore.h"
#include "ui/qt/QtBackend.h"

int main(int argc, char* argv[]) {
  using namespace orvane;
  const std::filesystem::path folder = bench::ScratchFolder("roundtrip");
  std::filesystem::copy_file(std::filesystem::path(ORVANE_SOURCE_PROFILES) / "Marovell Standard.ocf",
                             folder / "Marovell Standard.ocf");
  const std::filesystem::path link = folder / "com1";
  const pid_t simulator = fork();
  if (simulator == 0) {
    execl(ORVANE_SIM_PROGRAM, ORVANE_SIM_PROGRAM, "--link", link.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  for (int i = 0; i < 200 && !std::filesystem::exists(link); ++i) usleep(10000);

  QApplication qt(argc, argv);
  ui::QtBackend backend(qt);
  SettingsStore settings(folder / "settings.conf");
  settings.write("COM1", link.string());
  PosixSerialDeviceFactory devices(backend, DeviceMap(settings));
  {
    Application app(backend, settings, devices, folder);
    app.CreateWindows();
    TMainForm& main = *app.windows().main;
    for (int i = 0; i < 100000 && main.ConnectedPort <= 0; ++i) {
      QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    if (main.ConnectedPort <= 0) {
      std::printf("no connection to the simulator\n");
    } else {
      main.UpdateTimer.stop();
      TCache& cache = *app.windows().cache;
      size_t replyLength = 0;
      const bench::Figures figures = bench::Measure(41, [&] {
        auto start = std::chrono::steady_clock::now();
        replyLength = cache.SendCommand(":GR#", true).size();
        return bench::ElapsedMs(start);
      });
      const double floor = 40 + 1.0417 * static_cast<double>(4 + replyLength);
      std::printf(":GR# round trip (reply %zu bytes): median %.2f ms (min %.2f, max %.2f)\n",
                  replyLength, figures.medianMs, figures.minMs, figures.maxMs);
      std::printf("floor 40 ms + 1.04 ms x %zu bytes = %.2f ms; median - floor = %+.2f ms "
                  "(goal: at most +3 ms)\n",
                  4 + replyLength, floor, figures.medianMs - floor);
    }
    app.Shutdown();
  }
  kill(simulator, SIGTERM);
  waitpid(simulator, nullptr, 0);
  std::filesystem::remove_all(folder);
  return 0;
}

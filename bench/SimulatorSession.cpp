#include "SimulatorSession.h"

#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <csignal>
#include <cstdio>

#include "BenchSupport.h"
#include "app/Application.h"
#include "app/MainForm.h"
#include "link/DeviceMap.h"
#include "link/PosixSerialDeviceFactory.h"
#include "persistence/SettingsStore.h"
#include "ui/qt/QtBackend.h"

namespace orvane::bench {

bool WithConnectedProgram(const std::string& name, int argc, char* argv[],
                          const std::function<void(Application&)>& measure) {
  const std::filesystem::path folder = ScratchFolder(name);
  std::filesystem::copy_file(
      std::filesystem::path(ORVANE_SOURCE_PROFILES) / "Marovell Standard.ocf",
      folder / "Marovell Standard.ocf");
  const std::filesystem::path link = folder / "com1";
  const pid_t simulator = fork();
  if (simulator == 0) {
    execl(ORVANE_SIM_PROGRAM, ORVANE_SIM_PROGRAM, "--link", link.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  for (int i = 0; i < 200 && !std::filesystem::exists(link); ++i) usleep(10000);

  bool connected = false;
  {
    QApplication qt(argc, argv);
    ui::QtBackend backend(qt);
    SettingsStore settings(folder / "settings.conf");
    settings.write("COM1", link.string());
    PosixSerialDeviceFactory devices(backend, DeviceMap(settings));
    Application app(backend, settings, devices, folder);
    app.CreateWindows();
    TMainForm& main = *app.windows().main;
    for (int i = 0; i < 100000 && main.ConnectedPort <= 0; ++i) {
      QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    connected = main.ConnectedPort > 0;
    if (connected) {
      main.UpdateTimer.stop();
      measure(app);
    } else {
      std::printf("no connection to the simulator\n");
    }
    app.Shutdown();
  }
  kill(simulator, SIGTERM);
  waitpid(simulator, nullptr, 0);
  std::filesystem::remove_all(folder);
  return connected;
}

}  // namespace orvane::bench

#include "SimulatorSession.h"

#include <fcntl.h>
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
  return WithConnectedProgram(
      name, argc, argv, {}, [&](Application& app, const std::filesystem::path&) { measure(app); });
}

bool WithConnectedProgram(
    const std::string& name, int argc, char* argv[],
    const std::vector<std::string>& simulatorOptions,
    const std::function<void(Application&, const std::filesystem::path& simulatorLog)>& measure) {
  const std::filesystem::path folder = ScratchFolder(name);
  std::filesystem::copy_file(
      std::filesystem::path(ORVANE_SOURCE_PROFILES) / "Marovell Standard.ocf",
      folder / "Marovell Standard.ocf");
  const std::filesystem::path link = folder / "com1";
  const std::filesystem::path log = folder / "simulator.log";
  const pid_t simulator = fork();
  if (simulator == 0) {
    const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out >= 0) {
      dup2(out, 1);
      dup2(out, 2);
    }
    std::vector<std::string> words{ORVANE_SIM_PROGRAM, "--link", link.string()};
    words.insert(words.end(), simulatorOptions.begin(), simulatorOptions.end());
    std::vector<char*> arguments;
    for (std::string& word : words) arguments.push_back(word.data());
    arguments.push_back(nullptr);
    execv(ORVANE_SIM_PROGRAM, arguments.data());
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
      measure(app, log);
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

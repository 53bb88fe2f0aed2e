// Start-up of the real program (Qt backend) to the first shown frame, with the fixed
// sleeps of the reveal animation taken out: what remains is the program's own work
// (windows, profile, sheets, colours, layout and the first paint).
#include <QApplication>
#include <cstdio>

#include "BenchSupport.h"
#include "app/Application.h"
#include "app/MainForm.h"
#include "link/SimulatedSerialDeviceFactory.h"
#include "persistence/SettingsStore.h"
#include "ui/DescriptorWatch.h"
#include "ui/qt/QtBackend.h"

namespace {

// Forwards everything to the Qt backend but skips the animations' pauses.
class NoSleepBackend : public orvane::ui::Backend {
 public:
  explicit NoSleepBackend(orvane::ui::Backend& inner) : inner_(inner) {}
  std::unique_ptr<orvane::ui::WidgetPeer> createPeer(orvane::ui::Widget& w) override {
    return inner_.createPeer(w);
  }
  std::unique_ptr<orvane::ui::TimerPeer> createTimerPeer(orvane::ui::Timer& t) override {
    return inner_.createTimerPeer(t);
  }
  std::unique_ptr<orvane::ui::TrayIconPeer> createTrayIconPeer(orvane::ui::TrayIcon& t) override {
    return inner_.createTrayIconPeer(t);
  }
  std::unique_ptr<orvane::ui::DescriptorWatchPeer> createDescriptorWatchPeer(
      orvane::ui::DescriptorWatch& w) override {
    return inner_.createDescriptorWatchPeer(w);
  }
  void processMessages() override { inner_.processMessages(); }
  void waitForMessages(int maxMs) override { inner_.waitForMessages(maxMs); }
  void sleep(int milliseconds) override { skippedMs += milliseconds; }
  void run() override { inner_.run(); }
  void terminate() override { inner_.terminate(); }
  bool terminated() const override { return inner_.terminated(); }
  orvane::ui::DateTime localNow() override { return inner_.localNow(); }
  orvane::ui::DateTime utcNow() override { return inner_.utcNow(); }
  long long ticksMs() override { return inner_.ticksMs(); }
  orvane::ui::Size screenSize() override { return inner_.screenSize(); }
  bool setScreenDimensions(int w, int h) override { return inner_.setScreenDimensions(w, h); }
  void restoreDisplayMode() override { inner_.restoreDisplayMode(); }
  orvane::ui::SystemPalette systemColors() override { return inner_.systemColors(); }
  void setSystemColors(const orvane::ui::SystemPalette& c) override { inner_.setSystemColors(c); }
  void setHintColors(orvane::ui::Color background, orvane::ui::Color text) override {
    inner_.setHintColors(background, text);
  }
  void tone(int f, int d) override { inner_.tone(f, d); }
  int messageBox(const std::string& t, const std::string& c,
                 orvane::ui::MessageButtons b) override {
    return inner_.messageBox(t, c, b);
  }
  int showModal(orvane::ui::Form& f) override { return inner_.showModal(f); }
  void popupMenu(orvane::ui::PopupMenu& m) override { inner_.popupMenu(m); }
  bool trayAvailable() override { return inner_.trayAvailable(); }
  void runOnGuiThread(std::function<void()> call) override {
    inner_.runOnGuiThread(std::move(call));
  }
  long long skippedMs = 0;

 private:
  orvane::ui::Backend& inner_;
};

}  // namespace

int main(int argc, char* argv[]) {
  using namespace orvane;
  const std::filesystem::path folder = bench::ScratchFolder("startup");
  std::filesystem::copy_file(
      std::filesystem::path(ORVANE_SOURCE_PROFILES) / "Marovell Standard.ocf",
      folder / "Marovell Standard.ocf");
  auto appStart = std::chrono::steady_clock::now();
  QApplication qt(argc, argv);
  const double toolkitMs = bench::ElapsedMs(appStart);
  ui::QtBackend qtBackend(qt);

  const bench::Figures figures = bench::Measure(9, [&] {
    NoSleepBackend backend(qtBackend);
    SettingsStore settings(folder / "settings.conf");
    SimulatedSerialDeviceFactory devices(backend);
    auto start = std::chrono::steady_clock::now();
    Application app(backend, settings, devices, folder);
    app.CreateWindows();
    TMainForm& main = *app.windows().main;
    while (!(main.StartupTimer.tag() == startup_phase::kStarted &&
             main.StaticControlsPanel->visible())) {
      QApplication::processEvents(QEventLoop::AllEvents);
    }
    main.repaint();
    QApplication::processEvents(QEventLoop::AllEvents);
    const double ms = bench::ElapsedMs(start);
    app.Shutdown();
    return ms;
  });
  std::printf("QApplication construction (toolkit): %.1f ms\n", toolkitMs);
  std::printf(
      "start-up to the first shown frame without the animations' sleeps: median %.1f ms "
      "(min %.1f, max %.1f)\n",
      figures.medianMs, figures.minMs, figures.maxMs);
  std::printf("goal: under 150 ms\n");
  std::filesystem::remove_all(folder);
  return 0;
}

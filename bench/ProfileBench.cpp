// Reading and building a 5,000-line profile with every control kind on the headless
// backend: the time of one load (removing the previous sheets included); then saving it:
// the time of one "Save" (settings into the line list, the file written, flushed to disk
// and renamed into place, the profile list refreshed).
#include <cstdio>
#include <fstream>

#include "BenchSupport.h"
#include "app/Application.h"
#include "app/MainForm.h"
#include "link/SimulatedSerialDeviceFactory.h"
#include "persistence/SettingsStore.h"
#include "ui/headless/HeadlessBackend.h"

int main() {
  using namespace orvane;
  const std::filesystem::path folder = bench::ScratchFolder("profile");
  const std::string profile = bench::GenerateProfile(5000);
  {
    std::ofstream out(folder / "Bench.ocf", std::ios::binary);
    out << profile;
  }
  int lineCount = 0;
  for (char ch : profile) lineCount += ch == '\n' ? 1 : 0;

  ui::HeadlessBackend backend;
  SettingsStore settings(folder / "settings.conf");
  settings.write("LastProfile", "Bench.ocf");
  SimulatedSerialDeviceFactory devices(backend);
  Application app(backend, settings, devices, folder);
  app.CreateWindows();
  backend.runUntil(
      [&] { return app.windows().main->StartupTimer.tag() == startup_phase::kStarted; }, 600000);
  TMainForm& main = *app.windows().main;
  std::printf("profile: %d lines, %zu sheets, %zu events, status \"%s\"\n", lineCount,
              main.sheets.sheets().size(), main.sheets.events().size(),
              main.CurrentProfileStatus->text().c_str());

  const bench::Figures figures = bench::Measure(15, [&] {
    auto start = std::chrono::steady_clock::now();
    main.sheets.RemoveAllComponents();
    main.reader.ReadIniFile("Bench.ocf");
    return bench::ElapsedMs(start);
  });
  std::printf("load of the 5,000-line profile (headless): median %.2f ms (min %.2f, max %.2f)\n",
              figures.medianMs, figures.minMs, figures.maxMs);
  std::printf("goal: under 50 ms\n");

  main.ProfileFiles->setText("Bench.ocf");
  const bench::Figures saving = bench::Measure(15, [&] {
    auto start = std::chrono::steady_clock::now();
    main.profilePage.SaveProfileClick();
    return bench::ElapsedMs(start);
  });
  std::printf("save of the %zu-line profile (headless): median %.2f ms (min %.2f, max %.2f), "
              "status \"%s\"\n",
              main.Profile.size(), saving.medianMs, saving.minMs, saving.maxMs,
              main.CurrentProfileStatus->text().c_str());
  std::printf("goal: under 20 ms\n");
  app.Shutdown();
  std::filesystem::remove_all(folder);
  return 0;
}

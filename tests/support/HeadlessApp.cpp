#include "support/HeadlessApp.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>

#include "persistence/ProfileFolder.h"

namespace orvane::testing {

namespace {
const char* const kVariables[3] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"};
}

TempEnvironment::TempEnvironment() {
  std::random_device seed;
  std::mt19937_64 random(seed());
  root_ = std::filesystem::temp_directory_path() /
          ("orvane-test-" + std::to_string(random() % 1000000000000ULL));
  std::filesystem::create_directories(root_ / "home");
  std::filesystem::create_directories(root_ / "config");
  std::filesystem::create_directories(root_ / "data");
  std::error_code ignored;
  previousDirectory_ = std::filesystem::current_path(ignored);
  const std::filesystem::path values[3] = {root_ / "home", root_ / "config", root_ / "data"};
  for (int i = 0; i < 3; ++i) {
    if (const char* old = std::getenv(kVariables[i])) {
      previous_[i] = old;
      had_[i] = true;
    }
    ::setenv(kVariables[i], values[i].c_str(), 1);
  }
}

TempEnvironment::~TempEnvironment() {
  for (int i = 0; i < 3; ++i) {
    if (had_[i]) {
      ::setenv(kVariables[i], previous_[i].c_str(), 1);
    } else {
      ::unsetenv(kVariables[i]);
    }
  }
  std::error_code ignored;
  if (!previousDirectory_.empty()) std::filesystem::current_path(previousDirectory_, ignored);
  std::filesystem::remove_all(root_, ignored);
}

std::filesystem::path TempEnvironment::configFile() const {
  return root_ / "config" / "OrvaneControl" / "OrvaneControl.conf";
}

void WriteFile(const std::filesystem::path& file, const std::string& text) {
  std::ofstream out(file, std::ios::binary);
  out << text;
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

std::filesystem::path ShippedProfilesFolder() { return ORVANE_SOURCE_PROFILES; }

HeadlessApp::HeadlessApp(ui::Size screen, std::filesystem::path programFolder) {
  if (programFolder.empty()) {
    programFolder = environment_.root() / "program";
    std::filesystem::create_directories(programFolder);
    for (const std::string& name : GetFiles(ShippedProfilesFolder(), "*")) {
      std::filesystem::copy_file(ShippedProfilesFolder() / name, programFolder / name);
    }
  }
  programFolder_ = programFolder;
  backend_ = std::make_unique<ui::HeadlessBackend>(ui::DateTime{2026, 12, 7, 21, 0, 0, 0}, 60,
                                                   screen);
  settings_ = std::make_unique<SettingsStore>(SettingsStore::DefaultLocation());
  devices_ = std::make_unique<SimulatedSerialDeviceFactory>(*backend_);
  app_ = std::make_unique<Application>(*backend_, *settings_, *devices_, programFolder_);
}

HeadlessApp::~HeadlessApp() {
  app_.reset();
  devices_.reset();
  settings_.reset();
  backend_.reset();
}

void HeadlessApp::Start() {
  app_->CreateWindows();
  backend_->runUntil(
      [this] {
        TMainForm* main = app_->windows().main;
        return main->StartupTimer.tag() == startup_phase::kStarted &&
               main->StaticControlsPanel->visible();
      },
      60000);
}

void HeadlessApp::Exit() {
  main().ExitClick();
  app_->Shutdown();
}

}  // namespace orvane::testing

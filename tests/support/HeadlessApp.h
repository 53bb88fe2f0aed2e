// HeadlessApp: the whole program on the headless backend in virtual time, with its own
// temporary HOME, XDG folders and program folder, for end-to-end tests.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "app/Application.h"
#include "app/MainForm.h"
#include "link/SimulatedSerialDeviceFactory.h"
#include "persistence/SettingsStore.h"
#include "ui/headless/HeadlessBackend.h"

namespace orvane::testing {

// A temporary folder that HOME, XDG_CONFIG_HOME and XDG_DATA_HOME point at for the life of
// the object; the previous values come back afterwards.
class TempEnvironment {
 public:
  TempEnvironment();
  ~TempEnvironment();
  const std::filesystem::path& root() const { return root_; }
  std::filesystem::path configFile() const;

 private:
  std::filesystem::path root_;
  std::filesystem::path previousDirectory_;
  std::string previous_[3];
  bool had_[3] = {false, false, false};
};

// Writes text to folder/name (bytes as given).
void WriteFile(const std::filesystem::path& file, const std::string& text);
// The folder holding the shipped profiles and data files.
std::filesystem::path ShippedProfilesFolder();

class HeadlessApp {
 public:
  // programFolder: where profiles are read; empty means a fresh folder in the temporary
  // environment seeded with the shipped profiles.
  explicit HeadlessApp(ui::Size screen = ui::Size{1024, 768},
                       std::filesystem::path programFolder = {});
  ~HeadlessApp();

  ui::HeadlessBackend& backend() { return *backend_; }
  Application& app() { return *app_; }
  TMainForm& main() { return *app_->windows().main; }
  Windows& windows() { return app_->windows(); }
  SettingsStore& settings() { return *settings_; }
  // The serial ports: add simulated controllers before Start().
  SimulatedSerialDeviceFactory& devices() { return *devices_; }
  const std::filesystem::path& programFolder() const { return programFolder_; }
  TempEnvironment& environment() { return environment_; }

  // Creates the windows and runs start-up to its end (virtual time).
  void Start();
  // Runs virtual time forward.
  void Advance(long long milliseconds) { backend_->advance(milliseconds); }
  // Ends the program as its exit button does, and shuts it down.
  void Exit();

 private:
  TempEnvironment environment_;
  std::filesystem::path programFolder_;
  std::unique_ptr<ui::HeadlessBackend> backend_;
  std::unique_ptr<SettingsStore> settings_;
  std::unique_ptr<SimulatedSerialDeviceFactory> devices_;
  std::unique_ptr<Application> app_;
};

}  // namespace orvane::testing

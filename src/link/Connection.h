// Connection: finds the controller on the chosen port or on COM1 to COM5, identifies it
// by its version, compares that with the version the profile was written for, and starts
// or stops the polling timer. Also turns the main window's cache delay field into the
// cache manager's flush period, and takes a lost device down the failure path.
// Owned by the main window; called by the port selector, start-up, polling and the cache
// manager.
// Thread: user-interface thread only.
#pragma once

#include <functional>
#include <string>

#include "link/ControllerState.h"
#include "ui/ColorScheme.h"
#include "ui/Controls.h"
#include "ui/Edits.h"
#include "ui/Form.h"
#include "ui/Timer.h"

namespace orvane {

class TCache;
class RestartPrompt;

// The parts of the main window that detection reads and reports to.
struct ConnectionFields {
  ui::Form& window;
  ui::ComboBox& serialPort;
  ui::Label& status;
  ui::Label& orvaneVersion;
  ui::Label& profileVersion;
  ui::Label& initialAlignLabel;
  ui::Label& initialAlign;
  ui::Timer& updateTimer;
  const ui::Timer& startupTimer;
};

// The version reply of ":GV#" as "Level " + level + ", Version " + version: a "." goes
// before the reply's third character; the level is its first character and the version
// its characters 2 to 4. "324#" gives "Level 3, Version 2.4".
std::string ControllerVersionLabel(const std::string& reply);

class Connection {
 public:
  Connection(ui::Backend& backend, ControllerState& controller, ConnectionFields fields,
             ui::ColorScheme& scheme);
  // The cache manager and the restart dialog, once their windows exist.
  void SetCache(TCache* cache) { cache_ = cache; }
  void SetRestartPrompt(RestartPrompt* restart) { restart_ = restart; }

  // Change handler of the port selector; sender is the selector, the start-up timer or
  // polling (which switches the link to "Offline").
  void SerialPortSelect(const void* sender);
  void CompareVersions();
  void CacheDelayChange();
  // The open port's device failed: report it as a failed connection and close the port,
  // so that choosing the port again reconnects.
  void LinkLost();

  // Reads the controller's settings after a successful detection, when installed.
  std::function<void()> setOrvaneSettings;
  // Shows the profile page (a controller that does not match the profile), when installed.
  std::function<void()> showProfilePage;

 private:
  void selectPort(const void* sender);
  std::string probe();
  void fail();
  void succeed(const std::string& reply);
  ui::Backend& backend_;
  ControllerState& controller_;
  ConnectionFields fields_;
  ui::ColorScheme& scheme_;
  TCache* cache_ = nullptr;
  RestartPrompt* restart_ = nullptr;
};

}  // namespace orvane

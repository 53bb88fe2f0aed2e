// Connection: finds the controller on the chosen port or on COM1 to COM5, identifies it
// by its version, compares that with the version the profile was written for, and starts
// or stops the polling timer. Also turns the main window's cache delay field into the
// cache manager's flush period, and heals a lost link: when the device of a connected port
// disappears or fails, it says so and tries to open the same device again every two
// seconds (the windows stay usable meanwhile); once it answers, the controller is
// identified again, polling resumes and the setting writes queued meanwhile go out.
// Choosing a port or "Offline" ends the retrying.
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
  // The open port's device failed. A connected port is retried every kRetryIntervalMs;
  // during detection the port is closed and detection goes on.
  void LinkLost();
  // Polling found the controller silent for several ticks in a row, or answering again.
  void ReportSilence();
  void ReportAnswering();
  // Whether a lost link is being retried.
  bool Reconnecting() const { return lostPort_ > 0; }

  static constexpr int kRetryIntervalMs = 2000;

  // Reads the controller's settings after a successful detection, when installed.
  std::function<void()> setOrvaneSettings;
  // Shows the profile page (a controller that does not match the profile), when installed.
  std::function<void()> showProfilePage;
  // Marks the status strip's readings as no longer current, when installed.
  std::function<void()> showReadingsStale;
  // A controller was found: after a port choice (reconnected false), or the lost link's
  // controller again (true).
  std::function<void(bool reconnected)> onConnected;

 private:
  void selectPort(const void* sender);
  std::string probe();
  static std::string versionOrNothing(const std::string& reply);
  void fail();
  void succeed(const std::string& reply, int port);
  void retry();
  void stopRetrying();
  ui::Backend& backend_;
  ControllerState& controller_;
  ConnectionFields fields_;
  ui::ColorScheme& scheme_;
  TCache* cache_ = nullptr;
  RestartPrompt* restart_ = nullptr;
  ui::Timer retryTimer_;
  int lostPort_ = 0;         // the port being retried, 0 when none
  unsigned selections_ = 0;  // port selections so far: a retry made before one gives way
};

}  // namespace orvane

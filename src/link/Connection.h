// Connection: finds the controller on the chosen port or on COM1 to COM5, identifies it
// by its version, compares that with the version the profile was written for, and starts
// or stops the polling timer. Also turns the main window's cache delay field into the
// cache manager's flush period, and takes a lost device down the failure path.
// Owned by the main window; called by the port selector, start-up and the cache manager.
// Thread: user-interface thread only.
#pragma once

#include <functional>
#include <string>

namespace orvane {

class TMainForm;

// The version reply of ":GV#" as "Level " + level + ", Version " + version: a "." goes
// before the reply's third character; the level is its first character and the version
// its characters 2 to 4. "324#" gives "Level 3, Version 2.4".
std::string ControllerVersionLabel(const std::string& reply);

class Connection {
 public:
  explicit Connection(TMainForm& main);

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

 private:
  void selectPort(const void* sender);
  std::string probe();
  void fail();
  void succeed(const std::string& reply);
  TMainForm& main_;
};

}  // namespace orvane

// Application: the one owner of the program's windows. Creates the ten windows once, in
// their fixed order, hands each the few others it reaches, then the server that shares the
// mount with planetarium programs; runs the message loop and shuts the program down in
// order (the sharing server, the main window's shutdown, then the windows in reverse).
// Thread: user-interface thread only.
#pragma once

#include <filesystem>
#include <memory>

#include "app/Windows.h"

namespace orvane {

class SettingsStore;
class SerialDeviceFactory;
class ShareServer;
class AlpacaServer;

class Application {
 public:
  Application(ui::Backend& backend, SettingsStore& settings, SerialDeviceFactory& devices,
              std::filesystem::path programFolder);
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Starts in night vision whatever was remembered (before CreateWindows).
  void StartInNightVision() { nightStart_ = true; }
  // Creates the windows and brings the main window to the front.
  void CreateWindows();
  // Runs the message loop until the program is asked to end, then shuts down.
  void Run();
  // Orderly shutdown; safe to call more than once.
  void Shutdown();

  Windows& windows() { return windows_; }
  AppContext& context() { return context_; }
  // The server that shares the mount with planetarium programs, once the windows exist.
  ShareServer* share() { return share_.get(); }
  // The server of the network device protocol of imaging programs, started with sharing.
  AlpacaServer* alpaca() { return alpaca_.get(); }

 private:
  // Hands the windows that exist now to those that reach them.
  void AttachWindows();
  // The sharing server, wired to polling and the schedule window's J2000 slew.
  void CreateShareServer();
  // The server of imaging programs' device protocol, started and stopped with sharing.
  void CreateAlpacaServer();
  // Destroys a window after handing it out of the others.
  template <typename Window>
  void release(std::unique_ptr<Window>& window) {
    std::unique_ptr<Window> going = std::move(window);
    AttachWindows();
  }

  Windows windows_;
  AppContext context_;
  std::unique_ptr<TMainForm> main_;
  std::unique_ptr<TTraceForm> trace_;
  std::unique_ptr<TCache> cache_;
  std::unique_ptr<TObserver> observer_;
  std::unique_ptr<TRestartForm> restart_;
  std::unique_ptr<TErrorForm> error_;
  std::unique_ptr<TDummyForm> dummy_;
  std::unique_ptr<TAlignmentForm> alignment_;
  std::unique_ptr<TCreditsForm> credits_;
  std::unique_ptr<TSchedule> schedule_;
  std::unique_ptr<TCompareForm> compare_;
  std::unique_ptr<ShareServer> share_;
  // Declared after the sharing server, which stops it, and goes after it.
  std::unique_ptr<AlpacaServer> alpaca_;
  bool nightStart_ = false;
};

}  // namespace orvane

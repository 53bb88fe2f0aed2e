// The ten windows of the program, created once at start in this order and living until
// exit. The Application owns them; the set is for app/ alone (the main window and the small
// windows of app/). Everything below app/ is handed only the few windows it reaches, as
// the interfaces it declares, when the Application wires the program together.
// A pointer stays null until its window has been created (start-up waits for the last).
// Thread: user-interface thread only.
#pragma once

#include <filesystem>

#include "ui/Backend.h"

namespace orvane {

class TMainForm;
class TTraceForm;
class TCache;
class TObserver;
class TRestartForm;
class TErrorForm;
class TDummyForm;
class TAlignmentForm;
class TCreditsForm;
class TSchedule;
class TCompareForm;
class SettingsStore;
class SerialDeviceFactory;

struct Windows {
  TMainForm* main = nullptr;
  TTraceForm* trace = nullptr;
  TCache* cache = nullptr;
  TObserver* observer = nullptr;
  TRestartForm* restart = nullptr;
  TErrorForm* error = nullptr;
  TDummyForm* dummy = nullptr;
  TAlignmentForm* alignment = nullptr;
  TCreditsForm* credits = nullptr;
  TSchedule* schedule = nullptr;
  // The comparison with the controller, created after the ten.
  TCompareForm* compare = nullptr;
};

// What the windows of app/ use: the backend, the window set, the settings store, the serial
// devices and the program's folder.
struct AppContext {
  ui::Backend& backend;
  Windows& windows;
  SettingsStore& settings;
  // Opens the serial devices behind "Com1" ... "Com5".
  SerialDeviceFactory& devices;
  std::filesystem::path programFolder;
  // The application object's tag word; bit 2 shows the cache manager's window.
  int applicationTag = 0;
};

}  // namespace orvane

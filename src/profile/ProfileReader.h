// ProfileReader: reads a profile file line by line into the profile line list and
// dispatches every line: keyword lines set program settings, "Sheet " lines and control
// definition lines build the sheets, database lines their entries, schedule lines the
// observation schedule.
// Owned by the main window; called at start-up and by the profile page.
// Thread: user-interface thread only.
// Layer: profile/, below sheets/; it may use link/, ui/ and text/.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "profile/ProfileDocument.h"
#include "ui/ColorScheme.h"
#include "ui/Controls.h"
#include "ui/Edits.h"
#include "ui/Form.h"
#include "ui/Timer.h"

namespace orvane {

// Where sheet and control lines are built and saved values go.
class ProfileSheets {
 public:
  virtual void CreateSheet(std::string_view line) = 0;
  // Throws ProfileLineError when the line cannot be built.
  virtual void CreateControl(std::string_view line) = 0;
  virtual void SetControlValue(ui::Widget* excluded, long long number, bool quiet,
                               const std::string& text, bool exact) = 0;

 protected:
  ~ProfileSheets() = default;
};

// The schedule window as a profile sees it: hidden and emptied while a profile is read,
// and filled from its schedule, slewing-speed and control-mode lines.
class ProfileSchedule {
 public:
  // Hides the window; true when it was showing.
  virtual bool HideForLoading() = 0;
  // Clears every entry and switches the schedule off.
  virtual void ClearForLoading() = 0;
  virtual void ShowAfterLoading() = 0;
  virtual void AddScheduleRow(const std::string& time, const std::string& name,
                              const std::string& ra, const std::string& dec) = 0;
  // Chooses the maximum slewing speed by its entry text (any case).
  virtual void SetSlewingSpeed(const std::string& entry) = 0;
  // 1 toggle buttons, 2 touch buttons.
  virtual void SetControlMode(int mode) = 0;

 protected:
  ~ProfileSchedule() = default;
};

// What loading does to the main window beyond its fields.
class ProfileHost {
 public:
  virtual void CenterOnScreen() = 0;
  // Plays the sheet menu's entries in (after a profile loaded once the program runs).
  virtual void FadeInMenus() = 0;
  // The profile page's buttons follow the loaded profile.
  virtual void ProfileFilesChanged() = 0;

 protected:
  ~ProfileHost() = default;
};

// The main window's fields that loading reports to and keyword lines set.
struct ProfileFields {
  ui::Form& window;
  ui::Label& status;
  ui::Label& profileVersion;
  ui::ComboBox& profileFiles;
  ui::MaskEdit& cacheDelay;
  ui::MaskEdit& timeOut;
  ui::MaskEdit& updateInterval;
  ui::ComboBox& serialPort;
  const ui::Timer& startupTimer;
};

// Longest line a profile may hold, line end not counted.
constexpr size_t kMaxProfileLineLength = 254;
// A profile written for the handheld variant of the program.
constexpr std::string_view kHandheldMarker = "[Orvane for PDA]";

class ProfileReader {
 public:
  ProfileReader(ui::Backend& backend, ProfileDocument& document, ProfileFields fields,
                ProfileHost& host, ProfileSheets& sheets, ui::ColorScheme& scheme);
  // The schedule window, once it exists.
  void SetSchedule(ProfileSchedule* schedule) { schedule_ = schedule; }

  // Reads the profile at path (relative to the program's folder); true when the end of the
  // file was reached, false when it could not be opened or was refused.
  bool ReadIniFile(const std::string& path);
  // Dispatches one line by its keyword.
  void CreateComponent(const std::string& line);

  // Entry lines of object databases ("DataBase "), handled by the object databases when
  // present; the line stays in the profile line list either way.
  std::function<void(std::string_view line)> addDatabaseEntry;
  // Compares the profile's version with the controller's, when the serial link is present.
  std::function<void()> compareVersions;

  // ---- keyword handlers (each with the whole line) ----
  void SetCacheDelay(std::string_view line);
  void SetTimeOut(std::string_view line);
  void SetUpdateInterval(std::string_view line);
  void SetSerialPort(std::string_view line);
  void SetSlewingSpeed(std::string_view line);
  void SetControlMode(std::string_view line);
  void SetVersion(std::string_view line);
  void SetSavedValue(std::string_view line);
  void LoadColorScheme(std::string_view line);
  void SetScheduleItem(std::string_view line);

 private:
  void reportLineError();
  ui::Backend& backend_;
  ProfileDocument& document_;
  ProfileFields fields_;
  ProfileHost& host_;
  ProfileSheets& sheets_;
  ui::ColorScheme& scheme_;
  ProfileSchedule* schedule_ = nullptr;
};

}  // namespace orvane

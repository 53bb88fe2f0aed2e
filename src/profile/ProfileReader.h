// ProfileReader: reads a profile file line by line into the main window's profile line
// list and dispatches every line: keyword lines set program settings, "Sheet " lines and
// control definition lines build the sheets, database lines their entries.
// Owned by the main window; called at start-up and by the profile page.
// Thread: user-interface thread only.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace orvane {

class TMainForm;

// Longest line a profile may hold, line end not counted.
constexpr size_t kMaxProfileLineLength = 254;
// A profile written for the handheld variant of the program.
constexpr std::string_view kHandheldMarker = "[Orvane for PDA]";

class ProfileReader {
 public:
  explicit ProfileReader(TMainForm& main);

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
  TMainForm& main_;
};

}  // namespace orvane

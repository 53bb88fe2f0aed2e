// ProfileWriter: saving a profile. Writes the program's current settings into the profile
// line list (setting lines replaced in place or appended, the schedule as "Schedule " lines,
// one "Value " line per option list and field of every sheet; every other line kept as it
// is and where it is), then the whole list into the profile file, CR LF after each line,
// through a temporary file so that the old profile survives any failure.
// Owned by the main window; the profile page's "Save" and the auto-save at exit use it.
// Thread: user-interface thread only.
// Layer: persistence/; it may use sheets/, profile/, link/, ui/ and text/.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "persistence/AtomicFile.h"
#include "profile/ProfileDocument.h"
#include "ui/Controls.h"
#include "ui/Edits.h"

namespace orvane {

class Sheets;
class TCache;

// The profile page's fields whose settings a profile keeps.
struct ProfileSettingsFields {
  const ui::Label& profileVersion;
  const ui::ComboBox& serialPort;
  const ui::MaskEdit& timeOut;
  const ui::MaskEdit& updateInterval;
  const ui::MaskEdit& cacheDelay;
};

struct ScheduleRow {
  std::string time;
  std::string name;
  std::string rightAscension;
  std::string declination;
};

// What the schedule window contributes to a saved profile.
struct ScheduleSettings {
  int controlMode = 0;  // 0 none, 1 toggle buttons, 2 touch buttons
  std::string slewingSpeed;
  std::vector<ScheduleRow> rows;  // the entries with a time, in grid order
};

// The schedule window as saving sees it; the application hands it in.
class SavedSchedule {
 public:
  virtual ScheduleSettings ScheduleToSave() const = 0;

 protected:
  ~SavedSchedule() = default;
};

class ProfileWriter {
 public:
  ProfileWriter(ProfileDocument& document, ProfileSettingsFields fields, const Sheets& sheets);
  // The cache manager and the schedule window, once their windows exist.
  void SetCache(TCache* cache) { cache_ = cache; }
  void SetSchedule(const SavedSchedule* schedule) { schedule_ = schedule; }

  // Writes the current settings into the profile line list. A value the reader could not
  // take back as it was (it holds a double quote, or its line would be too long) is not
  // written: its old line stays. Returns how many were left out.
  int SaveSettings();
  // Writes the profile line list to file (a name in the program's text); false when the
  // file cannot be written (the old file is then untouched).
  bool WriteProfile(const std::string& file) const;
  // The same, telling how it went.
  ReplaceOutcome WriteProfileFile(const std::string& file) const;

  // How the file is replaced (tests make a write fail half-way through).
  ReplaceOptions writeOptions;

 private:
  void replaceLine(std::string_view prefix, std::string line);
  bool replaceValueLine(std::string_view prefix, const std::string& text, std::string line);

  ProfileDocument& document_;
  ProfileSettingsFields fields_;
  const Sheets& sheets_;
  TCache* cache_ = nullptr;
  const SavedSchedule* schedule_ = nullptr;
};

// ---- the lines saving writes (pure functions) ----

// All lines, each followed by CR LF.
std::string ProfileFileText(const std::vector<std::string>& lines);
// Replaces the last line that begins with prefix by line, or appends line when none does.
void ReplaceProfileLine(std::vector<std::string>& profile, std::string_view prefix,
                        std::string line);
// keyword + the field's digits in quotes, every blank a "0": ("TimeOut ", "25  ") ->
// TimeOut "2500".
std::string MillisecondsLine(std::string_view keyword, std::string_view fieldText);
// The "Version " line for the profile version label ("Level 3, Version 2.4" ->
// Version "32.4"; text after the version is ignored); nothing when no version was read.
std::optional<std::string> VersionLine(std::string_view label);
// "None", "Toggle" or "Touch".
std::string ControlModeName(int mode);
// Whether a text can stand between the double quotes of a profile line and be read back
// unchanged: no double quote (the format has no escape for it) and no line break.
bool QuotableValue(std::string_view text);

}  // namespace orvane

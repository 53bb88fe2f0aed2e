// SettingsBackups: copies of the controller's settings, kept as profile files in the
// "Backups" folder of the program's folder and named after the loaded profile and the
// moment they were taken: "Backups/<profile name> <yyyy-mm-dd hh-mm-ss>.ocf". A backup
// is the loaded profile with every option list and value field set to the value the
// controller holds (a control whose value is not known keeps the one it shows), so that,
// its values put on the sheets and sent, it restores the controller. Each is written
// through a temporary file beside it; of each profile the newest 20 are kept.
// Owned by the main window; the bulk transfers of settings store them, the comparison
// window lists them.
// Thread: user-interface thread only (file system calls).
// Layer: persistence/; it may use sheets/, profile/, link/, ui/ and text/.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "profile/ProfileDocument.h"
#include "ui/Types.h"

namespace orvane {

class Sheets;

// The profile name backups of the loaded profile carry: the loaded profile's file name
// without its folder and ending, "Profile" when none is loaded.
std::string BackupProfileOf(const std::string& loadedProfile);
// "<profile name> <yyyy-mm-dd hh-mm-ss>.ocf"; the profile name is the loaded profile's
// file name without its folder and ending, "Profile" when none is loaded.
std::string BackupFileName(const std::string& loadedProfile, const ui::DateTime& taken);
// Whether name is a backup's file name, and then the profile name it belongs to.
std::optional<std::string> BackupProfileName(const std::string& name);

class SettingsBackups {
 public:
  static constexpr int kKept = 20;

  SettingsBackups(std::filesystem::path programFolder, const ProfileDocument& document,
                  const Sheets& sheets);

  std::filesystem::path Folder() const { return programFolder_ / "Backups"; }
  // The lines of a backup taken now: the loaded profile's lines with the controller's value
  // of each control.
  std::vector<std::string> BackupLines() const;
  // Stores a backup taken at taken; the file written, or nothing when it could not be
  // written (the older backups stay as they were).
  std::optional<std::filesystem::path> Store(const ui::DateTime& taken);
  // The file names of every backup, newest first.
  std::vector<std::string> List() const;
  // The backups of the loaded profile, newest first: only they name the controls of the
  // sheets shown now by their numbers.
  std::vector<std::string> ListOfLoadedProfile() const;
  bool OfLoadedProfile(const std::string& name) const;

 private:
  void pruneOlderThanNewest(const std::string& profileName) const;

  std::filesystem::path programFolder_;
  const ProfileDocument& document_;
  const Sheets& sheets_;
};

}  // namespace orvane

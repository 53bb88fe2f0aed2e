// ProfilePage: the profile files on the profile page (list, load, reload, save, delete,
// status) and the last-profile memory in the settings store.
// Owned by the main window.
// Thread: user-interface thread only.
// Layer: persistence/, below dialogue/, schedule/ and transfer/; it may use sheets/,
// profile/, link/, ui/ and text/.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "profile/ProfileDocument.h"
#include "ui/ColorScheme.h"
#include "ui/Controls.h"
#include "ui/Edits.h"

namespace orvane {

class ProfileReader;
class ProfileWriter;
class SettingsStore;
class Sheets;

// The profile page's list, status line and file buttons.
struct ProfilePageFields {
  ui::ComboBox& profileFiles;
  ui::Label& status;
  ui::Label& load;
  ui::Shape& loadShape;
  ui::Label& reload;
  ui::Shape& reloadShape;
  ui::Label& save;
  ui::Shape& saveShape;
  ui::Label& remove;
  ui::Shape& removeShape;
};

constexpr std::string_view kProfileEnding = ".ocf";
constexpr std::string_view kProfilePattern = "*.ocf";
constexpr std::string_view kDefaultProfile = "Marovell Standard.ocf";
constexpr std::string_view kLastProfileKey = "LastProfile";

class ProfilePage {
 public:
  ProfilePage(ProfilePageFields fields, ProfileDocument& document, ui::ColorScheme& scheme,
              SettingsStore& settings, std::filesystem::path programFolder, Sheets& sheets,
              ProfileReader& reader, ProfileWriter& writer);

  void ProfilesChange();
  // sender null: refresh the buttons without writing a status.
  void ProfileFilesChange(const void* sender);
  void LoadProfileClick();
  void ReloadProfileNow();
  // "Save", and the auto-save at exit: the settings into the profile, the profile into the
  // file named by the selector.
  void SaveProfileClick();
  // Moves the named profile into the desktop's trash, from where it can be restored.
  void DeleteProfileClick();
  std::string IdentifyLastLoadedProfile();
  void SaveLoadedProfileToRegistry();

 private:
  std::string ListedName(const std::string& typed) const;
  ProfilePageFields fields_;
  ProfileDocument& document_;
  ui::ColorScheme& scheme_;
  SettingsStore& settings_;
  std::filesystem::path programFolder_;
  Sheets& sheets_;
  ProfileReader& reader_;
  ProfileWriter& writer_;
  bool listing_ = false;
};

}  // namespace orvane

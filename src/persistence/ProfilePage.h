// ProfilePage: the profile files on the profile page (list, load, reload, delete, status)
// and the last-profile memory in the settings store.
// Owned by the main window.
// Thread: user-interface thread only.
#pragma once

#include <string>
#include <string_view>

namespace orvane {

class TMainForm;

constexpr std::string_view kProfileEnding = ".ocf";
constexpr std::string_view kProfilePattern = "*.ocf";
constexpr std::string_view kDefaultProfile = "Marovell Standard.ocf";
constexpr std::string_view kLastProfileKey = "LastProfile";

class ProfilePage {
 public:
  explicit ProfilePage(TMainForm& main);

  void ProfilesChange();
  // sender null: refresh the buttons without writing a status.
  void ProfileFilesChange(const void* sender);
  void LoadProfileClick();
  void ReloadProfileNow();
  void DeleteProfileClick();
  std::string IdentifyLastLoadedProfile();
  void SaveLoadedProfileToRegistry();

 private:
  std::string ListedName(const std::string& typed) const;
  TMainForm& main_;
  bool listing_ = false;
};

}  // namespace orvane

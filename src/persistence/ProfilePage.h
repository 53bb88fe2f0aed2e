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

#include "persistence/AtomicFile.h"
#include "profile/ProfileDocument.h"
#include "ui/Backend.h"
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
  // backend: for the box that asks before a profile changed on disk is replaced.
  ProfilePage(ui::Backend& backend, ProfilePageFields fields, ProfileDocument& document,
              ui::ColorScheme& scheme, SettingsStore& settings,
              std::filesystem::path programFolder, Sheets& sheets, ProfileReader& reader,
              ProfileWriter& writer);

  void ProfilesChange();
  // sender null: refresh the buttons without writing a status. A change that leaves the
  // name as it was (the list reporting its text again as the focus leaves it) writes no
  // status either: the status keeps the outcome of the user's last action.
  void ProfileFilesChange(const void* sender);
  void LoadProfileClick();
  void ReloadProfileNow();
  // "Save": the settings into the profile, the profile into the file named by the
  // selector. Nothing is written for an empty name, over the file of a profile that did not
  // load completely, or, unless the user agrees, over a profile that changed on disk since
  // it was loaded.
  void SaveProfileClick();
  // The auto-save at exit, when it is on: the loaded profile saved under its name, nothing
  // for a profile that did not load completely. No one can be asked at exit: a profile that
  // changed on disk meanwhile is kept, and the program's settings go into a new file beside
  // it ("Night (2).ocf").
  void AutoSaveAtExit();
  // Moves the named profile into the desktop's trash, from where it can be restored. A
  // write-protected profile stays.
  void DeleteProfileClick();
  // Removes the temporary files that saves cut short (a crash, a power cut) left in the
  // program's folder and beside the settings file; run at start.
  void RemoveInterruptedSaves();
  std::string IdentifyLastLoadedProfile();
  void SaveLoadedProfileToRegistry();

 private:
  std::string ListedName(const std::string& typed) const;
  // Whether name is the file the loaded profile was read from or last saved to.
  bool IsLoadedFile(const std::string& name) const;
  // The loaded profile's file was replaced or changed since the program read or wrote it.
  bool ChangedOnDisk(const std::string& name) const;
  // A name beside name that no file has: "Night (2).ocf", "Night (3).ocf", ...
  std::string FreeNameBeside(const std::string& name) const;
  void WriteProfileAs(const std::string& name);
  void ShowStatus(const std::string& text, const std::string& reason = {});
  // The selector's text is the program's own from here on (not a new choice of the user).
  void Settle() { settledText_ = fields_.profileFiles.text(); }

  ui::Backend& backend_;
  ProfilePageFields fields_;
  ProfileDocument& document_;
  ui::ColorScheme& scheme_;
  SettingsStore& settings_;
  std::filesystem::path programFolder_;
  Sheets& sheets_;
  ProfileReader& reader_;
  ProfileWriter& writer_;
  bool listing_ = false;
  std::string settledText_;
};

}  // namespace orvane

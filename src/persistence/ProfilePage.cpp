#include "persistence/ProfilePage.h"

#include <filesystem>

#include "persistence/ProfileFolder.h"
#include "persistence/ProfileWriter.h"
#include "persistence/SettingsStore.h"
#include "persistence/Trash.h"
#include "profile/ProfileReader.h"
#include "sheets/Sheets.h"
#include "text/FileNames.h"
#include "ui/Latin1.h"

namespace orvane {

namespace {
constexpr std::string_view kForbiddenCharacters = "\\/:*?\"<>|";
constexpr std::string_view kStatusSaved = "Status: Profile saved";
constexpr std::string_view kStatusSavedWithout =
    "Status: Profile saved, values with \" or too long left out";
constexpr std::string_view kStatusPermissionsLost = "Status: Profile saved, permissions not kept";
constexpr std::string_view kStatusNoName = "Status: No profile name, not saved";
constexpr std::string_view kStatusIncomplete = "Status: Profile incomplete, not saved";
constexpr std::string_view kStatusChangedOnDisk = "Status: Profile changed on disk, not saved";
constexpr std::string_view kStatusUnableToDelete = "Status: Unable to delete file";
constexpr int kMaxNameAttempts = 999;
}  // namespace

// File names on the profile page ignore letter case, as the listing does: a typed name that
// matches a listed file in another case means that file, unless a file has the very name.
std::string ProfilePage::ListedName(const std::string& typed) const {
  return ListedFileName(fields_.profileFiles.items(), AddEndingIfNeeded(typed, kProfileEnding));
}

ProfilePage::ProfilePage(ui::Backend& backend, ProfilePageFields fields,
                         ProfileDocument& document, ui::ColorScheme& scheme,
                         SettingsStore& settings, std::filesystem::path programFolder,
                         Sheets& sheets, ProfileReader& reader, ProfileWriter& writer)
    : backend_(backend),
      fields_(fields),
      document_(document),
      scheme_(scheme),
      settings_(settings),
      programFolder_(std::move(programFolder)),
      sheets_(sheets),
      reader_(reader),
      writer_(writer) {
  // A failed save names the system's reason in the status line's hint.
  fields_.status.setShowHint(true);
}

void ProfilePage::ShowStatus(const std::string& text, const std::string& reason) {
  fields_.status.setText(text);
  fields_.status.setHint(reason);
}

void ProfilePage::ProfilesChange() {
  if (listing_) return;
  listing_ = true;
  fields_.profileFiles.setItems(GetFiles(programFolder_, kProfilePattern));
  listing_ = false;
}

void ProfilePage::ProfileFilesChange(const void* sender) {
  ProfilePageFields& f = fields_;
  const std::string text = f.profileFiles.text();
  const bool clean = text.find_first_of(kForbiddenCharacters) == std::string::npos;
  const std::string name = AddEndingIfNeeded(text, kProfileEnding);
  f.save.setVisible(clean);
  f.saveShape.setVisible(clean);
  const bool listed = f.profileFiles.indexOfIgnoringCase(name) >= 0;
  if (sender != nullptr && !listing_ && text != settledText_) {
    if (listed) {
      ShowStatus("Status: Ready to load Profile");
      scheme_.Blink(f.status);
    } else {
      ShowStatus("Status: No such file");
    }
  }
  Settle();
  for (ui::Widget* w :
       {static_cast<ui::Widget*>(&f.load), static_cast<ui::Widget*>(&f.loadShape),
        static_cast<ui::Widget*>(&f.remove), static_cast<ui::Widget*>(&f.removeShape)}) {
    w->setVisible(listed);
  }
  const bool loaded = !document_.LoadedProfile.empty();
  f.reload.setVisible(loaded);
  f.reloadShape.setVisible(loaded);
}

void ProfilePage::LoadProfileClick() {
  sheets_.RemoveAllComponents();
  const std::string name = ListedName(fields_.profileFiles.text());
  fields_.profileFiles.setText(name);
  fields_.status.setHint("");
  reader_.ReadIniFile(name);
  Settle();
}

void ProfilePage::ReloadProfileNow() {
  sheets_.RemoveAllComponents();
  fields_.status.setHint("");
  reader_.ReadIniFile(std::string(document_.LoadedProfile));
  Settle();
}

bool ProfilePage::IsLoadedFile(const std::string& name) const {
  const std::string& loaded = document_.LoadedProfile;
  if (loaded.empty()) return false;
  if (name == loaded) return true;
  // The same file under another spelling of its path.
  const FileStamp file = FileStamp::OfFile(SystemPath(name));
  return file.sameFile(FileStamp::OfFile(SystemPath(loaded))) ||
         file.sameFile(document_.LoadedStamp);
}

bool ProfilePage::ChangedOnDisk(const std::string& name) const {
  const FileStamp now = FileStamp::OfFile(SystemPath(name));
  // A file that is gone loses nothing by being written again.
  return now.known && document_.LoadedStamp.known && now != document_.LoadedStamp;
}

std::string ProfilePage::FreeNameBeside(const std::string& name) const {
  const std::string full = AddEndingIfNeeded(name, kProfileEnding);
  const std::string stem = full.substr(0, full.size() - kProfileEnding.size());
  for (int n = 2; n <= kMaxNameAttempts; ++n) {
    std::string candidate = stem + " (" + std::to_string(n) + ")" + std::string(kProfileEnding);
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(SystemPath(candidate), error))) {
      return candidate;
    }
  }
  return {};
}

void ProfilePage::SaveProfileClick() {
  ProfilePageFields& f = fields_;
  const std::string typed = f.profileFiles.text();
  const std::string name = ListedName(typed);
  // An empty name would make a hidden ".ocf" that is never listed.
  if (ui::EqualIgnoringCase(name, kProfileEnding)) {
    ShowStatus(std::string(kStatusNoName));
  } else {
    f.profileFiles.setText(name);
    if (IsLoadedFile(name) && document_.ProfileIncomplete) {
      // Only the lines before the fault were read: the rest of the file would be lost.
      ShowStatus(std::string(kStatusIncomplete));
    } else if (IsLoadedFile(name) && ChangedOnDisk(name) &&
               backend_.messageBox("The profile \"" + name +
                                       "\" has been changed on disk since it was loaded, "
                                       "perhaps by another copy of the program.\n\n"
                                       "Replace it with the settings shown here?",
                                   "Orvane", ui::MessageButtons::OkCancel) != ui::modal::kOk) {
      ShowStatus(std::string(kStatusChangedOnDisk));
    } else {
      WriteProfileAs(name);
      return;
    }
  }
  scheme_.Blink(f.status);
  ProfileFilesChange(nullptr);
}

void ProfilePage::AutoSaveAtExit() {
  if (document_.LoadedProfile.empty() || document_.ProfileIncomplete) return;
  std::string name = document_.LoadedProfile;
  if (ChangedOnDisk(name)) name = FreeNameBeside(name);
  if (name.empty()) return;
  fields_.profileFiles.setText(name);
  WriteProfileAs(name);
}

void ProfilePage::WriteProfileAs(const std::string& name) {
  ProfilePageFields& f = fields_;
  const int leftOut = writer_.SaveSettings();
  const ReplaceOutcome outcome = writer_.WriteProfileFile(name);
  if (outcome.written) {
    document_.LoadedProfile = name;
    document_.LoadedStamp = outcome.stamp;
    document_.ProfileIncomplete = false;
    if (!outcome.permissionsKept) {
      ShowStatus(std::string(kStatusPermissionsLost),
                 "The file could not be given the permissions of the file it replaced.");
    } else {
      ShowStatus(std::string(leftOut == 0 ? kStatusSaved : kStatusSavedWithout));
    }
  } else {
    ShowStatus(SaveFailureStatus(SaveFailureOf(outcome.error)), SystemReason(outcome.error));
  }
  ProfilesChange();
  scheme_.Blink(f.status);
  ProfileFilesChange(nullptr);
}

void ProfilePage::DeleteProfileClick() {
  ProfilePageFields& f = fields_;
  const std::string name = ListedName(f.profileFiles.text());
  f.profileFiles.setText(name);
  const std::filesystem::path file = SystemPath(name);
  std::error_code error;
  const bool deleted = std::filesystem::is_regular_file(file, error) && !WriteProtected(file) &&
                       MoveToTrash(file);
  if (deleted) {
    if (name == document_.LoadedProfile) {
      document_.LoadedProfile.clear();
      document_.LoadedStamp = FileStamp{};
    }
    f.profileFiles.setText("");
    f.profileFiles.setItems(GetFiles(programFolder_, kProfilePattern));
    ShowStatus("Status: Profile deleted");
  } else {
    ShowStatus(std::string(kStatusUnableToDelete));
  }
  scheme_.Blink(f.status);
  ProfileFilesChange(nullptr);
}

void ProfilePage::RemoveInterruptedSaves() {
  if (!programFolder_.empty()) RemoveLeftoverTemporaries(programFolder_);
  const std::filesystem::path settings = ResolveLinks(settings_.file());
  RemoveLeftoverTemporaries(settings.parent_path().empty() ? "." : settings.parent_path());
}

std::string ProfilePage::IdentifyLastLoadedProfile() {
  std::string result(kDefaultProfile);
  // The settings file holds the name as the file system spells it.
  std::optional<std::string> stored = settings_.read(kLastProfileKey);
  std::optional<std::string> last = stored ? FileNameFromSystem(*stored) : std::nullopt;
  std::error_code error;
  if (last && !last->empty() && std::filesystem::exists(SystemPath(*last), error)) result = *last;
  return result;
}

void ProfilePage::SaveLoadedProfileToRegistry() {
  settings_.write(kLastProfileKey, ToSystemText(document_.LoadedProfile));
}

}  // namespace orvane

#include "persistence/ProfilePage.h"

#include <filesystem>

#include "persistence/ProfileFolder.h"
#include "persistence/ProfileWriter.h"
#include "persistence/SettingsStore.h"
#include "persistence/Trash.h"
#include "profile/ProfileReader.h"
#include "sheets/Sheets.h"

namespace orvane {

namespace {
constexpr std::string_view kForbiddenCharacters = "\\/:*?\"<>|";
constexpr std::string_view kStatusSaved = "Status: Profile saved";
constexpr std::string_view kStatusSavedWithout =
    "Status: Profile saved, values with \" or too long left out";
constexpr std::string_view kStatusWriteProtected = "Status: Cannot save due to write protection";
}  // namespace

// File names on the profile page ignore letter case, as the listing does: a typed name that
// matches a listed file in another case means that file.
std::string ProfilePage::ListedName(const std::string& typed) const {
  const std::string name = AddEndingIfNeeded(typed, kProfileEnding);
  const int index = fields_.profileFiles.indexOfIgnoringCase(name);
  return index >= 0 ? fields_.profileFiles.items()[static_cast<size_t>(index)] : name;
}

ProfilePage::ProfilePage(ProfilePageFields fields, ProfileDocument& document,
                         ui::ColorScheme& scheme, SettingsStore& settings,
                         std::filesystem::path programFolder, Sheets& sheets, ProfileReader& reader,
                         ProfileWriter& writer)
    : fields_(fields),
      document_(document),
      scheme_(scheme),
      settings_(settings),
      programFolder_(std::move(programFolder)),
      sheets_(sheets),
      reader_(reader),
      writer_(writer) {}

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
  if (sender != nullptr && !listing_) {
    if (listed) {
      f.status.setText("Status: Ready to load Profile");
      scheme_.Blink(f.status);
    } else {
      f.status.setText("Status: No such file");
    }
  }
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
  reader_.ReadIniFile(name);
}

void ProfilePage::ReloadProfileNow() {
  sheets_.RemoveAllComponents();
  reader_.ReadIniFile(std::string(document_.LoadedProfile));
}

void ProfilePage::SaveProfileClick() {
  ProfilePageFields& f = fields_;
  const int leftOut = writer_.SaveSettings();
  const std::string name = ListedName(f.profileFiles.text());
  f.profileFiles.setText(name);
  const bool written = writer_.WriteProfile(name);
  if (written) {
    document_.LoadedProfile = name;
  } else {
    f.status.setText(std::string(kStatusWriteProtected));
  }
  ProfilesChange();
  if (written) f.status.setText(std::string(leftOut == 0 ? kStatusSaved : kStatusSavedWithout));
  scheme_.Blink(f.status);
  ProfileFilesChange(nullptr);
}

void ProfilePage::DeleteProfileClick() {
  ProfilePageFields& f = fields_;
  const std::string name = ListedName(f.profileFiles.text());
  f.profileFiles.setText(name);
  std::error_code error;
  const bool deleted = std::filesystem::is_regular_file(name, error) && MoveToTrash(name);
  if (deleted) {
    if (name == document_.LoadedProfile) document_.LoadedProfile.clear();
    f.profileFiles.setText("");
    f.profileFiles.setItems(GetFiles(programFolder_, kProfilePattern));
    f.status.setText("Status: Profile deleted");
  } else {
    f.status.setText("Status: Unable to delete file");
  }
  scheme_.Blink(f.status);
  ProfileFilesChange(nullptr);
}

std::string ProfilePage::IdentifyLastLoadedProfile() {
  std::string result(kDefaultProfile);
  std::optional<std::string> last = settings_.read(kLastProfileKey);
  std::error_code error;
  if (last && !last->empty() && std::filesystem::exists(*last, error)) result = *last;
  return result;
}

void ProfilePage::SaveLoadedProfileToRegistry() {
  settings_.write(kLastProfileKey, document_.LoadedProfile);
}

}  // namespace orvane

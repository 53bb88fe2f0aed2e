#include "persistence/ProfilePage.h"

#include <filesystem>

#include "app/MainForm.h"
#include "persistence/ProfileFolder.h"
#include "persistence/SettingsStore.h"

namespace orvane {

namespace {
constexpr std::string_view kForbiddenCharacters = "\\/:*?\"<>|";
}  // namespace

// File names on the profile page ignore letter case, as the listing does: a typed name that
// matches a listed file in another case means that file.
std::string ProfilePage::ListedName(const std::string& typed) const {
  const std::string name = AddEndingIfNeeded(typed, kProfileEnding);
  const int index = main_.ProfileFiles->indexOfIgnoringCase(name);
  return index >= 0 ? main_.ProfileFiles->items()[static_cast<size_t>(index)] : name;
}

ProfilePage::ProfilePage(TMainForm& main) : main_(main) {}

void ProfilePage::ProfilesChange() {
  if (listing_) return;
  listing_ = true;
  main_.ProfileFiles->setItems(GetFiles(main_.context().programFolder, kProfilePattern));
  listing_ = false;
}

void ProfilePage::ProfileFilesChange(const void* sender) {
  TMainForm& m = main_;
  const std::string text = m.ProfileFiles->text();
  const bool clean = text.find_first_of(kForbiddenCharacters) == std::string::npos;
  const std::string name = AddEndingIfNeeded(text, kProfileEnding);
  m.SaveProfile->setVisible(clean);
  m.SaveProfileShape->setVisible(clean);
  const bool listed = m.ProfileFiles->indexOfIgnoringCase(name) >= 0;
  if (sender != nullptr && !listing_) {
    if (listed) {
      m.CurrentProfileStatus->setText("Status: Ready to load Profile");
      m.appearance.Blink(*m.CurrentProfileStatus);
    } else {
      m.CurrentProfileStatus->setText("Status: No such file");
    }
  }
  for (ui::Widget* w : {static_cast<ui::Widget*>(m.LoadProfile.get()),
                        static_cast<ui::Widget*>(m.LoadProfileShape.get()),
                        static_cast<ui::Widget*>(m.DeleteProfile.get()),
                        static_cast<ui::Widget*>(m.DeleteProfileShape.get())}) {
    w->setVisible(listed);
  }
  const bool loaded = !m.LoadedProfile.empty();
  m.ReloadProfile->setVisible(loaded);
  m.ReloadProfileShape->setVisible(loaded);
}

void ProfilePage::LoadProfileClick() {
  main_.sheets.RemoveAllComponents();
  const std::string name = ListedName(main_.ProfileFiles->text());
  main_.ProfileFiles->setText(name);
  main_.reader.ReadIniFile(name);
}

void ProfilePage::ReloadProfileNow() {
  main_.sheets.RemoveAllComponents();
  main_.reader.ReadIniFile(std::string(main_.LoadedProfile));
}

void ProfilePage::DeleteProfileClick() {
  TMainForm& m = main_;
  const std::string name = ListedName(m.ProfileFiles->text());
  m.ProfileFiles->setText(name);
  std::error_code error;
  const bool deleted = std::filesystem::is_regular_file(name, error) &&
                       std::filesystem::remove(name, error) && !error;
  if (deleted) {
    if (name == m.LoadedProfile) m.LoadedProfile.clear();
    m.ProfileFiles->setText("");
    m.ProfileFiles->setItems(GetFiles(m.context().programFolder, kProfilePattern));
    m.CurrentProfileStatus->setText("Status: Profile deleted");
  } else {
    m.CurrentProfileStatus->setText("Status: Unable to delete file");
  }
  m.appearance.Blink(*m.CurrentProfileStatus);
  ProfileFilesChange(nullptr);
}

std::string ProfilePage::IdentifyLastLoadedProfile() {
  std::string result(kDefaultProfile);
  std::optional<std::string> last = main_.context().settings.read(kLastProfileKey);
  std::error_code error;
  if (last && !last->empty() && std::filesystem::exists(*last, error)) result = *last;
  return result;
}

void ProfilePage::SaveLoadedProfileToRegistry() {
  main_.context().settings.write(kLastProfileKey, main_.LoadedProfile);
}

}  // namespace orvane

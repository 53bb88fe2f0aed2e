#include "persistence/SettingsBackups.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <system_error>

#include "persistence/AtomicFile.h"
#include "persistence/ProfileFolder.h"
#include "persistence/ProfileWriter.h"
#include "sheets/Sheets.h"
#include "ui/Latin1.h"

namespace orvane {

namespace {

constexpr std::string_view kEnding = ".ocf";
constexpr std::string_view kUnnamed = "Profile";
// " yyyy-mm-dd hh-mm-ss" before the ending.
constexpr std::size_t kStampLength = 20;

bool IsStamp(std::string_view stamp) {
  // " dddd-dd-dd dd-dd-dd"
  constexpr std::string_view kShape = " 0000-00-00 00-00-00";
  if (stamp.size() != kShape.size()) return false;
  for (std::size_t i = 0; i < kShape.size(); ++i) {
    const bool digit = stamp[i] >= '0' && stamp[i] <= '9';
    if (kShape[i] == '0' ? !digit : stamp[i] != kShape[i]) return false;
  }
  return true;
}

// The stamp of a backup's name, for ordering (the profile name may sort otherwise).
std::string StampOf(const std::string& name) {
  return name.substr(name.size() - kEnding.size() - kStampLength, kStampLength);
}

}  // namespace

std::string BackupProfileOf(const std::string& loadedProfile) {
  std::string name = std::filesystem::path(loadedProfile).filename().string();
  if (name.size() >= kEnding.size() &&
      ui::EqualIgnoringCase(std::string_view(name).substr(name.size() - kEnding.size()), kEnding)) {
    name.resize(name.size() - kEnding.size());
  }
  if (name.empty()) name = kUnnamed;
  return name;
}

std::string BackupFileName(const std::string& loadedProfile, const ui::DateTime& taken) {
  const std::string name = BackupProfileOf(loadedProfile);
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, " %04d-%02d-%02d %02d-%02d-%02d", taken.year % 10000,
                taken.month % 100, taken.day % 100, taken.hour % 100, taken.minute % 100,
                taken.second % 100);
  return name + stamp + std::string(kEnding);
}

std::optional<std::string> BackupProfileName(const std::string& name) {
  if (name.size() <= kEnding.size() + kStampLength) return std::nullopt;
  if (name.compare(name.size() - kEnding.size(), kEnding.size(), kEnding) != 0) {
    return std::nullopt;
  }
  if (!IsStamp(StampOf(name))) return std::nullopt;
  return name.substr(0, name.size() - kEnding.size() - kStampLength);
}

SettingsBackups::SettingsBackups(std::filesystem::path programFolder,
                                 const ProfileDocument& document, const Sheets& sheets)
    : programFolder_(std::move(programFolder)), document_(document), sheets_(sheets) {}

std::vector<std::string> SettingsBackups::BackupLines() const {
  std::vector<std::string> lines = document_.Profile;
  const KnownSettings& known = sheets_.known();
  auto valueLine = [&](long long id, const ui::Widget& control) {
    const std::string text = known.ControllerValue(control).value_or(control.text());
    const std::string prefix = "Value " + std::to_string(id) + "=\"";
    if (QuotableValue(text)) ReplaceProfileLine(lines, prefix, prefix + text + "\"");
  };
  for (const auto& sheet : sheets_.sheets()) {
    for (const auto& list : sheet->lists) {
      if (known.Knows(*list)) valueLine(list->tag() % 1000, *list);
    }
    for (const auto& field : sheet->fields) {
      if (known.Knows(*field)) valueLine(field->tag(), *field);
    }
  }
  return lines;
}

std::optional<std::filesystem::path> SettingsBackups::Store(const ui::DateTime& taken) {
  std::error_code error;
  std::filesystem::create_directories(Folder(), error);
  const std::string name = BackupFileName(document_.LoadedProfile, taken);
  const std::filesystem::path file = Folder() / name;
  if (!ReplaceFileContents(file, ProfileFileText(BackupLines()))) return std::nullopt;
  if (std::optional<std::string> profile = BackupProfileName(name)) pruneOlderThanNewest(*profile);
  return file;
}

std::vector<std::string> SettingsBackups::List() const {
  std::vector<std::string> names;
  for (std::string& name : GetFiles(Folder(), "*.ocf")) {
    if (BackupProfileName(name)) names.push_back(std::move(name));
  }
  std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return StampOf(a) > StampOf(b);
  });
  return names;
}

std::vector<std::string> SettingsBackups::ListOfLoadedProfile() const {
  const std::string profile = BackupProfileOf(document_.LoadedProfile);
  std::vector<std::string> names = List();
  std::erase_if(names, [&](const std::string& name) { return BackupProfileName(name) != profile; });
  return names;
}

bool SettingsBackups::OfLoadedProfile(const std::string& name) const {
  return BackupProfileName(name) == BackupProfileOf(document_.LoadedProfile);
}

void SettingsBackups::pruneOlderThanNewest(const std::string& profileName) const {
  int kept = 0;
  for (const std::string& name : List()) {
    if (BackupProfileName(name) != profileName) continue;
    if (++kept <= kKept) continue;
    std::error_code ignored;
    std::filesystem::remove(Folder() / name, ignored);
  }
}

}  // namespace orvane

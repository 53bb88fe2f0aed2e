#include "persistence/ProfileWriter.h"

#include <algorithm>

#include "link/Cache.h"
#include "profile/ProfileReader.h"
#include "sheets/Sheets.h"
#include "text/FileNames.h"
#include "text/NumberText.h"

namespace orvane {

namespace {

constexpr std::string_view kNoVersion = "Detection failed";
constexpr std::string_view kLevelPrefix = "Level ";
constexpr std::string_view kVersionPrefix = ", Version ";

std::string Quoted(std::string_view keyword, std::string_view value) {
  return std::string(keyword) + "\"" + std::string(value) + "\"";
}

}  // namespace

std::string ProfileFileText(const std::vector<std::string>& lines) {
  std::size_t size = 0;
  for (const std::string& line : lines) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

void ReplaceProfileLine(std::vector<std::string>& profile, std::string_view prefix,
                        std::string line) {
  for (std::size_t i = profile.size(); i-- > 0;) {
    if (std::string_view(profile[i]).substr(0, prefix.size()) == prefix) {
      profile[i] = std::move(line);
      return;
    }
  }
  profile.push_back(std::move(line));
}

std::string MillisecondsLine(std::string_view keyword, std::string_view fieldText) {
  return Quoted(keyword, BlanksAsZeros(std::string(fieldText)));
}

std::optional<std::string> VersionLine(std::string_view label) {
  if (label == kNoVersion) return std::nullopt;
  // The label reads "Level <L>, Version <VVV>", possibly followed by a remark; the level
  // is one character, and none when the profile's value was empty.
  std::string_view rest = label;
  if (rest.substr(0, kLevelPrefix.size()) == kLevelPrefix) rest.remove_prefix(kLevelPrefix.size());
  const std::size_t at = rest.find(kVersionPrefix);
  if (at == std::string_view::npos) return std::nullopt;
  const std::string level(rest.substr(0, std::min<std::size_t>(at, 1)));
  const std::string_view version = rest.substr(at + kVersionPrefix.size(), 3);
  return Quoted("Version ", level + std::string(version));
}

std::string ControlModeName(int mode) {
  if (mode == 1) return "Toggle";
  if (mode == 2) return "Touch";
  return "None";
}

bool QuotableValue(std::string_view text) {
  return text.find_first_of("\"\r\n") == std::string_view::npos;
}

ProfileWriter::ProfileWriter(ProfileDocument& document, ProfileSettingsFields fields,
                             const Sheets& sheets)
    : document_(document), fields_(fields), sheets_(sheets) {}

void ProfileWriter::replaceLine(std::string_view prefix, std::string line) {
  ReplaceProfileLine(document_.Profile, prefix, std::move(line));
}

// A line with a value that would not read back as it is stays out of the profile.
bool ProfileWriter::replaceValueLine(std::string_view prefix, const std::string& text,
                                     std::string line) {
  if (!QuotableValue(text) || line.size() > kMaxProfileLineLength) return false;
  replaceLine(prefix, std::move(line));
  return true;
}

int ProfileWriter::SaveSettings() {
  const ProfileSettingsFields& f = fields_;
  std::vector<std::string>& profile = document_.Profile;
  int leftOut = 0;
  // In the order of the lines' usual place in a profile; each replaces the last line of its
  // kind or is appended.
  if (auto version = VersionLine(f.profileVersion.text())) replaceLine("Version ", *version);
  replaceLine("Port ", Quoted("Port ", f.serialPort.text()));
  const std::optional<ScheduleSettings> schedule =
      schedule_ != nullptr ? std::optional(schedule_->ScheduleToSave()) : std::nullopt;
  if (schedule) {
    replaceLine("ControlMode ", Quoted("ControlMode ", ControlModeName(schedule->controlMode)));
  }
  replaceLine("TimeOut ", MillisecondsLine("TimeOut ", f.timeOut.text()));
  replaceLine("Update ", MillisecondsLine("Update ", f.updateInterval.text()));
  if (cache_ != nullptr) cache_->SetCacheDelay();
  replaceLine("CacheDelay ", MillisecondsLine("CacheDelay ", f.cacheDelay.text()));

  if (schedule) replaceLine("Slewing ", Quoted("Slewing ", schedule->slewingSpeed));

  for (const auto& sheet : sheets_.sheets()) {
    for (const auto& list : sheet->lists) {
      const std::string id = std::to_string(list->tag() % 1000);
      const std::string prefix = "Value " + id + "=\"";
      if (!replaceValueLine(prefix, list->text(), prefix + list->text() + "\"")) ++leftOut;
    }
    for (const auto& field : sheet->fields) {
      const std::string prefix = "Value " + std::to_string(field->tag()) + "=\"";
      if (!replaceValueLine(prefix, field->text(), prefix + field->text() + "\"")) ++leftOut;
    }
  }

  // The schedule goes last, after any value line appended above, so that saving again
  // writes every line where the previous save put it.
  if (schedule) {
    std::erase_if(profile, [](const std::string& line) {
      return std::string_view(line).substr(0, 9) == "Schedule ";
    });
    for (const ScheduleRow& row : schedule->rows) {
      std::string line = "Schedule Time=\"" + row.time + "\" Name=\"" + row.name + "\" RA=\"" +
                         row.rightAscension + "\" Dec=\"" + row.declination + "\"";
      const bool readable = QuotableValue(row.time) && QuotableValue(row.name) &&
                            QuotableValue(row.rightAscension) &&
                            QuotableValue(row.declination) &&
                            line.size() <= kMaxProfileLineLength;
      if (readable) {
        profile.push_back(std::move(line));
      } else {
        ++leftOut;
      }
    }
  }

  return leftOut;
}

bool ProfileWriter::WriteProfile(const std::string& file) const {
  return WriteProfileFile(file).written;
}

ReplaceOutcome ProfileWriter::WriteProfileFile(const std::string& file) const {
  return ReplaceFile(SystemPath(file), ProfileFileText(document_.Profile), writeOptions);
}

}  // namespace orvane

#include "profile/ProfileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

#include "link/ProgramPhase.h"
#include "profile/KeywordText.h"
#include "profile/ProfileLineError.h"
#include "text/FileNames.h"
#include "text/NumberText.h"
#include "text/VersionText.h"
#include "ui/Backend.h"

namespace orvane {

namespace {

constexpr std::string_view kStatusLoading = "Status: Loading Profile ...";
constexpr std::string_view kStatusUnable = "Status: Unable to load Profile";
constexpr std::string_view kStatusCorrupted = "Error: Profile corrupted";
constexpr std::string_view kStatusInvalidFormat = "Error: Invalid file format";
constexpr std::string_view kStatusErrors = "Status: Errors found in Profile";
constexpr std::string_view kStatusLoaded = "Status: Profile loaded";
constexpr size_t kReadLimit = 256;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Opens a profile for reading, or nothing when path does not name a regular file. Anything
// else is refused before it is opened: a named pipe would block the open until a writer
// came, a device might act on being opened, a folder never ends.
File OpenRegularFile(const std::string& path, FileStamp& stamp) {
  const std::filesystem::path name = SystemPath(path);
  struct stat status {};
  if (::stat(name.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return nullptr;
  // Non-blocking, in case the name was swapped for something else in the meantime.
  const int descriptor = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) return nullptr;
  if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) ||
      ::fcntl(descriptor, F_SETFL, 0) != 0) {
    ::close(descriptor);
    return nullptr;
  }
  File file(::fdopen(descriptor, "rb"));
  if (!file) {
    ::close(descriptor);
    return nullptr;
  }
  stamp = FileStamp::Of(status);
  return file;
}

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// Reads one line the way a text-mode read does: a carriage return before a line feed is
// not part of the line. count is the number of characters read, the line feed (or the
// failed read at the end) included.
std::string readLine(std::FILE* file, size_t& count) {
  std::string line;
  count = 0;
  while (count < kReadLimit) {
    int ch = std::fgetc(file);
    ++count;
    if (ch == EOF) break;
    if (ch == '\r') {
      int next = std::fgetc(file);
      if (next == '\n') {
        ch = '\n';
      } else if (next != EOF) {
        std::ungetc(next, file);
      }
    }
    line.push_back(static_cast<char>(ch));
    if (ch == '\n') break;
  }
  if (!line.empty() && line.back() == '\n') line.pop_back();
  return line;
}

}  // namespace

ProfileReader::ProfileReader(ui::Backend& backend, ProfileDocument& document, ProfileFields fields,
                             ProfileHost& host, ProfileSheets& sheets, ui::ColorScheme& scheme)
    : backend_(backend),
      document_(document),
      fields_(fields),
      host_(host),
      sheets_(sheets),
      scheme_(scheme) {}

bool ProfileReader::ReadIniFile(const std::string& path) {
  ProfileFields& f = fields_;
  ProfileDocument& d = document_;
  ProfileSchedule* schedule = schedule_;
  const bool scheduleWasVisible = schedule != nullptr && schedule->HideForLoading();
  f.window.hide();
  d.ProfileLoading = true;
  if (schedule != nullptr) schedule->ClearForLoading();
  d.Profile.clear();
  d.LoadedProfile.clear();
  d.ProfileIncomplete = false;
  d.LoadedStamp = FileStamp{};
  f.profileVersion.setText("Detection failed");
  f.status.setText(std::string(kStatusLoading));

  // A file that cannot be opened or read, or that is not a regular file, is reported alike.
  auto unableToLoad = [this, &f, &d] {
    d.LoadedProfile.clear();
    d.LoadedStamp = FileStamp{};
    host_.CenterOnScreen();
    f.window.show();
    f.status.setText(std::string(kStatusUnable));
    scheme_.Blink(f.status);
    d.ProfileLoading = false;
    return false;
  };
  File file = OpenRegularFile(path, d.LoadedStamp);
  if (!file) return unableToLoad();
  d.LoadedProfile = path;
  // The refusals below keep the profile loaded with the lines read so far: until the end is
  // reached it is incomplete, and saving must not put it in place of the whole file.
  d.ProfileIncomplete = true;

  while (!std::feof(file.get())) {
    size_t count = 0;
    std::string line = readLine(file.get(), count);
    if (std::ferror(file.get())) {
      file.reset();
      return unableToLoad();
    }
    if (count >= kReadLimit) {
      file.reset();
      backend_.messageBox("Profile corrupted !", "Orvane", ui::MessageButtons::Ok);
      f.status.setText(std::string(kStatusCorrupted));
      f.window.show();
      return false;
    }
    if (count <= 1) continue;
    if (line == kHandheldMarker) {
      file.reset();
      f.status.setText(std::string(kStatusInvalidFormat));
      f.window.show();
      return false;
    }
    d.Profile.push_back(line);
    CreateComponent(line);
  }
  file.reset();
  d.ProfileIncomplete = false;

  scheme_.SetVisionMode();
  f.window.show();
  f.profileFiles.setText(path);
  host_.ProfileFilesChanged();
  if (f.status.text() != kStatusErrors) {
    f.status.setText(std::string(kStatusLoaded));
  }
  d.ProfileLoading = false;
  if (f.window.activeControl() == &f.profileFiles) scheme_.Defocus();
  if (f.startupTimer.tag() == startup_phase::kStarted) host_.FadeInMenus();
  if (schedule != nullptr && scheduleWasVisible) schedule->ShowAfterLoading();
  return true;
}

void ProfileReader::reportLineError() {
  fields_.status.setText(std::string(kStatusErrors));
}

void ProfileReader::CreateComponent(const std::string& line) {
  if (!line.empty() && line[0] == '#') return;
  using Handler = void (ProfileReader::*)(std::string_view);
  struct Keyword {
    std::string_view prefix;
    Handler handler;
  };
  static constexpr Keyword kKeywords[] = {
      {"Schedule ", &ProfileReader::SetScheduleItem},
      {"Slewing ", &ProfileReader::SetSlewingSpeed},
      {"CacheDelay ", &ProfileReader::SetCacheDelay},
      {"TimeOut ", &ProfileReader::SetTimeOut},
      {"Port ", &ProfileReader::SetSerialPort},
      {"ControlMode ", &ProfileReader::SetControlMode},
      {"Update ", &ProfileReader::SetUpdateInterval},
      {"Version ", &ProfileReader::SetVersion},
      {"Value ", &ProfileReader::SetSavedValue},
      {"Colors ", &ProfileReader::LoadColorScheme},
  };
  // A line that cannot be read is reported and skipped; the reader goes on.
  try {
    for (const Keyword& keyword : kKeywords) {
      if (startsWith(line, keyword.prefix)) {
        (this->*keyword.handler)(line);
        return;
      }
    }
    if (startsWith(line, "Sheet ")) {
      sheets_.CreateSheet(line);
      return;
    }
    if (startsWith(line, "DataBase ")) {
      if (addDatabaseEntry) addDatabaseEntry(line);
      return;
    }
    if (startsWith(line, "DataSet")) return;
    sheets_.CreateControl(line);
  } catch (const ProfileLineError&) {
    reportLineError();
  }
}

void ProfileReader::SetCacheDelay(std::string_view line) {
  fields_.cacheDelay.setText(NormaliseMilliseconds(FirstQuotedValue(line)));
}

void ProfileReader::SetTimeOut(std::string_view line) {
  fields_.timeOut.setText(NormaliseMilliseconds(FirstQuotedValue(line)));
}

void ProfileReader::SetUpdateInterval(std::string_view line) {
  fields_.updateInterval.setText(NormaliseMilliseconds(FirstQuotedValue(line)));
}

void ProfileReader::SetSerialPort(std::string_view line) {
  ui::ComboBox& port = fields_.serialPort;
  port.setItemIndex(port.indexOfIgnoringCase(FirstQuotedValue(line)));
}

void ProfileReader::SetSlewingSpeed(std::string_view line) {
  if (schedule_ != nullptr) schedule_->SetSlewingSpeed(FirstQuotedValue(line));
}

void ProfileReader::SetControlMode(std::string_view line) {
  if (schedule_ == nullptr) return;
  std::string mode = FirstQuotedValue(line);
  if (mode == "Toggle") schedule_->SetControlMode(1);
  if (mode == "Touch") schedule_->SetControlMode(2);
}

void ProfileReader::SetVersion(std::string_view line) {
  fields_.profileVersion.setText(VersionLabel(FirstQuotedValue(line)));
  if (compareVersions) compareVersions();
}

void ProfileReader::SetSavedValue(std::string_view line) {
  std::optional<ValueLine> value = ParseValueLine(line);
  if (!value || !IsControlNumber(value->id)) {
    throw ProfileLineError("the id of a value line is not a control number");
  }
  sheets_.SetControlValue(nullptr, value->id, false, value->text, true);
}

void ProfileReader::LoadColorScheme(std::string_view line) {
  std::optional<ColorsLine> colors = ParseColorsLine(line);
  if (!colors) throw ProfileLineError("a colour line with a faulty field");
  scheme_.SetColorTable(colors->day, colors->colors);
}

void ProfileReader::SetScheduleItem(std::string_view line) {
  ScheduleLine item = ParseScheduleLine(line);
  if (schedule_ != nullptr) schedule_->AddScheduleRow(item.time, item.name, item.ra, item.dec);
  for (int index = document_.FindInProfile("Schedule ", -1); index >= 0;
       index = document_.FindInProfile("Schedule ", -1)) {
    document_.Profile.erase(document_.Profile.begin() + index);
  }
}

}  // namespace orvane

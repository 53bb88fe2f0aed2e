#include "profile/ProfileReader.h"

#include <cstdio>
#include <memory>

#include "app/MainForm.h"
#include "profile/KeywordText.h"
#include "schedule/Schedule.h"
#include "sheets/NumberText.h"

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

ProfileReader::ProfileReader(TMainForm& main) : main_(main) {}

bool ProfileReader::ReadIniFile(const std::string& path) {
  TMainForm& m = main_;
  TSchedule* schedule = m.windows().schedule;
  const bool scheduleWasVisible = schedule != nullptr && schedule->visible();
  if (schedule != nullptr) schedule->hide();
  m.hide();
  m.ProfileLoading = true;
  if (schedule != nullptr) {
    schedule->ClearAllClick();
    if (schedule->ScheduleActive) schedule->ToggleScheduleClick();
  }
  m.Profile.clear();
  m.LoadedProfile.clear();
  m.ProfileVersion->setText("Detection failed");
  m.CurrentProfileStatus->setText(std::string(kStatusLoading));

  // A file that cannot be opened, or cannot be read (a folder opens but never reaches its
  // end), is reported alike.
  auto unableToLoad = [&m] {
    m.LoadedProfile.clear();
    m.CenterOnScreen();
    m.show();
    m.CurrentProfileStatus->setText(std::string(kStatusUnable));
    m.appearance.Blink(*m.CurrentProfileStatus);
    m.ProfileLoading = false;
    return false;
  };
  File file(std::fopen(path.c_str(), "rb"));
  if (!file) return unableToLoad();
  m.LoadedProfile = path;

  while (!std::feof(file.get())) {
    size_t count = 0;
    std::string line = readLine(file.get(), count);
    if (std::ferror(file.get())) {
      file.reset();
      return unableToLoad();
    }
    if (count >= kReadLimit) {
      file.reset();
      m.backend().messageBox("Profile corrupted !", "Orvane", ui::MessageButtons::Ok);
      m.CurrentProfileStatus->setText(std::string(kStatusCorrupted));
      m.show();
      return false;
    }
    if (count <= 1) continue;
    if (line == kHandheldMarker) {
      file.reset();
      m.CurrentProfileStatus->setText(std::string(kStatusInvalidFormat));
      m.show();
      return false;
    }
    m.Profile.push_back(line);
    CreateComponent(line);
  }
  file.reset();

  m.appearance.SetVisionMode();
  m.show();
  m.ProfileFiles->setText(path);
  m.profilePage.ProfileFilesChange(nullptr);
  if (m.CurrentProfileStatus->text() != kStatusErrors) {
    m.CurrentProfileStatus->setText(std::string(kStatusLoaded));
  }
  m.ProfileLoading = false;
  if (m.activeControl() == m.ProfileFiles.get()) m.appearance.Defocus();
  if (m.StartupTimer.tag() == startup_phase::kStarted) m.FadeInMenus();
  if (schedule != nullptr && scheduleWasVisible) schedule->show();
  return true;
}

void ProfileReader::reportLineError() {
  main_.CurrentProfileStatus->setText(std::string(kStatusErrors));
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
      main_.sheets.CreateSheet(line);
      return;
    }
    if (startsWith(line, "DataBase ")) {
      if (addDatabaseEntry) addDatabaseEntry(line);
      return;
    }
    if (startsWith(line, "DataSet")) return;
    main_.sheets.CreateControl(line);
  } catch (const ProfileLineError&) {
    reportLineError();
  }
}

void ProfileReader::SetCacheDelay(std::string_view line) {
  main_.CacheDelay->setText(NormaliseMilliseconds(FirstQuotedValue(line)));
}

void ProfileReader::SetTimeOut(std::string_view line) {
  main_.TimeOut->setText(NormaliseMilliseconds(FirstQuotedValue(line)));
}

void ProfileReader::SetUpdateInterval(std::string_view line) {
  main_.UpdateInterval->setText(NormaliseMilliseconds(FirstQuotedValue(line)));
}

void ProfileReader::SetSerialPort(std::string_view line) {
  ui::ComboBox& port = *main_.SerialPort;
  port.setItemIndex(port.indexOfIgnoringCase(FirstQuotedValue(line)));
}

void ProfileReader::SetSlewingSpeed(std::string_view line) {
  if (TSchedule* schedule = main_.windows().schedule) {
    schedule->Speed->setItemIndex(schedule->Speed->indexOfIgnoringCase(FirstQuotedValue(line)));
  }
}

void ProfileReader::SetControlMode(std::string_view line) {
  TSchedule* schedule = main_.windows().schedule;
  if (schedule == nullptr) return;
  std::string mode = FirstQuotedValue(line);
  if (mode == "Toggle") schedule->SetControlMode(1);
  if (mode == "Touch") schedule->SetControlMode(2);
}

void ProfileReader::SetVersion(std::string_view line) {
  main_.ProfileVersion->setText(VersionLabel(FirstQuotedValue(line)));
  if (compareVersions) compareVersions();
}

void ProfileReader::SetSavedValue(std::string_view line) {
  std::optional<ValueLine> value = ParseValueLine(line);
  if (!value || !IsControlNumber(value->id)) {
    throw ProfileLineError("the id of a value line is not a control number");
  }
  main_.sheets.SetControlValue(nullptr, value->id, false, value->text, true);
}

void ProfileReader::LoadColorScheme(std::string_view line) {
  std::optional<ColorsLine> colors = ParseColorsLine(line);
  if (!colors) throw ProfileLineError("a colour line with a faulty field");
  (colors->day ? main_.appearance.dayColors : main_.appearance.nightColors) = colors->colors;
}

void ProfileReader::SetScheduleItem(std::string_view line) {
  ScheduleLine item = ParseScheduleLine(line);
  if (TSchedule* schedule = main_.windows().schedule) {
    schedule->AddScheduleRow(item.time, item.name, item.ra, item.dec);
  }
  for (int index = main_.FindInProfile("Schedule ", -1); index >= 0;
       index = main_.FindInProfile("Schedule ", -1)) {
    main_.Profile.erase(main_.Profile.begin() + index);
  }
}

}  // namespace orvane

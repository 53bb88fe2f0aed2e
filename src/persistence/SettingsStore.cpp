#include "persistence/SettingsStore.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <thread>
#include <system_error>
#include <vector>

#include "persistence/AtomicFile.h"
#include "persistence/UserFolders.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;

constexpr const char* kFolderName = "OrvaneControl";
constexpr const char* kFileName = "OrvaneControl.conf";
// How long a write waits for another program's write to end before it gives up.
constexpr auto kLockPatience = std::chrono::seconds(5);
constexpr auto kLockRetry = std::chrono::milliseconds(5);

// An exclusive advisory lock on "<file>.lock" beside the settings file, held while one write
// reads, changes and replaces the file, so that two running copies of the program never
// write over each other's change. The lock file itself stays (removing it would let a third
// writer lock a new file while the second still holds the old one).
class WriteLock {
 public:
  explicit WriteLock(const fs::path& file) {
    const fs::path lockFile = file.string() + ".lock";
    descriptor_ = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    // Where no lock file can be made or locks are not offered, the write goes on unlocked
    // as before: a setting that is never saved would be worse.
    if (descriptor_ < 0) return;
    const auto giveUp = std::chrono::steady_clock::now() + kLockPatience;
    while (::flock(descriptor_, LOCK_EX | LOCK_NB) != 0) {
      if (errno != EWOULDBLOCK && errno != EINTR) return;
      if (std::chrono::steady_clock::now() > giveUp) {
        timedOut_ = true;
        return;
      }
      std::this_thread::sleep_for(kLockRetry);
    }
  }
  ~WriteLock() {
    if (descriptor_ >= 0) ::close(descriptor_);  // closing releases the lock
  }
  WriteLock(const WriteLock&) = delete;
  WriteLock& operator=(const WriteLock&) = delete;
  // Another program held the lock for all of the patience.
  bool timedOut() const { return timedOut_; }

 private:
  int descriptor_ = -1;
  bool timedOut_ = false;
};

// Lines of the file without their line feed; nothing when it exists but cannot be read.
std::optional<std::vector<std::string>> ReadLines(const fs::path& file) {
  std::vector<std::string> lines;
  std::error_code error;
  const fs::file_status status = fs::status(file, error);
  if (!fs::exists(status)) return lines;
  if (!fs::is_regular_file(status)) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  for (std::string line; std::getline(in, line);) lines.push_back(std::move(line));
  if (in.bad()) return std::nullopt;
  return lines;
}

// The value of a "key=value" line for key; a CR before the line end is not part of it.
std::optional<std::string_view> ValueOf(std::string_view line, std::string_view key) {
  if (line.empty() || line.front() == '#') return std::nullopt;
  const auto equals = line.find('=');
  if (equals == std::string_view::npos || line.substr(0, equals) != key) return std::nullopt;
  std::string_view value = line.substr(equals + 1);
  if (!value.empty() && value.back() == '\r') value.remove_suffix(1);
  return value;
}

}  // namespace

SettingsStore::SettingsStore(std::filesystem::path file) : file_(std::move(file)) {}

std::filesystem::path SettingsStore::DefaultLocation() {
  return ConfigHome() / kFolderName / kFileName;
}

std::optional<std::string> SettingsStore::read(std::string_view key) const {
  const auto lines = ReadLines(file_);
  if (!lines) return std::nullopt;
  for (const std::string& line : *lines) {
    if (auto value = ValueOf(line, key)) return std::string(*value);
  }
  return std::nullopt;
}

bool SettingsStore::write(std::string_view key, std::string_view value) {
  // A key with '=' could never be read back, and a line break in either would smuggle
  // further lines into the file.
  if (key.empty() || key.front() == '#' || key.find_first_of("=\r\n") != std::string_view::npos ||
      value.find_first_of("\r\n") != std::string_view::npos)
    return false;

  std::error_code error;
  const fs::path folder = file_.parent_path().empty() ? fs::path(".") : file_.parent_path();
  fs::create_directories(folder, error);
  if (error) return false;
  // Something else in the file's place is left alone, with no lock file beside it.
  const fs::file_status status = fs::status(file_, error);
  if (fs::exists(status) && !fs::is_regular_file(status)) return false;
  // The file is read again under the lock: what another program wrote since stays.
  const WriteLock lock(folder / file_.filename());
  if (lock.timedOut()) return false;
  const auto lines = ReadLines(file_);
  if (!lines) return false;

  const std::string newLine = std::string(key) + "=" + std::string(value);
  std::string text;
  bool stored = false;
  for (const std::string& line : *lines) {
    if (ValueOf(line, key)) {
      if (stored) continue;  // drop repeats: the key appears once after a write
      text += newLine;
      stored = true;
    } else {
      text += line;
    }
    text += '\n';
  }
  if (!stored) text += newLine + '\n';
  return ReplaceFileContents(folder / file_.filename(), text);
}

}  // namespace orvane

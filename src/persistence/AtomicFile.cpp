#include "persistence/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <string>

#include "text/FileNames.h"

namespace orvane {

namespace {

namespace fs = std::filesystem;

// More links than this in a chain is a loop.
constexpr int kMaxLinks = 40;
constexpr std::size_t kChunkSize = 64 * 1024;
constexpr std::string_view kTemporaryMark = ".orvane-";

// Writes all of text; on failure error holds the reason.
bool WriteAll(int descriptor, std::string_view text, const ReplaceOptions& options, int& error) {
  std::size_t done = 0;
  while (done < text.size()) {
    const std::size_t chunk = std::min(kChunkSize, text.size() - done);
    const ssize_t written = ::write(descriptor, text.data() + done, chunk);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      error = written < 0 ? errno : ENOSPC;
      return false;
    }
    done += static_cast<std::size_t>(written);
    if (options.afterChunk && !options.afterChunk(done)) {
      error = ENOSPC;
      return false;
    }
  }
  return true;
}

// ".<name>.orvane-" and six characters of mkstemp's alphabet; forName, when given, must be
// the name.
bool IsTemporaryName(std::string_view name, std::string_view forName) {
  constexpr std::size_t kSuffix = 6;
  const std::size_t mark = kTemporaryMark.size();
  if (name.size() < 2 + mark + kSuffix || name.front() != '.') return false;
  const std::string_view suffix = name.substr(name.size() - kSuffix);
  const bool alphabet = std::all_of(suffix.begin(), suffix.end(), [](char ch) {
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9');
  });
  if (!alphabet || name.substr(name.size() - kSuffix - mark, mark) != kTemporaryMark) return false;
  const std::string_view target = name.substr(1, name.size() - 1 - mark - kSuffix);
  return forName.empty() || target == forName;
}

// The mode a new file gets: read and write for everyone the process's umask allows.
mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// Makes the rename itself durable.
void SyncFolder(const fs::path& folder) {
  const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return;
  ::fsync(descriptor);
  ::close(descriptor);
}

}  // namespace

std::filesystem::path ResolveLinks(const std::filesystem::path& path) {
  fs::path current = path;
  for (int step = 0; step < kMaxLinks; ++step) {
    struct stat status {};
    if (::lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return current;
    std::string target(static_cast<std::size_t>(PATH_MAX), '\0');
    const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
    if (length <= 0) return current;
    target.resize(static_cast<std::size_t>(length));
    const fs::path next(target);
    current = next.is_absolute() ? next : current.parent_path() / next;
  }
  return current;
}

TemporaryFile CreateTemporaryBeside(const std::filesystem::path& target) {
  const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  const std::string pattern =
      "." + target.filename().string() + std::string(kTemporaryMark) + "XXXXXX";
  std::string name = (folder / pattern).string();
  const int descriptor = ::mkostemp(name.data(), O_CLOEXEC);
  return TemporaryFile{descriptor, descriptor >= 0 ? fs::path(name) : fs::path()};
}

bool WriteProtected(const std::filesystem::path& file) {
  struct stat status {};
  if (::stat(file.c_str(), &status) != 0) return false;
  return ::access(file.c_str(), W_OK) != 0 || (status.st_mode & 0222) == 0;
}

SaveFailure SaveFailureOf(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
    case EISDIR:  // a folder, or anything else that is no file, stands where it would go
      return SaveFailure::WriteProtected;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return SaveFailure::DiskFull;
    default:
      return SaveFailure::WriteError;
  }
}

std::string SaveFailureStatus(SaveFailure failure) {
  switch (failure) {
    case SaveFailure::WriteProtected:
      return "Status: Cannot save due to write protection";
    case SaveFailure::DiskFull:
      return "Status: Cannot save, disk full";
    case SaveFailure::WriteError:
      break;
  }
  return "Status: Cannot save, write error";
}

std::string SystemReason(int error) {
  char buffer[256] = {};
  // The GNU form: the message may be a static text rather than the buffer.
  return TextFromSystem(::strerror_r(error, buffer, sizeof buffer));
}

bool ReplaceFileContents(const std::filesystem::path& file, std::string_view text,
                         const ReplaceOptions& options) {
  return ReplaceFile(file, text, options).written;
}

ReplaceOutcome ReplaceFile(const std::filesystem::path& file, std::string_view text,
                           const ReplaceOptions& options) {
  ReplaceOutcome outcome;
  const auto fail = [&outcome](int error) {
    outcome.error = error != 0 ? error : EIO;
    return outcome;
  };
  const fs::path target = ResolveLinks(file);
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (!exists && errno != ENOENT) return fail(errno);
  // Only a regular file is replaced; a write-protected one stays as its owner wants it.
  if (exists && !S_ISREG(old.st_mode)) return fail(S_ISDIR(old.st_mode) ? EISDIR : EPERM);
  if (exists && WriteProtected(target)) return fail(EACCES);

  const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  RemoveLeftoverTemporaries(folder, target.filename().string());
  const TemporaryFile temporary = CreateTemporaryBeside(target);
  if (temporary.descriptor < 0) return fail(errno);
  const int descriptor = temporary.descriptor;
  const mode_t mode = exists ? (old.st_mode & 07777) : NewFileMode();
  if (options.failPermissions != 0 || ::fchmod(descriptor, mode) != 0) {
    // The file is still written (a file system without permissions refuses every change of
    // them); the caller tells the user that the old permissions are gone.
    outcome.permissionsKept = false;
  }
  if (exists && ::fchown(descriptor, old.st_uid, old.st_gid) != 0) {
    // Keeps owner and group where the process may; otherwise the new file keeps the
    // process's owner, and nothing is lost by that.
  }
  int error = 0;
  bool ok = WriteAll(descriptor, text, options, error);
  if (ok && ::fsync(descriptor) != 0) {
    error = errno;
    ok = false;
  }
  struct stat written {};
  if (ok && ::fstat(descriptor, &written) != 0) {
    error = errno;
    ok = false;
  }
  if (::close(descriptor) != 0 && ok) {
    error = errno;
    ok = false;
  }
  if (ok && ::rename(temporary.path.c_str(), target.c_str()) != 0) {
    error = errno;
    ok = false;
  }
  if (!ok) {
    ::unlink(temporary.path.c_str());
    outcome.permissionsKept = true;
    return fail(error);
  }
  SyncFolder(folder);
  outcome.written = true;
  outcome.stamp = FileStamp::Of(written);
  return outcome;
}

int RemoveLeftoverTemporaries(const std::filesystem::path& folder, std::string_view forName,
                              int minAgeSeconds) {
  std::error_code error;
  const auto now = fs::file_time_type::clock::now();
  int removed = 0;
  fs::directory_iterator entries(folder, error);
  for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
    const std::string name = entries->path().filename().string();
    if (!IsTemporaryName(name, forName)) continue;
    struct stat status {};
    if (::lstat(entries->path().c_str(), &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_uid != ::geteuid()) {
      continue;
    }
    std::error_code timeError;
    const auto modified = fs::last_write_time(entries->path(), timeError);
    if (timeError || now - modified < std::chrono::seconds(minAgeSeconds)) continue;
    if (::unlink(entries->path().c_str()) == 0) ++removed;
  }
  return removed;
}

}  // namespace orvane

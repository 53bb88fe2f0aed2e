#include "persistence/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <string>

namespace orvane {

namespace {

namespace fs = std::filesystem;

// More links than this in a chain is a loop.
constexpr int kMaxLinks = 40;
constexpr std::size_t kChunkSize = 64 * 1024;

bool WriteAll(int descriptor, std::string_view text, const ReplaceOptions& options) {
  std::size_t done = 0;
  while (done < text.size()) {
    const std::size_t chunk = std::min(kChunkSize, text.size() - done);
    const ssize_t written = ::write(descriptor, text.data() + done, chunk);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    done += static_cast<std::size_t>(written);
    if (options.afterChunk && !options.afterChunk(done)) return false;
  }
  return true;
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

bool ReplaceFileContents(const std::filesystem::path& file, std::string_view text,
                         const ReplaceOptions& options) {
  const fs::path target = ResolveLinks(file);
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  // Only a regular file is replaced; a write-protected one stays as its owner wants it.
  if (exists && (!S_ISREG(old.st_mode) || ::access(target.c_str(), W_OK) != 0)) return false;
  if (!exists && errno != ENOENT) return false;

  const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  std::string temporary = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  const int descriptor = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (descriptor < 0) return false;
  if (exists) {
    ::fchmod(descriptor, old.st_mode & 07777);
    // Keeps owner and group where the process may (it usually owns the file anyway).
    if (::fchown(descriptor, old.st_uid, old.st_gid) != 0) {
      // The new file keeps the process's owner; nothing is lost by that.
    }
  } else {
    ::fchmod(descriptor, NewFileMode());
  }
  bool ok = WriteAll(descriptor, text, options) && ::fsync(descriptor) == 0;
  ok = (::close(descriptor) == 0) && ok;
  ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(temporary.c_str());
    return false;
  }
  SyncFolder(folder);
  return true;
}

}  // namespace orvane

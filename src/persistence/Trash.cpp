#include "persistence/Trash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "persistence/UserFolders.h"

namespace orvane {

namespace {

namespace fs = std::filesystem;

// Names tried before giving up: "Night.ocf", "Night.2.ocf", ... "Night.999.ocf".
constexpr int kMaxNameAttempts = 999;

bool WriteAll(int descriptor, const char* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t written = ::write(descriptor, data + done, size - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    done += static_cast<std::size_t>(written);
  }
  return true;
}

std::string DeletionDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local {};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  return text;
}

// The n-th candidate name in the trash for a file's name.
std::string CandidateName(const fs::path& name, int n) {
  if (n == 1) return name.string();
  return name.stem().string() + "." + std::to_string(n) + name.extension().string();
}

// Claims a name in the trash by creating its .trashinfo record (exclusively, so that two
// programs trashing at once never take the same name). Empty when none could be claimed.
std::string ClaimName(const fs::path& trash, const fs::path& name, const std::string& record) {
  for (int n = 1; n <= kMaxNameAttempts; ++n) {
    const std::string candidate = CandidateName(name, n);
    const fs::path info = trash / "info" / (candidate + ".trashinfo");
    const int descriptor = ::open(info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (descriptor < 0) {
      if (errno == EEXIST) continue;
      return {};
    }
    const bool written = WriteAll(descriptor, record.data(), record.size()) &&
                         ::fsync(descriptor) == 0;
    const bool closed = ::close(descriptor) == 0;
    struct stat taken {};
    const bool free = ::lstat((trash / "files" / candidate).c_str(), &taken) != 0;
    if (written && closed && free) return candidate;
    ::unlink(info.c_str());
    if (!written || !closed) return {};
  }
  return {};
}

// Copies a regular file's bytes and mode to a new file target; used when the trash lies
// on another file system and rename cannot move the file.
bool CopyFile(const fs::path& source, const fs::path& target) {
  const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  struct stat status {};
  if (::fstat(in, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(in);
    return false;
  }
  const int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                         status.st_mode & 07777);
  if (out < 0) {
    ::close(in);
    return false;
  }
  bool ok = true;
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t got = ::read(in, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    if (!WriteAll(out, buffer, static_cast<std::size_t>(got))) {
      ok = false;
      break;
    }
  }
  ok = ok && ::fsync(out) == 0;
  ok = (::close(out) == 0) && ok;
  ::close(in);
  if (!ok) ::unlink(target.c_str());
  return ok;
}

}  // namespace

std::filesystem::path TrashFolder() {
  return DataHome() / "Trash";
}

std::string TrashInfoPath(std::string_view absolutePath) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (char ch : absolutePath) {
    const auto byte = static_cast<unsigned char>(ch);
    const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                       (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' ||
                       byte == '_' || byte == '~' || byte == '/';
    if (plain) {
      encoded += ch;
    } else {
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 0x0F];
    }
  }
  return encoded;
}

bool MoveToTrash(const std::filesystem::path& file) {
  std::error_code error;
  const fs::path absolute = fs::absolute(file, error).lexically_normal();
  if (error || absolute.filename().empty()) return false;
  struct stat status {};
  if (::lstat(absolute.c_str(), &status) != 0) return false;

  const fs::path trash = TrashFolder();
  fs::create_directories(trash.parent_path(), error);
  // The trash holds other people's deleted files as well: it is private to its user.
  for (const fs::path& folder : {trash, trash / "files", trash / "info"}) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  const std::string record = "[Trash Info]\nPath=" + TrashInfoPath(absolute.string()) +
                             "\nDeletionDate=" + DeletionDate() + "\n";
  const std::string name = ClaimName(trash, absolute.filename(), record);
  if (name.empty()) return false;
  const fs::path info = trash / "info" / (name + ".trashinfo");
  const fs::path moved = trash / "files" / name;

  bool done = ::rename(absolute.c_str(), moved.c_str()) == 0;
  if (!done && errno == EXDEV && S_ISREG(status.st_mode) && CopyFile(absolute, moved)) {
    done = ::unlink(absolute.c_str()) == 0;
    if (!done) ::unlink(moved.c_str());
  }
  if (!done) {
    ::unlink(info.c_str());
    return false;
  }
  return true;
}

}  // namespace orvane

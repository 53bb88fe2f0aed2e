#include "transfer/TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace orvane {

FileReadResult ReadTextFile(const std::filesystem::path& file, std::string& text,
                            std::size_t maxBytes) {
  struct stat status {};
  if (::stat(file.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
    return FileReadResult::Unreadable;
  }
  // Non-blocking, in case the name was swapped for something else in the meantime.
  const int descriptor = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) return FileReadResult::Unreadable;
  struct Closer {
    int descriptor;
    ~Closer() { ::close(descriptor); }
  } closer{descriptor};
  if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
    return FileReadResult::Unreadable;
  }
  if (static_cast<unsigned long long>(status.st_size) > maxBytes) return FileReadResult::TooLarge;
  std::string content;
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t count = ::read(descriptor, buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return FileReadResult::Unreadable;
    if (count == 0) break;
    content.append(buffer, static_cast<std::size_t>(count));
    // The file may grow while it is read.
    if (content.size() > maxBytes) return FileReadResult::TooLarge;
  }
  text = std::move(content);
  return FileReadResult::Read;
}

}  // namespace orvane

// FileStamp: which file a name held when the program last read or wrote it (device, inode,
// size and modification time), so that a save can tell whether someone else has replaced or
// changed the file since.
// Thread: any (plain values and one stat call).
#pragma once

#include <sys/stat.h>

#include <filesystem>

namespace orvane {

struct FileStamp {
  bool known = false;
  unsigned long long device = 0;
  unsigned long long inode = 0;
  long long size = 0;
  long long modifiedNs = 0;

  bool operator==(const FileStamp&) const = default;

  static FileStamp Of(const struct stat& status) {
    return FileStamp{
        true, static_cast<unsigned long long>(status.st_dev),
        static_cast<unsigned long long>(status.st_ino), static_cast<long long>(status.st_size),
        static_cast<long long>(status.st_mtim.tv_sec) * 1000000000LL + status.st_mtim.tv_nsec};
  }
  // The file the path names now (through symbolic links); unknown when there is none.
  static FileStamp OfFile(const std::filesystem::path& file) {
    struct stat status {};
    return ::stat(file.c_str(), &status) == 0 ? Of(status) : FileStamp{};
  }
  // Both name the same file, whatever happened to its content.
  bool sameFile(const FileStamp& other) const {
    return known && other.known && device == other.device && inode == other.inode;
  }
};

}  // namespace orvane

// Reading a user's text file for a file transfer panel: only a regular file is opened (a
// named pipe would block the open, a device might act on it, a folder has no text), and
// only up to a size that a memo can sensibly hold.
// Thread: any (file system calls only); used on the user-interface thread.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace orvane {

// Larger files are not loaded: an object list of ten thousand lines is a few hundred
// kilobytes.
inline constexpr std::size_t kMaxLoadedFileBytes = 16 * 1024 * 1024;

enum class FileReadResult { Read, Unreadable, TooLarge };

// The whole content of file as bytes into text; text is untouched unless Read.
FileReadResult ReadTextFile(const std::filesystem::path& file, std::string& text,
                            std::size_t maxBytes = kMaxLoadedFileBytes);

}  // namespace orvane

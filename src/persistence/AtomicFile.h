// Replacing a file the user owns so that it is never lost: the new content goes into a
// temporary file beside it, is flushed to disk and renamed over the old file. A failure or
// a crash at any point leaves either the old file or the new one, whole. A symbolic link is
// followed, so the link stays and the file it points to is what changes; the old file's
// permissions are kept. Used by profile saving, the file transfer panels and the settings
// store. Temporary files are named ".<name>.orvane-XXXXXX"; those an interrupted save left
// behind are removed later.
// Thread: any (file system calls only); used on the user-interface thread.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "profile/FileStamp.h"

namespace orvane {

struct ReplaceOptions {
  // Test seam: called after each chunk of data has been written to the temporary file, with
  // the number of bytes written so far; returning false makes the write fail right there,
  // as a full disk would.
  std::function<bool(std::size_t written)> afterChunk;
  // Test seam: setting the old file's permissions on the new one fails with this error.
  int failPermissions = 0;
};

// How a replacement went.
struct ReplaceOutcome {
  bool written = false;
  // Why it was not written (an errno value; EACCES for a write-protected file).
  int error = 0;
  // The new file has the old one's permissions (false: it has the process's own).
  bool permissionsKept = true;
  // The file as written.
  FileStamp stamp;
};

// What the user is told about a failed save.
enum class SaveFailure { WriteProtected, DiskFull, WriteError };
SaveFailure SaveFailureOf(int error);
// "Status: Cannot save due to write protection", "Status: Cannot save, disk full" or
// "Status: Cannot save, write error".
std::string SaveFailureStatus(SaveFailure failure);
// The system's words for an errno value, in the program's text.
std::string SystemReason(int error);

// Whether the file may not be written: the process lacks the right, or no one may write it
// at all (which a process with every right would otherwise pass over).
bool WriteProtected(const std::filesystem::path& file);

// The file that path finally names: path itself, or the target of its chain of symbolic
// links (relative targets resolved against the link's folder). A dangling link names its
// missing target, which a save then creates.
std::filesystem::path ResolveLinks(const std::filesystem::path& path);

// Replaces the content of file (created when missing) by text. False when the file cannot
// be written: it is not a regular file, it is write-protected, the folder refuses a new
// file, the disk is full. The old file is untouched then and no temporary file remains.
bool ReplaceFileContents(const std::filesystem::path& file, std::string_view text,
                         const ReplaceOptions& options = {});
// The same, telling how it went.
ReplaceOutcome ReplaceFile(const std::filesystem::path& file, std::string_view text,
                           const ReplaceOptions& options = {});

// A new temporary file beside target, named after it, open for writing (descriptor < 0
// when none could be made). Used for every file that is written and then renamed.
struct TemporaryFile {
  int descriptor = -1;
  std::filesystem::path path;
};
TemporaryFile CreateTemporaryBeside(const std::filesystem::path& target);

// Removes from folder the temporary files of interrupted saves: only names of the program's
// own pattern (for one target name, or for any when forName is empty), only regular files
// of this user, only those untouched for minAgeSeconds, so that a save running in another
// copy of the program is left alone. Returns how many went.
int RemoveLeftoverTemporaries(const std::filesystem::path& folder, std::string_view forName = {},
                              int minAgeSeconds = 60);

}  // namespace orvane

// Replacing a file the user owns so that it is never lost: the new content goes into a
// temporary file beside it, is flushed to disk and renamed over the old file. A failure or
// a crash at any point leaves either the old file or the new one, whole. A symbolic link is
// followed, so the link stays and the file it points to is what changes; the old file's
// permissions are kept. Used by profile saving and the settings store.
// Thread: any (file system calls only); used on the user-interface thread.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string_view>

namespace orvane {

struct ReplaceOptions {
  // Test seam: called after each chunk of data has been written to the temporary file, with
  // the number of bytes written so far; returning false makes the write fail right there,
  // as a full disk would.
  std::function<bool(std::size_t written)> afterChunk;
};

// The file that path finally names: path itself, or the target of its chain of symbolic
// links (relative targets resolved against the link's folder). A dangling link names its
// missing target, which a save then creates.
std::filesystem::path ResolveLinks(const std::filesystem::path& path);

// Replaces the content of file (created when missing) by text. False when the file cannot
// be written: it is not a regular file, it is write-protected, the folder refuses a new
// file, the disk is full. The old file is untouched then and no temporary file remains.
bool ReplaceFileContents(const std::filesystem::path& file, std::string_view text,
                         const ReplaceOptions& options = {});

}  // namespace orvane

// The program's folder and its file listings: where profiles and data files live, and the
// small file-name helpers of the profile page and the file transfer panels.
// Thread: user-interface thread (file system access).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// name with ending appended unless it already ends with the ending, ignoring letter case:
// ("Night", ".ocf") -> "Night.ocf"; "A.OCF" stays. The whole ending is compared, which for
// the usual four-character endings (".ocf", ".txt") means the last four characters.
std::string AddEndingIfNeeded(std::string_view name, std::string_view ending);

// The file a name means among the names a folder listing holds: the listed name that equals
// it exactly, else the first that equals it ignoring letter case, else the name itself. Of
// two files whose names differ only in case ("Case.ocf", "case.ocf"), each is found by its
// own name.
std::string ListedFileName(const std::vector<std::string>& listed, std::string_view name);

// Wildcard match of a file name ("*" any run, "?" one character), ignoring letter case as
// the file listings of the program always have.
bool MatchesWildcard(std::string_view name, std::string_view pattern);

// Names (without folder) of the regular, non-hidden files in folder that match pattern,
// sorted alphabetically ignoring letter case (names equal but for case in byte order), in the
// program's text. Folders, dot files and names with characters beyond the program's text
// are never listed; a missing folder lists nothing.
std::vector<std::string> GetFiles(const std::filesystem::path& folder, std::string_view pattern);

// The program's folder: executableDir when it holds an .ocf file (portable use, the build
// folder); otherwise the per-user data folder ($XDG_DATA_HOME/OrvaneControl, or
// $HOME/.local/share/OrvaneControl), created when missing. On first start, recognised by
// the folder holding no .ocf file, it is seeded with the files of the first existing folder
// of seedFolders that are not there yet; a user's file is never overwritten.
std::filesystem::path ResolveProgramFolder(const std::filesystem::path& executableDir,
                                           const std::vector<std::filesystem::path>& seedFolders);

// The per-user data folder named above.
std::filesystem::path UserDataFolder();

}  // namespace orvane

#include "persistence/ProfileFolder.h"

#include <unistd.h>

#include <algorithm>
#include <system_error>

#include "persistence/AtomicFile.h"
#include "persistence/UserFolders.h"
#include "text/FileNames.h"
#include "ui/Latin1.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;
using ui::EqualIgnoringCase;
using ui::Latin1Lower;

constexpr std::string_view kProfilePattern = "*.ocf";
constexpr const char* kFolderName = "OrvaneControl";

// Alphabetical ignoring case; names that differ only in case are kept in byte order so
// the listing is the same on every run.
bool ListsBefore(const std::string& a, const std::string& b) {
  const bool less =
      std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                   [](char x, char y) { return Latin1Lower(x) < Latin1Lower(y); });
  if (less) return true;
  if (EqualIgnoringCase(a, b)) return a < b;
  return false;
}

// Copies source to target unless target exists. The copy is made under a hidden temporary
// name and renamed into place, so an interrupted copy (disk full, crash) never leaves a
// truncated file that would then be kept for good.
void CopyIfMissing(const fs::path& source, const fs::path& target) {
  std::error_code error;
  if (fs::exists(fs::symlink_status(target, error))) return;
  const TemporaryFile made = CreateTemporaryBeside(target);
  if (made.descriptor < 0) return;
  ::close(made.descriptor);
  const fs::path& temporary = made.path;
  const bool copied = fs::copy_file(source, temporary, fs::copy_options::overwrite_existing, error);
  if (copied && !fs::exists(fs::symlink_status(target, error))) {
    fs::rename(temporary, target, error);
    if (!error) return;
  }
  fs::remove(temporary, error);
}

// Copies the files of the first existing seed folder that the target does not have yet.
void Seed(const fs::path& target, const std::vector<fs::path>& seedFolders) {
  std::error_code error;
  const auto seed = std::find_if(seedFolders.begin(), seedFolders.end(), [&](const fs::path& f) {
    return !f.empty() && fs::is_directory(f, error);
  });
  if (seed == seedFolders.end()) return;
  for (const std::string& name : GetFiles(*seed, "*")) {
    CopyIfMissing(SystemPath(*seed, name), SystemPath(target, name));
  }
}

}  // namespace

std::string AddEndingIfNeeded(std::string_view name, std::string_view ending) {
  // The whole ending is compared (four characters for ".ocf" and ".txt"), so a longer or
  // shorter ending such as ".json" or ".c" is not appended a second time either.
  if (name.size() >= ending.size() &&
      EqualIgnoringCase(name.substr(name.size() - ending.size()), ending))
    return std::string(name);
  return std::string(name) + std::string(ending);
}

std::string ListedFileName(const std::vector<std::string>& listed, std::string_view name) {
  const auto exact = std::find(listed.begin(), listed.end(), name);
  if (exact != listed.end()) return *exact;
  const auto similar = std::find_if(listed.begin(), listed.end(), [name](const std::string& item) {
    return EqualIgnoringCase(item, name);
  });
  return similar != listed.end() ? *similar : std::string(name);
}

bool MatchesWildcard(std::string_view name, std::string_view pattern) {
  // Greedy match that goes back to the last '*' on a mismatch: linear memory, no recursion.
  std::size_t n = 0;
  std::size_t p = 0;
  std::size_t star = std::string_view::npos;
  std::size_t resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || Latin1Lower(pattern[p]) == Latin1Lower(name[n]))) {
      ++n;
      ++p;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::vector<std::string> GetFiles(const std::filesystem::path& folder, std::string_view pattern) {
  std::vector<std::string> names;
  std::error_code error;
  fs::directory_iterator entries(folder, error);
  for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
    const std::string bytes = entries->path().filename().string();
    std::error_code typeError;
    if (bytes.empty() || bytes.front() == '.' || !entries->is_regular_file(typeError)) continue;
    // A name the program cannot show is not listed: it could never be typed either.
    std::optional<std::string> name = FileNameFromSystem(bytes);
    if (name && MatchesWildcard(*name, pattern)) names.push_back(std::move(*name));
  }
  std::sort(names.begin(), names.end(), ListsBefore);
  return names;
}

std::filesystem::path UserDataFolder() {
  return DataHome() / kFolderName;
}

std::filesystem::path ResolveProgramFolder(const std::filesystem::path& executableDir,
                                           const std::vector<std::filesystem::path>& seedFolders) {
  if (!GetFiles(executableDir, kProfilePattern).empty()) return executableDir;
  const fs::path folder = UserDataFolder();
  std::error_code error;
  fs::create_directories(folder, error);
  // Seeded on first start, recognised by the absence of any profile: a shipped file the
  // user has deleted later does not come back while other profiles are there.
  if (GetFiles(folder, kProfilePattern).empty()) Seed(folder, seedFolders);
  return folder;
}

}  // namespace orvane

#include "persistence/UserFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace orvane {

namespace {

namespace fs = std::filesystem;

fs::path AbsoluteFromEnvironment(const char* name, const fs::path& fallback) {
  const char* value = std::getenv(name);
  return (value != nullptr && *value == '/') ? fs::path(value) : fallback;
}

}  // namespace

fs::path HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return home;
  if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr)
    return entry->pw_dir;
  return ".";
}

fs::path DataHome() {
  return AbsoluteFromEnvironment("XDG_DATA_HOME", HomeFolder() / ".local" / "share");
}

fs::path ConfigHome() {
  return AbsoluteFromEnvironment("XDG_CONFIG_HOME", HomeFolder() / ".config");
}

}  // namespace orvane

#include "persistence/SettingsStore.h"

#include <fstream>
#include <system_error>
#include <vector>

#include "persistence/AtomicFile.h"
#include "persistence/UserFolders.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;

constexpr const char* kFolderName = "OrvaneControl";
constexpr const char* kFileName = "OrvaneControl.conf";

// Lines of the file without their line feed; nothing when it exists but cannot be read.
std::optional<std::vector<std::string>> ReadLines(const fs::path& file) {
  std::vector<std::string> lines;
  std::error_code error;
  const fs::file_status status = fs::status(file, error);
  if (!fs::exists(status)) return lines;
  if (!fs::is_regular_file(status)) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  for (std::string line; std::getline(in, line);) lines.push_back(std::move(line));
  if (in.bad()) return std::nullopt;
  return lines;
}

// The value of a "key=value" line for key; a CR before the line end is not part of it.
std::optional<std::string_view> ValueOf(std::string_view line, std::string_view key) {
  if (line.empty() || line.front() == '#') return std::nullopt;
  const auto equals = line.find('=');
  if (equals == std::string_view::npos || line.substr(0, equals) != key) return std::nullopt;
  std::string_view value = line.substr(equals + 1);
  if (!value.empty() && value.back() == '\r') value.remove_suffix(1);
  return value;
}

}  // namespace

SettingsStore::SettingsStore(std::filesystem::path file) : file_(std::move(file)) {}

std::filesystem::path SettingsStore::DefaultLocation() {
  return ConfigHome() / kFolderName / kFileName;
}

std::optional<std::string> SettingsStore::read(std::string_view key) const {
  const auto lines = ReadLines(file_);
  if (!lines) return std::nullopt;
  for (const std::string& line : *lines) {
    if (auto value = ValueOf(line, key)) return std::string(*value);
  }
  return std::nullopt;
}

bool SettingsStore::write(std::string_view key, std::string_view value) {
  // A key with '=' could never be read back, and a line break in either would smuggle
  // further lines into the file.
  if (key.empty() || key.front() == '#' || key.find_first_of("=\r\n") != std::string_view::npos ||
      value.find_first_of("\r\n") != std::string_view::npos)
    return false;

  std::error_code error;
  const fs::path folder = file_.parent_path().empty() ? fs::path(".") : file_.parent_path();
  fs::create_directories(folder, error);
  if (error) return false;
  const auto lines = ReadLines(file_);
  if (!lines) return false;

  const std::string newLine = std::string(key) + "=" + std::string(value);
  std::string text;
  bool stored = false;
  for (const std::string& line : *lines) {
    if (ValueOf(line, key)) {
      if (stored) continue;  // drop repeats: the key appears once after a write
      text += newLine;
      stored = true;
    } else {
      text += line;
    }
    text += '\n';
  }
  if (!stored) text += newLine + '\n';
  return ReplaceFileContents(folder / file_.filename(), text);
}

}  // namespace orvane

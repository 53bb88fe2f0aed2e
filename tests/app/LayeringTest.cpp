// The include guard of the source tree: every file includes only its own folder and the
// folders below it, so the structure stays readable top-down as code is added.
//
//   app/                                   start-up, the windows' wiring, the main window
//   share/                                 the mount shared with planetarium programs
//   dialogue/  ->  schedule/, transfer/    talking to the controller; the schedule window
//                                          and the file transfer panels
//   persistence/  ->  sheets/  ->  profile/
//   link/                                  the serial link and the cache manager
//   ui/, text/                             widgets and backends; pure text helpers
//
// Toolkit headers (Qt) appear only in the Qt backend and the program's entry.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A folder may include its own folder and any folder of a lower rank. Folders of equal
// rank do not include each other.
const std::map<std::string, int>& Ranks() {
  static const std::map<std::string, int> ranks = {
      {"main.cpp", 60}, {"app", 50},     {"share", 45},       {"dialogue", 42},
      {"schedule", 41}, {"transfer", 41},  {"persistence", 32}, {"sheets", 31},
      {"profile", 30},  {"link", 20},      {"ui", 10},          {"text", 10},
  };
  return ranks;
}

fs::path SourceRoot() {
  return fs::path(ORVANE_SOURCE_DIR) / "src";
}

struct Include {
  std::string file;    // relative to src/
  std::string target;  // as written
  int line;
};

std::vector<fs::path> SourceFiles() {
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(SourceRoot())) {
    const std::string ext = entry.path().extension().string();
    if (entry.is_regular_file() && (ext == ".h" || ext == ".cpp")) files.push_back(entry.path());
  }
  return files;
}

// The target of an include line with its opening bracket ('"' or '<'); empty for any
// other line.
std::string IncludeTarget(const std::string& line) {
  size_t at = line.find_first_not_of(" \t");
  if (at == std::string::npos || line[at] != '#') return {};
  at = line.find_first_not_of(" \t", at + 1);
  if (at == std::string::npos || line.compare(at, 7, "include") != 0) return {};
  at = line.find_first_of("\"<", at + 7);
  if (at == std::string::npos) return {};
  const size_t end = line.find(line[at] == '<' ? '>' : '"', at + 1);
  if (end == std::string::npos) return {};
  return line.substr(at, end - at);
}

std::vector<Include> IncludesOf(const fs::path& file) {
  std::vector<Include> found;
  std::ifstream in(file);
  std::string text;
  int number = 0;
  const std::string relative = fs::relative(file, SourceRoot()).generic_string();
  while (std::getline(in, text)) {
    ++number;
    const std::string target = IncludeTarget(text);
    if (!target.empty()) found.push_back({relative, target, number});
  }
  return found;
}

// The layer name of a file or include path: its first folder, or the file itself at the top.
std::string FolderOf(const std::string& path) {
  const size_t slash = path.find('/');
  return slash == std::string::npos ? path : path.substr(0, slash);
}

TEST(LayeringTest, EveryFolderOfTheSourceTreeHasAPlaceInTheLayers) {
  for (const auto& entry : fs::directory_iterator(SourceRoot())) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(Ranks().count(name) == 1)
        << "src/" << name << " has no place in the layer table of this test; add it there and "
        << "in README's layer table";
  }
}

TEST(LayeringTest, NoFileIncludesAFolderAboveItsOwnLayer) {
  std::vector<std::string> breaches;
  for (const fs::path& file : SourceFiles()) {
    for (const Include& inc : IncludesOf(file)) {
      if (inc.target[0] != '"') continue;
      const std::string target = inc.target.substr(1);
      const std::string from = FolderOf(inc.file);
      const std::string to = FolderOf(target);
      if (from == to || Ranks().count(to) == 0 || Ranks().count(from) == 0) continue;
      if (Ranks().at(to) < Ranks().at(from)) continue;
      breaches.push_back("src/" + inc.file + ":" + std::to_string(inc.line) + " includes " +
                         target + " (" + from + "/ may not use " + to + "/)");
    }
  }
  std::string report;
  for (const std::string& breach : breaches) report += "  " + breach + "\n";
  EXPECT_TRUE(breaches.empty()) << "includes that run upward or sideways:\n" << report;
}

TEST(LayeringTest, ToolkitHeadersStayInTheQtBackendAndTheProgramEntry) {
  std::vector<std::string> breaches;
  for (const fs::path& file : SourceFiles()) {
    for (const Include& inc : IncludesOf(file)) {
      const bool toolkit = inc.target.rfind("<Q", 0) == 0 || inc.target.rfind("<qt", 0) == 0;
      const bool allowed = inc.file.rfind("ui/qt/", 0) == 0 || inc.file == "main.cpp";
      if (toolkit && !allowed) {
        breaches.push_back("src/" + inc.file + ":" + std::to_string(inc.line) + " includes " +
                           inc.target.substr(1));
      }
    }
  }
  std::string report;
  for (const std::string& breach : breaches) report += "  " + breach + "\n";
  EXPECT_TRUE(breaches.empty()) << "toolkit headers outside the Qt backend:\n" << report;
}

TEST(LayeringTest, TheGuardSeesTheWholeTree) {
  // A guard that reads nothing passes for ever: make sure it reads the real tree.
  size_t files = 0;
  size_t includes = 0;
  for (const fs::path& file : SourceFiles()) {
    ++files;
    includes += IncludesOf(file).size();
  }
  EXPECT_GT(files, 100u);
  EXPECT_GT(includes, 500u);
}

}  // namespace

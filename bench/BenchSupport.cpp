#include "BenchSupport.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "ControllerOptions.h"

namespace orvane::bench {

namespace {

// The fixed pause after each direct command the cache manager writes.
constexpr double kPauseAfterCommandMs = 40;

}  // namespace

std::string GenerateProfile(int lineCount) {
  std::ostringstream out;
  out << "# Generated profile for the benchmark\r\n";
  out << "Version \"32.4\"\r\nPort \"Offline\"\r\nTimeOut \"1000\"\r\nCacheDelay \"2000\"\r\n"
         "Update \"2000\"\r\nSlewing \"5\xB0/s\"\r\nControlMode \"Toggle\"\r\n";
  out << "Colors \"Day\" 96550C FFFFFF FFFFFF 000000 FFFFFF EE932D FFFFFF FFFFFF\r\n";
  out << "Colors \"Night\" 000000 00008C 0000B2 000000 0000B2 000000 0000FF 000000\r\n";
  int lines = 9;
  int sheet = 0;
  // Each block is one sheet: about 40 lines of every control kind.
  while (lines < lineCount) {
    ++sheet;
    out << "Sheet \"Sheet " << sheet << "\"\r\n";
    ++lines;
    out << "10 \"Heading " << sheet << "\"\r\n";
    for (int option = 1; option <= 4; ++option)
      out << "2" << option << " \"Option " << option << "\"\r\n";
    out << "30 \"Mode\"\r\n31 \"Slow\"\r\n32 \"Fast\"\r\n";
    for (int k = 1; k <= 8; ++k)
      out << "4" << k << " \"Value " << k << "\" 0:" << (k * 100) << "\r\n";
    out << "200 \"Gears\"\r\n201 & 202 \"Worm\" \"Spur\" 1:999\r\n203 & 204 \"A\" \"B\" 1:99\r\n";
    out << "210 \"Signed\" -99:99 mask=\"#99;1;_\"\r\n";
    out << "220 \"Time\" command=\":SL,:GL\" mask=\"!90:00:00;1;_\"\r\n";
    out << "230 \"Date\" command=\":SC,:GC\" mask=\"00-00-00;0;_\"\r\n";
    out << "240 \"Offset\" command=\":SG,:GG\" mask=\"#00;0;_\"\r\n";
    out << "250 \"Longitude\" command=\":Sg,:Gg\" mask=\"#00000;0;_\"\r\n";
    out << "261 \"Reset\" caption=\"Reset\"\r\n";
    for (int k = 1; k <= 6; ++k)
      out << "27" << k << " \"Field " << k << "\" 0:" << (k * 10) << "\r\n";
    for (int k = 1; k <= 8; ++k) out << "# comment line " << k << " of sheet " << sheet << "\r\n";
    out << "Value 2=\"23\"\r\nValue 41=\"42\"\r\n";
    lines += 1 + 4 + 3 + 8 + 3 + 5 + 6 + 8 + 2;
  }
  out << "Schedule Time=\"21:30:00\" Name=\"M42\" RA=\"05h 35m 17s\" Dec=\"-05\xB0 23' 28''\"\r\n";
  return out.str();
}

std::filesystem::path ScratchFolder(const std::string& name) {
  std::filesystem::path root = std::filesystem::temp_directory_path() / ("orvane-bench-" + name);
  std::filesystem::remove_all(root);
  std::filesystem::create_directories(root / "home");
  ::setenv("HOME", (root / "home").c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (root / "home" / ".config").c_str(), 1);
  ::setenv("XDG_DATA_HOME", (root / "home" / ".local" / "share").c_str(), 1);
  return root;
}

Figures Measure(int runs, const std::function<double()>& runOnceMs) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) times.push_back(runOnceMs());
  std::sort(times.begin(), times.end());
  return Figures{times[times.size() / 2], times.front(), times.back()};
}

double FloorMs(long long commands, long long bytes) {
  return kPauseAfterCommandMs * static_cast<double>(commands) +
         sim::kMillisecondsPerByte * static_cast<double>(bytes);
}

}  // namespace orvane::bench

// Shared pieces of the benchmarks: a generated profile of every control kind, a scratch
// folder, a median over repeated runs and the floor of a serial exchange.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace orvane::bench {

// A profile of about lineCount lines spread over many sheets, using every kind of line.
std::string GenerateProfile(int lineCount);

// A fresh folder under the system's temporary folder; HOME and XDG folders point into it.
std::filesystem::path ScratchFolder(const std::string& name);

struct Figures {
  double medianMs = 0;
  double minMs = 0;
  double maxMs = 0;
};
Figures Measure(int runs, const std::function<double()>& runOnceMs);

inline double ElapsedMs(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

// The shortest time an exchange can take at 9600 baud: the pause for every direct command
// plus the line time of every byte, both ways.
double FloorMs(long long commands, long long bytes);

}  // namespace orvane::bench

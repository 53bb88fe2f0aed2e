// One polling tick, "Receive current settings" and the comparison with the controller for
// the shipped profile, through the real
// serial component against the orvane-sim program on a pseudo-terminal at 9600 baud. Each
// is set against its floor: 40 ms for every direct command (the fixed pause after a write)
// plus 1.04 ms for every byte on the line, both ways.
#include <cstdio>
#include <functional>
#include <vector>

#include "BenchSupport.h"
#include "SimulatorSession.h"
#include "app/Application.h"
#include "app/CompareForm.h"
#include "app/MainForm.h"
#include "link/Cache.h"

namespace {

struct Run {
  double ms = 0;
  long long commands = 0;
  long long bytes = 0;
};

// Runs work once and notes the time and the traffic it made.
Run Observe(orvane::TCache& cache, const std::function<void()>& work) {
  const auto before = cache.traffic;
  const auto start = std::chrono::steady_clock::now();
  work();
  Run run;
  run.ms = orvane::bench::ElapsedMs(start);
  run.commands = cache.traffic.commands - before.commands;
  run.bytes = cache.traffic.bytesOut - before.bytesOut + cache.traffic.bytesIn - before.bytesIn;
  return run;
}

void Report(const char* what, orvane::TCache& cache, int runs, const std::function<void()>& work) {
  std::vector<Run> results;
  const orvane::bench::Figures figures = orvane::bench::Measure(runs, [&] {
    results.push_back(Observe(cache, work));
    return results.back().ms;
  });
  const Run& last = results.back();
  const double floor = orvane::bench::FloorMs(last.commands, last.bytes);
  std::printf("%s: %lld commands, %lld bytes; median %.1f ms (min %.1f, max %.1f)\n", what,
              last.commands, last.bytes, figures.medianMs, figures.minMs, figures.maxMs);
  std::printf(
      "  floor %.0f x 40 ms + %lld x 1.04 ms = %.1f ms; median / floor = %.3f "
      "(goal: at most 1.05)\n",
      static_cast<double>(last.commands), last.bytes, floor, figures.medianMs / floor);
}

}  // namespace

int main(int argc, char* argv[]) {
  using namespace orvane;
  bench::WithConnectedProgram("dialogue", argc, argv, [](Application& app) {
    TMainForm& main = *app.windows().main;
    TCache& cache = *app.windows().cache;
    // An ordinary tick: the status read, right ascension, declination and speed mode.
    Report("polling tick", cache, 21, [&] {
      main.UpdateTimer.setTag(5);
      main.polling.GetOrvaneSettings();
    });
    Report("polling tick with the slow reads", cache, 11, [&] {
      main.UpdateTimer.setTag(1);
      main.polling.GetOrvaneSettings();
    });
    Report("Receive current settings", cache, 5, [&] {
      main.bulk.ReceiveAllSettings(*main.ReceiveAll);
      main.UpdateTimer.stop();
    });
    // From the click on "Read again" to the table of the settings that differ.
    TCompareForm& compare = *app.windows().compare;
    compare.show();
    Report("Compare with controller, to the table", cache, 5, [&] {
      compare.ReadClick();
      main.UpdateTimer.stop();
    });
    std::printf("  %zu settings differ from the sheets\n", compare.rows().size());
    compare.hide();
  });
  return 0;
}

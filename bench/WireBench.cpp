// The command queue on the wire, against the orvane-sim program on a pseudo-terminal at
// 9600 baud, with the whole program on the Qt backend:
//  - "Send current settings" of the shipped profile: the time of its direct commands
//    against their floor (40 ms pause per command plus 1.04 ms per byte on the line, both
//    ways), the queued setting writes flushed after it, and whether every write reached
//    the simulator (ten runs);
//  - the reply time-out: how long a wait for a reply that never comes takes, against its
//    shortest allowed length (the bytes of the command, the 40 ms pause, the time-out);
//  - stop latency: the stop button pressed inside a long reply wait, from the moment the
//    press is due until ":Q#" is written (100 presses).
#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

#include "BenchSupport.h"
#include "ControllerOptions.h"
#include "SimulatorSession.h"
#include "app/Application.h"
#include "app/MainForm.h"
#include "link/Cache.h"
#include "schedule/Schedule.h"

namespace {

using Clock = std::chrono::steady_clock;

// Native writes the simulator has logged as received so far.
long long LoggedWrites(const std::filesystem::path& log) {
  std::ifstream in(log);
  std::string line;
  long long count = 0;
  while (std::getline(in, line)) {
    if (line.rfind("<- >", 0) == 0) ++count;
  }
  return count;
}

// Lets events run until done() holds or limitMs have passed.
bool RunUntil(const std::function<bool()>& done, int limitMs) {
  const auto end = Clock::now() + std::chrono::milliseconds(limitMs);
  while (!done()) {
    if (Clock::now() > end) return false;
    QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
  }
  return true;
}

// "Send current settings", every value sent on each run, its queued writes included
// (the send waits for them): after a complete receive, so that what the controller holds
// is known and no read comes first; then without, where the send reads every setting
// first for its backup.
void SendAll(orvane::Application& app, const std::filesystem::path& log) {
  orvane::TMainForm& main = *app.windows().main;
  orvane::TCache& cache = *app.windows().cache;
  constexpr int kRuns = 10;
  auto sendOnce = [&](bool receiveFirst, long long& direct, long long& directBytes,
                      long long& queued, long long& queuedBytes, bool& arrived) {
    if (receiveFirst) main.bulk.ReceiveAllSettings(*main.ReceiveAll);
    main.UpdateTimer.stop();
    // Every value is sent again on each run.
    for (const auto& event : main.sheets.events()) event->lastValue.reset();
    const auto before = cache.traffic;
    const long long loggedBefore = LoggedWrites(log);
    const auto start = Clock::now();
    main.bulk.SendAllSettings(*main.SendAll);
    const double ms = orvane::bench::ElapsedMs(start);
    main.UpdateTimer.stop();
    const auto after = cache.traffic;
    queued = after.queuedWrites - before.queuedWrites;
    queuedBytes = after.queuedWriteBytes - before.queuedWriteBytes;
    direct = after.commands - before.commands - queued;
    directBytes = after.bytesOut - before.bytesOut - queuedBytes + after.bytesIn - before.bytesIn;
    arrived = RunUntil([&] { return LoggedWrites(log) - loggedBefore >= queued; }, 5000) &&
              LoggedWrites(log) - loggedBefore == queued;
    return ms;
  };
  std::vector<double> known, reading;
  long long direct = 0, directBytes = 0, queued = 0, queuedBytes = 0;
  long long readDirect = 0, readBytes = 0;
  int complete = 0;
  for (int run = 0; run < kRuns; ++run) {
    bool arrived = false;
    known.push_back(sendOnce(true, direct, directBytes, queued, queuedBytes, arrived));
    complete += arrived ? 1 : 0;
  }
  const double floor = orvane::bench::FloorMs(direct, directBytes);
  for (int run = 0; run < kRuns; ++run) {
    long long q = 0, qb = 0;
    bool arrived = false;
    reading.push_back(sendOnce(false, readDirect, readBytes, q, qb, arrived));
  }
  std::sort(known.begin(), known.end());
  std::sort(reading.begin(), reading.end());
  const double median = known[known.size() / 2];
  const double readingMedian = reading[reading.size() / 2];
  const double readFloor = orvane::bench::FloorMs(readDirect - direct, readBytes - directBytes);
  std::printf("Send current settings (shipped profile), %d runs each:\n", kRuns);
  std::printf(
      "  after a complete receive: %lld direct commands: median %.1f ms (min %.1f, max %.1f);"
      " floor %.1f ms; median / floor = %.3f (goal: at most 1.05)\n",
      direct, median, known.front(), known.back(), floor, median / floor);
  std::printf(
      "  %lld queued writes (%lld bytes, %.1f ms on a 9600 baud line), every write reached"
      " the simulator in %d of %d runs\n",
      queued, queuedBytes, orvane::sim::kMillisecondsPerByte * queuedBytes, complete, kRuns);
  std::printf(
      "  reading every setting first for the backup: median %.1f ms (min %.1f, max %.1f);"
      " added %.1f ms for %lld more commands (their floor %.1f ms, added / floor = %.3f)\n",
      readingMedian, reading.front(), reading.back(), readingMedian - median,
      readDirect - direct, readFloor, (readingMedian - median) / readFloor);
}

void ReplyTimeOut(orvane::Application& app) {
  orvane::TCache& cache = *app.windows().cache;
  // The writes sent before are still on a 9600 baud line for a while, as far as the queue
  // knows, and a reply wait behind them is longer by that much: let them go out first.
  RunUntil([] { return false; }, 600);
  const double shortest = 40 + 1000 + orvane::sim::kMillisecondsPerByte * 4;
  const orvane::bench::Figures figures = orvane::bench::Measure(20, [&] {
    const auto start = Clock::now();
    cache.SendCommand(":XX#", true);  // the controller does not answer it
    return orvane::bench::ElapsedMs(start);
  });
  std::printf(
      "Reply time-out of 1000 ms (shortest allowed %.1f ms), 20 waits: min %.2f, median %.2f,"
      " max %.2f ms; spread %.2f ms, earliest %+.2f ms against the shortest\n",
      shortest, figures.minMs, figures.medianMs, figures.maxMs, figures.maxMs - figures.minMs,
      figures.minMs - shortest);
}

void StopLatency(orvane::Application& app) {
  orvane::TCache& cache = *app.windows().cache;
  orvane::TSchedule& schedule = *app.windows().schedule;
  Clock::time_point due;
  Clock::time_point written;
  cache.queue().onWritten = [&](const std::string& command) {
    if (command == ":Q#") written = Clock::now();
  };
  std::mt19937 random(7);
  std::uniform_int_distribution<int> delay(60, 300);
  std::vector<double> latencies;
  for (int press = 0; press < 100; ++press) {
    const int afterMs = delay(random);
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
      schedule.StopMouseDown();
      schedule.StopMouseUp();
    });
    due = Clock::now() + std::chrono::milliseconds(afterMs);
    timer.start(afterMs);
    cache.SendCommand(":GR#", true);  // answered 400 ms late
    RunUntil([&] { return cache.queue().Idle(); }, 2000);
    latencies.push_back(std::chrono::duration<double, std::milli>(written - due).count());
  }
  cache.queue().onWritten = nullptr;
  std::sort(latencies.begin(), latencies.end());
  std::printf(
      "Stop pressed inside a reply wait, 100 presses: from the press to \":Q#\" written"
      " median %.2f ms, worst %.2f ms\n",
      latencies[latencies.size() / 2], latencies.back());
}

}  // namespace

int main(int argc, char* argv[]) {
  using namespace orvane;
  bench::WithConnectedProgram("wire", argc, argv, {"--log"},
                              [](Application& app, const std::filesystem::path& log) {
                                SendAll(app, log);
                                ReplyTimeOut(app);
                              });
  bench::WithConnectedProgram(
      "stop", argc, argv, {"--late", "400"},
      [](Application& app, const std::filesystem::path&) { StopLatency(app); });
  return 0;
}

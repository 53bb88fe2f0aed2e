// The object panel of the shipped profile moving 1,000 object lines between the program and
// the orvane-sim program on a pseudo-terminal at 9600 baud, through the whole program on
// the Qt backend (the panel's buttons, the command engine, the queue, the serial
// component):
//  - "Send": every line is one ":Od" command followed by the fixed 40 ms pause, then
//    "END#"; its floor is 40 ms per command plus 1.04 ms per byte on the line;
//  - "Receive": ":OS#" (40 ms pause, no reply), then one ":OR#" per line, each awaited
//    until its reply has come whole, up to "END#"; its floor is the 40 ms after ":OS#"
//    plus every byte of the requests and replies on the line. The simulator takes a fixed
//    processing time before each reply (and gets each request at once on the
//    pseudo-terminal), so the best time it allows is shown too.
// The lines that come back are checked against those sent.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "ControllerOptions.h"
#include "SimulatorSession.h"
#include "app/Application.h"
#include "app/MainForm.h"
#include "link/Cache.h"
#include "transfer/FileTransferStruct.h"

namespace {

constexpr int kLines = 1000;
constexpr size_t kReceive = 0, kSend = 1, kClear = 2;

std::string TwoDigits(int value) {
  return std::string(1, static_cast<char>('0' + value / 10)) + static_cast<char>('0' + value % 10);
}

// Object lines as the shipped lists write them: "Star 0001,HH:MM:SS,sDD:MM:SS#".
std::vector<std::string> ObjectLines(int count) {
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "Star %04d", i + 1);
    const int seconds = i * 86;
    lines.push_back(std::string(name) + "," + TwoDigits(seconds / 3600 % 24) + ":" +
                    TwoDigits(seconds / 60 % 60) + ":" + TwoDigits(seconds % 60) + "," +
                    (i % 3 == 0 ? "-" : "+") + TwoDigits(i % 90) + ":" + TwoDigits(i % 60) + ":" +
                    TwoDigits((i * 7) % 60) + "#");
  }
  return lines;
}

struct Run {
  double ms = 0;
  long long commands = 0;
  long long bytesOut = 0;
  long long bytesIn = 0;
};

Run Observe(orvane::TCache& cache, const std::function<void()>& work) {
  const auto before = cache.traffic;
  const auto start = std::chrono::steady_clock::now();
  work();
  Run run;
  run.ms = orvane::bench::ElapsedMs(start);
  run.commands = cache.traffic.commands - before.commands;
  run.bytesOut = cache.traffic.bytesOut - before.bytesOut;
  run.bytesIn = cache.traffic.bytesIn - before.bytesIn;
  return run;
}

void Measure(orvane::Application& app) {
  orvane::TMainForm& main = *app.windows().main;
  orvane::TCache& cache = *app.windows().cache;
  if (main.FileTransferPanels.empty()) {
    std::printf("the profile has no file transfer panel\n");
    return;
  }
  orvane::FileTransferStruct& panel = *main.FileTransferPanels.front();
  const std::vector<std::string> lines = ObjectLines(kLines);

  panel.commandButtons[kClear]->click();
  panel.memo->setLines(lines);
  const Run send = Observe(cache, [&] { panel.commandButtons[kSend]->click(); });
  const std::string sendStatus = panel.statusLabel->text();
  const long long sendBytes = send.bytesOut + send.bytesIn;
  const double sendFloor = orvane::bench::FloorMs(send.commands, sendBytes);
  std::printf("Send %d object lines: %lld commands, %lld bytes; %.1f ms (%.2f ms a line)\n", kLines,
              send.commands, sendBytes, send.ms, send.ms / kLines);
  std::printf(
      "  floor %lld x 40 ms + %lld x 1.04 ms = %.1f ms; time / floor = %.3f"
      " (goal: at most 1.05); status \"%s\"\n",
      send.commands, sendBytes, sendFloor, send.ms / sendFloor, sendStatus.c_str());

  panel.memo->clearLines();
  const Run receive = Observe(cache, [&] { panel.commandButtons[kReceive]->click(); });
  const std::string receiveStatus = panel.statusLabel->text();
  const long long receiveBytes = receive.bytesOut + receive.bytesIn;
  // ":OS#" has no reply and takes the fixed pause; every ":OR#" is awaited until its reply.
  const long long replies = receive.commands - 1;
  const double receiveFloor = orvane::bench::FloorMs(1, receiveBytes);
  // On the pseudo-terminal a request reaches the simulator at once; its reply starts after
  // the simulator's processing time. What this setting allows at best: ":OS#" with its
  // pause, then for every reply the processing time and its bytes.
  const double processingMs = orvane::sim::ControllerOptions{}.replyDelayMs;
  const double allowed = orvane::bench::FloorMs(1, 4) +
                         processingMs * static_cast<double>(replies) +
                         orvane::sim::kMillisecondsPerByte * static_cast<double>(receive.bytesIn);
  std::printf("Receive %d object lines: %lld commands, %lld bytes; %.1f ms (%.2f ms a line)\n",
              kLines, receive.commands, receiveBytes, receive.ms, receive.ms / kLines);
  std::printf(
      "  floor 40 ms + %lld x 1.04 ms = %.1f ms; time / floor = %.3f (goal: at most"
      " 1.05)\n",
      receiveBytes, receiveFloor, receive.ms / receiveFloor);
  std::printf(
      "  this simulator allows at best %.1f ms (requests arrive at once, %.0f ms before"
      " each of the %lld replies); time / that = %.3f; status \"%s\"\n",
      allowed, processingMs, replies, receive.ms / allowed, receiveStatus.c_str());
  std::printf("  the lines received %s the lines sent\n",
              panel.memo->lines() == lines ? "equal" : "DIFFER FROM");
}

}  // namespace

int main(int argc, char* argv[]) {
  using namespace orvane;
  bench::WithConnectedProgram("transfer", argc, argv, [](Application& app) { Measure(app); });
  return 0;
}

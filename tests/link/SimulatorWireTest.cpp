// The whole program against the orvane-sim program on a pseudo-terminal, in real time on the
// headless backend, through the real serial component: thousands of mixed operations
// (setting writes, polls, manual motion on and off, slews, "Send current settings") reach
// the simulator each exactly once and in order, and never while it still owes a reply
// (its --strict count stays 0), also with replies split and late; a pulled line heals
// by itself, also in the middle of receiving or sending all settings, which end with every
// setting confirmed; a frozen controller is reported within a poll. Every wait is bounded.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/MainForm.h"
#include "link/Cache.h"
#include "link/DeviceMap.h"
#include "link/PosixSerialDeviceFactory.h"
#include "persistence/ProfileFolder.h"
#include "persistence/SettingsStore.h"
#include "schedule/Schedule.h"
#include "support/HeadlessApp.h"
#include "support/SimulatorProcess.h"
#include "text/Checksum.h"
#include "ui/headless/HeadlessBackend.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;
using testing::SimulatorProcess;
using testing::TempEnvironment;

constexpr int kSimulatorStartMs = 15000;
constexpr long long kConnectMs = 20000;

// A command as the simulator's log prints it: printable ASCII as is, others as \xHH.
std::string Printable(const std::string& bytes) {
  std::string text;
  for (unsigned char ch : bytes) {
    if (ch >= 0x20 && ch < 0x7F && ch != '\\') {
      text += static_cast<char>(ch);
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", ch);
      text += escape;
    }
  }
  return text;
}

// The commands the simulator's log shows as received, in order.
std::vector<std::string> Received(const std::string& output) {
  std::vector<std::string> commands;
  size_t start = 0;
  while (start < output.size()) {
    size_t end = output.find('\n', start);
    if (end == std::string::npos) end = output.size();
    if (output.compare(start, 3, "<- ") == 0)
      commands.push_back(output.substr(start + 3, end - start - 3));
    start = end + 1;
  }
  return commands;
}

std::string NativeWrite(int number, int value) {
  std::string command = ">" + std::to_string(number) + ":" + std::to_string(value);
  return command + CalculateChecksum(command) + "#";
}

// orvane-sim on a pseudo-terminal behind a link that COM1 maps to, and the whole program
// with the shipped profile, connected to it.
class ProgramOnPty {
 public:
  explicit ProgramOnPty(const std::vector<std::string>& simulatorOptions) {
    const fs::path link = environment_.root() / "com1";
    std::vector<std::string> arguments{"--link", link.string(), "--log", "--strict"};
    arguments.insert(arguments.end(), simulatorOptions.begin(), simulatorOptions.end());
    simulator_ = std::make_unique<SimulatorProcess>(ORVANE_SIM_PROGRAM, arguments);
    if (!simulator_->waitForOutput("ready", kSimulatorStartMs)) return;
    const fs::path folder = environment_.root() / "program";
    fs::create_directories(folder);
    for (const std::string& name : GetFiles(testing::ShippedProfilesFolder(), "*")) {
      fs::copy_file(testing::ShippedProfilesFolder() / name, folder / name);
    }
    backend_ = std::make_unique<ui::HeadlessBackend>(ui::DateTime{2026, 12, 7, 21, 0, 0, 0}, 60,
                                                     ui::Size{1024, 768},
                                                     ui::HeadlessBackend::Clock::Real);
    settings_ = std::make_unique<SettingsStore>(SettingsStore::DefaultLocation());
    settings_->write("COM1", link.string());
    devices_ = std::make_unique<PosixSerialDeviceFactory>(*backend_, DeviceMap(*settings_));
    app_ = std::make_unique<Application>(*backend_, *settings_, *devices_, folder);
    app_->CreateWindows();
    cache().queue().onWritten = [this](const std::string& command) {
      written_.push_back(Printable(command));
    };
    backend_->runUntil([&] { return main().ConnectedPort > 0; }, kConnectMs);
  }

  ~ProgramOnPty() {
    if (app_) app_->Shutdown();
    app_.reset();
    devices_.reset();
    settings_.reset();
    backend_.reset();
  }

  bool connected() { return app_ && main().ConnectedPort > 0; }
  TMainForm& main() { return *app_->windows().main; }
  TCache& cache() { return *app_->windows().cache; }
  TSchedule& schedule() { return *app_->windows().schedule; }
  ui::HeadlessBackend& backend() { return *backend_; }
  SimulatorProcess& simulator() { return *simulator_; }
  // Every command the program wrote, as the simulator's log would print it.
  const std::vector<std::string>& written() const { return written_; }

  // Ends the program, then the simulator; the simulator's whole output.
  std::string Finish() {
    app_->Shutdown();
    kill(simulator_->pid(), SIGTERM);
    EXPECT_EQ(simulator_->waitForExit(kSimulatorStartMs), 0);
    return simulator_->output();
  }

 private:
  TempEnvironment environment_;
  std::unique_ptr<SimulatorProcess> simulator_;
  std::unique_ptr<ui::HeadlessBackend> backend_;
  std::unique_ptr<SettingsStore> settings_;
  std::unique_ptr<PosixSerialDeviceFactory> devices_;
  std::unique_ptr<Application> app_;
  std::vector<std::string> written_;
};

class SimulatorWireTest : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(SimulatorWireTest, EveryOperationArrivesOnceInOrderAndNeverIntoAnOwedReply) {
  ProgramOnPty program(GetParam());
  ASSERT_TRUE(program.connected()) << program.simulator().output();
  ui::HeadlessBackend& backend = program.backend();
  TMainForm& main = program.main();
  TCache& cache = program.cache();
  TSchedule& schedule = program.schedule();
  main.CacheDelay->setText("1000");  // the queued writes go out on every tick

  // Rounds of operations while polling runs; each round's setting writes go out before
  // the next round writes the same settings again, so that every one of them is sent.
  std::vector<std::string> settingWrites;
  constexpr int kWritesPerRound = 400;
  constexpr size_t kOperations = 2000;
  for (int round = 1; settingWrites.size() < kOperations && round <= 20; ++round) {
    for (int number = 700; number < 700 + kWritesPerRound; ++number) {
      const std::string command = NativeWrite(number, round);
      cache.AddToCache(command);
      settingWrites.push_back(Printable(command));
    }
    for (int i = 0; i < 2; ++i) {
      schedule.WestMouseDown();   // on (toggle mode)
      schedule.NorthMouseDown();  // on, diagonally
      schedule.WestMouseDown();   // off
      schedule.NorthMouseDown();  // off
    }
    if (round % 3 == 1) {
      schedule.TargetRA->setText(round % 2 == 0 ? "06h 30m 00s" : "18h 10m 00s");
      schedule.TargetDEC->setText("+20\xB0 00' 00''");
      schedule.GoClick();
    }
    if (round % 4 == 2) main.bulk.SendAllSettings(*main.SendAll);
    ASSERT_TRUE(backend.runUntil([&] { return cache.OutCache->items().empty(); }, 10000));
  }
  main.UpdateTimer.stop();
  ASSERT_TRUE(backend.runUntil([&] { return cache.queue().Idle(); }, 10000));
  // Until the simulator has logged everything written.
  const size_t expected = program.written().size();
  backend.runUntil([&] { return Received(program.simulator().output()).size() >= expected; },
                   10000);

  const std::string output = program.Finish();
  const std::vector<std::string> received = Received(output);
  EXPECT_GE(received.size(), kOperations);
  EXPECT_EQ(received.size(), program.written().size());
  EXPECT_TRUE(received == program.written()) << "the simulator's log differs from what was written";
  // Each setting write of every round arrived once, in the order of the rounds.
  std::vector<std::string> arrivedWrites;
  for (const std::string& command : received) {
    if (std::find(settingWrites.begin(), settingWrites.end(), command) != settingWrites.end()) {
      arrivedWrites.push_back(command);
    }
  }
  EXPECT_TRUE(arrivedWrites == settingWrites)
      << arrivedWrites.size() << " of " << settingWrites.size() << " setting writes";
  EXPECT_NE(output.find("orvane-sim: 0 breaches"), std::string::npos) << output.substr(0, 4000);
  const size_t breach = output.find("breach:");
  EXPECT_EQ(breach, std::string::npos)
      << output.substr(breach > 3000 ? breach - 3000 : 0, 3600);  // what led to it
  // Polls, motion, slews and send-all were part of the mix.
  for (const char* command : {":GR#", ":Mw#", ":Qn#", ":MS#", ":GG#"}) {
    EXPECT_NE(std::find(received.begin(), received.end(), command), received.end()) << command;
  }
}

INSTANTIATE_TEST_SUITE_P(Replies, SimulatorWireTest,
                         ::testing::Values(std::vector<std::string>{},
                                           std::vector<std::string>{"--split", "3", "--late",
                                                                    "300"}));

TEST(SimulatorLinkTest, APulledLineHealsAndTheSettingWrittenMeanwhileArrives) {
  ProgramOnPty program({"--unplug-after", "3000", "--replug-after", "1500", "--no-pacing"});
  ASSERT_TRUE(program.connected()) << program.simulator().output();
  ui::HeadlessBackend& backend = program.backend();
  TMainForm& main = program.main();
  ASSERT_TRUE(backend.runUntil(
      [&] { return main.CurrentOrvaneStatus->text() == "Status: Connection lost, retrying"; },
      10000))
      << main.CurrentOrvaneStatus->text();
  EXPECT_EQ(main.RA->text(), "--");
  const std::string write = NativeWrite(55, 42);
  program.cache().AddToCache(write);
  ASSERT_TRUE(backend.runUntil(
      [&] { return main.CurrentOrvaneStatus->text() == "Status: Connection established"; }, 10000))
      << program.simulator().output();
  ASSERT_TRUE(backend.runUntil([&] { return program.cache().OutCache->items().empty(); }, 5000));
  backend.advance(2500);  // polling resumes
  EXPECT_NE(main.RA->text(), "--");

  const std::string output = program.Finish();
  const size_t back = output.find("line back on");
  ASSERT_NE(back, std::string::npos) << output;
  const std::vector<std::string> after = Received(output.substr(back));
  EXPECT_EQ(std::count(after.begin(), after.end(), Printable(write)), 1);
  EXPECT_EQ(std::count(after.begin(), after.end(), ":GV#"), 1);
  EXPECT_GE(std::count(after.begin(), after.end(), ":GR#"), 1);
}

// Runs the program's events until ms have passed since start (real time).
void RunUntilElapsed(ui::HeadlessBackend& backend, std::chrono::steady_clock::time_point start,
                     int ms) {
  backend.runUntil(
      [&] { return std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(ms); },
      ms + 1000);
}

// Every setting shown on the sheets is confirmed: the sheets show what the controller holds.
void ExpectEverySettingConfirmed(TMainForm& main) {
  const KnownSettings& known = main.sheets.known();
  for (const auto& sheet : main.sheets.sheets()) {
    for (const auto& list : sheet->lists) {
      if (known.Knows(*list)) {
        EXPECT_EQ(known.StateOf(*list), SettingState::Confirmed)
            << main.sheets.DescribeControl(*list) << ": " << known.ReasonOf(*list);
      }
    }
    for (const auto& field : sheet->fields) {
      EXPECT_EQ(known.StateOf(*field), SettingState::Confirmed)
          << main.sheets.DescribeControl(*field) << ": " << known.ReasonOf(*field);
    }
  }
}

// The line is pulled 20 s after the simulator started, in the middle of the receive begun
// at 18.5 s (a start-up slowed down by a loaded machine or a sanitizer is over by then), and
// comes back 3 s later.
TEST(SimulatorLinkTest, AReceiveCutByAPulledLineEndsWithEverySettingReceived) {
  const auto start = std::chrono::steady_clock::now();
  ProgramOnPty program({"--unplug-after", "20000", "--replug-after", "3000", "--no-pacing"});
  ASSERT_TRUE(program.connected()) << program.simulator().output();
  TMainForm& main = program.main();
  RunUntilElapsed(program.backend(), start, 18500);
  ASSERT_EQ(main.ConnectedPort, 1) << "pulled too early";
  main.UpdateTimer.stop();
  const size_t before = program.written().size();
  main.ReceiveAll->click();
  const std::vector<std::string> during(program.written().begin() + static_cast<long>(before),
                                        program.written().end());
  // "Status: N of N settings received".
  int received = -1, total = -2;
  EXPECT_EQ(std::sscanf(main.CurrentOrvaneStatus->text().c_str(),
                        "Status: %d of %d settings received", &received, &total),
            2)
      << main.CurrentOrvaneStatus->text();
  EXPECT_EQ(received, total) << main.CurrentOrvaneStatus->hint();
  EXPECT_GE(total, 50);
  EXPECT_EQ(std::count(during.begin(), during.end(), ":GR#"), 0);  // no polling meanwhile
  EXPECT_EQ(std::count(during.begin(), during.end(), ":GV#"), 1);  // the line came back
  ExpectEverySettingConfirmed(main);
  EXPECT_TRUE(main.UpdateTimer.enabled());
  EXPECT_EQ(main.backups.List().size(), 1u);
  const std::string output = program.Finish();
  EXPECT_NE(output.find("line back on"), std::string::npos);
}

// The send begun at 18.5 s reads the controller first for its backup; the line goes at 20 s
// and comes back 3 s later. Asked whether to send after the incomplete read, the user says
// yes (the headless box's answer).
TEST(SimulatorLinkTest, ASendCutByAPulledLineEndsWithEverySettingSent) {
  const auto start = std::chrono::steady_clock::now();
  ProgramOnPty program({"--unplug-after", "20000", "--replug-after", "3000", "--no-pacing"});
  ASSERT_TRUE(program.connected()) << program.simulator().output();
  TMainForm& main = program.main();
  RunUntilElapsed(program.backend(), start, 18500);
  ASSERT_EQ(main.ConnectedPort, 1) << "pulled too early";
  main.UpdateTimer.stop();
  ui::MaskEdit& wormTeeth = *main.sheets.sheets()[0]->fields[0];
  wormTeeth.setText("181");
  main.SendAll->click();
  EXPECT_EQ(main.CurrentOrvaneStatus->text(), "Status: All settings sent")
      << main.CurrentOrvaneStatus->hint();
  ExpectEverySettingConfirmed(main);
  const std::string output = program.Finish();
  const size_t back = output.find("line back on");
  ASSERT_NE(back, std::string::npos) << output;
  const std::vector<std::string> received = Received(output);
  EXPECT_NE(std::find(received.begin(), received.end(), NativeWrite(201, 181)), received.end());
  // Time zone, local time and date went out, after the line was back if not before.
  for (const char* set : {":SG", ":SL", ":SC"}) {
    EXPECT_TRUE(std::any_of(received.begin(), received.end(),
                            [&](const std::string& command) { return command.rfind(set, 0) == 0; }))
        << set;
  }
}

TEST(SimulatorLinkTest, AFrozenControllerIsReportedWithinAPoll) {
  ProgramOnPty program({"--no-pacing"});
  ASSERT_TRUE(program.connected()) << program.simulator().output();
  TMainForm& main = program.main();
  ui::HeadlessBackend& backend = program.backend();
  ASSERT_TRUE(backend.runUntil([&] { return main.RA->text() != "0"; }, 10000));
  kill(program.simulator().pid(), SIGSTOP);
  const auto frozen = std::chrono::steady_clock::now();
  const bool reported = backend.runUntil(
      [&] { return main.CurrentOrvaneStatus->text() == "Status: Controller not answering"; },
      20000);
  const auto seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - frozen).count();
  kill(program.simulator().pid(), SIGCONT);
  ASSERT_TRUE(reported);
  // One silent poll of five reads a second each, and the one running when it froze.
  EXPECT_LT(seconds, 12.0);
  EXPECT_EQ(main.RA->text(), "--");
  EXPECT_EQ(main.Dec->text(), "--");
  EXPECT_TRUE(backend.runUntil(
      [&] { return main.CurrentOrvaneStatus->text() == "Status: Connection established"; },
      20000));
}

}  // namespace
}  // namespace orvane

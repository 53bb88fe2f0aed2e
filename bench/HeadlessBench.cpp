// The program without a display as the mount's network node, against orvane-sim on a
// pseudo-terminal at 9600 baud with the shipped profile (polling every second):
//  1. idle: the headless program's processor use and resident memory, and the commands it
//     writes per second;
//  2. ASCOM Alpaca load: 8 clients, each on a keep-alive connection of its own, asking
//     "rightascension" as fast as the answers come: requests a second, latency percentiles,
//     and the commands written meanwhile (goal: no ":GR#" beyond the program's own polls);
//  3. the windowed program, idle, on Qt's offscreen platform: processor use and memory;
//  4. INDI's generic driver (indi_lx200generic under indiserver, Debian package indi-bin)
//     polling the headless program's text port through a relay that counts its commands:
//     the driver's processor time per command, beside the headless program's per command.
//
//   bench_headless [SECONDS]     (each measured phase; default 60)
//
// The programs run as processes of their own; processor time and memory come from /proc.
#include <arpa/inet.h>
#include <http_parser.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "BenchSupport.h"
#include "persistence/SettingsStore.h"
#include "support/SimulatorProcess.h"

namespace {

namespace fs = std::filesystem;
using orvane::testing::SimulatorProcess;
using Clock = std::chrono::steady_clock;

constexpr int kClients = 8;
constexpr int kLoadSeconds = 30;

int FreePort() {
  const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(probe);
  return ntohs(address.sin_port);
}

int Connect(int port) {
  const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(socket);
    return -1;
  }
  const int yes = 1;
  ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
  timeval patience{5, 0};
  ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
  return socket;
}

// Processor time of a process in seconds: the scheduler's nanosecond counters of all its
// threads (the clock ticks of /proc/PID/stat are 10 ms, too coarse for an idle minute),
// the ticks where the counters are not kept.
double CpuSeconds(pid_t pid) {
  const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
  std::error_code error;
  double nanoseconds = 0;
  bool counted = false;
  for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
    std::ifstream schedstat(task.path() / "schedstat");
    double running = 0;
    if (schedstat >> running) {
      nanoseconds += running;
      counted = true;
    }
  }
  if (counted) return nanoseconds / 1e9;
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  std::istringstream fields(line.substr(line.rfind(')') + 2));
  std::string field;
  double ticks = 0;
  for (int index = 3; fields >> field && index <= 15; ++index) {
    if (index == 14 || index == 15) ticks += std::stod(field);
  }
  return ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// Resident memory of a process in kB.
long ResidentKb(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

// Commands the simulator's log shows, all or one kind.
long Commands(const SimulatorProcess& simulator, const std::string& only = {}) {
  const std::string log = simulator.output();
  long count = 0;
  const std::string needle = "<- " + only;
  for (size_t at = log.find(needle); at != std::string::npos; at = log.find(needle, at + 1)) {
    ++count;
  }
  return count;
}

bool WaitFor(const SimulatorProcess& process, const std::string& text, int seconds) {
  return process.waitForOutput(text, seconds * 1000);
}

struct Idle {
  double cpuPercent = 0;
  long residentKb = 0;
  double commandsPerSecond = 0;
  double cpuMsPerCommand = 0;
};

// Watches a program for a while, the simulator counting what reaches it.
Idle Watch(pid_t program, const SimulatorProcess& simulator, int seconds) {
  const double cpuBefore = CpuSeconds(program);
  const long commandsBefore = Commands(simulator);
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  Idle idle;
  const double cpu = CpuSeconds(program) - cpuBefore;
  const long commands = Commands(simulator) - commandsBefore;
  idle.cpuPercent = 100.0 * cpu / seconds;
  idle.residentKb = ResidentKb(program);
  idle.commandsPerSecond = static_cast<double>(commands) / seconds;
  idle.cpuMsPerCommand = commands > 0 ? 1000.0 * cpu / static_cast<double>(commands) : 0;
  return idle;
}

// One Alpaca client: keep-alive GETs of rightascension until the end; the latencies.
std::vector<double> AskRightAscension(int port, Clock::time_point end, std::atomic<int>& failed) {
  std::vector<double> latencies;
  const int socket = Connect(port);
  if (socket < 0) {
    ++failed;
    return latencies;
  }
  http_parser parser;
  http_parser_settings settings;
  http_parser_settings_init(&settings);
  bool complete = false;
  parser.data = &complete;
  settings.on_message_complete = [](http_parser* p) {
    *static_cast<bool*>(p->data) = true;
    return 0;
  };
  http_parser_init(&parser, HTTP_RESPONSE);
  parser.data = &complete;
  for (unsigned transaction = 1; Clock::now() < end; ++transaction) {
    const std::string request = "GET /api/v1/telescope/0/rightascension?ClientID=1&"
                                "ClientTransactionID=" + std::to_string(transaction) +
                                " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    const auto start = Clock::now();
    complete = false;
    if (::send(socket, request.data(), request.size(), MSG_NOSIGNAL) <= 0) break;
    char buffer[2048];
    while (!complete) {
      const ssize_t got = ::recv(socket, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      http_parser_execute(&parser, &settings, buffer, static_cast<size_t>(got));
    }
    if (!complete || parser.status_code != 200) {
      ++failed;
      break;
    }
    latencies.push_back(orvane::bench::ElapsedMs(start));
  }
  ::close(socket);
  return latencies;
}

double Percentile(std::vector<double>& values, double share) {
  if (values.empty()) return 0;
  const size_t at = std::min(values.size() - 1, static_cast<size_t>(share * values.size()));
  std::nth_element(values.begin(), values.begin() + static_cast<long>(at), values.end());
  return values[at];
}

// Passes bytes between the driver and the program's text port, counting the driver's
// commands (each ends in "#").
class CountingRelay {
 public:
  CountingRelay(int listenPort, int targetPort) : target_(targetPort) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    const int yes = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(listenPort));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener_, 4);
    thread_ = std::thread([this] { run(); });
  }
  ~CountingRelay() {
    stop_ = true;
    ::shutdown(listener_, SHUT_RDWR);
    ::close(listener_);
    if (thread_.joinable()) thread_.join();
  }
  long commands() const { return commands_; }

 private:
  void run() {
    const int driver = ::accept(listener_, nullptr, nullptr);
    if (driver < 0) return;
    const int program = Connect(target_);
    std::thread back([&] {
      char buffer[512];
      for (;;) {
        const ssize_t got = ::recv(program, buffer, sizeof buffer, 0);
        if (got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) break;
        if (got > 0) ::send(driver, buffer, static_cast<size_t>(got), MSG_NOSIGNAL);
        if (stop_) break;
      }
    });
    char buffer[512];
    while (!stop_) {
      const ssize_t got = ::recv(driver, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      commands_ += std::count(buffer, buffer + got, '#');
      ::send(program, buffer, static_cast<size_t>(got), MSG_NOSIGNAL);
    }
    ::shutdown(program, SHUT_RDWR);
    back.join();
    ::close(program);
    ::close(driver);
  }

  int target_;
  int listener_ = -1;
  std::atomic<bool> stop_{false};
  std::atomic<long> commands_{0};
  std::thread thread_;
};

// The process of the driver indiserver started.
pid_t DriverPid(const std::string& name) {
  for (const auto& entry : fs::directory_iterator("/proc")) {
    std::ifstream comm(entry.path() / "comm");
    std::string text;
    if (std::getline(comm, text) && name.rfind(text, 0) == 0) {
      return static_cast<pid_t>(std::stol(entry.path().filename().string()));
    }
  }
  return -1;
}

std::string Run(const std::string& program, const std::vector<std::string>& arguments) {
  SimulatorProcess tool(program, arguments);
  tool.waitForExit(20000);
  return tool.output();
}

}  // namespace

int main(int argc, char* argv[]) {
  const int seconds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 60;
  const fs::path folder = orvane::bench::ScratchFolder("headless");
  fs::copy_file(fs::path(ORVANE_SOURCE_PROFILES) / "Marovell Standard.ocf", folder / "Bench.ocf");
  const fs::path link = folder / "com1";
  SimulatorProcess simulator(ORVANE_SIM_PROGRAM, {"--link", link.string(), "--log"});
  if (!WaitFor(simulator, "ready", 15)) {
    std::printf("the simulator did not start\n");
    return 1;
  }
  const int textPort = FreePort();
  const int alpacaPort = FreePort();
  {
    orvane::SettingsStore settings(orvane::SettingsStore::DefaultLocation());
    settings.write("COM1", link.string());
    settings.write("Share", "on");
    settings.write("ShareTextPort", std::to_string(textPort));
    settings.write("ShareStellariumPort", "0");
    settings.write("AlpacaPort", std::to_string(alpacaPort));
    settings.write("AlpacaDiscoveryPort", "0");
  }
  const std::vector<std::string> profile{"--profile", (folder / "Bench.ocf").string(), "--port",
                                         "COM1"};
  std::vector<std::string> headlessWords{"-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u",
                                         "QT_QPA_PLATFORM", ORVANE_CONTROL_PROGRAM, "--headless"};
  headlessWords.insert(headlessWords.end(), profile.begin(), profile.end());
  auto headless = std::make_unique<SimulatorProcess>("/usr/bin/env", headlessWords);
  if (!WaitFor(*headless, "Status: Connection established", 60)) {
    std::printf("the headless program did not connect:\n%s\n", headless->output().c_str());
    return 1;
  }
  std::this_thread::sleep_for(std::chrono::seconds(5));  // start-up's own reads are over

  std::printf("Headless program, idle, %d s:\n", seconds);
  const Idle idle = Watch(headless->pid(), simulator, seconds);
  std::printf("  processor %.3f %% of one core, resident %ld kB, %.2f commands/s on the wire, "
              "%.3f ms of processor per command\n",
              idle.cpuPercent, idle.residentKb, idle.commandsPerSecond, idle.cpuMsPerCommand);

  std::printf("ASCOM Alpaca: %d clients asking rightascension for %d s:\n", kClients,
              kLoadSeconds);
  const long pollsBefore = Commands(simulator, ":GR#");
  const long commandsBefore = Commands(simulator);
  const double cpuBefore = CpuSeconds(headless->pid());
  std::atomic<int> failed{0};
  std::vector<std::vector<double>> perClient(kClients);
  const auto end = Clock::now() + std::chrono::seconds(kLoadSeconds);
  std::vector<std::thread> clients;
  for (int i = 0; i < kClients; ++i) {
    clients.emplace_back([&, i] { perClient[i] = AskRightAscension(alpacaPort, end, failed); });
  }
  for (std::thread& client : clients) client.join();
  std::vector<double> latencies;
  for (const auto& one : perClient) latencies.insert(latencies.end(), one.begin(), one.end());
  const long polls = Commands(simulator, ":GR#") - pollsBefore;
  const long commands = Commands(simulator) - commandsBefore;
  const double loadCpu = CpuSeconds(headless->pid()) - cpuBefore;
  const double worst = latencies.empty() ? 0 : *std::max_element(latencies.begin(), latencies.end());
  std::printf("  %zu answers, %.0f requests/s, %d failed; latency ms: median %.3f, 90th %.3f, "
              "99th %.3f, worst %.3f\n",
              latencies.size(), static_cast<double>(latencies.size()) / kLoadSeconds,
              failed.load(), Percentile(latencies, 0.5), Percentile(latencies, 0.9),
              Percentile(latencies, 0.99), worst);
  std::printf("  wire: %ld \":GR#\" in %d s (the polls: %.2f/s), %.2f commands/s in all "
              "(idle: %.2f); processor %.1f %% of one core\n",
              polls, kLoadSeconds, static_cast<double>(polls) / kLoadSeconds,
              static_cast<double>(commands) / kLoadSeconds, idle.commandsPerSecond,
              100.0 * loadCpu / kLoadSeconds);

  // INDI's generic driver against the headless program's text port.
  const std::string indiserver = "/usr/bin/indiserver";
  if (fs::exists(indiserver) && fs::exists("/usr/bin/indi_lx200generic")) {
    const int indiPort = FreePort();
    const int relayPort = FreePort();
    CountingRelay relay(relayPort, textPort);
    SimulatorProcess server(indiserver,
                            {"-p", std::to_string(indiPort), "-u",
                             "/tmp/indiserver-orvane-" + std::to_string(indiPort),
                             "indi_lx200generic"},
                            true);
    std::string device;
    for (int i = 0; i < 100 && device.empty(); ++i) {
      const std::string out = Run("/usr/bin/indi_getprop", {"-p", std::to_string(indiPort), "-t", "1",
                                                            "*.DRIVER_INFO.DRIVER_EXEC"});
      const size_t at = out.find(".DRIVER_INFO.DRIVER_EXEC=indi_lx200generic");
      if (at != std::string::npos) device = out.substr(0, at).substr(out.rfind('\n', at) + 1);
      if (device.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    const std::string p = std::to_string(indiPort);
    Run("/usr/bin/indi_setprop", {"-p", p, device + ".CONNECTION_MODE.CONNECTION_SERIAL=Off;CONNECTION_TCP=On"});
    Run("/usr/bin/indi_setprop",
        {"-p", p, device + ".DEVICE_ADDRESS.ADDRESS;PORT=127.0.0.1;" + std::to_string(relayPort)});
    Run("/usr/bin/indi_setprop", {"-p", p, device + ".CONNECTION.CONNECT=On"});
    std::this_thread::sleep_for(std::chrono::seconds(5));
    const pid_t driver = DriverPid("indi_lx200generic");
    if (driver > 0) {
      const double driverBefore = CpuSeconds(driver);
      const long relayedBefore = relay.commands();
      const Idle program = Watch(headless->pid(), simulator, seconds);
      const double driverCpu = CpuSeconds(driver) - driverBefore;
      const long relayed = relay.commands() - relayedBefore;
      std::printf("INDI's generic driver polling the headless program, %d s:\n", seconds);
      std::printf("  driver: %ld commands (%.2f/s), processor %.3f %% of one core, %.3f ms per "
                  "command, resident %ld kB\n",
                  relayed, static_cast<double>(relayed) / seconds, 100.0 * driverCpu / seconds,
                  relayed > 0 ? 1000.0 * driverCpu / static_cast<double>(relayed) : 0.0,
                  ResidentKb(driver));
      std::printf("  headless program meanwhile: processor %.3f %% of one core, %.2f commands/s "
                  "on the wire, %.3f ms per command\n",
                  program.cpuPercent, program.commandsPerSecond, program.cpuMsPerCommand);
    } else {
      std::printf("INDI's driver did not start\n");
    }
  } else {
    std::printf("INDI's generic driver is not installed (indi-bin): its phase is left out\n");
  }
  ::kill(headless->pid(), SIGTERM);
  const auto stopping = Clock::now();
  headless->waitForExit(10000);
  std::printf("headless program ended %.0f ms after SIGTERM\n", orvane::bench::ElapsedMs(stopping));
  headless.reset();

  std::printf("Windowed program (Qt offscreen platform), idle, %d s:\n", seconds);
  std::vector<std::string> windowedWords{"QT_QPA_PLATFORM=offscreen", ORVANE_CONTROL_PROGRAM};
  windowedWords.insert(windowedWords.end(), profile.begin(), profile.end());
  SimulatorProcess windowed("/usr/bin/env", windowedWords);
  std::this_thread::sleep_for(std::chrono::seconds(10));
  const Idle window = Watch(windowed.pid(), simulator, seconds);
  std::printf("  processor %.3f %% of one core, resident %ld kB, %.2f commands/s on the wire, "
              "%.3f ms of processor per command\n",
              window.cpuPercent, window.residentKb, window.commandsPerSecond,
              window.cpuMsPerCommand);
  ::kill(windowed.pid(), SIGTERM);
  windowed.waitForExit(10000);
  fs::remove_all(folder);
  return 0;
}

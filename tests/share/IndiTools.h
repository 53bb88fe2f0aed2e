// INDI as a real client of the program: indiserver running INDI's generic driver for this
// command family (indi_lx200generic, Debian package indi-bin) on a free port, and INDI's
// command-line tools to set and read the driver's properties. The tools run while the
// caller's keepGoing() lets the program go on (a program in the test's own process must be
// pumped; one in a process of its own goes on by itself). Every wait is bounded.
// Thread: the test's thread.
#pragma once

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "share/ShareTestSupport.h"
#include "support/SimulatorProcess.h"

namespace orvane::share_test {

class IndiTools {
 public:
  explicit IndiTools(std::function<void()> keepGoing) : keepGoing_(std::move(keepGoing)) {
    for (const char* tool : {"indiserver", "indi_lx200generic", "indi_setprop", "indi_getprop"}) {
      tools_[tool] = FindProgram(tool);
      if (tools_[tool].empty() && missing_.empty()) missing_ = tool;
    }
  }

  // The first tool that is not installed; empty when all are.
  const std::string& missing() const { return missing_; }

  // The server with the driver, in a process group of its own (it starts the driver). Its
  // local socket is named after its port: two servers at once (tests run in parallel) would
  // otherwise both take the default one, and the second would not start.
  void StartServer() {
    port_ = FreePort();
    const std::string port = std::to_string(port_);
    server_ = std::make_unique<testing::SimulatorProcess>(
        tools_["indiserver"],
        std::vector<std::string>{"-p", port, "-u", "/tmp/indiserver-orvane-" + port,
                                 tools_["indi_lx200generic"]},
        true);
  }
  void StopServer() { server_.reset(); }
  std::string serverOutput() const { return server_ ? server_->output() : std::string(); }

  // Runs an INDI tool while the program goes on; its output.
  std::string Tool(const std::string& name, const std::vector<std::string>& arguments) {
    std::vector<std::string> words{"-p", std::to_string(port_)};
    words.insert(words.end(), arguments.begin(), arguments.end());
    testing::SimulatorProcess tool(tools_[name], words);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (tool.waitForExit(0) == -1 && std::chrono::steady_clock::now() < deadline) keepGoing_();
    return tool.output();
  }

  // Finds the driver's device name from its own description; false while it is not there.
  bool FindDevice() {
    const std::string output = Tool("indi_getprop", {"-t", "1", "*.DRIVER_INFO.DRIVER_EXEC"});
    const size_t at = output.find(".DRIVER_INFO.DRIVER_EXEC=indi_lx200generic");
    if (at == std::string::npos) return false;
    const size_t start = output.rfind('\n', at);
    device_ = output.substr(start == std::string::npos ? 0 : start + 1,
                            at - (start == std::string::npos ? 0 : start + 1));
    return true;
  }
  const std::string& device() const { return device_; }

  // Points the driver at the program's text port and connects it.
  void ConnectDriver(int textPort) {
    Tool("indi_setprop", {device_ + ".CONNECTION_MODE.CONNECTION_SERIAL=Off;CONNECTION_TCP=On"});
    Tool("indi_setprop",
         {device_ + ".DEVICE_ADDRESS.ADDRESS;PORT=127.0.0.1;" + std::to_string(textPort)});
    Tool("indi_setprop", {device_ + ".CONNECTION.CONNECT=On"});
  }
  void Set(const std::string& assignment) { Tool("indi_setprop", {device_ + "." + assignment}); }

  // A property's value as indi_getprop prints it ("device.property.element=value").
  std::string Property(const std::string& name) {
    const std::string output = Tool("indi_getprop", {"-t", "1", device_ + "." + name});
    const size_t at = output.find(device_ + "." + name + "=");
    if (at == std::string::npos) return {};
    const size_t start = at + device_.size() + name.size() + 2;
    return output.substr(start, output.find('\n', start) - start);
  }
  double Number(const std::string& name) {
    const std::string text = Property(name);
    return text.empty() ? NAN : std::strtod(text.c_str(), nullptr);
  }

  // The program's full path on PATH; empty when it is not installed.
  static std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
      const std::filesystem::path candidate = std::filesystem::path(folder) / name;
      if (!folder.empty() && ::access(candidate.c_str(), X_OK) == 0) return candidate.string();
    }
    return {};
  }

 private:
  std::function<void()> keepGoing_;
  std::map<std::string, std::string> tools_;
  std::string missing_;
  std::unique_ptr<testing::SimulatorProcess> server_;
  int port_ = 0;
  std::string device_;
};

}  // namespace orvane::share_test

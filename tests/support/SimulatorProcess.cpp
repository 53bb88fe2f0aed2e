#include "support/SimulatorProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <sstream>

extern char** environ;

namespace orvane::testing {

SimulatorProcess::SimulatorProcess(const std::string& program,
                                   const std::vector<std::string>& arguments,
                                   bool ownProcessGroup)
    : ownProcessGroup_(ownProcessGroup) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
  std::vector<std::string> words{program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  if (ownProcessGroup) {
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
  }
  if (posix_spawn(&pid_, program.c_str(), &actions, &attributes, argv.data(), environ) != 0) {
    pid_ = -1;
  }
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  output_ = fds[0];
  reader_ = std::thread([this] { readAll(); });
}

SimulatorProcess::~SimulatorProcess() {
  if (pid_ > 0 && !reaped_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  // Programs it started may hold the output open; they go too.
  if (pid_ > 0 && ownProcessGroup_) kill(-pid_, SIGKILL);
  if (reader_.joinable()) reader_.join();  // the output ends with the process
  if (output_ >= 0) close(output_);
}

void SimulatorProcess::readAll() {
  char buffer[4096];
  for (;;) {
    const ssize_t got = read(output_, buffer, sizeof buffer);
    std::lock_guard lock(mutex_);
    if (got <= 0) {
      if (got < 0 && errno == EINTR) continue;
      ended_ = true;
      changed_.notify_all();
      return;
    }
    text_.append(buffer, static_cast<std::size_t>(got));
    changed_.notify_all();
  }
}

std::string SimulatorProcess::output() const {
  std::lock_guard lock(mutex_);
  return text_;
}

bool SimulatorProcess::waitForOutput(const std::string& text, int timeoutMs) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
    return text_.find(text) != std::string::npos || ended_;
  }) && text_.find(text) != std::string::npos;
}

int SimulatorProcess::waitForExit(int timeoutMs) {
  {
    std::unique_lock lock(mutex_);
    if (!changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return ended_; })) {
      return -1;
    }
  }
  int status = 0;
  if (waitpid(pid_, &status, 0) != pid_) return -1;
  reaped_ = true;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

long SimulatorProcess::cpuTicks() const {
  std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
  std::string line;
  std::getline(stat, line);
  std::istringstream fields(line.substr(line.rfind(')') + 2));
  std::string field;
  long user = 0, system = 0;
  for (int index = 3; fields >> field; ++index) {
    if (index == 14) user = std::stol(field);
    if (index == 15) {
      system = std::stol(field);
      break;
    }
  }
  return user + system;
}

}  // namespace orvane::testing

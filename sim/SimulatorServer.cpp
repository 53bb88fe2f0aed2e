#include "SimulatorServer.h"

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string_view>

#include "DeviceLink.h"
#include "OutputQueue.h"
#include "PseudoTerminal.h"
#include "SimulatedController.h"

namespace orvane::sim {
namespace {

// How often a hung-up line is checked for a new open.
constexpr int kHangupRetryMs = 10;

// Bytes as text for the log: printable ASCII as is, others as \xHH.
std::string printable(const std::string& bytes) {
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

class SignalDescriptor {
 public:
  SignalDescriptor() {
    sigemptyset(&mask_);
    for (int signal : {SIGINT, SIGTERM, SIGUSR1, SIGUSR2, SIGHUP}) sigaddset(&mask_, signal);
    sigprocmask(SIG_BLOCK, &mask_, nullptr);
    fd_ = signalfd(-1, &mask_, SFD_NONBLOCK | SFD_CLOEXEC);
  }
  ~SignalDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  int fd() const { return fd_; }
  // The next pending signal, or 0.
  int next() {
    signalfd_siginfo info{};
    if (read(fd_, &info, sizeof info) != static_cast<ssize_t>(sizeof info)) return 0;
    return static_cast<int>(info.ssi_signo);
  }

 private:
  sigset_t mask_{};
  int fd_ = -1;
};

enum class WriteResult { Done, Blocked, HungUp };

// Writes what is due by nowMs; a short write leaves the rest for the next round.
WriteResult writeDue(int fd, OutputQueue& queue, double nowMs) {
  for (;;) {
    const std::string_view due = queue.due(nowMs);
    if (due.empty()) return WriteResult::Done;
    const std::size_t wanted = due.size();
    const ssize_t written = write(fd, due.data(), wanted);
    if (written < 0) {
      if (errno == EAGAIN || errno == EINTR) return WriteResult::Blocked;
      return WriteResult::HungUp;
    }
    queue.take(static_cast<std::size_t>(written));
    if (static_cast<std::size_t>(written) < wanted) return WriteResult::Done;
  }
}

bool stillHungUp(int fd) {
  pollfd check{fd, POLLIN, 0};
  return poll(&check, 1, 0) > 0 && (check.revents & POLLHUP) != 0;
}

}  // namespace

SimulatorServer::SimulatorServer(SimulatorSettings settings, std::ostream& out,
                                 std::ostream& errors)
    : settings_(std::move(settings)), out_(out), errors_(errors) {}

int SimulatorServer::run() {
  SignalDescriptor signals;
  if (signals.fd() < 0) {
    errors_ << "orvane-sim: signalfd: " << std::strerror(errno) << std::endl;
    return 1;
  }
  std::string error;
  std::unique_ptr<PseudoTerminal> terminal = PseudoTerminal::open(error);
  if (!terminal) {
    errors_ << "orvane-sim: " << error << std::endl;
    return 1;
  }
  std::unique_ptr<DeviceLink> link;
  if (!settings_.linkPath.empty()) {
    link = DeviceLink::create(settings_.linkPath, terminal->devicePath(), error);
    if (!link) {
      errors_ << "orvane-sim: " << error << std::endl;
      return 1;
    }
  }

  SimulatedController controller(settings_.controller);
  const ControllerOptions& options = controller.options();
  const bool log = settings_.log;
  if (options.strict) {
    controller.setBreachObserver([this](const std::string& text) {
      out_ << "orvane-sim: breach: " << printable(text) << std::endl;
    });
  }
  if (log) {
    controller.setCommandObserver(
        [this](const std::string& command) { out_ << "<- " << printable(command) << std::endl; });
  }
  OutputQueue queue;
  auto enqueue = [&](std::vector<Output> pieces) {
    if (log) {
      for (const Output& piece : pieces) out_ << "-> " << printable(piece.bytes) << std::endl;
    }
    queue.add(std::move(pieces));
  };

  out_ << "orvane-sim: controller level " << options.level << ", version " << options.version
       << " on " << terminal->devicePath() << std::endl;
  if (link)
    out_ << "orvane-sim: link " << link->path() << " -> " << terminal->devicePath() << std::endl;
  out_ << "orvane-sim: ready" << std::endl;

  const auto start = std::chrono::steady_clock::now();
  auto elapsedMs = [&] {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
  };
  bool lineDropped = false;
  // Until a program opens the device the master reports a hangup.
  bool hungUp = stillHungUp(terminal->masterFd());
  bool writeBlocked = false;
  bool stopping = false;

  auto noteHangup = [&] {
    if (!hungUp && log) out_ << "orvane-sim: the device was closed" << std::endl;
    hungUp = true;
    writeBlocked = false;
    tcflush(terminal->masterFd(), TCIOFLUSH);
  };

  while (!stopping) {
    double now = elapsedMs();
    if (!lineDropped && controller.unplugged(now)) {
      terminal->closeMaster();
      // The device is gone, and its link with it (as /dev/serial/by-id links go): a link
      // left behind would lead to whatever terminal gets the device's number next.
      link.reset();
      queue.clear();
      lineDropped = true;
      out_ << "orvane-sim: line dropped" << std::endl;
    }
    if (lineDropped && now >= options.replugAtMs()) {
      // Plugged in again: a new device, as an adapter gets when it comes back; the link
      // follows it, as /dev/serial/by-id links do.
      std::unique_ptr<PseudoTerminal> fresh = PseudoTerminal::open(error);
      if (!fresh) {
        errors_ << "orvane-sim: " << error << std::endl;
        return 1;
      }
      terminal = std::move(fresh);
      if (!settings_.linkPath.empty()) {
        link = DeviceLink::create(settings_.linkPath, terminal->devicePath(), error);
        if (!link) {
          errors_ << "orvane-sim: " << error << std::endl;
          return 1;
        }
      }
      lineDropped = false;
      hungUp = stillHungUp(terminal->masterFd());
      writeBlocked = false;
      out_ << "orvane-sim: line back on " << terminal->devicePath() << std::endl;
    }
    if (!lineDropped) {
      if (hungUp && !stillHungUp(terminal->masterFd())) {
        hungUp = false;
        if (log) out_ << "orvane-sim: the device was opened" << std::endl;
      }
      enqueue(controller.poll(now));
      if (hungUp) {
        queue.takeDue(now);  // nobody listens: what is due is lost
      } else {
        WriteResult result = writeDue(terminal->masterFd(), queue, now);
        writeBlocked = result == WriteResult::Blocked;
        if (result == WriteResult::HungUp) noteHangup();
      }
    }

    // Sleep until the next byte is due, the next announcement, the unplug, or an event.
    double wakeMs = std::numeric_limits<double>::infinity();
    if (!lineDropped) {
      if (!writeBlocked) wakeMs = std::min(wakeMs, queue.nextDueMs());
      wakeMs = std::min(wakeMs, controller.nextUnsolicitedMs());
      if (options.unplugAtMs > now) wakeMs = std::min(wakeMs, options.unplugAtMs);
    } else {
      wakeMs = std::min(wakeMs, options.replugAtMs());
    }
    int timeoutMs = -1;
    if (std::isfinite(wakeMs)) {
      timeoutMs = static_cast<int>(std::clamp(std::ceil(wakeMs - now), 0.0, 60000.0));
    }
    if (hungUp && !lineDropped) {
      timeoutMs = timeoutMs < 0 ? kHangupRetryMs : std::min(timeoutMs, kHangupRetryMs);
    }
    pollfd fds[2] = {{signals.fd(), POLLIN, 0}, {-1, 0, 0}};
    nfds_t count = 1;
    if (!lineDropped && !hungUp) {
      fds[1] = {terminal->masterFd(), static_cast<short>(POLLIN | (writeBlocked ? POLLOUT : 0)), 0};
      count = 2;
    }
    if (poll(fds, count, timeoutMs) < 0 && errno != EINTR) {
      errors_ << "orvane-sim: poll: " << std::strerror(errno) << std::endl;
      return 1;
    }

    if (fds[0].revents & POLLIN) {
      while (int signal = signals.next()) {
        if (signal == SIGINT || signal == SIGTERM) {
          stopping = true;
        } else if (signal == SIGUSR1) {
          controller.completeInitialAlignment();
          out_ << "orvane-sim: initial alignment done" << std::endl;
        } else if (signal == SIGUSR2) {
          bool on = (controller.statusBits() & SimulatedController::kStatusBit4) == 0;
          controller.setStatusBit4(on);
          out_ << "orvane-sim: status bit 4 " << (on ? "set" : "cleared") << std::endl;
        } else if (signal == SIGHUP) {
          controller.restart(elapsedMs());
          out_ << "orvane-sim: power cycled, waiting for a start mode" << std::endl;
        }
      }
    }
    if (count == 2 && (fds[1].revents & POLLIN)) {
      char buffer[512];
      for (;;) {
        ssize_t got = read(terminal->masterFd(), buffer, sizeof buffer);
        if (got > 0) {
          enqueue(controller.receive(std::string_view(buffer, static_cast<std::size_t>(got)),
                                     elapsedMs()));
          continue;
        }
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) break;
        noteHangup();  // EIO: the program closed the device
        break;
      }
    } else if (count == 2 && (fds[1].revents & (POLLHUP | POLLERR))) {
      noteHangup();
    }
  }
  if (options.strict) {
    out_ << "orvane-sim: " << controller.breaches() << " breaches, "
         << controller.stopsDuringReplies() << " stops during replies" << std::endl;
  }
  out_ << "orvane-sim: stopped" << std::endl;
  return 0;
}

}  // namespace orvane::sim

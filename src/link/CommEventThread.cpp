#include "link/CommEventThread.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <mutex>

#include "link/SerialDevice.h"
#include "ui/Backend.h"

namespace orvane {

namespace {

// Without a wake-up pipe (descriptors exhausted) the watcher looks for a stop request this
// often instead.
constexpr int kNoPipeRecheckMs = 100;

void DrainPipe(int descriptor) {
  char buffer[64];
  while (::read(descriptor, buffer, sizeof buffer) > 0) {
  }
}

// Bytes waiting in the device's input queue, or -1 when the device cannot tell.
int BytesWaiting(int descriptor) {
  int count = 0;
  if (::ioctl(descriptor, FIONREAD, &count) != 0) return -1;
  return count;
}

}  // namespace

struct TCommEventThread::Shared {
  std::mutex mutex;
  bool stopRequested = false;
  bool deviceFailed = false;
  bool handingOver = false;  // from the hand-over until the watcher is back
  bool callFinished = false;  // the handed-over call has run on the user-interface thread
  std::atomic<std::uint64_t> bytesTaken{0};  // reads and discards by the program
  Handler handler;
  int wakeRead = -1;
  int wakeWrite = -1;

  ~Shared() {
    if (wakeRead >= 0) ::close(wakeRead);
    if (wakeWrite >= 0) ::close(wakeWrite);
  }
  void wake() const {
    if (wakeWrite < 0) return;
    const char byte = 1;
    // A full pipe already wakes the watcher.
    [[maybe_unused]] ssize_t written = ::write(wakeWrite, &byte, 1);
  }
};

TCommEventThread::TCommEventThread(ui::Backend& backend, int descriptor, bool pseudoTerminal,
                                   std::uint32_t mask, Handler handler)
    : backend_(backend),
      descriptor_(descriptor),
      pseudoTerminal_(pseudoTerminal),
      mask_(mask),
      shared_(std::make_shared<Shared>()) {
  shared_->handler = std::move(handler);
  int fds[2];
  if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) {
    shared_->wakeRead = fds[0];
    shared_->wakeWrite = fds[1];
  }
}

TCommEventThread::~TCommEventThread() { stop(); }

void TCommEventThread::start() {
  if (thread_.joinable()) return;
  thread_ = std::thread(Run, shared_, std::ref(backend_), descriptor_, pseudoTerminal_, mask_);
}

void TCommEventThread::stop() {
  bool waitingForHandOver = false;
  {
    std::lock_guard lock(shared_->mutex);
    shared_->stopRequested = true;
    // A call that has run no longer holds the watcher: it is about to see the request.
    waitingForHandOver = shared_->handingOver && !shared_->callFinished;
  }
  shared_->wake();
  if (!thread_.joinable()) return;
  if (waitingForHandOver) {
    thread_.detach();
  } else {
    thread_.join();
  }
}

void TCommEventThread::deviceFailed() {
  {
    std::lock_guard lock(shared_->mutex);
    shared_->deviceFailed = true;
  }
  shared_->wake();
}

void TCommEventThread::bytesTaken() { shared_->bytesTaken.fetch_add(1); }

bool TCommEventThread::StopRequested(Shared& shared) {
  std::lock_guard lock(shared.mutex);
  return shared.stopRequested;
}

TCommEventThread::HandOver TCommEventThread::HandOverEvent(const std::shared_ptr<Shared>& shared,
                                                           ui::Backend& backend,
                                                           std::uint32_t eventMask) {
  {
    std::lock_guard lock(shared->mutex);
    if (shared->stopRequested) return HandOver::Stopped;
    shared->handingOver = true;
    shared->callFinished = false;
  }
  auto ran = std::make_shared<std::atomic<bool>>(false);
  try {
    backend.runOnGuiThread([shared, ran, eventMask] {
      ran->store(true);
      struct Finish {
        Shared& shared;
        ~Finish() {
          std::lock_guard lock(shared.mutex);
          shared.callFinished = true;
        }
      } finish{*shared};
      {
        std::lock_guard lock(shared->mutex);
        if (shared->stopRequested) return;
      }
      // Unlocked: the handler may stop the watcher. Stopping happens on this same
      // (user-interface) thread, so the request cannot arrive between check and call.
      shared->handler(eventMask);
    });
  } catch (...) {
    // A handler's error was passed back to this thread; the event counts as handled.
    ran->store(true);
  }
  std::lock_guard lock(shared->mutex);
  shared->handingOver = false;
  if (shared->stopRequested) return HandOver::Stopped;
  // Not run and not stopped: the backend has terminated and takes no more calls.
  return ran->load() ? HandOver::Ran : HandOver::Refused;
}

void TCommEventThread::Run(std::shared_ptr<Shared> shared, ui::Backend& backend,
                           int descriptor, bool pseudoTerminal, std::uint32_t mask) {
  const bool watchReceived = (mask & comm_event::kRxChar) != 0;
  bool lineUp = !pseudoTerminal;
  // Bytes the program left waiting after an event, and its count of takings then; while
  // both stand, only a grown queue raises the event again.
  int unread = 0;
  std::uint64_t takenAtUnread = 0;
  bool timedWait = false;
  bool firstLook = true;  // a pseudo-terminal's line is looked at once without waiting

  for (;;) {
    if (StopRequested(*shared)) return;
    short events = 0;
    if (!lineUp || unread > 0 || timedWait) {
      // Wait on the pipe alone, then look at the device without waiting.
      pollfd wake{shared->wakeRead, POLLIN, 0};
      const int pause = firstLook ? 0 : lineUp ? kUnreadRecheckMs : kLineDownRecheckMs;
      firstLook = false;
      const int result = ::poll(&wake, 1, pause);
      if (result < 0 && errno != EINTR) break;
      if (shared->wakeRead >= 0) DrainPipe(shared->wakeRead);
      if (StopRequested(*shared)) return;
      pollfd device{descriptor, static_cast<short>(watchReceived ? POLLIN : 0), 0};
      if (::poll(&device, 1, 0) < 0 && errno != EINTR) break;
      events = device.revents;
    } else {
      pollfd fds[2] = {{descriptor, static_cast<short>(watchReceived ? POLLIN : 0), 0},
                       {shared->wakeRead, POLLIN, 0}};
      const int result = ::poll(fds, 2, shared->wakeRead >= 0 ? -1 : kNoPipeRecheckMs);
      if (result < 0) {
        if (errno == EINTR) continue;
        break;
      }
      if (fds[1].revents != 0) DrainPipe(shared->wakeRead);
      if (StopRequested(*shared)) return;
      events = fds[0].revents;
    }
    timedWait = false;
    {
      std::lock_guard lock(shared->mutex);
      if (shared->deviceFailed) break;
    }
    if ((events & (POLLNVAL | POLLERR)) != 0) break;
    if ((events & POLLHUP) != 0) {
      if (pseudoTerminal && !lineUp) continue;
      break;
    }
    lineUp = true;
    if (!watchReceived) continue;
    if ((events & POLLIN) == 0) {
      unread = 0;
      continue;
    }

    const int waiting = BytesWaiting(descriptor);
    if (waiting < 0) break;
    if (waiting == 0) {
      // Readable without bytes: do not trust the level, look again after a pause.
      unread = 0;
      timedWait = true;
      continue;
    }
    if (unread > 0 && shared->bytesTaken.load() == takenAtUnread && waiting <= unread) {
      unread = waiting;
      continue;  // nothing new, and the program still leaves them
    }
    const std::uint64_t takenBefore = shared->bytesTaken.load();
    switch (HandOverEvent(shared, backend, comm_event::kRxChar)) {
      case HandOver::Ran: break;
      case HandOver::Stopped:
      case HandOver::Refused: return;
    }
    {
      std::lock_guard lock(shared->mutex);
      if (shared->deviceFailed) break;
    }
    const int left = BytesWaiting(descriptor);
    if (left < 0) break;
    takenAtUnread = shared->bytesTaken.load();
    // Bytes still waiting after a read are new (or a partial read): the next poll reports
    // them at once. Bytes the program did not touch wait for the queue to grow.
    unread = takenAtUnread == takenBefore ? left : 0;
  }
  HandOverEvent(shared, backend, comm_event::kLost);
}

}  // namespace orvane

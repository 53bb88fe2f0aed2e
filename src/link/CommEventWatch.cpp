#include "link/CommEventWatch.h"

#include <poll.h>
#include <sys/ioctl.h>

#include <cerrno>

#include "link/SerialDevice.h"
#include "ui/Backend.h"
#include "ui/DescriptorWatch.h"

namespace orvane {

namespace {

// Bytes waiting in the device's input queue, or -1 when the device cannot tell.
int BytesWaiting(int descriptor) {
  int count = 0;
  if (::ioctl(descriptor, FIONREAD, &count) != 0) return -1;
  return count;
}

// What the device reports without waiting (poll's revents), or POLLERR when it cannot tell.
short LookAt(int descriptor, short events) {
  pollfd device{descriptor, events, 0};
  while (::poll(&device, 1, 0) < 0) {
    if (errno != EINTR) return POLLERR;
  }
  return device.revents;
}

}  // namespace

TCommEventWatch::TCommEventWatch(ui::Backend& backend, int descriptor, bool pseudoTerminal,
                                 std::uint32_t mask, Handler handler)
    : backend_(backend),
      descriptor_(descriptor),
      pseudoTerminal_(pseudoTerminal),
      watchReceived_((mask & comm_event::kRxChar) != 0),
      handler_(std::move(handler)),
      recheck_(backend, kUnreadRecheckMs, false),
      lineUp_(!pseudoTerminal) {
  recheck_.onTimer = [this](ui::Timer&) { Tick(); };
}

TCommEventWatch::~TCommEventWatch() {
  *alive_ = false;
  stop();
}

void TCommEventWatch::start() {
  if (watch_ || ended_) return;
  watch_ = std::make_unique<ui::DescriptorWatch>(backend_, descriptor_);
  watch_->setWatchReading(false);
  watch_->onReadable = [this](ui::DescriptorWatch&) { Readable(); };
  // The first look is made at once; a loss found there is reported among the events.
  const short seen = LookAt(descriptor_, 0);
  if ((seen & (POLLERR | POLLNVAL)) != 0 || ((seen & POLLHUP) != 0 && lineUp_)) {
    failed_ = true;
    LookAgainIn(1, Look::Loss);
  } else if ((seen & POLLHUP) != 0) {
    LookAgainIn(kLineDownRecheckMs, Look::Line);
  } else {
    lineUp_ = true;
    Resume();
  }
}

void TCommEventWatch::stop() {
  ended_ = true;
  recheck_.stop();
  watch_.reset();
}

void TCommEventWatch::deviceFailed() {
  if (ended_ || failed_ || !watch_) return;
  failed_ = true;
  watch_->setWatchReading(false);
  LookAgainIn(1, Look::Loss);
}

void TCommEventWatch::Resume() {
  recheck_.stop();
  watch_->setWatchReading(watchReceived_);
  if (!watchReceived_) LookAgainIn(kLineDownRecheckMs, Look::Line);
}

void TCommEventWatch::LookAgainIn(int milliseconds, Look look) {
  look_ = look;
  recheck_.stop();  // a new period from now
  recheck_.setInterval(milliseconds);
  recheck_.start();
}

void TCommEventWatch::Readable() {
  if (ended_ || failed_) return;
  if (backend_.terminated()) {
    End();
    return;
  }
  if (inHandler_) {
    // A wait inside the handler: the bytes are the handler's, no second event. The device
    // is watched again once the handler has returned.
    watch_->setWatchReading(false);
    return;
  }
  const int waiting = BytesWaiting(descriptor_);
  if (waiting < 0) {
    Lose();
    return;
  }
  if (waiting == 0) {
    watch_->setWatchReading(false);
    // A hang-up or an error shows as readable; readable without either and without bytes
    // is not trusted: look again after a pause.
    if ((LookAt(descriptor_, POLLIN) & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
      Lose();
    } else {
      LookAgainIn(kUnreadRecheckMs, Look::Again);
    }
    return;
  }
  // The device stays watched while the handler runs (switching the watch off and on costs
  // the event loop a wake-up of its own); a wait inside the handler switches it off.
  const std::uint64_t takenBefore = taken_;
  inHandler_ = true;
  const bool goesOn = Deliver(comm_event::kRxChar);
  if (!goesOn) return;
  inHandler_ = false;
  if (failed_) {
    LookAgainIn(1, Look::Loss);  // a failure noticed inside the handler is reported now
    return;
  }
  if (taken_ != takenBefore) {
    // Bytes still waiting after a read are new (or a partial read): the watch reports
    // them at once.
    watch_->setWatchReading(true);
    return;
  }
  // Bytes the program did not touch wait for the queue to grow.
  const int left = BytesWaiting(descriptor_);
  if (left < 0) {
    Lose();
  } else if (left == 0) {
    watch_->setWatchReading(true);
  } else {
    watch_->setWatchReading(false);
    unread_ = left;
    takenAtUnread_ = taken_;
    LookAgainIn(kUnreadRecheckMs, Look::Unread);
  }
}

void TCommEventWatch::Tick() {
  recheck_.stop();
  // Inside the handler (a wait there) nothing is reported; it goes on once that returns.
  if (ended_ || inHandler_) return;
  if (backend_.terminated()) {
    End();
    return;
  }
  switch (look_) {
    case Look::Line: LookAtLine(); break;
    case Look::Unread: LookAtUnread(); break;
    case Look::Again: Resume(); break;
    case Look::Loss: Lose(); break;
  }
}

void TCommEventWatch::LookAtLine() {
  const short seen = LookAt(descriptor_, 0);
  if ((seen & (POLLERR | POLLNVAL)) != 0) {
    Lose();
  } else if ((seen & POLLHUP) != 0) {
    if (lineUp_) {
      Lose();
    } else {
      LookAgainIn(kLineDownRecheckMs, Look::Line);
    }
  } else {
    lineUp_ = true;
    Resume();
  }
}

void TCommEventWatch::LookAtUnread() {
  if ((LookAt(descriptor_, POLLIN) & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
    Lose();
    return;
  }
  const int waiting = BytesWaiting(descriptor_);
  if (waiting < 0) {
    Lose();
  } else if (waiting > unread_ || waiting == 0 || taken_ != takenAtUnread_) {
    Resume();
  } else {
    unread_ = waiting;  // nothing new, and the program still leaves them
    LookAgainIn(kUnreadRecheckMs, Look::Unread);
  }
}

void TCommEventWatch::Lose() {
  End();
  Deliver(comm_event::kLost);
}

void TCommEventWatch::End() {
  ended_ = true;
  recheck_.stop();
  if (watch_) watch_->setWatchReading(false);
}

bool TCommEventWatch::Deliver(std::uint32_t eventMask) {
  // The handler may stop the watch or destroy it (closing the device).
  const std::shared_ptr<bool> alive = alive_;
  try {
    handler_(eventMask);
  } catch (...) {
    // The event counts as handled: no caller waits for its error.
  }
  return *alive && !ended_;
}

}  // namespace orvane

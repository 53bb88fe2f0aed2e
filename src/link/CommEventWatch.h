// TCommEventWatch: watches one termios device for received bytes and failure on the
// user-interface thread's own event loop, and calls the handler there. Used by
// PosixSerialDevice.
//
// Thread: user-interface thread only. There is no thread of its own: the device is one of
// the descriptors the message pump waits on (ui::DescriptorWatch), so a received reply
// costs one wake-up of that thread and no hand-over between threads. The handler runs
// whenever that thread processes pending events (the message loop, or a wait that lets
// events run), one event at a time: a wait inside the handler raises no second event (the
// device is watched again once the handler has returned).
//
// On received bytes the handler gets comm_event::kRxChar; it reads the bytes, so the
// device is not ready again until new ones come. Bytes left unread (nothing was read or
// discarded during the event) do not raise the event again and again: the device is then
// looked at every kUnreadRecheckMs for a grown input queue or for the program taking bytes
// (a received-byte event means "a byte arrived", not "bytes wait"). A device that reports
// itself readable without bytes is looked at again after the same pause.
// A hang-up, an error, a failing look at the device or an I/O error the device noticed
// (see deviceFailed) are reported once as comm_event::kLost, and the watch ends.
//
// Pseudo-terminals report a hang-up while nobody holds their other side; there a hang-up
// counts as loss only once the line has been up (a look without hang-up). Until then the
// device is looked at every kLineDownRecheckMs, so a line that is not up yet costs a few
// wake-ups per second and no spinning. A watch without received bytes in its mask looks
// for failure at the same pace.
//
// The rechecks are timers of the backend, on its clock. Once the backend has terminated,
// nothing more is reported and the watch ends. stop() may be called from inside the
// handler, and the handler may destroy the watch (by closing the device): no handler runs
// after stop() has returned.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "ui/Timer.h"

namespace orvane {

namespace ui {
class Backend;
class DescriptorWatch;
}  // namespace ui

class TCommEventWatch {
 public:
  using Handler = std::function<void(std::uint32_t eventMask)>;

  // Bytes left unread by the handler are looked at again this often.
  static constexpr int kUnreadRecheckMs = 20;
  // A pseudo-terminal whose other side is not open yet is looked at again this often.
  static constexpr int kLineDownRecheckMs = 200;

  // descriptor: the open device (it must stay open until stop() has returned);
  // mask: the events to watch (comm_event bits; only kRxChar is watched on termios
  // devices, other events are not reported by them).
  TCommEventWatch(ui::Backend& backend, int descriptor, bool pseudoTerminal,
                  std::uint32_t mask, Handler handler);
  ~TCommEventWatch();
  TCommEventWatch(const TCommEventWatch&) = delete;
  TCommEventWatch& operator=(const TCommEventWatch&) = delete;

  void start();
  // After it returns the handler is not called any more and the descriptor is not used.
  void stop();
  // The device failed during a transfer: the loss is reported among the next events
  // processed (not from inside the transfer), and the watch ends.
  void deviceFailed();
  // The program read (or discarded) received bytes.
  void bytesTaken() { ++taken_; }

 private:
  // What the recheck timer looks for when it ticks.
  enum class Look { Line, Unread, Again, Loss };

  void Readable();
  void Tick();
  // Looks at the line without waiting: up, not up yet (pseudo-terminal) or lost.
  void LookAtLine();
  void LookAtUnread();
  // Watches for received bytes (or, without them in the mask, for failure).
  void Resume();
  void LookAgainIn(int milliseconds, Look look);
  // Ends the watch and reports the loss.
  void Lose();
  void End();
  // Calls the handler; false when the watch has ended or is gone meanwhile.
  bool Deliver(std::uint32_t eventMask);

  ui::Backend& backend_;
  int descriptor_;
  bool pseudoTerminal_;
  bool watchReceived_;
  Handler handler_;
  std::unique_ptr<ui::DescriptorWatch> watch_;
  ui::Timer recheck_;
  Look look_ = Look::Line;
  bool lineUp_;
  bool failed_ = false;
  bool ended_ = false;
  bool inHandler_ = false;  // the handler of received bytes runs
  std::uint64_t taken_ = 0;
  // Bytes the program left waiting after an event, and its count of takings then; while
  // both stand, only a grown queue raises the event again.
  int unread_ = 0;
  std::uint64_t takenAtUnread_ = 0;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace orvane

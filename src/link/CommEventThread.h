// TCommEventThread: watches one termios device for received bytes and failure, and hands
// each event to the user-interface thread. Used by PosixSerialDevice.
//
// Thread: constructed, started and stopped on the user-interface thread; the watcher runs
// on a thread of its own and calls the handler only through Backend::runOnGuiThread.
//
// The watcher waits with poll() on the device and on a wake-up pipe. On received bytes it
// hands comm_event::kRxChar over and blocks until the handler has run; the handler reads
// the bytes, so the next poll waits for new ones. Bytes left unread (nothing was read or
// discarded during the event) do not raise the event again and again: the watcher then
// looks every kUnreadRecheckMs for a grown input queue or for the program taking bytes
// (a received-byte event means "a byte arrived", not "bytes wait").
// POLLHUP, POLLERR, POLLNVAL, a failing poll or an I/O error the device noticed (see
// deviceFailed) are reported once as comm_event::kLost, and the watcher ends.
//
// Pseudo-terminals report a hang-up while nobody holds their other side; there a hang-up
// counts as loss only once the line has been up (a poll without hang-up). Until then the
// watcher looks every kLineDownRecheckMs, so a line that is not up yet costs a few
// wake-ups per second and no spinning.
//
// Stopping (stop(), user-interface thread) sets the stop request under the watcher's
// mutex and writes to the wake-up pipe. It never waits for the user-interface thread:
//  - a watcher that is polling (or between steps) checks the request before it would hand
//    anything over, so stop() joins it; it ends at once;
//  - a watcher whose handed-over call has run is on its way back and is joined too;
//  - a watcher that is waiting for a handed-over call to run cannot be joined from the
//    user-interface thread (that call may be the very one running stop(), or may be
//    queued behind it). stop() detaches it. The handed-over call checks the request
//    before it calls the handler, so no handler runs after stop() has returned; once the
//    call has run (or the backend has terminated and dropped it) the watcher sees the
//    request and ends without touching the device again. Everything it still uses after
//    stop() (mutex, flags, pipe, handler object) lives in a state it shares.
// The backend must outlive a detached watcher's wait: at shutdown Backend::terminate()
// releases every waiting thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

namespace orvane {

namespace ui {
class Backend;
}

class TCommEventThread {
 public:
  using Handler = std::function<void(std::uint32_t eventMask)>;

  // Bytes left unread by the handler are looked at again this often.
  static constexpr int kUnreadRecheckMs = 20;
  // A pseudo-terminal whose other side is not open yet is looked at again this often.
  static constexpr int kLineDownRecheckMs = 200;

  // descriptor: the open device (it must stay open until stop() has returned);
  // mask: the events to watch (comm_event bits; only kRxChar is watched on termios
  // devices, other events are not reported by them).
  TCommEventThread(ui::Backend& backend, int descriptor, bool pseudoTerminal,
                   std::uint32_t mask, Handler handler);
  ~TCommEventThread();
  TCommEventThread(const TCommEventThread&) = delete;
  TCommEventThread& operator=(const TCommEventThread&) = delete;

  void start();
  // After it returns the handler is not called any more and the descriptor is not used.
  void stop();
  // The device failed during a transfer: the watcher reports the loss and ends.
  void deviceFailed();
  // The program read (or discarded) received bytes; any thread.
  void bytesTaken();

 private:
  struct Shared;
  enum class HandOver { Ran, Stopped, Refused };

  static void Run(std::shared_ptr<Shared> shared, ui::Backend& backend, int descriptor,
                  bool pseudoTerminal, std::uint32_t mask);
  static HandOver HandOverEvent(const std::shared_ptr<Shared>& shared, ui::Backend& backend,
                                std::uint32_t eventMask);
  static bool StopRequested(Shared& shared);

  ui::Backend& backend_;
  int descriptor_;
  bool pseudoTerminal_;
  std::uint32_t mask_;
  std::shared_ptr<Shared> shared_;
  std::thread thread_;
};

}  // namespace orvane

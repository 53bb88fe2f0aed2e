// CommandQueue: the one ordered way to the controller's wire. Every command (polling, the
// buttons, slews, transfers, the detection and restart handshakes, the queued setting
// writes, and later anything else that talks to the controller) is a request here. The
// queue writes one request at a time and holds the line until it is done: the fixed pause
// after a command is over and, when a reply is wanted, the reply has come or its time-out
// has passed. The queued setting writes go out as one burst between two commands; a
// command written behind such a burst waits for its reply as much longer as the burst's
// bytes take on the line at its rate. Only stop commands jump the
// queue: they are written at once, also in the middle of another command's wait, whose
// exchange goes on undisturbed (a stop has no reply, so no reply can be taken for the
// wrong command).
//
// Requests are values with a completion call, so a command submitted from inside another
// command's wait (a click or a tick handled there) waits its turn instead of writing into
// the middle of an exchange; nothing depends on who is above whom on the call stack. Run()
// submits one command and waits for it, letting events run meanwhile; Submit() queues one
// and returns at once (its completion reports the reply later). Requests submitted
// together run back to back, so a sequence (the commands of a slew) cannot be split by
// another source.
//
// Clients beside the program (planetarium programs sharing the mount) get a fair share of
// the line without holding up the program: their requests yield. A yielding request starts
// only when no request of the program's own waits, and not in the very moment one of the
// program's ended (its caller's next command of the same operation, a poll's next read,
// comes first), unless it has waited kLongestYieldMs. So a poll is held up by at most the
// one client command that has the line when it begins. Yielding requests submitted
// together run back to back once the first has begun: nothing comes between them.
//
// Consecutive stops collapse: a stop that repeats the last command written, within
// kStopRepeatMs, is not written again (ten thousand stops in one packet are one on the
// wire); it withdraws what a stop withdraws all the same. Every stop, written or not, is
// told to the stop listeners (the sharing server withdraws what its clients sent ahead).
//
// Waits end on events, not in polling steps: the queue keeps one precise timer for the
// next moment it has to act, and a reply ends its wait as it arrives. Every moment is
// taken on the backend's millisecond clock with one millisecond added, so no pause or
// time-out ends before its time.
//
// Once the program is ending (the backend has terminated), nothing more is written: every
// request ends at once without reply.
//
// The queue knows no window. It writes through a CommandWire (the cache manager, which
// owns the port and decides what may be written while no controller is connected).
// Thread: user-interface thread only. Completion calls run there too and must not wait.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/Timer.h"

namespace orvane {

namespace ui {
class Backend;
}

// The line the queue writes to.
class CommandWire {
 public:
  // Writes the command's bytes now; false when nothing was written (the port is closed, or
  // only the detection and restart commands may pass and this is another).
  virtual bool PutOnLine(const std::string& command) = 0;
  // Discards received bytes nobody waits for (a late reply) before the next command.
  virtual void DiscardStaleInput() = 0;
  // How long bytes take on the line at its rate.
  virtual double MsOnLine(std::size_t bytes) const = 0;

 protected:
  ~CommandWire() = default;
};

// How a request ended.
enum class CommandOutcome {
  Replied,    // the reply came
  Sent,       // written, no reply wanted
  NoReply,    // written (or dropped by the wire), no reply within the time-out
  Cancelled,  // not written: abandoned by a stop, the port closed, or the program ends
};

struct CommandResult {
  std::string reply;
  CommandOutcome outcome = CommandOutcome::Cancelled;
  // The command went onto the line (a reply may still be missing).
  bool written = false;
};

struct CommandRequest {
  std::string command;
  bool wantsReply = false;
  int replyTimeoutMs = 1000;
  // Extra pause after the fixed one, before the next command (the controller needs a
  // moment after an object name).
  int pauseAfterMs = 0;
  // Withdrawn, when still waiting, by the next stop (the later commands of a slew).
  bool abandonOnStop = false;
  // A reply that has come whole (ending in "#") shows that the controller has taken the
  // command in and is ready for the next: the pause after the command ends with it, if it
  // has not ended before. For the long runs of short exchanges of a file transfer, where
  // the fixed pause would take longer than the reply itself.
  bool readyOnReply = false;
  std::function<void(const CommandResult&)> done;
  // A client's request: it yields the line to the program's own requests.
  bool yields = false;
};

// A stop the queue has handled: its command, whether it went on the line (a repeated stop
// does not), and when its last byte has left the port (or would have).
struct StopNotice {
  std::string command;
  bool written = false;
  long long onLineAtMs = 0;
};

class CommandQueue {
 public:
  using Ticket = std::uint64_t;

  // The pause after every command before the next one (the controller's time to take it
  // in, and to start its reply).
  static constexpr int kPauseAfterCommandMs = 40;
  // Quiet time after which a reply without "#" counts as complete: longer than the gaps a
  // USB serial adapter leaves inside one reply (its latency timer, 16 ms by default) and
  // than the pieces of a reply the controller sends apart.
  static constexpr int kReplyQuietMs = 50;
  // A reply time-out of 0 would wait for ever; such a wait is bounded to this.
  static constexpr int kShortestReplyTimeoutMs = 50;
  // A yielding request that has waited this long goes before the program's requests.
  static constexpr int kLongestYieldMs = 2000;
  // How long after one of the program's requests ended the line stays its own.
  static constexpr int kProgramTurnMs = 5;
  // A stop repeating the last command written within this time is not written again.
  static constexpr int kStopRepeatMs = 1000;

  CommandQueue(ui::Backend& backend, CommandWire& wire);
  ~CommandQueue();
  CommandQueue(const CommandQueue&) = delete;
  CommandQueue& operator=(const CommandQueue&) = delete;

  // Queues a request behind the others; it is written as soon as the line is free.
  Ticket Submit(CommandRequest request);
  // Queues requests that run back to back, in order.
  std::vector<Ticket> SubmitAll(std::vector<CommandRequest> requests);
  // Queues the writing of several commands in one burst, ahead of the commands waiting
  // (it is due): take() is called when the line is free and returns the commands to write
  // now; each is written while the line takes it, without pause or reply.
  void SubmitBurst(std::function<std::vector<std::string>()> take,
                   std::function<void(std::vector<std::string> unwritten)> putBack);
  // Submits and waits for the request, letting events run while it waits for its turn
  // and for its reply (not during its own pause after the write); the request's
  // completion is not called.
  CommandResult Run(CommandRequest request);
  // Waits, letting events run, until the request of ticket has ended.
  void WaitFor(Ticket ticket);
  // Writes a stop command at once, ahead of everything, also inside another command's
  // wait (unless it repeats the stop written last, see above), tells the stop listeners,
  // and withdraws the waiting requests marked to be abandoned on a stop. Nothing is
  // awaited.
  void WriteStop(const std::string& command);
  // Calls listener with every stop, before the withdrawn requests are told they ended;
  // the number to remove it with.
  int AddStopListener(std::function<void(const StopNotice&)> listener);
  void RemoveStopListener(int id);

  // ---- from the receiving side ----
  // A request waits for its reply now.
  bool AwaitingReply() const;
  // A piece of the reply: pieces are joined until the text ends in "#" or the line has
  // been quiet for kReplyQuietMs.
  void ReplyPiece(const std::string& piece);
  // The reply pieces joined so far.
  const std::string& PartialReply() const;
  // The controller made an announcement in the middle of the wait: no reply is taken for
  // the running request; its wait ends at its time-out (or by EndWait).
  void SuppressReply();
  // The running request's exchange is over without a reply (its pause still ends first).
  void EndWait();
  // The port was closed: the running request cannot get its reply and ends now.
  void LineClosed();

  // Whether nothing is running or waiting.
  bool Idle() const;
  // The command being written or awaited, if any.
  const std::string* RunningCommand() const;
  // Called with each command as it is written (a stop too), for diagnostics.
  std::function<void(const std::string& command)> onWritten;

 private:
  struct Entry {
    Ticket ticket = 0;
    CommandRequest request;
    // A burst of the queued writes instead of one command.
    std::function<std::vector<std::string>()> takeBurst;
    std::function<void(std::vector<std::string>)> putBack;
    long long submittedAtMs = 0;
    // Requests submitted together that yield share a group (0: none).
    std::uint64_t group = 0;
  };
  struct Running {
    Entry entry;
    long long pauseEndMs = 0;  // the line's pause after the bytes is over
    long long deadlineMs = 0;  // the reply time-out runs out
    long long quietEndMs = 0;  // a reply without "#" counts as complete (0: none pending)
    std::string partial;
    bool written = false;
    bool replied = false;
    bool suppressed = false;
    bool waitEnded = false;
  };

  // Starts what can start and ends what is done; calls completions. Re-entered calls (from
  // a completion) are folded into the running one.
  void advance();
  void start(Entry entry, long long now);
  // Notes bytes written now; returns when the last byte written so far leaves the port.
  double noteOnLine(long long now, std::size_t bytes);
  // Ends the running request if it is done by now; true when it ended.
  bool finishIfDone(long long now, std::vector<std::pair<Entry, CommandResult>>& finished);
  void rearm(long long now);
  // Waits for the next event: input, a reply, or the queue's timer falling due.
  void waitForNextEvent();
  long long nowMs() const;
  long long after(long long now, double ms) const;
  bool closing() const;
  bool pending(Ticket ticket) const;
  void cancelAll(std::vector<std::pair<Entry, CommandResult>>& finished);
  // The waiting request to start now (end() when none may start yet).
  std::deque<Entry>::iterator nextToStart(long long now);
  void noteWritten(const std::string& command, long long now);

  ui::Backend& backend_;
  CommandWire& wire_;
  ui::Timer wake_;
  long long wakeAtMs_ = 0;  // when wake_ ticks, while it runs
  std::deque<Entry> waiting_;
  std::optional<Running> running_;
  long long lineFreeAtMs_ = 0;  // no command is written before (a stop's pause)
  double lineBusyUntilMs_ = 0;  // the bytes written so far have left the port by then
  Ticket nextTicket_ = 1;
  std::uint64_t nextGroup_ = 1;
  std::uint64_t runningGroup_ = 0;    // the yielding group that has begun
  long long programTurnUntilMs_ = 0;  // yielding requests wait until then
  std::string lastWritten_;           // the last command put on the line
  long long lastWrittenAtMs_ = -1;
  bool lastWrittenWasStop_ = false;
  std::vector<std::pair<int, std::function<void(const StopNotice&)>>> stopListeners_;
  int nextStopListener_ = 1;
  bool advancing_ = false;
  bool again_ = false;
};

}  // namespace orvane

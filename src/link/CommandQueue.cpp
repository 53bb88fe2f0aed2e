#include "link/CommandQueue.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <utility>

#include "ui/Backend.h"

namespace orvane {

namespace {

constexpr long long kNever = std::numeric_limits<long long>::max();
// A wait with nothing due still looks up this often (the backend's clock is all it has).
constexpr int kLongestWaitMs = 1000;

}  // namespace

CommandQueue::CommandQueue(ui::Backend& backend, CommandWire& wire)
    : backend_(backend), wire_(wire), wake_(backend, 1, false) {
  wake_.setPrecise(true);
  wake_.onTimer = [this](ui::Timer&) { advance(); };
}

CommandQueue::~CommandQueue() {
  wake_.onTimer = nullptr;
  wake_.stop();
}

long long CommandQueue::nowMs() const {
  return backend_.ticksMs();
}

long long CommandQueue::after(long long now, double ms) const {
  // The clock counts whole milliseconds: one more, so that nothing ends early.
  return now + static_cast<long long>(std::ceil(std::max(ms, 0.0))) + 1;
}

bool CommandQueue::closing() const {
  return backend_.terminated();
}

CommandQueue::Ticket CommandQueue::Submit(CommandRequest request) {
  const Ticket ticket = nextTicket_++;
  Entry entry;
  entry.ticket = ticket;
  entry.request = std::move(request);
  entry.submittedAtMs = nowMs();
  waiting_.push_back(std::move(entry));
  advance();
  return ticket;
}

std::vector<CommandQueue::Ticket> CommandQueue::SubmitAll(std::vector<CommandRequest> requests) {
  std::vector<Ticket> tickets;
  const long long now = nowMs();
  // Yielding requests are kept together by their group; the program's own by their order.
  const std::uint64_t group = requests.size() > 1 ? nextGroup_++ : 0;
  for (CommandRequest& request : requests) {
    Entry entry;
    entry.ticket = nextTicket_++;
    entry.request = std::move(request);
    entry.submittedAtMs = now;
    if (entry.request.yields) entry.group = group;
    tickets.push_back(entry.ticket);
    waiting_.push_back(std::move(entry));
  }
  advance();
  return tickets;
}

void CommandQueue::SubmitBurst(std::function<std::vector<std::string>()> take,
                               std::function<void(std::vector<std::string>)> putBack) {
  // One burst waiting is enough: it takes whatever is queued when it starts.
  for (const Entry& entry : waiting_) {
    if (entry.takeBurst) return;
  }
  Entry entry;
  entry.ticket = nextTicket_++;
  entry.takeBurst = std::move(take);
  entry.putBack = std::move(putBack);
  entry.submittedAtMs = nowMs();
  waiting_.push_front(std::move(entry));
  advance();
}

bool CommandQueue::pending(Ticket ticket) const {
  if (running_ && running_->entry.ticket == ticket) return true;
  return std::any_of(waiting_.begin(), waiting_.end(),
                     [&](const Entry& entry) { return entry.ticket == ticket; });
}

void CommandQueue::WaitFor(Ticket ticket) {
  while (pending(ticket) && !closing()) waitForNextEvent();
  if (closing()) advance();  // ends everything at once
}

CommandResult CommandQueue::Run(CommandRequest request) {
  auto result = std::make_shared<std::optional<CommandResult>>();
  request.done = [result](const CommandResult& ended) { *result = ended; };
  const Ticket ticket = Submit(std::move(request));
  while (!result->has_value() && !closing()) {
    // The caller's own pause after its write passes without events: a click or a tick
    // handled there would put its commands between this one and the caller's next.
    if (running_ && running_->entry.ticket == ticket && nowMs() < running_->pauseEndMs) {
      backend_.sleep(static_cast<int>(running_->pauseEndMs - nowMs()));
      advance();
      continue;
    }
    waitForNextEvent();
  }
  if (closing()) advance();  // ends everything at once
  return result->value_or(CommandResult{});
}

void CommandQueue::waitForNextEvent() {
  const long long untilWake = wakeAtMs_ - nowMs();
  // The queue's own timer ends the wait when it is due, unless it is the one whose handler
  // waits here (a completion that runs a command of its own).
  if (wake_.enabled() && !wake_.ticking() && untilWake <= kLongestWaitMs) {
    backend_.waitForMessagesUntilTick(static_cast<int>(std::max<long long>(untilWake, 1)));
  } else {
    long long wait = kLongestWaitMs;
    if (wake_.enabled()) wait = std::clamp<long long>(untilWake, 1, wait);
    backend_.waitForMessages(static_cast<int>(wait));
    // Inside its own handler the timer does not tick: what it would do is done here.
    if (wake_.enabled() && wake_.ticking() && nowMs() >= wakeAtMs_) advance();
  }
}

void CommandQueue::WriteStop(const std::string& command) {
  if (closing()) return;
  const long long now = nowMs();
  StopNotice notice;
  notice.command = command;
  notice.onLineAtMs = now;
  // The same stop again with nothing written since: the mount is stopping already.
  const bool repeated =
      lastWrittenWasStop_ && lastWritten_ == command && now - lastWrittenAtMs_ < kStopRepeatMs;
  if (repeated) {
    notice.onLineAtMs = std::max(now, static_cast<long long>(std::ceil(lineBusyUntilMs_)));
  } else if (wire_.PutOnLine(command)) {
    if (onWritten) onWritten(command);
    notice.written = true;
    notice.onLineAtMs = static_cast<long long>(std::ceil(noteOnLine(now, command.size())));
    lineFreeAtMs_ =
        std::max(lineFreeAtMs_, after(now, wire_.MsOnLine(command.size()) + kPauseAfterCommandMs));
    noteWritten(command, now);
    lastWrittenWasStop_ = true;
  }
  // The later commands of a slew that is being sent are not sent after a stop.
  std::vector<Entry> abandoned;
  for (auto it = waiting_.begin(); it != waiting_.end();) {
    if (it->request.abandonOnStop) {
      abandoned.push_back(std::move(*it));
      it = waiting_.erase(it);
    } else {
      ++it;
    }
  }
  // The listeners first: what they withdraw themselves is then withdrawn before anything
  // the completions below would let follow.
  const auto listeners = stopListeners_;
  for (const auto& [id, listener] : listeners) listener(notice);
  for (Entry& entry : abandoned) {
    if (entry.request.done) entry.request.done(CommandResult{});
  }
  advance();
}

int CommandQueue::AddStopListener(std::function<void(const StopNotice&)> listener) {
  const int id = nextStopListener_++;
  stopListeners_.emplace_back(id, std::move(listener));
  return id;
}

void CommandQueue::RemoveStopListener(int id) {
  std::erase_if(stopListeners_, [id](const auto& entry) { return entry.first == id; });
}

void CommandQueue::noteWritten(const std::string& command, long long now) {
  lastWritten_ = command;
  lastWrittenAtMs_ = now;
  lastWrittenWasStop_ = false;
}

bool CommandQueue::AwaitingReply() const {
  return running_ && running_->entry.request.wantsReply && !running_->entry.takeBurst &&
         !running_->replied && !running_->suppressed && !running_->waitEnded;
}

void CommandQueue::ReplyPiece(const std::string& piece) {
  if (!AwaitingReply()) return;
  running_->partial += piece;
  if (!running_->partial.empty() && running_->partial.back() == '#') {
    running_->replied = true;
    running_->quietEndMs = 0;
  } else {
    running_->quietEndMs = after(nowMs(), kReplyQuietMs);
  }
  advance();
}

const std::string& CommandQueue::PartialReply() const {
  static const std::string none;
  return running_ ? running_->partial : none;
}

void CommandQueue::SuppressReply() {
  if (!running_ || running_->replied) return;
  running_->suppressed = true;
  running_->partial.clear();
  running_->quietEndMs = 0;
  advance();
}

void CommandQueue::EndWait() {
  if (!running_) return;
  running_->waitEnded = true;
  advance();
}

void CommandQueue::LineClosed() {
  if (!running_) return;
  // Nothing more can come for it; the line is free at once.
  running_->waitEnded = true;
  running_->pauseEndMs = std::min(running_->pauseEndMs, nowMs());
  running_->deadlineMs = std::min(running_->deadlineMs, nowMs());
  lineFreeAtMs_ = std::min(lineFreeAtMs_, nowMs());
  advance();
}

bool CommandQueue::Idle() const {
  return !running_ && waiting_.empty();
}

const std::string* CommandQueue::RunningCommand() const {
  return running_ && !running_->entry.takeBurst ? &running_->entry.request.command : nullptr;
}

double CommandQueue::noteOnLine(long long now, std::size_t bytes) {
  lineBusyUntilMs_ = std::max(lineBusyUntilMs_, static_cast<double>(now)) + wire_.MsOnLine(bytes);
  return lineBusyUntilMs_;
}

void CommandQueue::start(Entry entry, long long now) {
  Running running;
  if (entry.takeBurst) {
    std::vector<std::string> commands = entry.takeBurst();
    for (std::size_t i = 0; i < commands.size(); ++i) {
      if (!wire_.PutOnLine(commands[i])) {
        // The port went: what was not written waits for the next burst.
        if (entry.putBack) {
          entry.putBack(
              std::vector<std::string>(commands.begin() + static_cast<long>(i), commands.end()));
        }
        break;
      }
      if (onWritten) onWritten(commands[i]);
      noteOnLine(now, commands[i].size());
      noteWritten(commands[i], now);
      running.written = true;
    }
    // Written back to back, nothing awaited: the next command may follow at once (behind
    // these bytes in the port's output queue; its reply time-out allows for them).
    running.pauseEndMs = now;
  } else {
    CommandRequest& request = entry.request;
    wire_.DiscardStaleInput();
    running.written = wire_.PutOnLine(request.command);
    // When its last byte leaves: after those still on their way out (a burst of writes).
    double leavesAtMs = static_cast<double>(now) + wire_.MsOnLine(request.command.size());
    if (running.written) {
      if (onWritten) onWritten(request.command);
      leavesAtMs = noteOnLine(now, request.command.size());
      noteWritten(request.command, now);
    }
    if (request.yields && entry.group != 0) runningGroup_ = entry.group;
    const double onLine = wire_.MsOnLine(request.command.size());
    running.pauseEndMs = after(now, onLine + kPauseAfterCommandMs + request.pauseAfterMs);
    if (request.wantsReply) {
      const int timeout = std::max(request.replyTimeoutMs, kShortestReplyTimeoutMs);
      running.deadlineMs =
          after(now, leavesAtMs - static_cast<double>(now) + kPauseAfterCommandMs + timeout);
    }
  }
  running.entry = std::move(entry);
  running_ = std::move(running);
}

bool CommandQueue::finishIfDone(long long now,
                                std::vector<std::pair<Entry, CommandResult>>& finished) {
  if (!running_) return false;
  Running& r = *running_;
  CommandResult result;
  bool done = false;
  if (r.entry.takeBurst || !r.entry.request.wantsReply) {
    if (now >= r.pauseEndMs) {
      done = true;
      result.outcome = r.written ? CommandOutcome::Sent : CommandOutcome::Cancelled;
    }
  } else {
    if (!r.replied && r.quietEndMs != 0 && now >= r.quietEndMs) r.replied = true;
    if (r.entry.request.readyOnReply && r.replied && !r.suppressed && !r.partial.empty() &&
        r.partial.back() == '#') {
      r.pauseEndMs = std::min(r.pauseEndMs, now);
    }
    if (r.replied && !r.suppressed && now >= r.pauseEndMs) {
      done = true;
      result.reply = r.partial;
      result.outcome = CommandOutcome::Replied;
    } else if (r.waitEnded && now >= r.pauseEndMs) {
      done = true;
      result.outcome = CommandOutcome::NoReply;
    } else if (now >= r.deadlineMs && now >= r.pauseEndMs) {
      done = true;
      // Pieces without "#" that came before the time-out are what there is.
      if (!r.suppressed && !r.partial.empty()) {
        result.reply = r.partial;
        result.outcome = CommandOutcome::Replied;
      } else {
        result.outcome = CommandOutcome::NoReply;
      }
    }
  }
  if (!done) return false;
  result.written = r.written;
  lineFreeAtMs_ = std::max(lineFreeAtMs_, r.pauseEndMs);
  // The program's caller may follow with its next command of the same operation: the
  // line stays the program's for that moment.
  if (!r.entry.request.yields) programTurnUntilMs_ = now + kProgramTurnMs;
  finished.emplace_back(std::move(r.entry), std::move(result));
  running_.reset();
  return true;
}

void CommandQueue::cancelAll(std::vector<std::pair<Entry, CommandResult>>& finished) {
  if (running_) {
    finished.emplace_back(std::move(running_->entry), CommandResult{});
    running_.reset();
  }
  while (!waiting_.empty()) {
    finished.emplace_back(std::move(waiting_.front()), CommandResult{});
    waiting_.pop_front();
  }
}

void CommandQueue::rearm(long long now) {
  long long next = kNever;
  if (running_) {
    const Running& r = *running_;
    const bool awaitsReply = r.entry.request.wantsReply && !r.entry.takeBurst;
    // The end of the pause is a moment to wake at only when the request ends with it: a
    // reply still awaited wakes the queue as it comes (or its time-out does), so a caller
    // that sleeps through the pause finds the timer where it was left.
    const bool endsWithPause = !awaitsReply || (r.replied && !r.suppressed) || r.waitEnded;
    if (endsWithPause && now < r.pauseEndMs) next = std::min(next, r.pauseEndMs);
    if (awaitsReply) {
      if (r.deadlineMs > now) next = std::min(next, std::max(r.deadlineMs, r.pauseEndMs));
      if (r.quietEndMs > now) next = std::min(next, r.quietEndMs);
    }
  } else if (!waiting_.empty()) {
    long long startAt = lineFreeAtMs_;
    const bool onlyYielding = std::all_of(waiting_.begin(), waiting_.end(),
                                          [](const Entry& entry) { return entry.request.yields; });
    if (onlyYielding) startAt = std::max(startAt, programTurnUntilMs_);
    if (startAt > now) next = startAt;
  }
  if (next == kNever || closing()) {
    wake_.stop();
    return;
  }
  // Most calls find the same moment armed already; a timer restarted for nothing costs.
  if (wake_.enabled() && next == wakeAtMs_) return;
  wakeAtMs_ = next;
  wake_.start(static_cast<int>(std::max<long long>(1, next - now)));
}

std::deque<CommandQueue::Entry>::iterator CommandQueue::nextToStart(long long now) {
  // A client's sequence that has begun goes on: nothing comes between its commands.
  if (runningGroup_ != 0) {
    const auto continued = std::find_if(waiting_.begin(), waiting_.end(), [&](const Entry& entry) {
      return entry.group == runningGroup_;
    });
    if (continued != waiting_.end()) return continued;
    runningGroup_ = 0;
  }
  const auto yielding = std::find_if(waiting_.begin(), waiting_.end(),
                                     [](const Entry& entry) { return entry.request.yields; });
  if (yielding != waiting_.end() && now - yielding->submittedAtMs >= kLongestYieldMs) {
    return yielding;
  }
  const auto own = std::find_if(waiting_.begin(), waiting_.end(),
                                [](const Entry& entry) { return !entry.request.yields; });
  if (own != waiting_.end()) return own;
  if (now < programTurnUntilMs_) return waiting_.end();
  return yielding;
}

void CommandQueue::advance() {
  if (advancing_) {
    again_ = true;
    return;
  }
  for (;;) {
    advancing_ = true;
    again_ = false;
    std::vector<std::pair<Entry, CommandResult>> finished;
    long long now = nowMs();
    if (closing()) {
      cancelAll(finished);
    } else {
      finishIfDone(now, finished);
      while (!running_ && !waiting_.empty() && now >= lineFreeAtMs_) {
        const auto chosen = nextToStart(now);
        if (chosen == waiting_.end()) break;
        Entry next = std::move(*chosen);
        waiting_.erase(chosen);
        start(std::move(next), now);
        finishIfDone(now, finished);
        now = nowMs();
      }
    }
    rearm(nowMs());
    advancing_ = false;
    // Completions run outside, so that one may submit (or even wait) freely.
    for (auto& [entry, result] : finished) {
      if (entry.request.done) entry.request.done(result);
    }
    if (finished.empty() && !again_) return;
  }
}

}  // namespace orvane

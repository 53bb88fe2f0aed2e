// The commands of the file transfer panels: receiving the controller's lines into a memo
// (":OS", ":Os"), sending a memo's lines (":Od") and clearing the controller's memory
// (":Oc", ":OC"). Each line is one command of the queue, awaited with events running, so the
// windows stay responsive and the stop buttons act at once during a transfer of any length.
#include "dialogue/CommandEngine.h"
#include "dialogue/CommandText.h"
#include "link/Cache.h"
#include "sheets/Sheets.h"

namespace orvane {

namespace {

ui::Memo* boundMemo(ControlBinding* binding) {
  if (binding == nullptr || binding->control == nullptr) return nullptr;
  if (binding->control->kind() != ui::WidgetKind::Memo) return nullptr;
  return static_cast<ui::Memo*>(binding->control);
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  lines.push_back(text.substr(start));
  return lines;
}

// The clock tick (its queue flushes and schedule checks) pauses while lines come in; it
// starts again however the receive ends.
class TickPause {
 public:
  TickPause(TCache& cache, std::function<bool()> ending)
      : cache_(cache), ending_(std::move(ending)) {
    cache_.Timer.stop();
  }
  ~TickPause() {
    if (!ending_()) cache_.Timer.start();
  }
  TickPause(const TickPause&) = delete;
  TickPause& operator=(const TickPause&) = delete;

 private:
  TCache& cache_;
  std::function<bool()> ending_;
};

}  // namespace

void CommandEngine::reportProgress(int done, int total, unsigned long removals) {
  if (watch_ != nullptr && watch_->progress && sheets_.removalCount() == removals) {
    watch_->progress(done, total);
  }
}

std::string CommandEngine::download(ControlBinding* binding, const std::string& command) {
  TCache* cache = cache_;
  transfer_ = {TransferEnd::Failed, 0, 0};
  if (cache == nullptr) return {};
  const unsigned long removals = sheets_.removalCount();
  if (cache->SendInRun(command + "#", false).outcome != CommandOutcome::Sent) return {};
  ui::Memo* memo = boundMemo(binding);
  if (memo != nullptr) memo->clearLines();
  fields_.updateTimer.stop();
  const TickPause pause(*cache, [this] { return shuttingDown(); });
  const std::string next = command == ":OS" ? ":OR#" : ":Or#";
  std::string collected;
  int lines = 0;
  for (;;) {
    const CommandResult result = cache->SendInRun(next, true);
    if (shuttingDown()) break;
    // No answer in time, or the line went: what came so far is kept.
    if (result.reply.empty()) break;
    if (result.reply == "END#") {
      transfer_.end = TransferEnd::Complete;
      break;
    }
    // A controller that goes on sending lines beyond any list it can hold (or answers
    // every request with something else than a line) does not end the receive by itself.
    if (lines == kMaxReceivedLines) {
      transfer_.end = TransferEnd::LineLimit;
      break;
    }
    collected += result.reply;
    ++lines;
    transfer_.lines = lines;
    if (sheets_.removalCount() != removals) memo = nullptr;
    if (memo != nullptr) memo->setLines({std::to_string(lines)});
    reportProgress(lines, 0, removals);
  }
  if (sheets_.removalCount() != removals) memo = nullptr;
  if (memo != nullptr) {
    if (collected.empty()) {
      memo->clearLines();
    } else {
      memo->setLines(SplitLines(BreakDownloadedLines(collected)));
    }
    const int last = static_cast<int>(memo->lines().size()) - 1;
    memo->setCaret({last, last < 0 ? 0 : static_cast<int>(memo->lines().back().size())});
    fields_.window.repaint();
  }
  return collected;
}

void CommandEngine::upload(ControlBinding* binding) {
  ui::Memo* memo = boundMemo(binding);
  TCache* cache = cache_;
  // A copy: the memo may change while the lines go out.
  const std::vector<std::string> lines =
      memo != nullptr ? memo->lines() : std::vector<std::string>();
  const int total = static_cast<int>(lines.size());
  transfer_ = {TransferEnd::Failed, 0, total};
  if (memo == nullptr || cache == nullptr) return;
  const unsigned long removals = sheets_.removalCount();
  for (const std::string& line : lines) {
    if (shuttingDown()) return;
    // Not written: the port closed, or the controller is no longer connected.
    if (cache->SendInRun(UploadLineCommand(line), false).outcome != CommandOutcome::Sent) return;
    ++transfer_.lines;
    reportProgress(transfer_.lines, total, removals);
  }
  if (shuttingDown()) return;
  if (cache->SendInRun("END#", false).outcome == CommandOutcome::Sent) {
    transfer_.end = TransferEnd::Complete;
  }
}

void CommandEngine::clearMemory(const std::string& command) {
  TCache* cache = cache_;
  const bool written =
      cache != nullptr && cache->SendInRun(command + "#", false).outcome == CommandOutcome::Sent;
  transfer_ = {written ? TransferEnd::Complete : TransferEnd::Failed, 0, 0};
}

}  // namespace orvane

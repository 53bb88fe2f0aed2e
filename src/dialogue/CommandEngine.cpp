#include "dialogue/CommandEngine.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

#include "dialogue/CommandText.h"
#include "link/AstroTime.h"
#include "link/Cache.h"
#include "link/ProgramPhase.h"
#include "link/RestartPrompt.h"
#include "schedule/Schedule.h"
#include "sheets/RangeErrorReport.h"
#include "sheets/Sheets.h"
#include "text/NumberText.h"
#include "ui/Backend.h"

namespace orvane {

namespace {

// The commands that set a value of the controller from a bound control.
bool IsSetCommand(const std::string& command) {
  return command == ":SC" || command == ":SE" || command == ":SL" || command == ":SB" ||
         command == ":SG" || command == ":Sg" || command == ":St";
}

// A set command that needs its bound control found none.
struct MissingControl : std::runtime_error {
  MissingControl() : std::runtime_error("command without its control") {}
};

ui::Widget& requireControl(ControlBinding* binding) {
  if (binding == nullptr || binding->control == nullptr) throw MissingControl();
  return *binding->control;
}

// The bound control's text, or empty when there is no control.
std::string boundText(ControlBinding* binding) {
  return binding != nullptr && binding->control != nullptr ? binding->control->text()
                                                           : std::string();
}

}  // namespace

CommandEngine::CommandEngine(ui::Backend& backend, ControllerState& controller, EngineFields fields,
                             ui::ColorScheme& scheme, Sheets& sheets)
    : backend_(backend),
      controller_(controller),
      fields_(fields),
      scheme_(scheme),
      sheets_(sheets) {}

bool CommandEngine::shuttingDown() const {
  return ShuttingDown(fields_.startupTimer) || backend_.terminated();
}

ControlBinding* CommandEngine::findBinding(const std::string& command) const {
  const auto& bindings = sheets_.bindings();
  if (indexedRemovals_ != sheets_.removalCount() || indexedBindings_ != bindings.size()) {
    bindingIndex_.clear();
    for (const auto& binding : bindings) bindingIndex_.emplace(binding->command, binding.get());
    indexedRemovals_ = sheets_.removalCount();
    indexedBindings_ = bindings.size();
  }
  const auto found = bindingIndex_.find(command);
  return found != bindingIndex_.end() ? found->second : nullptr;
}

std::string CommandEngine::send(const std::string& wire, bool wait) {
  if (cache_ == nullptr) return {};
  const CommandResult result = cache_->Exchange(wire, wait);
  sent_.attempted = true;
  sent_.written = sent_.written || result.written;
  return result.reply;
}

void CommandEngine::noteOutcome(ControlBinding* binding, const std::string& command,
                                const std::string& reply) {
  if (binding == nullptr || binding->control == nullptr) return;
  KnownSettings& known = sheets_.known();
  ui::Widget& control = *binding->control;
  if (!known.Knows(control)) return;
  if (IsSetCommand(command)) {
    // Nothing attempted: the value was refused, or there was nothing to send.
    if (!sent_.attempted && controller_.ConnectedPort != -1) return;
    if (sent_.written) {
      ++settingWrites_;
      known.Confirm(control, control.text());
    } else {
      known.MarkUnknown(control, "Not sent: no connection to the controller");
    }
  } else if (IsReadCommand(command) && showReply_ && !reply.empty() &&
             control.kind() == ui::WidgetKind::MaskEdit) {
    // A read without a reply tells nothing new: what was known stays.
    known.Confirm(control, control.text());
  }
}

std::string CommandEngine::ReadWithoutShowing(ControlBinding& binding) {
  showReply_ = false;
  std::string reply = ExecuteCommand(&binding, "", true);
  showReply_ = true;
  return reply;
}

std::string CommandEngine::ExecuteCommand(ControlBinding* binding, const std::string& command,
                                          bool waitForReply) {
  if (controller_.ConnectedPort == -1) {
    // A set command of a control that cannot go out leaves its setting unknown.
    ControlBinding* bound = binding != nullptr ? binding : findBinding(command);
    sent_ = {};
    if (bound != nullptr) noteOutcome(bound, bound->command, "");
    return {};
  }
  if (controller_.CommandBusy) {
    // Called from inside the running command's wait: run it once that one is done.
    // The same command asked for again before it ran is kept once.
    const bool kept = std::any_of(pending_.begin(), pending_.end(), [&](const Pending& p) {
      return p.binding == binding && p.command == command;
    });
    if (!kept && !shuttingDown()) {
      pending_.push_back({binding, command, waitForReply, sheets_.removalCount(), std::nullopt});
    }
    return {};
  }
  std::string reply = run(binding, command, waitForReply);
  runPending();
  return reply;
}

void CommandEngine::ExecuteTransfer(ControlBinding& binding, TransferWatch watch) {
  if (controller_.ConnectedPort == -1) return;
  if (controller_.CommandBusy) {
    // A second click before the first one ran is the same request.
    const bool kept = std::any_of(pending_.begin(), pending_.end(),
                                  [&](const Pending& p) { return p.binding == &binding; });
    if (!kept && !shuttingDown()) {
      pending_.push_back({&binding, "", true, sheets_.removalCount(), std::move(watch)});
    }
    return;
  }
  runTransfer(&binding, watch);
  runPending();
}

void CommandEngine::runTransfer(ControlBinding* binding, const TransferWatch& watch) {
  const unsigned long removals = sheets_.removalCount();
  transfer_ = TransferReport{};
  watch_ = &watch;
  run(binding, "", true);
  watch_ = nullptr;
  if (sheets_.removalCount() == removals && !shuttingDown() && watch.finished) {
    watch.finished(transfer_);
  }
}

void CommandEngine::runPending() {
  while (!pending_.empty() && !controller_.CommandBusy) {
    Pending next = pending_.front();
    pending_.erase(pending_.begin());
    if (next.binding != nullptr && next.removals != sheets_.removalCount()) continue;
    if (shuttingDown()) continue;
    if (controller_.ConnectedPort == -1) {
      // The link went while the transfer waited its turn: the panel hears that it failed.
      if (next.watch && next.watch->finished) next.watch->finished({TransferEnd::Failed, 0, 0});
      continue;
    }
    if (next.watch) {
      runTransfer(next.binding, *next.watch);
    } else {
      run(next.binding, next.command, next.waitForReply);
    }
  }
}

std::string CommandEngine::run(ControlBinding* binding, const std::string& command,
                               bool waitForReply) {
  // Restored on every way out, an error from the restart attempt included.
  struct Running {
    ControllerState& controller;
    ui::Timer& polling;
    bool pollingWasOn;
    Running(ControllerState& c, ui::Timer& p)
        : controller(c), polling(p), pollingWasOn(p.enabled()) {
      controller.CommandBusy = true;
      polling.stop();
    }
    ~Running() {
      polling.setEnabled(pollingWasOn);
      controller.CommandBusy = false;
    }
  } running(controller_, fields_.updateTimer);
  if (binding == nullptr) binding = findBinding(command);
  const std::string text = binding != nullptr ? binding->command : command;
  // The control may go with its profile while a reply is awaited (a profile loaded from a
  // click inside the wait); the write-back then finds no binding.
  const unsigned long removals = sheets_.removalCount();
  std::string reply;
  sent_ = {};
  try {
    reply = dispatch(binding, text, waitForReply);
    const bool present = sheets_.removalCount() == removals;
    if (!reply.empty() && present && showReply_ && binding != nullptr &&
        binding->control != nullptr && binding->control->kind() == ui::WidgetKind::MaskEdit) {
      binding->control->setText(reply);
    }
    if (present) noteOutcome(binding, text, reply);
  } catch (const std::exception&) {
    if (reply.empty()) {
      if (restart_ != nullptr) restart_->TryRestart();
    }
  }
  return reply;
}

std::string CommandEngine::dispatch(ControlBinding* binding, const std::string& command,
                                    bool waitForReply) {
  if (std::optional<std::string> reply = runSet(binding, command, waitForReply)) return *reply;
  if (command == ":U") {
    // Toggles the precision, then reads it like ":P".
    send(":U#", false);
    return runRead(binding, ":P");
  }
  return runRead(binding, command);
}

bool CommandEngine::withinLimits(ui::Widget& control, long long value, long long low,
                                 long long high, double shownMinimum, double shownMaximum) {
  if (value >= low && value <= high) return true;
  if (rangeErrors_ != nullptr) {
    rangeErrors_->RangeError(&control, shownMaximum, shownMinimum, static_cast<double>(value));
  }
  return false;
}

std::optional<std::string> CommandEngine::runSet(ControlBinding* binding,
                                                 const std::string& command, bool waitForReply) {
  if (command == ":SC" || command == ":SE") {
    const std::string text = boundText(binding);
    if (!text.empty()) {
      if (command == ":SC") {
        send(SetDateCommand(text), true);
      } else {
        send(BlanksAsZeros(":SE" + text + "#"), false);
      }
    }
    return std::string();
  }
  if (command == ":SL") {
    const std::string text = boundText(binding);
    if (!text.empty()) return send(BlanksAsZeros(":SL" + text + "#"), false);
    return send(":SL" + ClockText(backend_.localNow()) + "#", false);
  }
  if (command == ":SB") {
    return send(SetBrightnessTextCommand(requireControl(binding).text()), waitForReply);
  }
  if (command == ":SG") {
    ui::Widget& control = requireControl(binding);
    const long long hours = IntegerOr(BlanksAsZeros(control.text()), -1000);
    if (!withinLimits(control, hours, -12, 12, -12, 12)) return std::string();
    return send(SetUtcOffsetCommand(hours), false);
  }
  if (command == ":Sg") {
    ui::Widget& control = requireControl(binding);
    const long long value = IntegerOr(BlanksAsZeros(control.text()), -1000);
    if (!withinLimits(control, value, -18000, 36000, -180, 360)) return std::string();
    return send(SetLongitudeCommand(control.text()), false);
  }
  if (command == ":St") {
    ui::Widget& control = requireControl(binding);
    const long long value = IntegerOr(BlanksAsZeros(control.text()), -1000);
    if (!withinLimits(control, value, -9000, 9000, -90, 90)) return std::string();
    return send(SetLatitudeCommand(control.text()), false);
  }
  return std::nullopt;
}

std::string CommandEngine::runRead(ControlBinding* binding, const std::string& command) {
  if (command == ":GG") return checked(":GG", RewriteHourOffsetReply(send(":GG#", true)));
  if (command == ":GV") return RewriteVersionReply(send(":GV#", true));
  if (command == ":Gv") {
    std::string reply = send(":Gv#", true);
    // The controller ends the letter with "#" like every reply; the mark is the letter.
    if (schedule_ != nullptr) schedule_->MarkSpeed(CutAtHash(reply));
    return reply;
  }
  if (command == ":GB") {
    const int before = fields_.dimDisplay.itemIndex();
    std::string reply = send(":GB#", true);
    if (!reply.empty()) {
      const int index = BrightnessIndexFromReply(reply);
      if (index >= 0 && index <= 6) fields_.dimDisplay.setItemIndex(index);
      if (index != before) scheme_.SetVisionMode();
    }
    return reply;
  }
  if (command == ":P") {
    std::string reply = send(":P#", true);
    switch (ReadPrecisionReply(reply)) {
      case PrecisionReply::High:
        fields_.togglePrecision.setText("Toggle Low Precision");
        controller_.HighPrecision = true;
        break;
      case PrecisionReply::Low:
        fields_.togglePrecision.setText("Toggle High Precision");
        controller_.HighPrecision = false;
        break;
      case PrecisionReply::Other:
        break;
    }
    return reply;
  }
  if (command == ":GC") return checked(":GC", RewriteDateReply(send(":GC#", true)));
  if (command == ":Gg") return checked(":Gg", RewriteLongitudeReply(send(":Gg#", true)));
  if (command == ":Gt") return checked(":Gt", RewriteLatitudeReply(send(":Gt#", true)));
  if (command == ":GR" || command == ":GD") return CutAtHash(send(command + "#", true));
  if (command == ":GL") {
    // The computer's clock when the controller is asked, not the strip's label, which the
    // one-second tick may have moved on (or not yet) by the time the reply is in.
    const std::string asked = ClockText(backend_.localNow());
    std::string reply = checked(":GL", RewriteClockReply(send(":GL#", true)));
    controller_.TakeClockOffset(reply, asked);
    return reply;
  }
  if (command == ":GE") return RewriteClockReply(send(":GE#", true));
  if (command == ":OS" || command == ":Os") return download(binding, command);
  if (command == ":Oc" || command == ":OC") clearMemory(command);
  if (command == ":Od") upload(binding);
  return {};
}

std::string CommandEngine::checked(const char* command, std::string rewritten) {
  // Out of range is refused like unreadable: the field keeps what it showed.
  return ReadReplyInRange(command, rewritten) ? rewritten : std::string();
}

}  // namespace orvane

#include "dialogue/BulkSettings.h"

#include <algorithm>
#include <map>

#include "dialogue/CommandEngine.h"
#include "dialogue/CommandText.h"
#include "link/Cache.h"
#include "link/Connection.h"
#include "link/ProgramPhase.h"
#include "link/TraceForm.h"
#include "persistence/SettingsBackups.h"
#include "profile/KeywordText.h"
#include "sheets/Sheets.h"
#include "text/NumberText.h"
#include "transfer/TextFile.h"
#include "ui/Backend.h"

namespace orvane {

namespace {

constexpr const char* kNoConnection = "no connection to the controller";
constexpr int kDeferredStartMs = 20;
constexpr int kWaitStepMs = 200;
// The queued writes of a send go out within a few seconds even on a slow line.
constexpr int kWritesWaitMs = 10000;


std::string Joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : "; ") + item;
  return text;
}

}  // namespace

std::string ReadIdentifier(const std::string& group, const std::string& number) {
  return group.size() + 1 == number.size() ? group + "0" : group;
}

BulkSettings::BulkSettings(ui::Backend& backend, ControllerState& controller, BulkFields fields,
                           ui::ColorScheme& scheme, Sheets& sheets, CommandEngine& engine,
                           const Connection& connection)
    : backend_(backend),
      controller_(controller),
      fields_(fields),
      scheme_(scheme),
      sheets_(sheets),
      engine_(engine),
      connection_(connection),
      deferred_(backend, kDeferredStartMs, false) {
  deferred_.onTimer = [this](ui::Timer&) { startDeferred(); };
}

BulkSettings::~BulkSettings() {
  deferred_.onTimer = nullptr;
}

bool BulkSettings::shuttingDown() const {
  // The program may be ending (exit, SIGTERM) while a run waits for a reply.
  return ShuttingDown(fields_.startupTimer) || backend_.terminated();
}

bool BulkSettings::aborted(unsigned long removals) const {
  return shuttingDown() || sheets_.removalCount() != removals || cache_ == nullptr;
}

unsigned long BulkSettings::writesSoFar() const {
  const long long queued = cache_ != nullptr ? cache_->traffic.queuedWrites : 0;
  return static_cast<unsigned long>(queued) + engine_.settingWrites();
}

// ---- one transfer at a time ----

void BulkSettings::SendAllSettings(ui::Label& sender) {
  request(Kind::Send, sender);
}

void BulkSettings::ReceiveAllSettings(ui::Label& sender) {
  request(Kind::Receive, sender);
}

void BulkSettings::request(Kind kind, ui::Label& sender) {
  if (controller_.ConnectedPort == -1 || cache_ == nullptr) return;
  const bool asked = (running_ && *running_ == kind) ||
                     std::any_of(waiting_.begin(), waiting_.end(),
                                 [&](const Request& r) { return r.kind == kind; });
  if (asked) return;  // a second click starts no second run
  if (running_ || !waiting_.empty() || controller_.CommandBusy) {
    // Clicked inside another transfer's wait (or a command's): runs after it.
    waiting_.push_back({kind, &sender});
    if (running_) {
      fields_.status.setText(kind == Kind::Send ? "Status: Sending after the transfer running"
                                                : "Status: Receiving after the transfer running");
      scheme_.Blink(fields_.status);
    } else {
      deferred_.start();
    }
    return;
  }
  runQueue({kind, &sender});
}

void BulkSettings::startDeferred() {
  if (running_ || waiting_.empty()) {
    deferred_.stop();
    return;
  }
  if (controller_.CommandBusy) return;  // the timer ticks again
  deferred_.stop();
  Request next = waiting_.front();
  waiting_.pop_front();
  runQueue(next);
}

void BulkSettings::runQueue(Request first) {
  controller_.PollingHeld = true;
  fields_.updateTimer.stop();
  Request next = first;
  const unsigned long removals = sheets_.removalCount();
  while (!aborted(removals)) {
    running_ = next.kind;
    if (next.kind == Kind::Receive) {
      receive(*next.sender);
    } else {
      send(*next.sender);
    }
    if (waiting_.empty()) break;
    next = waiting_.front();
    waiting_.pop_front();
  }
  running_.reset();
  waiting_.clear();
  controller_.PollingHeld = false;
  if (linkUp() && !shuttingDown()) fields_.updateTimer.start();
}

// ---- reading ----

std::vector<BulkSettings::PlannedRead> BulkSettings::planReads() const {
  std::vector<PlannedRead> reads;
  std::string last;
  for (const auto& event : sheets_.events()) {
    const std::string command = NativeReadCommand(ReadIdentifier(event->group, event->number));
    // Events of one group in a row are read once.
    if (command == last) continue;
    last = command;
    long long group = 0;
    reads.push_back({command, TryParseInteger(event->group, group) ? group : -1, nullptr});
  }
  for (const auto& binding : sheets_.bindings()) {
    if (IsReadCommand(binding->command)) reads.push_back({"", -1, binding.get()});
  }
  return reads;
}

BulkSettings::ReadOutcome BulkSettings::readOne(const PlannedRead& read, ReadInto into) {
  // Without the link a read cannot be answered: it is not waited out for nothing.
  if (!linkUp()) return {false, "", kNoConnection};
  if (read.binding != nullptr) {
    ControlBinding& binding = *read.binding;
    const bool show = into == ReadInto::Controls && binding.control != nullptr &&
                      !sheets_.IsDeferred(*binding.control);
    std::string reply =
        show ? engine_.ExecuteCommand(&binding, "", true) : engine_.ReadWithoutShowing(binding);
    if (reply.empty()) return {false, "", linkUp() ? "no reply" : kNoConnection};
    return {true, std::move(reply), ""};
  }
  const CommandResult result = cache_->Exchange(read.command, true);
  std::optional<std::string> value = NativeReplyValue(result.reply);
  if (!value) {
    if (!result.written || !linkUp()) return {false, "", kNoConnection};
    return {false, "", result.reply.empty() ? "no reply" : "a reply that does not check"};
  }
  if (into == ReadInto::Controls && read.number >= 0) sheets_.ApplyReadValue(read.number, *value);
  return {true, std::move(*value), ""};
}

bool BulkSettings::showsClock(const ui::Widget& control) const {
  // The controller's clock runs on: its read never matches the clock field exactly.
  return sheets_.LocalTimeBinding != nullptr && sheets_.LocalTimeBinding->control == &control;
}

std::string BulkSettings::describe(const PlannedRead& read) const {
  if (read.binding != nullptr && read.binding->control != nullptr) {
    return sheets_.DescribeControl(*read.binding->control);
  }
  std::vector<ui::Widget*> controls = sheets_.ControlsShowing(read.number, true);
  if (controls.empty()) {
    // A button's setting.
    for (const auto& sheet : sheets_.sheets()) {
      for (const auto& button : sheet->buttons) {
        if (button->tag() == read.number) return sheets_.DescribeControl(*button);
      }
    }
    return "Setting " + std::to_string(read.number);
  }
  return sheets_.DescribeControl(*controls.front());
}

void BulkSettings::markUnread(const PlannedRead& read, const std::string& why) {
  const std::string reason = "Not received: " + why;
  if (read.binding != nullptr) {
    if (read.binding->control != nullptr &&
        sheets_.known().StateOf(*read.binding->control) != SettingState::Pending) {
      sheets_.known().MarkUnknown(*read.binding->control, reason);
    }
    return;
  }
  sheets_.ReadFailed(read.number, reason);
}

bool BulkSettings::waitForLink() {
  const long long until = backend_.ticksMs() + kLinkBackWaitMs;
  while (!linkUp() && connection_.Reconnecting() && !shuttingDown() &&
         backend_.ticksMs() < until) {
    backend_.waitForMessages(kWaitStepMs);
  }
  return linkUp();
}

void BulkSettings::showProgress(const char* doing, int done, int total) {
  // The link's own status stays while it is lost.
  if (!linkUp()) return;
  fields_.status.setText(std::string("Status: ") + doing + " " + std::to_string(done) + " of " +
                         std::to_string(total));
  fields_.status.repaint();
}

void BulkSettings::report(const std::string& status, const std::vector<std::string>& missing,
                          const std::string& what) {
  fields_.status.setText(status);
  fields_.status.setShowHint(!missing.empty());
  fields_.status.setHint(missing.empty() ? std::string() : what + ": " + Joined(missing));
  scheme_.Blink(fields_.status);
  if (trace_ != nullptr) {
    trace_->Report(status);
    for (const std::string& item : missing) trace_->Report(what + ": " + item);
  }
}

void BulkSettings::receive(ui::Label& sender) {
  const unsigned long removals = sheets_.removalCount();
  sheets_.receivingAll = true;
  sender.setText("Receiving ...");
  scheme_.Blink(sender);

  const std::vector<PlannedRead> reads = planReads();
  const int total = static_cast<int>(reads.size());
  std::vector<size_t> failed;
  std::map<size_t, std::string> why;
  for (size_t i = 0; i < reads.size() && !aborted(removals); ++i) {
    showProgress("Receiving settings", static_cast<int>(i) + 1, total);
    ReadOutcome outcome = readOne(reads[i], ReadInto::Controls);
    if (!outcome.ok) {
      failed.push_back(i);
      why[i] = outcome.why;
    }
  }
  // What the link took is read again once it is back.
  if (!failed.empty() && !aborted(removals) && (linkUp() || waitForLink())) {
    std::vector<size_t> still;
    for (size_t i : failed) {
      if (aborted(removals)) break;
      ReadOutcome outcome = readOne(reads[i], ReadInto::Controls);
      if (!outcome.ok) {
        still.push_back(i);
        why[i] = outcome.why;
      }
    }
    failed = std::move(still);
  }
  if (aborted(removals)) {
    if (sheets_.removalCount() == removals) sheets_.receivingAll = false;
    return;
  }
  std::vector<std::string> missing;
  for (size_t i : failed) {
    markUnread(reads[i], why[i]);
    missing.push_back(describe(reads[i]) + " (" + why[i] + ")");
  }
  sheets_.receivingAll = false;
  const int received = total - static_cast<int>(failed.size());
  report("Status: " + std::to_string(received) + " of " + std::to_string(total) +
             " settings received",
         missing, "Not received");
  sender.setText("Receive current settings");
  scheme_.Blink(sender);
  if (failed.empty()) {
    readComplete_ = true;
    connectionsAtRead_ = connections_;
    writesAtRead_ = writesSoFar();
    storeBackup();
  }
  // The user's edits made meanwhile win over what was read.
  sheets_.CommitDeferredEdits();
}

// ---- comparing ----

Comparison BulkSettings::readIntoComparison(
    const std::function<void(int done, int total)>& progress) {
  const unsigned long removals = sheets_.removalCount();
  const std::vector<PlannedRead> reads = planReads();
  Comparison comparison;
  comparison.settings = static_cast<int>(reads.size());
  std::vector<ReadOutcome> outcomes(reads.size());
  for (size_t i = 0; i < reads.size() && !aborted(removals); ++i) {
    if (progress) progress(static_cast<int>(i) + 1, comparison.settings);
    outcomes[i] = readOne(reads[i], ReadInto::Comparison);
  }
  const bool anyFailed =
      std::any_of(outcomes.begin(), outcomes.end(), [](const ReadOutcome& o) { return !o.ok; });
  if (anyFailed && !aborted(removals) && (linkUp() || waitForLink())) {
    for (size_t i = 0; i < reads.size() && !aborted(removals); ++i) {
      if (!outcomes[i].ok) outcomes[i] = readOne(reads[i], ReadInto::Comparison);
    }
  }
  if (aborted(removals)) return comparison;

  // One row per control; a bound read, later in the list, tells more than a native one.
  std::vector<ComparedSetting> rows;
  std::map<const ui::Widget*, size_t> rowOf;
  auto note = [&](ui::Widget& control, const PlannedRead& read, const ReadOutcome& outcome) {
    if (!sheets_.known().Knows(control) || showsClock(control)) return;
    // A control with a bound read shows what that read tells.
    if (read.binding == nullptr && sheets_.HasBoundRead(control)) return;
    ComparedSetting row;
    row.control = &control;
    const std::string where = sheets_.DescribeControl(control);
    const size_t colon = where.find(": ");
    row.sheet = colon == std::string::npos ? std::string() : where.substr(0, colon);
    row.label = colon == std::string::npos ? where : where.substr(colon + 2);
    row.read = outcome.ok;
    row.number = read.number;
    row.binding = read.binding;
    row.value = outcome.value;
    if (outcome.ok) row.controllerValue = sheets_.ShownValue(control, read.number, outcome.value);
    auto [it, added] = rowOf.emplace(&control, rows.size());
    if (added) {
      rows.push_back(std::move(row));
    } else if (outcome.ok || !rows[it->second].read) {
      rows[it->second] = std::move(row);
    }
  };
  for (size_t i = 0; i < reads.size(); ++i) {
    if (outcomes[i].ok) ++comparison.received;
    if (reads[i].binding != nullptr) {
      if (reads[i].binding->control != nullptr) note(*reads[i].binding->control, reads[i], outcomes[i]);
    } else {
      for (ui::Widget* control : sheets_.ControlsShowing(reads[i].number, true)) {
        note(*control, reads[i], outcomes[i]);
      }
    }
  }
  // The natively read settings: marks and the values counted as last sent.
  for (size_t i = 0; i < reads.size(); ++i) {
    if (reads[i].binding == nullptr && outcomes[i].ok) {
      sheets_.CompareReadValue(reads[i].number, outcomes[i].value);
    }
  }
  for (ComparedSetting& row : rows) {
    row.sheetValue = row.control->text();
    if (!row.read) {
      if (sheets_.known().StateOf(*row.control) != SettingState::Pending) {
        sheets_.known().MarkUnknown(*row.control, "Not read: the controller did not tell");
      }
    } else if (row.binding != nullptr) {
      sheets_.known().Compare(*row.control, row.controllerValue);
    }
    if (!row.read || row.controllerValue != row.sheetValue) {
      comparison.differing.push_back(row);
    }
  }
  if (comparison.complete()) {
    readComplete_ = true;
    backedUp_ = false;
    connectionsAtRead_ = connections_;
    writesAtRead_ = writesSoFar();
  }
  return comparison;
}

std::optional<Comparison> BulkSettings::CompareWithController(
    const std::function<void(int done, int total)>& progress, std::string& status) {
  if (!linkUp() || cache_ == nullptr) {
    status = "Status: No controller connected";
    return std::nullopt;
  }
  if (Busy()) {
    status = "Status: Another transfer is running";
    return std::nullopt;
  }
  if (controller_.CommandBusy) {
    // Clicked inside a command's wait (a polling tick): the caller tries again shortly.
    status.clear();
    return std::nullopt;
  }
  running_ = Kind::Compare;
  controller_.PollingHeld = true;
  fields_.updateTimer.stop();
  Comparison comparison = readIntoComparison(progress);
  running_.reset();
  controller_.PollingHeld = false;
  if (linkUp() && !shuttingDown()) fields_.updateTimer.start();
  status = "Status: " + std::to_string(comparison.received) + " of " +
           std::to_string(comparison.settings) + " settings read, " +
           std::to_string(comparison.differing.size()) + " differ";
  // Transfers clicked meanwhile run now.
  if (!waiting_.empty() && !shuttingDown()) {
    Request next = waiting_.front();
    waiting_.pop_front();
    runQueue(next);
  }
  return comparison;
}

void BulkSettings::TakeControllerValue(const ComparedSetting& setting) {
  if (!setting.read || setting.control == nullptr) return;
  if (setting.binding != nullptr) {
    setting.control->setText(setting.value);
    sheets_.known().Confirm(*setting.control, setting.control->text());
    return;
  }
  sheets_.ApplyReadValue(setting.number, setting.value);
}

bool BulkSettings::SendSheetValue(const ComparedSetting& setting) {
  if (setting.control == nullptr || !linkUp()) return false;
  if (!backedUp_ && readComplete_ && connectionsAtRead_ == connections_) {
    // The first write after a complete comparison: what the controller held is kept first.
    storeBackup();
  }
  sheets_.SendValue(*setting.control);
  return true;
}

bool BulkSettings::RestoreBackup(const std::filesystem::path& file, std::string& status) {
  if (!linkUp() || cache_ == nullptr) {
    status = "Status: No controller connected";
    return false;
  }
  if (Busy()) {
    // A receive running would overwrite the backup's values with what it reads before
    // they are sent.
    status = "Status: Another transfer is running";
    return false;
  }
  if (backups_ != nullptr && !backups_->OfLoadedProfile(file.filename().string())) {
    // Another profile's numbers may name other settings on these sheets.
    status = "Status: The backup is of another profile";
    return false;
  }
  std::string text;
  if (ReadTextFile(file, text) != FileReadResult::Read) {
    status = "Status: Cannot read the backup";
    return false;
  }
  size_t start = 0;
  int values = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    start = end + 1;
    if (line.rfind("Value ", 0) != 0) continue;
    std::optional<ValueLine> value = ParseValueLine(line);
    if (!value) continue;
    // The controller's clock and date run on: an old time is no setting to restore.
    bool clockOrDate = false;
    for (const ControlBinding* binding : {sheets_.LocalTimeBinding, sheets_.DateBinding}) {
      clockOrDate = clockOrDate || (binding != nullptr && binding->control != nullptr &&
                                    binding->control->tag() == value->id);
    }
    if (clockOrDate) continue;
    sheets_.SetControlValue(nullptr, value->id, true, value->text, true);
    ++values;
  }
  if (values == 0) {
    status = "Status: The backup holds no settings";
    return false;
  }
  SendAllSettings(fields_.sendAll);
  // Sent now, or after the transfer running (which the status line says).
  status = fields_.status.text();
  return true;
}

void BulkSettings::ConnectionMade(bool reconnected) {
  ++connections_;
  if (!reconnected) sheets_.ForgetControllerValues(KnownSettings::kNeverRead);
}

// ---- sending ----

void BulkSettings::storeBackup() {
  if (backups_ == nullptr || sheets_.sheets().empty()) return;
  const std::optional<std::filesystem::path> stored = backups_->Store(backend_.localNow());
  backedUp_ = stored.has_value();
  if (trace_ != nullptr) {
    trace_->Report(stored ? "Backup of the controller's settings: " + stored->filename().string()
                          : std::string("Backup of the controller's settings could not be written"));
  }
}

bool BulkSettings::backUpBeforeWriting() {
  const bool known =
      readComplete_ && connectionsAtRead_ == connections_ && writesAtRead_ == writesSoFar();
  if (!known) {
    const Comparison read = readIntoComparison(
        [this](int done, int total) { showProgress("Reading settings for a backup", done, total); });
    if (shuttingDown()) return false;
    if (!read.complete()) {
      const int answer = backend_.messageBox(
          "Not every setting could be read from the controller (" +
              std::to_string(read.received) + " of " + std::to_string(read.settings) +
              "), so no complete backup of its settings could be stored.\n\n"
              "Send the settings all the same?",
          "Orvane", ui::MessageButtons::YesNo);
      return answer == ui::modal::kYes;
    }
  }
  storeBackup();
  return true;
}

void BulkSettings::waitForWrites() {
  if (cache_ == nullptr) return;
  cache_->SendOutAll();
  const long long until = backend_.ticksMs() + kWritesWaitMs;
  for (;;) {
    const bool written = cache_->OutCache->items().empty() && cache_->queue().Idle();
    if (written || shuttingDown()) return;
    if (!linkUp()) {
      // Queued writes wait for the controller; the connection sends them once it is back.
      if (!waitForLink()) return;
      continue;
    }
    if (backend_.ticksMs() >= until) return;
    cache_->SendOutAll();
    backend_.waitForMessages(kWaitStepMs);
  }
}

void BulkSettings::send(ui::Label& sender) {
  const unsigned long removals = sheets_.removalCount();
  sender.setText("Sending ...");
  scheme_.Blink(sender);
  if (!backUpBeforeWriting()) {
    if (!aborted(removals)) {
      report("Status: Settings not sent", {}, "");
      sender.setText("Send current settings");
      scheme_.Blink(sender);
    }
    return;
  }
  if (aborted(removals)) return;
  sheets_.sendingAll = true;
  // Controls are collected first: a bound command waits for its reply, and whatever runs
  // meanwhile must not pull the sheets out from under the loop.
  std::vector<ui::Widget*> controls;
  for (const auto& sheet : sheets_.sheets()) {
    for (const auto& list : sheet->lists) controls.push_back(list.get());
    for (const auto& field : sheet->fields) controls.push_back(field.get());
  }
  for (ui::Widget* control : controls) {
    if (aborted(removals)) break;
    sheets_.Callback(*control);
  }
  if (sheets_.removalCount() == removals) sheets_.sendingAll = false;
  if (aborted(removals)) return;
  waitForWrites();
  // What the link took is sent again once it is back.
  auto unsent = [&] {
    std::vector<ui::Widget*> left;
    for (ui::Widget* control : controls) {
      if (sheets_.known().Knows(*control) &&
          sheets_.known().StateOf(*control) != SettingState::Confirmed) {
        left.push_back(control);
      }
    }
    return left;
  };
  std::vector<ui::Widget*> left = unsent();
  if (!left.empty() && !aborted(removals) && (linkUp() || waitForLink())) {
    sheets_.sendingAll = true;
    for (ui::Widget* control : left) {
      if (aborted(removals)) break;
      if (sheets_.known().StateOf(*control) == SettingState::Unknown) sheets_.SendValue(*control);
    }
    if (sheets_.removalCount() == removals) sheets_.sendingAll = false;
    if (aborted(removals)) return;
    waitForWrites();
    left = unsent();
  }
  if (aborted(removals)) return;
  std::vector<std::string> missing;
  for (ui::Widget* control : left) {
    missing.push_back(sheets_.DescribeControl(*control) + " (" +
                      sheets_.known().ReasonOf(*control) + ")");
  }
  report(missing.empty() ? std::string("Status: All settings sent")
                         : "Status: " + std::to_string(missing.size()) + " settings not sent",
         missing, "Not sent");
  sender.setText("Send current settings");
  scheme_.Blink(sender);
}

// ---- after detection, and the precision ----

void BulkSettings::SetOrvaneSettings() {
  engine_.ExecuteCommand(":GB");
  engine_.ExecuteCommand(":P");
  if (!controller_.HighPrecision) engine_.ExecuteCommand(":U");
}

void BulkSettings::TogglePrecisionMode(ui::Label& sender) {
  engine_.ExecuteCommand(":U");
  scheme_.Blink(sender);
}

}  // namespace orvane

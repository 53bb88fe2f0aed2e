#include "dialogue/BulkSettings.h"

#include <cctype>

#include "dialogue/CommandEngine.h"
#include "dialogue/CommandText.h"
#include "link/Cache.h"
#include "link/ProgramPhase.h"
#include "sheets/Sheets.h"
#include "text/NumberText.h"
#include "ui/Backend.h"

namespace orvane {

std::string ReadIdentifier(const std::string& group, const std::string& number) {
  return group.size() + 1 == number.size() ? group + "0" : group;
}

BulkSettings::BulkSettings(ControllerState& controller, ui::Timer& updateTimer,
                           const ui::Timer& startupTimer, ui::ColorScheme& scheme, Sheets& sheets,
                           CommandEngine& engine)
    : controller_(controller),
      updateTimer_(updateTimer),
      startupTimer_(startupTimer),
      scheme_(scheme),
      sheets_(sheets),
      engine_(engine) {}

bool BulkSettings::shuttingDown() const {
  // The program may be ending (exit, SIGTERM) while a run waits for a reply.
  return ShuttingDown(startupTimer_) || (cache_ != nullptr && cache_->backend().terminated());
}

void BulkSettings::SendAllSettings(ui::Label& sender) {
  if (controller_.ConnectedPort == -1) return;
  sender.setText("Sending ...");
  scheme_.Blink(sender);
  sheets_.sendingAll = true;
  // Controls are collected first: a bound command waits for its reply, and whatever runs
  // meanwhile must not pull the sheets out from under the loop.
  std::vector<ui::Widget*> controls;
  for (const auto& sheet : sheets_.sheets()) {
    for (const auto& list : sheet->lists) controls.push_back(list.get());
    for (const auto& field : sheet->fields) controls.push_back(field.get());
  }
  const unsigned long removals = sheets_.removalCount();
  for (ui::Widget* control : controls) {
    if (sheets_.removalCount() != removals || shuttingDown()) break;
    sheets_.Callback(*control);
  }
  sheets_.sendingAll = false;
  sender.setText("Send current settings");
  scheme_.Blink(sender);
}

void BulkSettings::ReceiveAllSettings(ui::Label& sender) {
  if (controller_.ConnectedPort == -1) return;
  TCache* cache = cache_;
  if (cache == nullptr) return;
  updateTimer_.stop();
  sheets_.receivingAll = true;
  sender.setText("Receiving ...");
  scheme_.Blink(sender);

  struct Read {
    std::string command;
    long long group;
  };
  std::vector<Read> reads;
  for (const auto& event : sheets_.events()) {
    const std::string command = NativeReadCommand(ReadIdentifier(event->group, event->number));
    // Events of one group in a row are read once.
    if (!reads.empty() && reads.back().command == command) continue;
    long long group = 0;
    reads.push_back({command, TryParseInteger(event->group, group) ? group : -1});
  }
  const unsigned long removals = sheets_.removalCount();
  for (const Read& read : reads) {
    if (sheets_.removalCount() != removals || shuttingDown()) break;
    std::optional<std::string> value = NativeReplyValue(cache->SendCommand(read.command, true));
    if (value && read.group >= 0 && sheets_.removalCount() == removals) {
      sheets_.SetControlValue(nullptr, read.group, false, *value, true);
    }
  }
  // Bound reads, by position: a binding list rebuilt meanwhile stops the run.
  for (size_t i = 0; i < sheets_.bindings().size(); ++i) {
    if (sheets_.removalCount() != removals || shuttingDown()) break;
    ControlBinding* binding = sheets_.bindings()[i].get();
    const std::string& command = binding->command;
    const bool read = command.size() >= 2 && command[0] == ':' &&
                      std::toupper(static_cast<unsigned char>(command[1])) == 'G';
    if (read) engine_.ExecuteCommand(binding, "", true);
  }

  if (!shuttingDown()) updateTimer_.start();
  sheets_.receivingAll = false;
  sender.setText("Receive current settings");
  scheme_.Blink(sender);
}

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

#include "dialogue/BulkSettings.h"

#include <cctype>

#include "app/MainForm.h"
#include "dialogue/CommandText.h"
#include "link/Cache.h"
#include "sheets/NumberText.h"

namespace orvane {

std::string ReadIdentifier(const std::string& group, const std::string& number) {
  return group.size() + 1 == number.size() ? group + "0" : group;
}

BulkSettings::BulkSettings(TMainForm& main) : main_(main) {}

void BulkSettings::SendAllSettings(ui::Label& sender) {
  TMainForm& m = main_;
  if (m.ConnectedPort == -1) return;
  sender.setText("Sending ...");
  m.appearance.Blink(sender);
  m.sheets.sendingAll = true;
  // Controls are collected first: a bound command waits for its reply, and whatever runs
  // meanwhile must not pull the sheets out from under the loop.
  std::vector<ui::Widget*> controls;
  for (const auto& sheet : m.sheets.sheets()) {
    for (const auto& list : sheet->lists) controls.push_back(list.get());
    for (const auto& field : sheet->fields) controls.push_back(field.get());
  }
  const unsigned long removals = m.sheets.removalCount();
  for (ui::Widget* control : controls) {
    if (m.sheets.removalCount() != removals || m.shuttingDown()) break;
    m.sheets.Callback(*control);
  }
  m.sheets.sendingAll = false;
  sender.setText("Send current settings");
  m.appearance.Blink(sender);
}

void BulkSettings::ReceiveAllSettings(ui::Label& sender) {
  TMainForm& m = main_;
  if (m.ConnectedPort == -1) return;
  TCache* cache = m.windows().cache;
  if (cache == nullptr) return;
  m.UpdateTimer.stop();
  m.sheets.receivingAll = true;
  sender.setText("Receiving ...");
  m.appearance.Blink(sender);

  struct Read {
    std::string command;
    long long group;
  };
  std::vector<Read> reads;
  for (const auto& event : m.sheets.events()) {
    const std::string command = NativeReadCommand(ReadIdentifier(event->group, event->number));
    // Events of one group in a row are read once.
    if (!reads.empty() && reads.back().command == command) continue;
    long long group = 0;
    reads.push_back({command, TryParseInteger(event->group, group) ? group : -1});
  }
  const unsigned long removals = m.sheets.removalCount();
  for (const Read& read : reads) {
    if (m.sheets.removalCount() != removals || m.shuttingDown()) break;
    std::optional<std::string> value = NativeReplyValue(cache->SendCommand(read.command, true));
    if (value && read.group >= 0 && m.sheets.removalCount() == removals) {
      m.sheets.SetControlValue(nullptr, read.group, false, *value, true);
    }
  }
  // Bound reads, by position: a binding list rebuilt meanwhile stops the run.
  for (size_t i = 0; i < m.sheets.bindings().size(); ++i) {
    if (m.sheets.removalCount() != removals || m.shuttingDown()) break;
    ControlBinding* binding = m.sheets.bindings()[i].get();
    const std::string& command = binding->command;
    const bool read = command.size() >= 2 && command[0] == ':' &&
                      std::toupper(static_cast<unsigned char>(command[1])) == 'G';
    if (read) m.engine.ExecuteCommand(binding, "", true);
  }

  if (!m.shuttingDown()) m.UpdateTimer.start();
  m.sheets.receivingAll = false;
  sender.setText("Receive current settings");
  m.appearance.Blink(sender);
}

void BulkSettings::SetOrvaneSettings() {
  TMainForm& m = main_;
  m.engine.ExecuteCommand(":GB");
  m.engine.ExecuteCommand(":P");
  if (!m.HighPrecision) m.engine.ExecuteCommand(":U");
}

void BulkSettings::TogglePrecisionMode(ui::Label& sender) {
  main_.engine.ExecuteCommand(":U");
  main_.appearance.Blink(sender);
}

}  // namespace orvane

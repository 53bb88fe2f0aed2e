// BulkSettings: the operations that move many settings at once or fix the controller's
// reply format: "Send current settings", "Receive current settings", the reads after a
// controller has been found, and "Toggle High/Low Precision".
// Owned by the main window.
// Thread: user-interface thread only.
#pragma once

#include <string>

#include "link/ControllerState.h"
#include "ui/ColorScheme.h"
#include "ui/Controls.h"
#include "ui/Timer.h"

namespace orvane {

class CommandEngine;
class Sheets;
class TCache;

// The identifier a setting is read by: the event's group text, with a "0" appended when it
// is exactly one character shorter than the event's number text (group "12" of number
// "120" is read as "120").
std::string ReadIdentifier(const std::string& group, const std::string& number);

class BulkSettings {
 public:
  // updateTimer: the polling timer, off while all settings are received; startupTimer: the
  // program's phase.
  BulkSettings(ControllerState& controller, ui::Timer& updateTimer, const ui::Timer& startupTimer,
               ui::ColorScheme& scheme, Sheets& sheets, CommandEngine& engine);
  void SetCache(TCache* cache) { cache_ = cache; }

  void SendAllSettings(ui::Label& sender);
  void ReceiveAllSettings(ui::Label& sender);
  void SetOrvaneSettings();
  void TogglePrecisionMode(ui::Label& sender);

 private:
  bool shuttingDown() const;

  ControllerState& controller_;
  ui::Timer& updateTimer_;
  const ui::Timer& startupTimer_;
  ui::ColorScheme& scheme_;
  Sheets& sheets_;
  CommandEngine& engine_;
  TCache* cache_ = nullptr;
};

}  // namespace orvane

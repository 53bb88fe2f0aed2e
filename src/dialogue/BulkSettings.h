// BulkSettings: the operations that move many settings at once or fix the controller's
// reply format: "Send current settings", "Receive current settings", the reads after a
// controller has been found, and "Toggle High/Low Precision".
// Owned by the main window.
// Thread: user-interface thread only.
#pragma once

#include <string>

namespace orvane {

class TMainForm;
namespace ui {
class Label;
}

// The identifier a setting is read by: the event's group text, with a "0" appended when it
// is exactly one character shorter than the event's number text (group "12" of number
// "120" is read as "120").
std::string ReadIdentifier(const std::string& group, const std::string& number);

class BulkSettings {
 public:
  explicit BulkSettings(TMainForm& main);

  void SendAllSettings(ui::Label& sender);
  void ReceiveAllSettings(ui::Label& sender);
  void SetOrvaneSettings();
  void TogglePrecisionMode(ui::Label& sender);

 private:
  TMainForm& main_;
};

}  // namespace orvane

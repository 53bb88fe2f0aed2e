// The records that a profile builds for the settings sheets: a sheet with its menu entry,
// content panel and controls; a command bound to a control; a registered control event.
// Thread: user-interface thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/Controls.h"
#include "ui/Edits.h"

namespace orvane {

// Each of the four control kinds holds at most this many controls on one sheet.
constexpr int kMaxControlsPerKind = 139;

struct SheetRecord {
  int number = 0;
  std::string name;
  // Declared first so that they are destroyed after the controls they hold.
  std::unique_ptr<ui::Panel> contentPanel;
  std::unique_ptr<ui::Panel> menuPanel;
  std::unique_ptr<ui::Shape> menuShape;
  std::unique_ptr<ui::Label> menuLabel;
  std::vector<std::unique_ptr<ui::Label>> labels;
  std::vector<std::unique_ptr<ui::Button>> buttons;
  std::vector<std::unique_ptr<ui::ComboBox>> lists;
  std::vector<std::unique_ptr<ui::MaskEdit>> fields;
};

struct ControlBinding {
  std::string command;  // one controller command as written in the profile
  ui::Widget* control = nullptr;
  // The "Synchronize to PC" button of time and date commands.
  std::unique_ptr<ui::Shape> synchroniserShape;
  std::unique_ptr<ui::Label> synchroniserLabel;
};

constexpr double kOptionLimit = -1;  // low and high of options and buttons

struct ControlEvent {
  std::string group;   // group number text
  std::string number;  // control number text (the native setting number)
  std::string text;    // option text, button caption or row text
  double low = 0;
  double high = 0;
  // The value last sent; nothing until the first value has been sent, so that the first
  // commit of any valid value (the lower limit too) reaches the controller.
  std::optional<double> lastValue;
};

}  // namespace orvane

// KnownSettings: what the program knows of every setting shown on the sheets. For each
// option list and value field it keeps the value the controller holds as far as the
// program knows (last read from it, or last written to it) and whether the control shows
// that value:
//   confirmed - read from the controller, or written to it, and shown as it is;
//   pending   - a new value is on its way (queued, being written, or held back until a
//               read of all settings has passed it);
//   unknown   - never read, a read that failed, a write that could not go out, or a value
//               the controller was found to hold otherwise.
// Confirmed is the quiet normal case. A control in either other state carries a small
// mark just left of it, in the colour of the sheet's label texts (so night vision draws it
// in its dim red like everything else), with a hint that says why.
// Owned by the sheets; the sheets, the command engine and the bulk transfers report to it.
// Thread: user-interface thread only.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "ui/ColorScheme.h"
#include "ui/Controls.h"

namespace orvane {

enum class SettingState { Confirmed, Pending, Unknown };

class KnownSettings {
 public:
  KnownSettings(ui::Backend& backend, ui::ColorScheme& scheme);
  ~KnownSettings();
  KnownSettings(const KnownSettings&) = delete;
  KnownSettings& operator=(const KnownSettings&) = delete;

  // A control that shows a setting; it starts unknown.
  void Add(ui::Widget& control);
  bool Knows(const ui::Widget& control) const { return entries_.count(&control) != 0; }

  // The controller holds value (just read, or written), and the control shows it.
  void Confirm(ui::Widget& control, const std::string& value);
  // A value of the control's is on its way to the controller.
  void MarkPending(ui::Widget& control, const std::string& why);
  // The controller may hold something else than the control shows.
  void MarkUnknown(ui::Widget& control, const std::string& why);
  // The controller holds value; what the control shows stays as it stands (an edit on its
  // way keeps its mark).
  void NoteHeld(const ui::Widget& control, const std::string& value);
  // The controller was found to hold value: confirmed when the control shows just that,
  // otherwise unknown with a hint naming the controller's value.
  void Compare(ui::Widget& control, const std::string& value);
  // Every control unknown (another controller, or none read yet).
  void ForgetAll(const std::string& why);

  SettingState StateOf(const ui::Widget& control) const;
  // Why a control is not confirmed (empty when it is).
  std::string ReasonOf(const ui::Widget& control) const;
  // The value the controller holds, when known.
  std::optional<std::string> ControllerValue(const ui::Widget& control) const;
  // The mark beside a control (null while none was needed yet).
  const ui::Label* MarkOf(const ui::Widget& control) const;

  // Before the controls go (a profile is removed).
  void Clear();

  // The texts of the hints.
  static constexpr const char* kNeverRead = "Not read from the controller yet";

 private:
  struct Entry {
    SettingState state = SettingState::Unknown;
    std::string reason = kNeverRead;
    std::optional<std::string> controllerValue;
    std::unique_ptr<ui::Label> mark;
  };
  void show(ui::Widget& control, Entry& entry);

  ui::Backend& backend_;
  ui::ColorScheme& scheme_;
  std::map<const ui::Widget*, Entry> entries_;
};

}  // namespace orvane

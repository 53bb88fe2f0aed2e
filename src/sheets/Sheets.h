// Sheets: everything the settings sheets of a profile are built from and how they behave.
// Builds sheets and their controls from profile lines, binds controller commands to
// controls, registers control events, puts values into and reads them from controls by
// setting number, handles every change of a profile-built control (Callback), builds native
// write commands for the queue (FireEvent), and removes everything again.
// Owned by the main window; called by the profile reader and by control events.
// Thread: user-interface thread only.
// Layer: sheets/, below persistence/; it may use profile/, link/, ui/ and text/.
#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/ClockTick.h"
#include "profile/ProfileDocument.h"
#include "sheets/KnownSettings.h"
#include "profile/ProfileReader.h"
#include "sheets/ControlLine.h"
#include "sheets/RangeErrorReport.h"
#include "sheets/SheetTypes.h"
#include "ui/ColorScheme.h"
#include "ui/Form.h"

namespace orvane {

class TCache;

// The parts of the main window the sheets are built on: the window holds the menu entries,
// the sheet panel the content panels; the profile menu entry and the profile list follow
// sheet switches.
struct SheetWindow {
  ui::Form& window;
  ui::Panel& sheetPanel;
  const ui::Shape& frame;
  ui::Label& profileMenu;
  ui::ComboBox& profileFiles;
};

class Sheets : public ProfileSheets, public ClockFields {
 public:
  Sheets(ui::Backend& backend, SheetWindow window, ui::ColorScheme& scheme,
         const ProfileDocument& document);
  ~Sheets();

  // The cache manager and the range-error box, once their windows exist.
  void SetCache(TCache* cache) { cache_ = cache; }
  void SetRangeErrors(RangeErrorReport* errors) { rangeErrors_ = errors; }
  // Hooks a content panel onto the main window's dragging, when installed.
  std::function<void(ui::Widget&)> makeDraggable;
  // The profile page's buttons follow a switch to the profile page, when installed.
  std::function<void()> profileFilesChanged;

  // ---- building (profile lines) ----
  void CreateSheet(std::string_view line) override;
  // A control definition line; throws ProfileLineError when the line cannot be built.
  void CreateControl(std::string_view line) override;
  ui::Label& CreateLabel(long long number, const std::string& text);
  ui::MaskEdit& CreateStaticSlider(long long number, const std::string& text,
                                   const std::string& command, const std::string& mask, double low,
                                   double high);
  ui::MaskEdit& CreateSlider(long long number, const std::string& text, const std::string& command,
                             const std::string& mask, double low, double high);
  void CreateBox(long long number, const std::string& text, const std::string& command,
                 bool editable, bool withoutEvent);
  void CreateButton(long long number, const std::string& text, const std::string& command,
                    const std::string& caption);
  void AssociateCommand(ui::Widget& control, std::string_view commands);
  ControlEvent& RegisterEvent(long long number, std::string group, double low, double high,
                              std::string text);

  // Builders of the file-transfer panels and object databases; until those are installed a
  // line of either kind shows its row label only.
  std::function<void(const ControlLine&)> createFileTransferArray;
  std::function<void(const ControlLine&)> createDatabase;

  // ---- values ----
  void SetControlValue(ui::Widget* excluded, long long number, bool quiet, const std::string& text,
                       bool exact) override;
  std::string GetControlValue(long long number) const;
  void MaskEditChange(ui::MaskEdit& field);
  void AutoComplete(ui::ComboBox& list);

  // ---- events ----
  void Callback(ui::Widget& sender);
  bool FireEvent(ui::Widget& control, ControlEvent& event, bool force);
  // Runs one bound command of a control (the command engine); until it is installed a
  // binding runs nothing.
  std::function<void(ControlBinding&)> executeBinding;
  // Handed the editable selectors of object databases.
  std::function<void(ui::ComboBox&)> selectDatabaseEntry;
  // A click on "Synchronize to PC": sets the controller's time or date from the computer.
  std::function<void(ControlBinding&)> synchronise;
  // Free the object databases and file-transfer panels (before the bindings and sheets).
  std::function<void()> removeDatabases;
  std::function<void()> removeFileTransferPanels;

  void RemoveAllComponents();

  // ---- what the controller holds (ControllerValues.cpp) ----
  KnownSettings& known() { return known_; }
  const KnownSettings& known() const { return known_; }
  // The controls that show setting number, found as SetControlValue finds them.
  std::vector<ui::Widget*> ControlsShowing(long long number, bool exact) const;
  // The text control would show once text were put into it by SetControlValue (exact).
  std::string ShownValue(const ui::Widget& control, long long number,
                         const std::string& text) const;
  // A value of number read from the controller: put into its controls without sending it
  // back (an edit the user made while all settings are received stays, and goes out once
  // the receive is over), which are confirmed; the controller's value counts as the value
  // last sent.
  void ApplyReadValue(long long number, const std::string& text);
  // A value of number read from the controller into a comparison, the controls untouched:
  // confirmed where they show it, unknown where they do not.
  void CompareReadValue(long long number, const std::string& text);
  // The read of number failed: its controls are unknown, and their next value goes out.
  void ReadFailed(long long number, const std::string& why);
  // Another controller (or none): nothing of it is known.
  void ForgetControllerValues(const std::string& why);
  // The cache manager wrote a queued setting write.
  void SettingWritten(const std::string& command);
  // Edits made while all settings were received, sent now (the user's value wins).
  void CommitDeferredEdits();
  size_t deferredEditCount() const { return deferredEdits_.size(); }
  bool IsDeferred(const ui::Widget& control) const {
    return std::find(deferredEdits_.begin(), deferredEdits_.end(), &control) !=
           deferredEdits_.end();
  }
  // Sends a control's value as a commit of it does, also when it equals the value last
  // sent.
  void SendValue(ui::Widget& control) { handleValueControl(control, true); }
  // Whether a command bound to the control reads its value from the controller.
  bool HasBoundRead(const ui::Widget& control) const;
  // Where a control stands: its sheet's name and its row's label ("Mechanics: RA Worm
  // Teeth").
  std::string DescribeControl(const ui::Widget& control) const;

  // ---- state ----
  const std::vector<std::unique_ptr<SheetRecord>>& sheets() const { return sheets_; }
  SheetRecord* currentSheet() const { return sheets_.empty() ? nullptr : sheets_.back().get(); }
  const std::vector<std::unique_ptr<ControlBinding>>& bindings() const { return bindings_; }
  const std::vector<std::unique_ptr<ControlEvent>>& events() const { return events_; }

  // Advances whenever the profile-built controls are freed: a handler that let events run
  // compares it before touching a control it was handed.
  unsigned long removalCount() const { return removals_; }

  int RowCounter = 0;
  int TabCounter = 0;
  int ColumnOffset = 0;
  ControlBinding* LocalTimeBinding = nullptr;
  ControlBinding* DateBinding = nullptr;
  ControlBinding* LongitudeBinding = nullptr;
  ControlBinding* UtcOffsetBinding = nullptr;
  ui::MaskEdit* SlewSpeedControl = nullptr;
  ControlEvent* SlewSpeedEvent = nullptr;
  ui::Widget* ControllerClockField() const override {
    return LocalTimeBinding != nullptr ? LocalTimeBinding->control : nullptr;
  }
  ui::Widget* LongitudeField() const override {
    return LongitudeBinding != nullptr ? LongitudeBinding->control : nullptr;
  }
  // Set while all settings are received or sent (the bulk transfer).
  bool receivingAll = false;
  bool sendingAll = false;

 private:
  SheetRecord& requireSheet();
  void AddSynchronizer(ControlBinding& binding);
  // A value field sends its value when the focus leaves it after the user changed it;
  // signFirst: the field begins with a sign (MaskEditChange).
  void commitOnExit(ui::MaskEdit& field, bool signFirst);
  void buildValueRow(const ControlLine& line);
  void showSheet(ui::Widget& sender);
  void handleValueControl(ui::Widget& sender, bool force);
  // The value a field's event compares with its last value, as FireEvent reads a field
  // showing text.
  static std::optional<double> FieldValue(const ui::MaskEdit& field, const std::string& text,
                                          const ControlEvent& event);
  // A field's text as its write carries it: blanks of a masked field as "0".
  static std::string SentText(const ui::MaskEdit& field, std::string text);
  // What the controller holds of a field's setting (nothing: not known) becomes the value
  // its events last sent.
  void noteControllerValue(ui::Widget& control, const std::optional<std::string>& held);

  ui::Backend& backend_;
  SheetWindow window_;
  ui::ColorScheme& scheme_;
  const ProfileDocument& document_;
  TCache* cache_ = nullptr;
  RangeErrorReport* rangeErrors_ = nullptr;
  // Counts removals: a handler that let events run (a bound command waits for its reply)
  // checks it, because a profile loaded meanwhile has freed the control it was handed.
  unsigned long removals_ = 0;
  std::vector<std::unique_ptr<SheetRecord>> sheets_;
  std::vector<std::unique_ptr<ControlBinding>> bindings_;
  std::vector<std::unique_ptr<ControlEvent>> events_;
  // Last, so that the marks go before the panels they lie on.
  KnownSettings known_;
  // Queued setting writes by the number the queue holds them under, with the controls
  // that show the value on its way.
  std::map<std::string, std::vector<ui::Widget*>> pendingWrites_;
  // Edits made while all settings are received, in order.
  std::vector<ui::Widget*> deferredEdits_;
};

// The entry of list that SetControlValue selects for text and number: an option's number
// (number's options are 10 x number + 1 ...), an option's text, or the entry's position
// from 1; -1 when none.
int OptionIndexFor(const ui::ComboBox& list, long long number, const std::string& text);

// A bound command that reads a value (its first two characters, upper-cased, are ":G").
bool IsReadCommand(std::string_view command);

// Label indent of a row: 0 for headings (multiples of 10 below 100, and multiples of 10
// from 200 up), else 20.
int LabelIndent(long long number);

// Group number text of a value field: the number without its last digit when it is at
// most 200 and not a multiple of 10, otherwise the number itself.
std::string FieldGroupText(long long number);

// The native write command for a setting number and value text, without the check
// character: ">" + number (one "0" in front when shorter than three characters) + ":" + value.
std::string NativeWritePrefix(const std::string& number);

}  // namespace orvane

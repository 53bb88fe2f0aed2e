// TSchedule: the "Manual Control" window with its three areas:
// - manual motion control: direction buttons N S E W and the stop button, the speed modes
//   "Guiding", "Centering", "Slewing:" with the maximum slewing speed `Speed`, and the choice
//   between toggle and touch buttons (ManualControl.cpp);
// - manual targeting: slewing to a typed position in J2000.0 or the equinox of date
//   (Targeting.cpp);
// - the observation schedule: a time-sorted grid `Objects` of timed slews, fired by the cache
//   manager's clock tick (ScheduleGrid.cpp).
// The window itself (layout, colours, dragging, showing and closing) is in Schedule.cpp and
// ScheduleLayout.cpp. Created last of the ten windows; the main window shows it, the profile
// reader fills the grid, speed and mode, the command engine marks the reported speed mode.
// Thread: user-interface thread only. Every command goes through the cache manager's
// SendCommand; a wait for a reply lets window events run, so handlers may be re-entered.
// Layer: schedule/, below dialogue/; it may use sheets/, profile/, persistence/, link/, ui/
// and text/ (not transfer/).
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/ClockTick.h"
#include "profile/ProfileReader.h"
#include "ui/ColorScheme.h"
#include "ui/Controls.h"
#include "ui/Edits.h"
#include "ui/Form.h"
#include "ui/Timer.h"

namespace orvane {

class Sheets;
class TCache;

constexpr int kScheduleRowHeight = 20;
// The key that stops the mount in every window of the program (the application makes it
// so), and the stop button's hint that tells of it.
constexpr int kStopKey = ui::keys::kF12;
constexpr const char* kStopHint = "Stop all motion (F12 in every window, Esc here)";
// The key that closes the window, with Ctrl.
constexpr int kCloseKey = 'W';
constexpr int kScheduleMaxGridHeight = 153;

class TSchedule : public ui::Form, public TickListener, public ProfileSchedule {
 public:
  // mainWindow: the window this one opens centred over; startupTimer: the program's phase.
  TSchedule(ui::Backend& backend, ui::Form& mainWindow, ui::ColorScheme& scheme, TCache& cache,
            Sheets& sheets, const ui::Timer& startupTimer);
  ~TSchedule() override;

  // ---- window ----
  std::unique_ptr<ui::Shape> Frame;
  std::unique_ptr<ui::Label> Title;
  std::unique_ptr<ui::ImageButton> BtnExit;
  std::unique_ptr<ui::Label> ManualControlTitle, TargetingTitle, ScheduleTitle;

  // ---- manual control ----
  std::unique_ptr<ui::Shape> NorthShape, SouthShape, EastShape, WestShape, StopShape;
  std::unique_ptr<ui::Label> North, South, East, West, Stop;
  std::unique_ptr<ui::Shape> GuidingShape, CenteringShape, SlewingShape;
  std::unique_ptr<ui::Label> Guiding, Centering, Slewing;
  std::unique_ptr<ui::ComboBox> Speed;
  std::unique_ptr<ui::Label> ToggleModeLabel, TouchModeLabel;
  std::unique_ptr<ui::Shape> ControlModeShape;

  // ---- manual targeting ----
  std::unique_ptr<ui::Label> CurrentRALabel, CurrentDECLabel;
  std::unique_ptr<ui::Label> CurrentRA, CurrentDEC;
  // Says when a slew could not go out (the link was lost); empty otherwise.
  std::unique_ptr<ui::Label> SlewStatus;
  std::unique_ptr<ui::Label> TargetRALabel, TargetDECLabel;
  std::unique_ptr<ui::MaskEdit> TargetRA, TargetDEC;
  std::unique_ptr<ui::Shape> GoShape;
  std::unique_ptr<ui::Label> Go;
  std::unique_ptr<ui::Label> J20000Label, EquinoxLabel;
  std::unique_ptr<ui::Shape> EquinoxShape;

  // ---- observation schedule ----
  std::unique_ptr<ui::StringGrid> Objects;
  std::unique_ptr<ui::MaskEdit> EditTime, EditName, EditRA, EditDec;
  std::unique_ptr<ui::Shape> AddShape, ReplaceShape, RemoveShape, InitiateShape;
  std::unique_ptr<ui::Label> Add, Replace, Remove, Initiate;
  std::unique_ptr<ui::Shape> ClearAllShape, ToggleScheduleShape;
  std::unique_ptr<ui::Label> ClearAll, ToggleSchedule;

  // ---- state ----
  int ControlMode = 1;  // 1 toggle buttons, 2 touch buttons
  std::string LastSpeedMode = "C";
  bool ScheduleActive = false;
  int EquinoxMode = 0;  // 0 not chosen yet, 1 J2000.0, 2 equinox of date
  // Drag state of the borderless window.
  bool Dragging = false;
  bool DragMoving = false;
  int DragOriginX = 0;
  int DragOriginY = 0;
  // Set by the first completed drag: showing the window no longer centres it.
  bool MovedByUser = false;

  // Hides the additional-alignment buttons of the object panels after every slew.
  std::function<void()> disableAdditionalAlignment;

  // ---- window (Schedule.cpp) ----
  void ShowUp();
  // Hands the window's fields, buttons, titles, markers and the speed selector to the colour
  // scheme.
  void RegisterStaticControls();
  // The window's own colours for the scheme being applied (palette), then the looks of the
  // direction and speed buttons again (an active direction's motion command is sent again).
  void SetVisionMode(const ui::Palette& palette);
  void FrameMouseDown(int x, int y);
  void FrameMouseMove(int x, int y);
  void FrameMouseUp();
  // Esc ends a drag, or else stops the mount; Enter in a target field slews to the target.
  void FormKeyPress(char& key);
  // Ctrl+W closes the window (Esc keeps its meaning of stopping the mount).
  void FormKeyDown(int& key, ui::ShiftState shift);
  void BtnExitClick();

  // ---- observation schedule (ScheduleGrid.cpp) ----
  void AddEvent();
  void ReplaceEvent();
  void RemoveEvent();
  void SortEvents();
  void ObjectsSelectCell(int row);
  void ClearAllClick();
  void ToggleScheduleClick();
  void InitiateClick();
  // The clock tick's computer local time "HH:MM:SS": fires the due schedule entry.
  void CheckForEvent(const std::string& clockText) override;
  void InitiateSlew(int row);
  // Fills the empty first row or appends one (a "Schedule " line of the profile).
  void AddScheduleRow(const std::string& time, const std::string& name, const std::string& ra,
                      const std::string& dec) override;
  // ---- a profile being read ----
  bool HideForLoading() override;
  void ClearForLoading() override;
  void ShowAfterLoading() override { show(); }
  void SetSlewingSpeed(const std::string& entry) override;
  // Grid height for the current row count: rows x row height + 3, at most 153.
  void FitGridHeight();
  // The row after the last entry: the first row with an empty time, or the row count.
  int ScheduleEnd() const;

  // ---- manual control (ManualControl.cpp) ----
  void NorthClick();
  void SouthClick();
  void EastClick();
  void WestClick();
  void NorthMouseDown();
  void SouthMouseDown();
  void EastMouseDown();
  void WestMouseDown();
  void NorthMouseUp();
  void SouthMouseUp();
  void EastMouseUp();
  void WestMouseUp();
  // Stops every motion at once (the stop button, and the emergency stop of the panels).
  // A target being sent is abandoned, so that the mount does not slew after a stop.
  void StopMouseDown();
  void StopMouseUp();
  void SetDirection(ui::Label& label, ui::Shape& shape, bool send, int wanted);
  void ResetSlewSpeed();
  void GuidingClick();
  void CenteringClick();
  void SlewingClick();
  void SetSpeed(ui::Label& label, int wanted);
  void SpeedChange();
  void SetLastSpeedMode(const std::string& letter);
  // Marks the speed mode the controller reports (the ":Gv#" reply).
  void MarkSpeed(const std::string& reply);
  void ToggleModeClick();
  void TouchModeClick();
  void ControlModeShapeMouseDown();
  void SetControlMode(int mode) override;

  // ---- manual targeting (Targeting.cpp) ----
  void GoClick();
  void J20000LabelClick();
  void EquinoxLabelClick();
  void SetEquinoxMode(int mode);
  // The epoch targets are sent in: the one the window shows. Before the user has chosen,
  // the marker stands beside "J2000.0"; that choice is taken then, telling the controller
  // as choosing it does.
  int ShownEquinoxMode();
  void EditDecKeyPress(ui::MaskEdit& field, char key);
  void EditDecChange(ui::MaskEdit& field);

 private:
  struct SlewTarget {
    std::string rightAscension;
    std::string declination;
    std::string name;
  };
  struct ButtonColors {
    ui::Color fill;
    ui::Color text;
    ui::Color pen;
  };

  void BuildManualControl();
  void BuildTargeting();
  void BuildSchedule();
  void MakeDraggable(ui::Widget& widget);

  // Sends through the cache manager; "" without one.
  std::string SendCommand(const std::string& command, bool wait);
  // The target commands and the slew, in order. A slew asked for while another is being
  // sent (a click or a tick during a wait) is sent after it, not into the middle of it.
  void SlewTo(SlewTarget target);
  // Gives up before the next command once the stop button was pressed meanwhile.
  void SendSlewSequence(const SlewTarget& target);
  bool SlewAbandoned() const;

  void DirectionClick(ui::Label& label, ui::Shape& shape, ui::Label& opposite,
                      ui::Shape& oppositeShape);
  void SpeedClick(ui::Label& label);
  void setRow(int row, const std::string& time, const std::string& name, const std::string& ra,
              const std::string& dec);
  char LetterOf(const ui::Label& label) const;
  bool AnyDirectionActive() const;
  // The normal colours of the window's buttons (those of "Add") in the active scheme.
  ButtonColors NormalButtonColors() const;
  void DrawButton(ui::Label& label, ui::Shape& shape, bool inverted);
  void DrawControlButtons();
  void Defocus() { setActiveControl(nullptr); }

  ui::Form& mainWindow_;
  ui::ColorScheme& scheme_;
  TCache& cache_;
  Sheets& sheets_;
  const ui::Timer& startupTimer_;
  // The previous clock tick's second of the day while the schedule is active.
  std::optional<int> previousTick_;
  bool slewInProgress_ = false;
  // Counts stops: a slew sequence that sees it change gives up.
  unsigned stopCount_ = 0;
  unsigned slewStopCount_ = 0;
  std::optional<SlewTarget> pendingSlew_;
};

}  // namespace orvane

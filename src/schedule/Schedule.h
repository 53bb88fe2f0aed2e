// TSchedule: the "Manual Control" window: manual motion control, manual targeting and the
// timed observation schedule. Created last of the ten windows.
// This unit holds the window, its schedule grid `Objects` with the operations the profile
// reader uses, the speed selector and the direction-button mode.
// Thread: user-interface thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/Windows.h"
#include "ui/Controls.h"
#include "ui/Edits.h"
#include "ui/Form.h"

namespace orvane {

constexpr int kScheduleRowHeight = 20;
constexpr int kScheduleMaxGridHeight = 153;

class TSchedule : public ui::Form {
 public:
  explicit TSchedule(AppContext& context);
  ~TSchedule() override;

  std::unique_ptr<ui::Shape> Frame;
  std::unique_ptr<ui::Label> Title;
  std::unique_ptr<ui::ImageButton> BtnExit;
  std::unique_ptr<ui::Label> ManualControlTitle, TargetingTitle, ScheduleTitle;
  std::unique_ptr<ui::Label> SpeedLabel;
  std::unique_ptr<ui::ComboBox> Speed;
  std::unique_ptr<ui::Label> ToggleModeLabel, TouchModeLabel;
  std::unique_ptr<ui::Shape> ControlModeShape;
  std::unique_ptr<ui::Label> CurrentRALabel, CurrentDECLabel;
  std::unique_ptr<ui::Label> CurrentRA, CurrentDEC;
  std::unique_ptr<ui::StringGrid> Objects;
  std::unique_ptr<ui::MaskEdit> EditTime, EditName, EditRA, EditDec;
  std::unique_ptr<ui::Shape> ClearAllShape, ToggleScheduleShape;
  std::unique_ptr<ui::Label> ClearAll, ToggleSchedule;

  int ControlMode = 1;  // 1 toggle buttons, 2 touch buttons
  bool ScheduleActive = false;
  int EquinoxMode = 0;  // 0 not chosen yet, 1 J2000.0, 2 equinox of date

  // Hides the additional-alignment buttons of the object panels after every slew.
  std::function<void()> disableAdditionalAlignment;

  // Stops every motion at once (the stop button, and the emergency stop of the panels).
  void StopMouseDown();
  // Marks the speed mode the controller reports (the ":Gv#" reply).
  void MarkSpeed(const std::string& reply);
  // The clock tick's computer local time "HH:MM:SS": fires the due schedule entry.
  void CheckForEvent(const std::string& clockText);

  void ShowUp();
  // Hands the window's fields, buttons, titles and the speed selector to the main window's
  // colour scheme.
  void RegisterStaticControls();
  void ClearAllClick();
  void ToggleScheduleClick();
  void SetControlMode(int mode);
  // Fills the empty first row or appends one (a "Schedule " line of the profile).
  void AddScheduleRow(const std::string& time, const std::string& name, const std::string& ra,
                      const std::string& dec);
  // Grid height for the current row count: rows x row height + 3, at most 153.
  void FitGridHeight();
  // The window's own colours (frame, grid) for the active scheme.
  void SetVisionMode(ui::Color frameFill, ui::Color framePen, ui::Color text, ui::Color accent);
  void QuitClick();

 private:
  AppContext& context_;
};

}  // namespace orvane

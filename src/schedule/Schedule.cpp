// The schedule window as a whole: registration with the colour scheme, its own colours,
// showing, closing and dragging the borderless window.
#include "schedule/Schedule.h"

#include <algorithm>

#include "ui/Backend.h"

namespace orvane {

namespace {
// Room left for the task bar at the bottom of the screen.
constexpr int kTaskBarReserve = 24;
constexpr char kEscape = 27;
constexpr char kReturn = 13;
}  // namespace

void TSchedule::RegisterStaticControls() {
  // The direction and speed buttons are not registered: their looks depend on their state
  // and are drawn by this window (DrawControlButtons).
  for (ui::Widget* w : std::initializer_list<ui::Widget*>{EditTime.get(),
                                                          EditName.get(),
                                                          EditRA.get(),
                                                          EditDec.get(),
                                                          Speed.get(),
                                                          TargetRA.get(),
                                                          TargetDEC.get(),
                                                          ClearAllShape.get(),
                                                          ClearAll.get(),
                                                          ToggleScheduleShape.get(),
                                                          ToggleSchedule.get(),
                                                          AddShape.get(),
                                                          Add.get(),
                                                          ReplaceShape.get(),
                                                          Replace.get(),
                                                          RemoveShape.get(),
                                                          Remove.get(),
                                                          InitiateShape.get(),
                                                          Initiate.get(),
                                                          GoShape.get(),
                                                          Go.get(),
                                                          ControlModeShape.get(),
                                                          EquinoxShape.get(),
                                                          Title.get(),
                                                          ManualControlTitle.get(),
                                                          TargetingTitle.get(),
                                                          ScheduleTitle.get()}) {
    scheme_.registerControl(w);
  }
}

void TSchedule::ShowUp() {
  if (!MovedByUser) {
    const ui::Form& main = mainWindow_;
    setBounds(main.left() + (main.width() - width()) / 2,
              main.top() + (main.height() - height()) / 2, width(), height());
  }
  show();
  Defocus();
  bringToFront();
}

void TSchedule::SetVisionMode(const ui::Palette& p) {
  setColor(ui::kBlack);
  Frame->setBrushColor(p.frameFill);
  Frame->setPenColor(p.framePen);
  setFontColor(p.text);
  Objects->setColor(p.frameFill);
  Objects->setFixedColor(p.accent);
  // The font of the name field, in the colours of the scheme being applied (the field
  // itself may not have been recoloured yet).
  ui::Font gridFont = EditName->font();
  gridFont.color = p.fieldText;
  Objects->setFont(gridFont);
  // The selected entry stands out in both schemes: drawn like a pressed button.
  Objects->setSelectionColors(p.text, p.sheetFrameFill);

  // The looks of the direction and speed buttons in the new colours; then as the buttons
  // always did on a scheme change: an active direction is drawn and its motion command sent
  // again, an inactive one sends the speed command only; an active speed mode is drawn again
  // without a rate command.
  Defocus();
  DrawControlButtons();
  SetDirection(*West, *WestShape, true, 2 * static_cast<int>(West->tag()));
  SetDirection(*East, *EastShape, true, 2 * static_cast<int>(East->tag()));
  SetDirection(*South, *SouthShape, true, 2 * static_cast<int>(South->tag()));
  SetDirection(*North, *NorthShape, true, 2 * static_cast<int>(North->tag()));
  SetSpeed(*Guiding, 2 * static_cast<int>(Guiding->tag()));
  SetSpeed(*Slewing, 2 * static_cast<int>(Slewing->tag()));
  SetSpeed(*Centering, 2 * static_cast<int>(Centering->tag()));
}

void TSchedule::BtnExitClick() {
  hide();
  scheme_.ResetPaletteIfNecessary();
  // The keys go back to the main window (closed by a key, nothing else would take them).
  if (mainWindow_.visible()) mainWindow_.bringToFront();
}

void TSchedule::FrameMouseDown(int x, int y) {
  Defocus();
  DragOriginX = x;
  DragOriginY = y;
  Dragging = true;
}

void TSchedule::FrameMouseMove(int x, int y) {
  if (!Dragging || DragMoving) return;
  DragMoving = true;
  setBounds(left() + x - DragOriginX, top() + y - DragOriginY, width(), height());
  mainWindow_.repaint();
  repaint();
  DragMoving = false;
}

void TSchedule::FrameMouseUp() {
  Dragging = false;
  keepOnScreen(kTaskBarReserve);
  MovedByUser = true;
}

void TSchedule::FormKeyDown(int& key, ui::ShiftState shift) {
  if (key == kCloseKey && shift.ctrl && !shift.alt && !shift.shift) {
    key = 0;
    BtnExitClick();
  }
}

void TSchedule::FormKeyPress(char& key) {
  if (key == kEscape) {
    // The key goes on to the control (an open drop-down list closes with it).
    if (Dragging) {
      FrameMouseUp();
    } else {
      StopMouseDown();
      StopMouseUp();
    }
    return;
  }
  const ui::Widget* focused = activeControl();
  if (key == kReturn && (focused == TargetRA.get() || focused == TargetDEC.get())) {
    key = 0;
    GoClick();
  }
}

}  // namespace orvane

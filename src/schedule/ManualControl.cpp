// Manual motion control: the direction buttons, the stop button, the speed modes, the
// maximum slewing speed and the toggle/touch choice. Every command goes out in its turn
// without waiting for a reply, except the rate command, so an unreachable controller does
// not block the buttons. Stopping jumps the queue: the stop button's ":Q#" and the ":Q"
// of a released direction are written at once, even while another command waits for its
// reply.
#include "link/Cache.h"
#include "schedule/Schedule.h"
#include "schedule/SlewCommands.h"
#include "sheets/Sheets.h"

namespace orvane {

// ---- directions ---------------------------------------------------------------------------

void TSchedule::NorthClick() {
  DirectionClick(*North, *NorthShape, *South, *SouthShape);
}
void TSchedule::SouthClick() {
  DirectionClick(*South, *SouthShape, *North, *NorthShape);
}
void TSchedule::EastClick() {
  DirectionClick(*East, *EastShape, *West, *WestShape);
}
void TSchedule::WestClick() {
  DirectionClick(*West, *WestShape, *East, *EastShape);
}

// A press always runs the click; a release runs it again in touch mode only, so that in
// touch mode the mount moves while the button is held.
void TSchedule::NorthMouseDown() {
  NorthClick();
}
void TSchedule::SouthMouseDown() {
  SouthClick();
}
void TSchedule::EastMouseDown() {
  EastClick();
}
void TSchedule::WestMouseDown() {
  WestClick();
}
void TSchedule::NorthMouseUp() {
  if (ControlMode == 2) NorthClick();
}
void TSchedule::SouthMouseUp() {
  if (ControlMode == 2) SouthClick();
}
void TSchedule::EastMouseUp() {
  if (ControlMode == 2) EastClick();
}
void TSchedule::WestMouseUp() {
  if (ControlMode == 2) WestClick();
}

void TSchedule::DirectionClick(ui::Label& label, ui::Shape& shape, ui::Label& opposite,
                               ui::Shape& oppositeShape) {
  // At most one of north/south and one of east/west: the opposite stops first.
  if (opposite.tag() != 0) SetDirection(opposite, oppositeShape, true, 0);
  SetDirection(label, shape, true, label.tag() == 0 ? 1 : 0);
  ResetSlewSpeed();
}

void TSchedule::SetDirection(ui::Label& label, ui::Shape& shape, bool send, int wanted) {
  Defocus();
  const std::string stop = std::string(":Q") + LetterOf(label) + "#";
  if (send && wanted == 0 && label.tag() != 0 && !cache_.queue().Idle()) {
    // Released while the line is busy (a click inside another command's wait): the stop
    // goes out now, the speed command follows in its turn.
    label.setTag(0);
    DrawButton(label, shape, false);
    cache_.SendStopCommand(stop);
    SendCommand(MaxSlewSpeedCommand(Speed->itemIndex()), false);
    return;
  }
  if (wanted == label.tag()) {
    SendCommand(MaxSlewSpeedCommand(Speed->itemIndex()), false);
    return;
  }
  // The button takes its new state before the speed command waits for its turn: a press
  // or release handled during that wait (a short tap while the line is busy) then sees
  // where the direction is going, not where it was.
  const int state = wanted > 0 ? 1 : 0;
  label.setTag(state);
  DrawButton(label, shape, wanted > 0);
  SendCommand(MaxSlewSpeedCommand(Speed->itemIndex()), false);
  if (!send || label.tag() != state) return;  // changed again meanwhile: that change has spoken
  if (wanted != 0) {
    SendCommand(std::string(":M") + LetterOf(label) + "#", false);
  } else {
    cache_.SendStopCommand(stop);
  }
}

void TSchedule::ResetSlewSpeed() {
  if (AnyDirectionActive()) return;
  Sheets& sheets = sheets_;
  // The profile's speed setting (number 120) goes out again even when unchanged.
  if (sheets.SlewSpeedControl != nullptr && sheets.SlewSpeedEvent != nullptr) {
    sheets.FireEvent(*sheets.SlewSpeedControl, *sheets.SlewSpeedEvent, true);
  }
}

void TSchedule::StopMouseDown() {
  // A target being sent must not be followed by its slew command after a stop.
  ++stopCount_;
  pendingSlew_.reset();
  DrawButton(*Stop, *StopShape, true);
  repaint();
  cache_.SendStopCommand(":Q#");
  SetDirection(*West, *WestShape, false, 0);
  SetDirection(*South, *SouthShape, false, 0);
  SetDirection(*North, *NorthShape, false, 0);
  SetDirection(*East, *EastShape, false, 0);
  ResetSlewSpeed();
}

void TSchedule::StopMouseUp() {
  DrawButton(*Stop, *StopShape, false);
}

bool TSchedule::AnyDirectionActive() const {
  return North->tag() != 0 || South->tag() != 0 || East->tag() != 0 || West->tag() != 0;
}

char TSchedule::LetterOf(const ui::Label& label) const {
  if (&label == North.get()) return 'n';
  if (&label == South.get()) return 's';
  if (&label == East.get()) return 'e';
  if (&label == West.get()) return 'w';
  if (&label == Guiding.get()) return 'G';
  if (&label == Centering.get()) return 'C';
  return 'S';
}

// ---- speed modes --------------------------------------------------------------------------

void TSchedule::GuidingClick() {
  SpeedClick(*Guiding);
}
void TSchedule::CenteringClick() {
  SpeedClick(*Centering);
}
void TSchedule::SlewingClick() {
  SpeedClick(*Slewing);
}

void TSchedule::SpeedClick(ui::Label& label) {
  for (ui::Label* other : {Guiding.get(), Centering.get(), Slewing.get()}) {
    if (other != &label && other->tag() != 0) SetSpeed(*other, 0);
  }
  SetSpeed(label, 1);
  SetLastSpeedMode(std::string(1, LetterOf(label)));
}

// The speed shapes show the last chosen mode (SetLastSpeedMode), not this state.
void TSchedule::SetSpeed(ui::Label& label, int wanted) {
  Defocus();
  if (wanted != label.tag()) {
    label.setTag(wanted > 0 ? 1 : 0);
    label.setFontStyle(wanted > 0, wanted > 0);
    if (wanted == 1) SendCommand(std::string(":R") + LetterOf(label) + "#", true);
  }
  SendCommand(MaxSlewSpeedCommand(Speed->itemIndex()), false);
}

void TSchedule::SpeedChange() {
  Defocus();
  SendCommand(MaxSlewSpeedCommand(Speed->itemIndex()), false);
}

void TSchedule::SetLastSpeedMode(const std::string& letter) {
  Defocus();
  LastSpeedMode = letter;
  DrawButton(*Centering, *CenteringShape, letter == "C");
  DrawButton(*Slewing, *SlewingShape, letter == "S");
  DrawButton(*Guiding, *GuidingShape, letter == "G");
}

void TSchedule::MarkSpeed(const std::string& reply) {
  for (ui::Label* label : {Guiding.get(), Slewing.get(), Centering.get()}) {
    const bool reported = reply == std::string(1, LetterOf(*label));
    label->setFontStyle(reported, reported);
  }
}

// ---- toggle or touch ----------------------------------------------------------------------

void TSchedule::ToggleModeClick() {
  SetControlMode(1);
}
void TSchedule::TouchModeClick() {
  SetControlMode(2);
}
void TSchedule::ControlModeShapeMouseDown() {
  SetControlMode(ControlMode == 2 ? 1 : 2);
}

void TSchedule::SetSlewingSpeed(const std::string& entry) {
  Speed->setItemIndex(Speed->indexOfIgnoringCase(entry));
}

void TSchedule::SetControlMode(int mode) {
  Defocus();
  if (mode == ControlMode) return;
  // Directions started in toggle mode would keep running in touch mode, where only a held
  // button moves the mount.
  if (ControlMode == 1) {
    StopMouseDown();
    StopMouseUp();
  }
  ControlMode = mode;
  ControlModeShape->setTop(85 + 16 * mode);
}

// ---- looks --------------------------------------------------------------------------------

TSchedule::ButtonColors TSchedule::NormalButtonColors() const {
  const ui::Palette p = scheme_.palette();
  return ButtonColors{p.accent, p.labelText, p.text};
}

void TSchedule::DrawButton(ui::Label& label, ui::Shape& shape, bool inverted) {
  const ButtonColors normal = NormalButtonColors();
  shape.setBrushColor(inverted ? normal.text : normal.fill);
  shape.setPenColor(normal.pen);
  label.setFontColor(inverted ? normal.fill : normal.text);
}

void TSchedule::DrawControlButtons() {
  const std::pair<ui::Label*, ui::Shape*> directions[] = {{North.get(), NorthShape.get()},
                                                          {South.get(), SouthShape.get()},
                                                          {East.get(), EastShape.get()},
                                                          {West.get(), WestShape.get()}};
  for (const auto& [label, shape] : directions) DrawButton(*label, *shape, label->tag() != 0);
  DrawButton(*Stop, *StopShape, false);
  DrawButton(*Centering, *CenteringShape, LastSpeedMode == "C");
  DrawButton(*Slewing, *SlewingShape, LastSpeedMode == "S");
  DrawButton(*Guiding, *GuidingShape, LastSpeedMode == "G");
}

}  // namespace orvane

// The fixed layout of the schedule window: manual control at the top left, manual
// targeting below it, the observation schedule on the right.
#include "schedule/Schedule.h"
#include "ui/Backend.h"
#include "ui/FlatControls.h"

namespace orvane {

namespace {

constexpr int kWindowWidth = 740;
constexpr int kWindowHeight = 360;
constexpr int kLeftColumn = 20;
constexpr int kRightColumn = 320;
constexpr int kFieldHeight = 21;

std::unique_ptr<ui::MaskEdit> makeField(ui::Backend& b, ui::Widget* parent, const char* name,
                                        const char* mask, const char* start, int left, int top,
                                        int width) {
  auto field = std::make_unique<ui::MaskEdit>(b, parent, name);
  field->setBounds(left, top, width, kFieldHeight);
  if (mask[0] != '\0') field->setEditMask(mask);
  field->setText(start);
  return field;
}

// A caption beside a marker: one line of 16 pixels, so that the marker's 16-pixel steps
// stand beside one caption each.
std::unique_ptr<ui::Label> makeChoice(ui::Backend& b, ui::Widget* parent, const char* name,
                                      const char* caption, int top) {
  auto label = ui::MakeCaption(b, parent, name, caption, 40, top);
  label->setAutoSize(false);
  label->setVerticalCenter(true);
  label->setBounds(40, top, 110, 16);
  // Chosen with Space or Enter as well as by a click.
  label->setFlatButton(true);
  return label;
}

void makeMarker(ui::Backend& b, ui::Widget* parent, std::unique_ptr<ui::Shape>& shape,
                const char* name, int left, int top) {
  shape = std::make_unique<ui::Shape>(b, parent, name);
  shape->setShapeType(ui::ShapeType::Rectangle);
  shape->setBounds(left, top, 10, 10);
}

}  // namespace

TSchedule::TSchedule(ui::Backend& backend, ui::Form& mainWindow, ui::ColorScheme& scheme,
                     TCache& cache, Sheets& sheets, const ui::Timer& startupTimer)
    : ui::Form(backend, "Schedule"),
      mainWindow_(mainWindow),
      scheme_(scheme),
      cache_(cache),
      sheets_(sheets),
      startupTimer_(startupTimer) {
  ui::Backend& b = backend;
  setText("Manual Control");
  setBorderStyle(ui::BorderStyle::None);
  setStayOnTop(true);
  setKeyPreview(true);
  ui::Font windowFont;
  windowFont.name = "Times New Roman";
  windowFont.pointSize = 10;
  windowFont.color = ui::kWhite;
  setFont(windowFont);
  setColor(ui::kBlack);
  Frame = ui::MakeDialogFrame(*this, kWindowWidth, kWindowHeight);
  Title = ui::MakeTitle(b, this, "Manual Control", kLeftColumn, 12, 16);
  BtnExit = std::make_unique<ui::ImageButton>(b, this, "BtnExit");
  BtnExit->setBounds(kWindowWidth - 48, 12, 32, 32);
  BtnExit->onClick = [this](ui::Widget&) { BtnExitClick(); };
  BtnExit->setHint("Close (Ctrl+W)");
  BtnExit->setShowHint(true);

  BuildManualControl();
  BuildTargeting();
  BuildSchedule();

  for (ui::Widget* handle :
       std::initializer_list<ui::Widget*>{Frame.get(), Title.get(), ManualControlTitle.get(),
                                          TargetingTitle.get(), ScheduleTitle.get()}) {
    MakeDraggable(*handle);
  }
  onKeyPress = [this](ui::Widget&, char& key) { FormKeyPress(key); };
  onKeyDown = [this](ui::Widget&, int& key, ui::ShiftState shift) { FormKeyDown(key, shift); };
  RegisterStaticControls();
  DrawControlButtons();
  hide();
}

TSchedule::~TSchedule() = default;

void TSchedule::BuildManualControl() {
  ui::Backend& b = backend();
  ManualControlTitle =
      ui::MakeCaption(b, this, "ManualControlTitle", "Manual Control", kLeftColumn, 52);

  ui::MakeFlatButton(b, this, GuidingShape, Guiding, "Guiding", "Guiding", kLeftColumn, 74, 68, 22);
  ui::MakeFlatButton(b, this, CenteringShape, Centering, "Centering", "Centering", 92, 74, 78, 22);
  ui::MakeFlatButton(b, this, SlewingShape, Slewing, "Slewing", "Slewing:", 174, 74, 64, 22);
  Guiding->onClick = [this](ui::Widget&) { GuidingClick(); };
  Centering->onClick = [this](ui::Widget&) { CenteringClick(); };
  Slewing->onClick = [this](ui::Widget&) { SlewingClick(); };
  Speed = std::make_unique<ui::ComboBox>(b, this, "Speed");
  Speed->setBounds(242, 74, 58, 22);
  Speed->setItems({"1\xB0/s", "2\xB0/s", "3\xB0/s", "4\xB0/s", "5\xB0/s", "6\xB0/s"});
  Speed->setItemIndex(4);
  Speed->onChange = [this](ui::Widget&) { SpeedChange(); };

  // The marker stands at 85 + 16 x mode: beside "Toggle Mode" (1) or "Touch Mode" (2).
  ToggleModeLabel = makeChoice(b, this, "ToggleModeLabel", "Toggle Mode", 98);
  TouchModeLabel = makeChoice(b, this, "TouchModeLabel", "Touch Mode", 114);
  makeMarker(b, this, ControlModeShape, "ControlModeShape", 24, 85 + 16 * ControlMode);
  ToggleModeLabel->onClick = [this](ui::Widget&) { ToggleModeClick(); };
  TouchModeLabel->onClick = [this](ui::Widget&) { TouchModeClick(); };
  ControlModeShape->onMouseDown = [this](ui::Widget&, ui::MouseButton, ui::ShiftState, int, int) {
    ControlModeShapeMouseDown();
  };

  // The direction pad: north on top, west left, east right, south below, stop in the middle.
  constexpr int kPadLeft = 176;
  constexpr int kPadTop = 104;
  constexpr int kKey = 34;
  constexpr int kStep = 38;
  ui::MakeFlatButton(b, this, NorthShape, North, "North", "N", kPadLeft + kStep, kPadTop, kKey, 26);
  ui::MakeFlatButton(b, this, WestShape, West, "West", "W", kPadLeft, kPadTop + 30, kKey, 26);
  ui::MakeFlatButton(b, this, StopShape, Stop, "Stop", "\xB0", kPadLeft + kStep, kPadTop + 30, kKey,
                     26);
  ui::MakeFlatButton(b, this, EastShape, East, "East", "E", kPadLeft + 2 * kStep, kPadTop + 30,
                     kKey, 26);
  ui::MakeFlatButton(b, this, SouthShape, South, "South", "S", kPadLeft + kStep, kPadTop + 60, kKey,
                     26);
  auto onDown = [](std::function<void()> handler) {
    return [handler](ui::Widget&, ui::MouseButton, ui::ShiftState, int, int) { handler(); };
  };
  North->onMouseDown = onDown([this] { NorthMouseDown(); });
  South->onMouseDown = onDown([this] { SouthMouseDown(); });
  East->onMouseDown = onDown([this] { EastMouseDown(); });
  West->onMouseDown = onDown([this] { WestMouseDown(); });
  North->onMouseUp = onDown([this] { NorthMouseUp(); });
  South->onMouseUp = onDown([this] { SouthMouseUp(); });
  East->onMouseUp = onDown([this] { EastMouseUp(); });
  West->onMouseUp = onDown([this] { WestMouseUp(); });
  Stop->onMouseDown = onDown([this] { StopMouseDown(); });
  Stop->onMouseUp = onDown([this] { StopMouseUp(); });
  Stop->setHint(kStopHint);
  Stop->setShowHint(true);
}

void TSchedule::BuildTargeting() {
  ui::Backend& b = backend();
  TargetingTitle = ui::MakeCaption(b, this, "TargetingTitle", "Manual Targeting", kLeftColumn, 194);
  TargetRALabel = ui::MakeCaption(b, this, "TargetRALabel", "Target RA:", kLeftColumn, 218);
  TargetDECLabel = ui::MakeCaption(b, this, "TargetDECLabel", "Target Dec:", kLeftColumn, 242);
  TargetRA = makeField(b, this, "TargetRA", "00h 00m 00s;1;_", "00h 00m 00s", 110, 216, 104);
  TargetDEC =
      makeField(b, this, "TargetDEC", "c00\xB0 00' 00'';1;_", "+00\xB0 00' 00''", 110, 240, 104);
  TargetDEC->onChange = [this](ui::Widget&) { EditDecChange(*TargetDEC); };
  TargetDEC->onKeyPress = [this](ui::Widget&, char& key) { EditDecKeyPress(*TargetDEC, key); };
  ui::MakeFlatButton(b, this, GoShape, Go, "Go", "Go", 224, 216, 76, 45);
  Go->onClick = [this](ui::Widget&) { GoClick(); };

  // The marker stands at 253 + 16 x mode: beside "J2000.0" (1) or "Equinox of Date" (2).
  J20000Label = makeChoice(b, this, "J20000Label", "J2000.0", 266);
  EquinoxLabel = makeChoice(b, this, "EquinoxLabel", "Equinox of Date", 282);
  makeMarker(b, this, EquinoxShape, "EquinoxShape", 24, 269);
  J20000Label->onClick = [this](ui::Widget&) { J20000LabelClick(); };
  EquinoxLabel->onClick = [this](ui::Widget&) { EquinoxLabelClick(); };

  CurrentRALabel = ui::MakeCaption(b, this, "CurrentRALabel", "Right Ascension:", kLeftColumn, 308);
  CurrentDECLabel = ui::MakeCaption(b, this, "CurrentDECLabel", "Declination:", kLeftColumn, 326);
  CurrentRA = ui::MakeCaption(b, this, "CurrentRA", "", 140, 308);
  CurrentDEC = ui::MakeCaption(b, this, "CurrentDEC", "", 140, 326);
  SlewStatus = ui::MakeCaption(b, this, "SlewStatus", "", kRightColumn, 332);
}

void TSchedule::BuildSchedule() {
  ui::Backend& b = backend();
  ScheduleTitle =
      ui::MakeCaption(b, this, "ScheduleTitle", "Observation Schedule", kRightColumn, 52);
  Objects = std::make_unique<ui::StringGrid>(b, this, "Objects");
  Objects->setColCount(4);
  Objects->setFixedRows(1);
  Objects->setRowCount(2);
  Objects->setDefaultRowHeight(kScheduleRowHeight);
  const int widths[] = {66, 92, 104, 118};
  for (int col = 0; col < 4; ++col) Objects->setColWidth(col, widths[col]);
  Objects->setCell(0, 0, "Slew Time");
  Objects->setCell(1, 0, "Object Name");
  Objects->setCell(2, 0, "Right Ascension");
  Objects->setCell(3, 0, "Declination");
  Objects->setBounds(kRightColumn, 74, 404, 2 * kScheduleRowHeight + 3);
  Objects->onSelectCell = [this](ui::StringGrid&, int, int row, bool&) { ObjectsSelectCell(row); };

  constexpr int kFieldsTop = 236;
  EditTime =
      makeField(b, this, "EditTime", "!90:00:00;1;_", "00:00:00", kRightColumn, kFieldsTop, 66);
  EditName = makeField(b, this, "EditName", "", "NoName", 388, kFieldsTop, 92);
  EditName->setMaxLength(10);
  EditRA = makeField(b, this, "EditRA", "00h 00m 00s;1;_", "00h 00m 00s", 482, kFieldsTop, 104);
  EditDec = makeField(b, this, "EditDec", "c00\xB0 00' 00'';1;_", "+00\xB0 00' 00''", 588,
                      kFieldsTop, 118);
  EditDec->onChange = [this](ui::Widget&) { EditDecChange(*EditDec); };
  EditDec->onKeyPress = [this](ui::Widget&, char& key) { EditDecKeyPress(*EditDec, key); };

  ui::MakeFlatButton(b, this, AddShape, Add, "Add", "Add", kRightColumn, 266, 70);
  ui::MakeFlatButton(b, this, ReplaceShape, Replace, "Replace", "Replace", 396, 266, 80);
  ui::MakeFlatButton(b, this, RemoveShape, Remove, "Remove", "Remove", 482, 266, 80);
  ui::MakeFlatButton(b, this, InitiateShape, Initiate, "Initiate", "Inititate Slew Now", 568, 266,
                     138);
  ui::MakeFlatButton(b, this, ToggleScheduleShape, ToggleSchedule, "ToggleSchedule",
                     "Activate Schedule", kRightColumn, 298, 242);
  ui::MakeFlatButton(b, this, ClearAllShape, ClearAll, "ClearAll", "Clear All", 568, 298, 138);
  Add->onClick = [this](ui::Widget&) { AddEvent(); };
  Replace->onClick = [this](ui::Widget&) { ReplaceEvent(); };
  Remove->onClick = [this](ui::Widget&) { RemoveEvent(); };
  Initiate->onClick = [this](ui::Widget&) { InitiateClick(); };
  ToggleSchedule->onClick = [this](ui::Widget&) { ToggleScheduleClick(); };
  ClearAll->onClick = [this](ui::Widget&) { ClearAllClick(); };
}

void TSchedule::MakeDraggable(ui::Widget& widget) {
  widget.onMouseDown = [this](ui::Widget&, ui::MouseButton, ui::ShiftState, int x, int y) {
    FrameMouseDown(x, y);
  };
  widget.onMouseMove = [this](ui::Widget&, ui::MouseButton, ui::ShiftState, int x, int y) {
    FrameMouseMove(x, y);
  };
  widget.onMouseUp = [this](ui::Widget&, ui::MouseButton, ui::ShiftState, int, int) {
    FrameMouseUp();
  };
}

}  // namespace orvane

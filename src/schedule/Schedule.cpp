#include "schedule/Schedule.h"

#include <algorithm>

#include "app/FlatControls.h"
#include "app/MainForm.h"
#include "ui/Backend.h"

namespace orvane {

namespace {

constexpr int kWindowWidth = 560;
constexpr int kWindowHeight = 470;

std::unique_ptr<ui::MaskEdit> makeField(ui::Backend& b, ui::Widget* parent, const char* name,
                                        const char* mask, const char* start, int left, int top,
                                        int width) {
  auto field = std::make_unique<ui::MaskEdit>(b, parent, name);
  field->setBounds(left, top, width, 21);
  if (mask[0] != '\0') field->setEditMask(mask);
  field->setText(start);
  return field;
}

}  // namespace

TSchedule::TSchedule(AppContext& context)
    : ui::Form(context.backend, "Schedule"), context_(context) {
  ui::Backend& b = context.backend;
  setText("Manual Control");
  setBorderStyle(ui::BorderStyle::None);
  setStayOnTop(true);
  ui::Font windowFont;
  windowFont.name = "Times New Roman";
  windowFont.pointSize = 10;
  windowFont.color = ui::kWhite;
  setFont(windowFont);
  setColor(ui::kBlack);
  ui::Size screen = b.screenSize();
  setBounds((screen.width - kWindowWidth) / 2, (screen.height - kWindowHeight) / 2, kWindowWidth,
            kWindowHeight);
  setRegion(
      ui::RoundRegion{kWindowWidth + 1, kWindowHeight + 1, kWindowHeight / 8, kWindowHeight / 8});

  Frame = std::make_unique<ui::Shape>(b, this, "Frame");
  Frame->setBounds(0, 0, kWindowWidth, kWindowHeight);
  Frame->setBrushColor(9852172);
  Frame->setPenColor(ui::kWhite);
  Frame->setPenWidth(2);
  Title = MakeCaption(b, this, "Title", "Manual Control", 20, 12);
  ui::Font titleFont = windowFont;
  titleFont.pointSize = 16;
  titleFont.bold = true;
  Title->setFont(titleFont);
  Title->setText("Manual Control");
  BtnExit = std::make_unique<ui::ImageButton>(b, this, "BtnExit");
  BtnExit->setBounds(kWindowWidth - 48, 12, 32, 32);
  BtnExit->onClick = [this](ui::Widget&) { QuitClick(); };

  ManualControlTitle = MakeCaption(b, this, "ManualControlTitle", "Manual Control", 20, 52);
  SpeedLabel = MakeCaption(b, this, "SpeedLabel", "Slewing:", 20, 76);
  Speed = std::make_unique<ui::ComboBox>(b, this, "Speed");
  Speed->setBounds(100, 72, 80, 22);
  Speed->setItems({"1\xB0/s", "2\xB0/s", "3\xB0/s", "4\xB0/s", "5\xB0/s", "6\xB0/s"});
  Speed->setItemIndex(4);
  ToggleModeLabel = MakeCaption(b, this, "ToggleModeLabel", "Toggle Mode", 40, 98);
  TouchModeLabel = MakeCaption(b, this, "TouchModeLabel", "Touch Mode", 40, 114);
  ControlModeShape = std::make_unique<ui::Shape>(b, this, "ControlModeShape");
  ControlModeShape->setShapeType(ui::ShapeType::Rectangle);
  ControlModeShape->setBounds(24, 101, 10, 10);

  TargetingTitle = MakeCaption(b, this, "TargetingTitle", "Manual Targeting", 300, 52);
  CurrentRALabel = MakeCaption(b, this, "CurrentRALabel", "Right Ascension:", 300, 76);
  CurrentDECLabel = MakeCaption(b, this, "CurrentDECLabel", "Declination:", 300, 96);
  CurrentRA = MakeCaption(b, this, "CurrentRA", "", 420, 76);
  CurrentDEC = MakeCaption(b, this, "CurrentDEC", "", 420, 96);

  ScheduleTitle = MakeCaption(b, this, "ScheduleTitle", "Observation Schedule", 20, 160);
  Objects = std::make_unique<ui::StringGrid>(b, this, "Objects");
  Objects->setColCount(4);
  Objects->setFixedRows(1);
  Objects->setRowCount(2);
  Objects->setDefaultRowHeight(kScheduleRowHeight);
  const int widths[] = {80, 110, 130, 150};
  for (int col = 0; col < 4; ++col) Objects->setColWidth(col, widths[col]);
  Objects->setCell(0, 0, "Slew Time");
  Objects->setCell(1, 0, "Object Name");
  Objects->setCell(2, 0, "Right Ascension");
  Objects->setCell(3, 0, "Declination");
  Objects->setBounds(20, 184, 520, 2 * kScheduleRowHeight + 3);

  EditTime = makeField(b, this, "EditTime", "!90:00:00;1;_", "00:00:00", 20, 350, 80);
  EditName = makeField(b, this, "EditName", "", "NoName", 105, 350, 105);
  EditName->setMaxLength(10);
  EditRA = makeField(b, this, "EditRA", "00h 00m 00s;1;_", "00h 00m 00s", 215, 350, 125);
  EditDec =
      makeField(b, this, "EditDec", "c00\xB0 00' 00'';1;_", "+00\xB0 00' 00''", 345, 350, 140);
  MakeFlatButton(b, this, ToggleScheduleShape, ToggleSchedule, "ToggleSchedule",
                 "Activate Schedule", 20, 420, 160);
  MakeFlatButton(b, this, ClearAllShape, ClearAll, "ClearAll", "Clear All", 190, 420, 100);
  ToggleSchedule->onClick = [this](ui::Widget&) { ToggleScheduleClick(); };
  ClearAll->onClick = [this](ui::Widget&) { ClearAllClick(); };
  RegisterStaticControls();
  hide();
}

TSchedule::~TSchedule() = default;

void TSchedule::RegisterStaticControls() {
  TMainForm* main = context_.windows.main;
  if (main == nullptr) return;
  for (ui::Widget* w : std::initializer_list<ui::Widget*>{
           EditTime.get(), EditName.get(), EditRA.get(), EditDec.get(), Speed.get(),
           ClearAllShape.get(), ClearAll.get(), ToggleScheduleShape.get(), ToggleSchedule.get(),
           Title.get(), ManualControlTitle.get(), TargetingTitle.get(), ScheduleTitle.get()}) {
    main->appearance.registerControl(w);
  }
}

void TSchedule::ShowUp() {
  show();
  bringToFront();
}

void TSchedule::StopMouseDown() {}

void TSchedule::MarkSpeed(const std::string&) {}

void TSchedule::CheckForEvent(const std::string&) {}

void TSchedule::QuitClick() {
  hide();
  if (TMainForm* main = context_.windows.main) main->appearance.ResetPaletteIfNecessary();
}

void TSchedule::ClearAllClick() {
  setActiveControl(nullptr);
  if (TMainForm* main = context_.windows.main) main->appearance.Blink(*ClearAll);
  Objects->setRowCount(2);
  for (int col = 0; col < 4; ++col) Objects->setCell(col, 1, "");
  Objects->setHeight(kScheduleRowHeight + 3);
}

void TSchedule::ToggleScheduleClick() {
  ScheduleActive = !ScheduleActive;
  ToggleSchedule->setText(ScheduleActive ? "Deactivate Schedule" : "Activate Schedule");
}

void TSchedule::SetControlMode(int mode) {
  ControlMode = mode;
  ControlModeShape->setTop(85 + 16 * mode);
}

void TSchedule::AddScheduleRow(const std::string& time, const std::string& name,
                               const std::string& ra, const std::string& dec) {
  int row = 1;
  if (!(Objects->rowCount() == 2 && Objects->cell(0, 1).empty())) {
    Objects->setRowCount(Objects->rowCount() + 1);
    row = Objects->rowCount() - 1;
  }
  Objects->setCell(0, row, time);
  Objects->setCell(1, row, name);
  Objects->setCell(2, row, ra);
  Objects->setCell(3, row, dec);
  FitGridHeight();
}

void TSchedule::FitGridHeight() {
  Objects->setHeight(
      std::min(Objects->rowCount() * kScheduleRowHeight + 3, kScheduleMaxGridHeight));
}

void TSchedule::SetVisionMode(ui::Color frameFill, ui::Color framePen, ui::Color text,
                              ui::Color accent) {
  Frame->setBrushColor(frameFill);
  Frame->setPenColor(framePen);
  setFontColor(text);
  Objects->setColor(frameFill);
  Objects->setFixedColor(accent);
  Objects->setFont(EditName->font());
}

}  // namespace orvane

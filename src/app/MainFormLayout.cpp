// The fixed layout of the main window: frame, title, image buttons, sheet menu entry
// "Profile", the profile page on SheetPanel and the status strip.
#include "app/ButtonGlyphs.h"
#include "app/MainForm.h"
#include "ui/FlatControls.h"

namespace orvane {

namespace {

constexpr ui::Color kFrameFill = 9852172;  // the design-time fill of the frame

template <typename T>
std::unique_ptr<T> make(ui::Backend& backend, ui::Widget* parent, const char* name) {
  return std::make_unique<T>(backend, parent, name);
}

std::unique_ptr<ui::MaskEdit> makeMillisecondField(ui::Backend& backend, ui::Widget* parent,
                                                   const char* name, const char* start, int left,
                                                   int top) {
  auto field = make<ui::MaskEdit>(backend, parent, name);
  field->setBounds(left, top, 140, 21);
  field->setEditMask("!9999 mi\\l\\lise\\conds;0;0");
  field->setText(start);
  return field;
}

}  // namespace

bool TMainForm::BuildLayout() {
  ui::Backend& b = backend();
  setText("Orvane Control");
  setBorderStyle(ui::BorderStyle::None);
  setColor(ui::kBlack);
  setKeyPreview(true);
  ui::Font windowFont = font();
  windowFont.name = "Times New Roman";
  windowFont.pointSize = 10;
  windowFont.color = ui::kWhite;
  setFont(windowFont);
  setBounds(0, 0, 790, 545);

  Frame = make<ui::Shape>(b, this, "Frame");
  Frame->setBounds(0, 0, 800, 600);
  Frame->setBrushColor(kFrameFill);
  Frame->setPenColor(ui::kWhite);
  Frame->setPenWidth(2);

  Title = ui::MakeTitle(b, this, "Orvane Control", 200, 18, 24);
  Subtitle = ui::MakeCaption(b, this, "Subtitle", "Version 1.24", 204, 58);
  ui::Font subtitleFont = windowFont;
  subtitleFont.pointSize = 12;
  subtitleFont.italic = true;
  Subtitle->setFont(subtitleFont);

  BuildImageButtons();

  SheetFrame = make<ui::Shape>(b, this, "SheetFrame");
  SheetFrame->setBounds(190, 80, 560, 420);
  SheetFrame->setPenWidth(2);
  SheetPanel = make<ui::Panel>(b, this, "SheetPanel");
  SheetPanel->setBounds(200, 90, 540, 400);
  SheetPanel->setVisible(false);
  ui::Font pageFont = windowFont;
  pageFont.pointSize = 11;
  SheetPanel->setFont(pageFont);

  ProfileMenuPanel = make<ui::Panel>(b, this, "ProfileMenuPanel");
  ProfileMenuPanel->setBounds(25, 120, 0, 35);
  ProfileMenuPanel->setVisible(false);
  ProfileMenuShape = make<ui::Shape>(b, ProfileMenuPanel.get(), "ProfileMenuShape");
  ProfileMenuShape->setBounds(0, 0, 150, 35);
  ProfileMenu = make<ui::Label>(b, ProfileMenuPanel.get(), "ProfileMenu");
  ProfileMenu->setAutoSize(false);
  ProfileMenu->setTransparent(false);
  ProfileMenu->setAlignment(ui::HorizontalAlign::Center);
  ProfileMenu->setVerticalCenter(true);
  ui::Font menuFont = windowFont;
  menuFont.pointSize = 16;
  menuFont.italic = true;
  ProfileMenu->setFont(menuFont);
  ProfileMenu->setBounds(3, 3, 0, 29);
  ProfileMenu->setText("Profile");
  ProfileMenu->setTag(kProfileMenuTag);
  ProfileMenu->onClick = [this](ui::Widget& sender) { sheets.Callback(sender); };

  BuildProfilePage();
  BuildStatusStrip();

  for (ui::Widget* w :
       {static_cast<ui::Widget*>(Frame.get()), static_cast<ui::Widget*>(Title.get()),
        static_cast<ui::Widget*>(Subtitle.get()), static_cast<ui::Widget*>(SheetFrame.get()),
        static_cast<ui::Widget*>(SheetPanel.get()),
        static_cast<ui::Widget*>(StaticControlsFrame.get()),
        static_cast<ui::Widget*>(StaticControlsPanel.get())}) {
    MakeDraggable(*w);
  }
  return true;
}

void TMainForm::BuildImageButtons() {
  ui::Backend& b = backend();
  struct ButtonPicture {
    std::unique_ptr<ui::ImageButton>* button;
    std::unique_ptr<ui::ImageButton>* twin;
    const char* name;
    Glyph glyph;
    int left;
  };
  const ButtonPicture buttons[] = {
      {&NightVision, &NightVision_Ref, "NightVision", Glyph::NightVision, 30},
      {&BtnCredits, &BtnCredits_Ref, "BtnCredits", Glyph::Credits, 70},
      {&BtnBackground, &BtnBackground_Ref, "BtnBackground", Glyph::Background, 560},
      {&BtnSchedule, &BtnSchedule_Ref, "BtnSchedule", Glyph::Schedule, 600},
      {&BtnZoom, &BtnZoom_Ref, "BtnZoom", Glyph::Zoom, 640},
      {&BtnMinimize, &BtnMinimize_Ref, "BtnMinimize", Glyph::Minimize, 680},
      {&BtnExit, &BtnExit_Ref, "BtnExit", Glyph::Exit, 720},
  };
  for (const ButtonPicture& entry : buttons) {
    *entry.twin = make<ui::ImageButton>(b, this, (std::string(entry.name) + "_Ref").c_str());
    (*entry.twin)->setVisible(false);
    (*entry.twin)->setPicture(DrawGlyph(entry.glyph, 32));
    *entry.button = make<ui::ImageButton>(b, this, entry.name);
    (*entry.button)->setBounds(entry.left, 24, 32, 32);
    (*entry.button)->setVisible(false);
    (*entry.button)->setShowHint(true);
  }
  // Every button is also reached with Tab and pressed with Space or Enter; the hints name
  // the keys that work from anywhere in the window.
  NightVision->setHint("Night vision (Ctrl+N in every window)");
  BtnCredits->setHint("Credits");
  BtnBackground->setHint("Black background");
  BtnSchedule->setHint("Manual control and schedule (Ctrl+M)");
  BtnZoom->setHint("Switch the screen to 800 x 600");
  BtnMinimize->setHint("Minimise to the notification area");
  BtnExit->setHint("Exit (Ctrl+Q)");

  NightVision->onClick = [this](ui::Widget&) { appearance.VisionModeClick(); };
  BtnCredits->onClick = [this](ui::Widget&) { ShowCredits(); };
  BtnBackground->onClick = [this](ui::Widget&) { BtnBackgroundClick(); };
  BtnSchedule->onClick = [this](ui::Widget&) { BtnScheduleClick(); };
  BtnZoom->onClick = [this](ui::Widget&) { BtnZoomClick(); };
  BtnMinimize->onClick = [this](ui::Widget&) { BtnMinimizeClick(); };
  BtnExit->onMouseDown = [this](ui::Widget&, ui::MouseButton, ui::ShiftState, int, int) {
    BtnExitMouseDown();
  };
}

void TMainForm::BuildProfilePage() {
  ui::Backend& b = backend();
  ui::Widget* page = SheetPanel.get();

  ProfileFilesLabel = ui::MakeCaption(b, page, "ProfileFilesLabel", "Profile:", 20, 25);
  ProfileFiles = make<ui::ComboBox>(b, page, "ProfileFiles");
  ProfileFiles->setStyle(ui::ComboStyle::DropDown);
  ProfileFiles->setSorted(true);
  ProfileFiles->setBounds(160, 22, 260, 24);
  ProfileFiles->setTabOrder(0);
  ProfileFiles->onChange = [this](ui::Widget& sender) { profilePage.ProfileFilesChange(&sender); };

  ui::MakeFlatButton(b, page, LoadProfileShape, LoadProfile, "LoadProfile", "Load", 160, 52, 60);
  ui::MakeFlatButton(b, page, ReloadProfileShape, ReloadProfile, "ReloadProfile", "Reload", 227, 52,
                     60);
  ui::MakeFlatButton(b, page, SaveProfileShape, SaveProfile, "SaveProfile", "Save", 294, 52, 60);
  ui::MakeFlatButton(b, page, DeleteProfileShape, DeleteProfile, "DeleteProfile", "Delete", 361, 52,
                     60);
  SaveProfile->setVisible(false);
  SaveProfileShape->setVisible(false);
  LoadProfile->onClick = [this](ui::Widget&) { profilePage.LoadProfileClick(); };
  ReloadProfile->onClick = [this](ui::Widget&) { profilePage.ReloadProfileNow(); };
  DeleteProfile->onClick = [this](ui::Widget&) { profilePage.DeleteProfileClick(); };

  CurrentProfileStatus =
      ui::MakeCaption(b, page, "CurrentProfileStatus", "Status: No profile loaded", 20, 88);
  ProfileVersionLabel = ui::MakeCaption(b, page, "ProfileVersionLabel", "Written for:", 20, 114);
  ProfileVersion = ui::MakeCaption(b, page, "ProfileVersion", "Detection failed", 160, 114);

  AutoSaveModeLabel = ui::MakeCaption(b, page, "AutoSaveModeLabel", "Auto-save:", 20, 144);
  AutoSaveMode = make<ui::ComboBox>(b, page, "AutoSaveMode");
  AutoSaveMode->setBounds(160, 140, 145, 24);
  AutoSaveMode->setItems({"Auto-save on", "Auto-save off"});
  AutoSaveMode->setTabOrder(1);
  AutoSaveMode->onChange = [this](ui::Widget&) { appearance.Defocus(); };

  SerialPortLabel = ui::MakeCaption(b, page, "SerialPortLabel", "Serial port:", 20, 184);
  SerialPort = make<ui::ComboBox>(b, page, "SerialPort");
  SerialPort->setBounds(160, 180, 145, 24);
  SerialPort->setItems({"Auto-detect", "COM1", "COM2", "COM3", "COM4", "COM5", "Offline"});
  SerialPort->setTabOrder(2);
  CurrentOrvaneStatus =
      ui::MakeCaption(b, page, "CurrentOrvaneStatus", "Status: Orvane control not found", 20, 212);
  OrvaneVersionLabel = ui::MakeCaption(b, page, "OrvaneVersionLabel", "Controller:", 20, 238);
  OrvaneVersion = ui::MakeCaption(b, page, "OrvaneVersion", "Detection failed", 160, 238);

  CacheDelayLabel = ui::MakeCaption(b, page, "CacheDelayLabel", "Cache delay:", 20, 274);
  CacheDelay = makeMillisecondField(b, page, "CacheDelay", "1   ", 160, 270);
  CacheDelay->setTabOrder(3);
  TimeOutLabel = ui::MakeCaption(b, page, "TimeOutLabel", "Reply time-out:", 20, 304);
  TimeOut = makeMillisecondField(b, page, "TimeOut", "1   ", 160, 300);
  TimeOut->setTabOrder(4);
  UpdateIntervalLabel =
      ui::MakeCaption(b, page, "UpdateIntervalLabel", "Update interval:", 20, 334);
  UpdateInterval = makeMillisecondField(b, page, "UpdateInterval", "2   ", 160, 330);
  UpdateInterval->setTabOrder(5);

  ui::MakeFlatButton(b, page, SendAllShape, SendAll, "SendAll", "Send current settings", 330, 180,
                     190);
  ui::MakeFlatButton(b, page, ReceiveAllShape, ReceiveAll, "ReceiveAll", "Receive current settings",
                     330, 215, 190);
  ui::MakeFlatButton(b, page, TogglePrecisionShape, TogglePrecision, "TogglePrecision",
                     "Toggle Low Precision", 330, 250, 190);
  ui::MakeFlatButton(b, page, CompareSettingsShape, CompareSettings, "CompareSettings",
                     "Compare with controller", 330, 285, 190);

  // The last row stays inside the area a sheet's content panel covers (20 to 380 down, up to
  // 520 across), so nothing of the profile page shows around an open sheet.
  ShareLabel = ui::MakeCaption(b, page, "ShareLabel", "Planetariums:", 20, 358);
  ui::MakeFlatButton(b, page, ShareSwitchShape, ShareSwitch, "ShareSwitch", "Sharing off", 160, 354,
                     140, 24);
  ShareStatus = ui::MakeCaption(b, page, "ShareStatus", "Status: Not shared", 308, 358);
}

void TMainForm::BuildStatusStrip() {
  ui::Backend& b = backend();
  StaticControlsFrame = make<ui::Shape>(b, this, "StaticControlsFrame");
  StaticControlsFrame->setBounds(60, 512, 681, 74);
  StaticControlsFrame->setPenWidth(2);
  StaticControlsFrame->setVisible(false);
  StaticControlsPanel = make<ui::Panel>(b, this, "StaticControlsPanel");
  StaticControlsPanel->setBounds(68, 517, 665, 64);
  StaticControlsPanel->setVisible(false);
  ui::Font stripFont = font();
  stripFont.pointSize = 9;
  StaticControlsPanel->setFont(stripFont);
  ui::Widget* strip = StaticControlsPanel.get();

  // Three columns: the clocks, the position, the display.
  LocalTimeLabel = ui::MakeCaption(b, strip, "LocalTimeLabel", "Orvane Local Time:", 8, 4);
  ComputerTimeLabel = ui::MakeCaption(b, strip, "ComputerTimeLabel", "Computer Local Time:", 8, 22);
  UTCTimeLabel = ui::MakeCaption(b, strip, "UTCTimeLabel", "Computer UTC Time:", 8, 40);
  LocalTime = ui::MakeCaption(b, strip, "LocalTime", "", 145, 4);
  ComputerTime = ui::MakeCaption(b, strip, "ComputerTime", "", 145, 22);
  UTCTime = ui::MakeCaption(b, strip, "UTCTime", "", 145, 40);

  RALabel = ui::MakeCaption(b, strip, "RALabel", "Right Ascension:", 225, 4);
  DecLabel = ui::MakeCaption(b, strip, "DecLabel", "Declination:", 225, 22);
  StartimeLabel = ui::MakeCaption(b, strip, "StartimeLabel", "Startime:", 225, 40);
  RA = ui::MakeCaption(b, strip, "RA", "0", 340, 4);
  Dec = ui::MakeCaption(b, strip, "Dec", "0", 340, 22);
  Startime = ui::MakeCaption(b, strip, "Startime", "", 340, 40);

  DimDisplayLabel = ui::MakeCaption(b, strip, "DimDisplayLabel", "Brightness:", 460, 4);
  DimDisplay = make<ui::ComboBox>(b, strip, "DimDisplay");
  DimDisplay->setBounds(560, 1, 95, 22);
  DimDisplay->setItems(
      {"100   %", "  53   %", "  40   %", "  27   %", "  20   %", "  13   %", "    6.6%"});
  DimDisplay->onChange = [this](ui::Widget&) { appearance.DimDisplayChange(); };
  DimDisplay->setHint("Ctrl+Up brighter, Ctrl+Down dimmer, in every window");
  DimDisplay->setShowHint(true);
  InitialAlignLabel = ui::MakeCaption(b, strip, "InitialAlignLabel", "Initial Alignment:", 460, 40);
  InitialAlign = ui::MakeCaption(b, strip, "InitialAlign", "", 580, 40);
  InitialAlignLabel->setVisible(false);
  InitialAlign->setVisible(false);
}

}  // namespace orvane

#include "app/MainForm.h"

#include <filesystem>

#include "app/CreditsForm.h"
#include "app/DummyForm.h"
#include "app/ErrorForm.h"
#include "app/Observer.h"
#include "dialogue/AlignmentForm.h"
#include "dialogue/RestartForm.h"
#include "link/Cache.h"
#include "schedule/Schedule.h"
#include "text/NumberText.h"
#include "ui/Backend.h"

namespace orvane {

namespace {
constexpr int kStartupInterval = 10;
constexpr int kDefaultUpdateInterval = 2000;
constexpr int kTaskBarReserve = 24;
constexpr int kZoomAttempts = 26;
// Status strip value labels: clocks up to the position column, positions up to the
// brightness column; one line of the strip's font.
constexpr int kClockValueWidth = 78;
constexpr int kPositionValueWidth = 112;
constexpr int kValueHeight = 17;
}  // namespace

TMainForm::TMainForm(AppContext& context)
    : ui::Form(context.backend, "MainForm"),
      context_(context),
      StartupTimer(context.backend, kStartupInterval, false),
      UpdateTimer(context.backend, kDefaultUpdateInterval, false),
      TrayIcon(context.backend),
      layoutBuilt_(BuildLayout()),
      appearance(context.backend, *this),
      sheets(context.backend, SheetWindow{*this, *SheetPanel, *Frame, *ProfileMenu, *ProfileFiles},
             appearance, document_),
      reader(context.backend, document_,
             ProfileFields{*this, *CurrentProfileStatus, *ProfileVersion, *ProfileFiles,
                           *CacheDelay, *TimeOut, *UpdateInterval, *SerialPort, StartupTimer},
             *this, sheets, appearance),
      databases(context.backend, document_, sheets, appearance, *Frame, *CurrentProfileStatus),
      fileTransfer(context.backend, controller_, sheets, appearance, *Frame, context.programFolder,
                   FileTransferPanels),
      writer(document_,
             ProfileSettingsFields{*ProfileVersion, *SerialPort, *TimeOut, *UpdateInterval,
                                   *CacheDelay},
             sheets),
      profilePage(
          context.backend,
          ProfilePageFields{*ProfileFiles, *CurrentProfileStatus, *LoadProfile, *LoadProfileShape,
                            *ReloadProfile, *ReloadProfileShape, *SaveProfile, *SaveProfileShape,
                            *DeleteProfile, *DeleteProfileShape},
          document_, appearance, context.settings, context.programFolder, sheets, reader, writer),
      connection(context.backend, controller_,
                 ConnectionFields{*this, *SerialPort, *CurrentOrvaneStatus, *OrvaneVersion,
                                  *ProfileVersion, *InitialAlignLabel, *InitialAlign, UpdateTimer,
                                  StartupTimer},
                 appearance),
      engine(context.backend, controller_,
             EngineFields{*this, *DimDisplay, *TogglePrecision, UpdateTimer, StartupTimer},
             appearance, sheets),
      alignment(context.backend, controller_, *InitialAlign, appearance, engine,
                FileTransferPanels),
      polling(context.backend, controller_,
              PollingFields{*this, *RA, *Dec, *InitialAlign, *SerialPort, *OrvaneVersion,
                            UpdateTimer, StartupTimer},
              engine, alignment, connection, sheets),
      backups(context.programFolder, document_, sheets),
      bulk(context.backend, controller_,
           BulkFields{*CurrentOrvaneStatus, *SendAll, *ReceiveAll, UpdateTimer, StartupTimer},
           appearance, sheets, engine, connection) {
  appearance.SaveSystemColors();
  LoadedProfile.clear();

  ui::Size screen = backend().screenSize();
  StartScreenWidth = screen.width;
  StartScreenHeight = screen.height;
  if (StartScreenWidth == 800 && StartScreenHeight == 600) BtnZoom->setTag(-1);
  setTop(-1000);

  std::error_code ignored;
  if (!context_.programFolder.empty())
    std::filesystem::current_path(context_.programFolder, ignored);
  // No desktop icon list to restore on this platform.
  TransparentDesktopText = false;

  RegisterStaticControls();
  Initialize();

  TrayIcon.setHint("Orvane Control");
  TrayIcon.setIcon(BtnSchedule_Ref->picture());
  TrayIcon.onLeftClick = [this] { TrayShowMainClick(); };
  TrayIcon.menu().add(
      "Show Mainscreen", [this] { TrayShowMainClick(); }, true);
  TrayIcon.menu().add("Show Manual Control", [this] { TrayShowManualClick(); });
  TrayIcon.menu().add("Exit OrvaneControl", [this] { ExitClick(); });
  TrayIcon.setVisible(TrayIcon.available());

  UpdateInterval->onChange = [this](ui::Widget&) { UpdateIntervalChange(); };
  CacheDelay->onChange = [this](ui::Widget&) { connection.CacheDelayChange(); };
  SerialPort->onChange = [this](ui::Widget& sender) { connection.SerialPortSelect(&sender); };
  reader.compareVersions = [this] { connection.CompareVersions(); };
  connection.showProfilePage = [this] { sheets.Callback(*ProfileMenu); };
  sheets.makeDraggable = [this](ui::Widget& widget) { MakeDraggable(widget); };
  sheets.profileFilesChanged = [this] { profilePage.ProfileFilesChange(nullptr); };
  connection.setOrvaneSettings = [this] { SetOrvaneSettings(); };
  connection.showReadingsStale = [this] { polling.ShowReadingsStale(); };
  connection.onConnected = [this](bool reconnected) { bulk.ConnectionMade(reconnected); };
  bulk.SetBackups(&backups);
  sheets.executeBinding = [this](ControlBinding& binding) {
    engine.ExecuteCommand(&binding, "", true);
  };
  sheets.synchronise = [this](ControlBinding& binding) { alignment.Sync(binding); };
  sheets.createFileTransferArray = [this](const ControlLine& line) {
    fileTransfer.CreateFileTransferArray(line);
  };
  sheets.removeFileTransferPanels = [this] { fileTransfer.RemoveAll(); };
  fileTransfer.runCommand = [this](ControlBinding& binding, TransferWatch watch) {
    engine.ExecuteTransfer(binding, std::move(watch));
  };
  fileTransfer.additionalAlign = [this](FileTransferStruct& panel, ui::Button& button) {
    alignment.AdditionalAlign(panel, button);
  };
  fileTransfer.disableAdditionalAlignment = [this] { alignment.DisableAdditionalAlignment(); };
  sheets.createDatabase = [this](const ControlLine& line) { databases.CreateDatabase(line); };
  sheets.selectDatabaseEntry = [this](ui::ComboBox& list) { databases.SelectDBEntry(list); };
  sheets.removeDatabases = [this] { databases.RemoveAll(); };
  reader.addDatabaseEntry = [this](std::string_view line) { databases.AddDBEntry(line); };
  SaveProfile->onClick = [this](ui::Widget&) { profilePage.SaveProfileClick(); };
  UpdateTimer.onTimer = [this](ui::Timer&) { polling.GetOrvaneSettings(); };
  SendAll->onClick = [this](ui::Widget&) { bulk.SendAllSettings(*SendAll); };
  ReceiveAll->onClick = [this](ui::Widget&) { bulk.ReceiveAllSettings(*ReceiveAll); };
  TogglePrecision->onClick = [this](ui::Widget&) { bulk.TogglePrecisionMode(*TogglePrecision); };
  onShow = [this](ui::Widget&) { FormShow(); };
  onCloseRequest = [this](ui::Widget&) { ExitClick(); };
  onKeyDown = [this](ui::Widget&, int& key, ui::ShiftState shift) { FormKeyDown(key, shift); };
  onKeyPress = [this](ui::Widget&, char& key) { FormKeyPress(key); };
  StartupTimer.onTimer = [this](ui::Timer&) { StartUp(); };
  StartupTimer.setEnabled(true);
}

TMainForm::~TMainForm() {
  FormDestroy();
}

void TMainForm::RegisterStaticControls() {
  for (ui::Widget* w : std::initializer_list<ui::Widget*>{LoadProfile.get(),
                                                          LoadProfileShape.get(),
                                                          ReloadProfile.get(),
                                                          ReloadProfileShape.get(),
                                                          SaveProfile.get(),
                                                          SaveProfileShape.get(),
                                                          DeleteProfile.get(),
                                                          DeleteProfileShape.get(),
                                                          LocalTimeLabel.get(),
                                                          ComputerTimeLabel.get(),
                                                          UTCTimeLabel.get(),
                                                          ProfileMenuShape.get(),
                                                          ProfileMenu.get(),
                                                          ProfileMenuPanel.get(),
                                                          SheetPanel.get(),
                                                          Title.get(),
                                                          Subtitle.get(),
                                                          SendAll.get(),
                                                          SendAllShape.get(),
                                                          ReceiveAll.get(),
                                                          ReceiveAllShape.get(),
                                                          TogglePrecision.get(),
                                                          TogglePrecisionShape.get(),
                                                          CompareSettings.get(),
                                                          CompareSettingsShape.get(),
                                                          ShareSwitch.get(),
                                                          ShareSwitchShape.get(),
                                                          ProfileFiles.get(),
                                                          AutoSaveMode.get(),
                                                          SerialPort.get(),
                                                          CacheDelay.get(),
                                                          TimeOut.get(),
                                                          UpdateInterval.get()}) {
    appearance.registerControl(w);
  }
}

void TMainForm::Initialize() {
  setBounds(left(), top(), 800, 600);
  sheets.RemoveAllComponents();
  DimDisplay->setItemIndex(0);
  profilePage.RemoveInterruptedSaves();
  profilePage.ProfilesChange();
  AutoSaveMode->setItemIndex(1);
  ConnectedPort = -1;
  ControllerLevel = 1;
  // The value labels change every second: opaque and of a fixed size (to the next column),
  // so that a new text repaints that label alone and nothing of the strip around it.
  for (ui::Label* label : {LocalTime.get(), ComputerTime.get(), UTCTime.get(), Startime.get(),
                           RA.get(), Dec.get(), InitialAlign.get()}) {
    label->setTransparent(false);
    label->setAutoSize(false);
    label->setWidth(label->left() < 200   ? kClockValueWidth
                    : label->left() < 450 ? kPositionValueWidth
                                          : StaticControlsPanel->width() - label->left());
    label->setHeight(kValueHeight);
  }
}

void TMainForm::StartUp() {
  if (windows().schedule == nullptr) return;
  StartupTimer.setEnabled(false);
  if (StartupTimer.tag() == startup_phase::kBeforeStart) {
    const std::string profile = startChoices.profile.empty()
                                    ? profilePage.IdentifyLastLoadedProfile()
                                    : startChoices.profile;
    if (!reader.ReadIniFile(profile)) appearance.SetVisionMode();
    CenterOnScreen();
    show();
    repaint();
    StartupTimer.setTag(startup_phase::kStarted);
    repaint();
    RevealButtons();
  }
  if (shuttingDown()) return;
  FadeInMenus();
  if (startChoices.portEntry >= 0) SerialPort->setItemIndex(startChoices.portEntry);
  connection.SerialPortSelect(&StartupTimer);
  GrowStatusStrip();
}

void TMainForm::RevealButtons() {
  const int steps = 107 + 15 * static_cast<int>(BtnZoom->tag());
  for (int i = 1; i < steps && !shuttingDown(); ++i) {
    ui::Widget* reveal = nullptr;
    switch (i) {
      case 1:
        reveal = NightVision.get();
        break;
      case 30:
        reveal = BtnCredits.get();
        break;
      case 45:
        reveal = BtnExit.get();
        break;
      case 57:
        reveal = BtnMinimize.get();
        break;
      case 59:
        SheetPanel->show();
        break;
      case 66:
        reveal = BtnBackground.get();
        break;
      case 75:
        reveal = BtnSchedule.get();
        break;
      case 84:
        reveal = BtnZoom.get();
        break;
      default:
        break;
    }
    // Only the part that changed is painted again, so each step stays cheap.
    if (reveal != nullptr) {
      reveal->show();
      reveal->repaint();
    }
    backend().sleep(1);
    backend().processMessages();
  }
}

void TMainForm::GrowStatusStrip() {
  StaticControlsFrame->setWidth(0);
  StaticControlsPanel->setWidth(16);
  StaticControlsFrame->show();
  for (int i = 1; i <= 16; ++i) {
    int width = static_cast<int>(i * 41.5625);
    StaticControlsPanel->setWidth(width);
    StaticControlsFrame->setWidth(width + 16);
    StaticControlsFrame->repaint();
    backend().sleep(1);
  }
  StaticControlsPanel->show();
}

void TMainForm::FadeInMenus() {
  FadeInMenu(*ProfileMenuPanel, *ProfileMenu);
  bool first = true;
  for (const auto& sheet : sheets.sheets()) {
    if (!first) backend().sleep(10);
    first = false;
    FadeInMenu(*sheet->menuPanel, *sheet->menuLabel);
  }
}

void TMainForm::FadeInMenu(ui::Panel& panel, ui::Label& label) {
  panel.show();
  for (int i = 1; i <= 20; ++i) {
    panel.setWidth(static_cast<int>(i * 7.5));
    label.setWidth(panel.width() - 6);
    panel.repaint();
    backend().sleep(1);
  }
}

void TMainForm::FormShow() {
  setRegion(ui::RoundRegion{width() + 1, height() + 1, height() / 4, height() / 4});
  if (windows().dummy != nullptr) windows().dummy->show();
}

void TMainForm::CenterOnScreen() {
  ui::Size screen = backend().screenSize();
  setBounds((screen.width - width()) / 2, (screen.height - height()) / 2, width(), height());
}

void TMainForm::MakeDraggable(ui::Widget& widget) {
  widget.onMouseDown = [this](ui::Widget& sender, ui::MouseButton, ui::ShiftState, int x, int y) {
    DefocusAndMove(&sender, x, y);
  };
  widget.onMouseMove = [this](ui::Widget&, ui::MouseButton, ui::ShiftState, int x, int y) {
    MoveForm(x, y);
  };
  widget.onMouseUp = [this](ui::Widget&, ui::MouseButton, ui::ShiftState, int, int) {
    FrameMouseUp();
  };
}

void TMainForm::DefocusAndMove(ui::Widget* sender, int x, int y) {
  appearance.Defocus();
  if (sender != nullptr) {
    DragOriginX = x;
    DragOriginY = y;
    DragActive = true;
  }
}

void TMainForm::MoveForm(int x, int y) {
  if (!DragActive || DragMoving) return;
  DragMoving = true;
  setBounds(left() + x - DragOriginX, top() + y - DragOriginY, width(), height());
  if (windows().schedule != nullptr) windows().schedule->repaint();
  repaint();
  DragMoving = false;
}

void TMainForm::FrameMouseUp() {
  DragActive = false;
  keepOnScreen(kTaskBarReserve);
}

void TMainForm::FormKeyDown(int& key, ui::ShiftState shift) {
  if (shift.ctrl && !shift.alt && !shift.shift) {
    if (key == kManualControlKey) {
      key = 0;
      BtnScheduleClick();
    } else if (key == kExitKey) {
      key = 0;
      ExitClick();
    }
    return;
  }
  if (!shift.onlyAlt()) return;
  if (key == 'P' && !ProfileMenu->font().italic) {
    sheets.Callback(*ProfileMenu);
    key = 0;
    return;
  }
  for (const auto& sheet : sheets.sheets()) {
    const std::string& caption = sheet->menuLabel->text();
    if (!caption.empty() && static_cast<unsigned char>(caption[0]) == key &&
        !sheet->menuLabel->font().italic) {
      sheets.Callback(*sheet->menuLabel);
      key = 0;
      return;
    }
  }
}

void TMainForm::FormKeyPress(char& key) {
  if (key == ui::keys::kEscape && DragActive) {
    FrameMouseUp();
    return;
  }
  ui::Widget* focused = activeControl();
  // A flat or image button takes Enter itself (it is pressed like a mouse button).
  if (focused == nullptr || focused->kind() == ui::WidgetKind::Memo ||
      ui::DrawsOwnFocusMark(*focused) || focused->kind() == ui::WidgetKind::Label) {
    return;
  }
  if (key == ui::keys::kReturn) {
    key = 0;
    sheets.Callback(*focused);
    // The commit may have rebuilt or hidden the control; only move on from a live one.
    if (activeControl() != focused) {
      appearance.Defocus();
      return;
    }
    // Committed: leaving the field now does not commit it a second time.
    if (focused->kind() == ui::WidgetKind::MaskEdit) {
      static_cast<ui::MaskEdit*>(focused)->setModified(false);
    }
    if (!selectNext(focused)) appearance.Defocus();
    return;
  }
  if (focused->kind() == ui::WidgetKind::MaskEdit) {
    auto& field = static_cast<ui::MaskEdit&>(*focused);
    const std::string& mask = field.editMask();
    bool signFirst = !mask.empty() && (mask[0] == '#' || (mask.size() > 1 && mask[1] == '#'));
    if (field.selStart() == 0 && signFirst && key != '+' && key != '-') key = 0;
  }
}

void TMainForm::BtnZoomClick() {
  ui::Size screen = backend().screenSize();
  if (screen.width == 800 || screen.height == 600) {
    for (int attempt = 0; attempt < kZoomAttempts; ++attempt) {
      if (backend().setScreenDimensions(StartScreenWidth, StartScreenHeight)) break;
    }
    screen = backend().screenSize();
    if (screen.width == StartScreenWidth && screen.height == StartScreenHeight) {
      setBounds((StartScreenWidth - 800) / 2, (StartScreenHeight - 600) / 2, width(), height());
    }
  } else {
    for (int attempt = 0; attempt < kZoomAttempts; ++attempt) {
      if (backend().setScreenDimensions(800, 600)) break;
    }
    screen = backend().screenSize();
    if (screen.width == 800 && screen.height == 600) setBounds(0, 0, width(), height());
  }
  appearance.SetVisionMode();
}

void TMainForm::BtnBackgroundClick() {
  if (TDummyForm* dummy = windows().dummy) dummy->setVisible(!dummy->visible());
  if (TSchedule* schedule = windows().schedule; schedule != nullptr && schedule->visible()) {
    schedule->bringToFront();
  }
  bringToFront();
}

void TMainForm::BtnMinimizeClick() {
  // Without a notification area the window goes to the task bar instead, so that it can
  // always be brought back.
  if (TrayIcon.available()) {
    // A notification area that came after the program started gets the icon now.
    TrayIcon.setVisible(true);
    hide();
  } else {
    minimize();
  }
  if (TCache* cache = windows().cache) cache->setTop(cache->top() + 2000);
  if (TSchedule* schedule = windows().schedule) schedule->setActiveControl(nullptr);
  if (TDummyForm* dummy = windows().dummy) dummy->hide();
  appearance.ResetPaletteIfNecessary();
}

void TMainForm::BtnExitMouseDown() {
  ExitClick();
}

void TMainForm::BtnScheduleClick() {
  if (TSchedule* schedule = windows().schedule) schedule->ShowUp();
}

void TMainForm::ShowCredits() {
  if (TCreditsForm* credits = windows().credits) credits->showModal();
}

void TMainForm::ExitClick() {
  if (TDummyForm* dummy = windows().dummy) dummy->show();
  repaint();
  minimize();
  backend().terminate();
}

void TMainForm::TrayShowMainClick() {
  restore();
  show();
  bringToFront();
  appearance.SetVisionMode();
}

void TMainForm::TrayShowManualClick() {
  appearance.SetVisionMode();
  BtnScheduleClick();
}

void TMainForm::SetOrvaneSettings() {
  const int chosen = DimDisplay->itemIndex();
  bulk.SetOrvaneSettings();
  if (!appearance.brightnessRemembered() || shuttingDown()) return;
  if (DimDisplay->itemIndex() != chosen && chosen >= 0) {
    DimDisplay->setItemIndex(chosen);
    appearance.DimDisplayChange();
  }
}

void TMainForm::FormDestroy() {
  if (destroyed_) return;
  destroyed_ = true;
  appearance.RememberScheme();
  StartupTimer.setTag(startup_phase::kShuttingDown);
  StartupTimer.setEnabled(false);
  UpdateTimer.setEnabled(false);
  profilePage.SaveLoadedProfileToRegistry();
  if (AutoSaveMode->itemIndex() == 0 && !LoadedProfile.empty()) profilePage.AutoSaveAtExit();
  sheets.RemoveAllComponents();
  appearance.ResetPalette();
}

void TMainForm::UpdateIntervalChange() {
  UpdateTimer.setInterval(MillisecondsOfField(UpdateInterval->text()));
}

void TMainForm::AttachWindows(const LaterWindows& later) {
  // The polls keep to the beat of the clocks' tick: the program wakes once a second for
  // both instead of twice, and the position shows in the same repaint as the clocks.
  UpdateTimer.setPrecise(true);
  UpdateTimer.setBeat(later.cache != nullptr ? &later.cache->Timer : nullptr);
  sheets.SetCache(later.cache);
  sheets.SetRangeErrors(later.error);
  connection.SetCache(later.cache);
  connection.SetRestartPrompt(later.restart);
  engine.SetCache(later.cache);
  engine.SetRestartPrompt(later.restart);
  engine.SetRangeErrors(later.error);
  engine.SetSchedule(later.schedule);
  alignment.SetCache(later.cache);
  alignment.SetRestartForm(later.restart);
  alignment.SetAlignmentForm(later.alignment);
  alignment.SetSchedule(later.schedule);
  polling.SetObserver(later.observer);
  polling.SetRestartForm(later.restart);
  polling.SetAlignmentForm(later.alignment);
  polling.SetSchedule(later.schedule);
  bulk.SetCache(later.cache);
  bulk.SetTrace(later.trace);
  reader.SetSchedule(later.schedule);
  writer.SetCache(later.cache);
  scheduleSettings_.SetSchedule(later.schedule);
  writer.SetSchedule(scheduleSettings_.available() ? &scheduleSettings_ : nullptr);
}

}  // namespace orvane

// TMainForm: the borderless main window. It holds the fixed layout (frame, title, image
// buttons, sheet menu, profile page, status strip), runs start-up with its reveal
// animation, dragging, keyboard shortcuts, zoom, backdrop, minimise to the notification
// area and shutdown, and owns the profile-built sheets through its collaborators: the
// appearance, the profile reader, the sheets and the profile page.
// Created first of the ten windows by the Application.
// Thread: user-interface thread only.
// Layer: app/, the top; it may use every folder below and wires them together.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/Appearance.h"
#include "app/ScheduleSettings.h"
#include "app/Windows.h"
#include "dialogue/Alignment.h"
#include "dialogue/BulkSettings.h"
#include "dialogue/CommandEngine.h"
#include "dialogue/CommandText.h"
#include "dialogue/StatusPolling.h"
#include "link/Connection.h"
#include "link/ControllerState.h"
#include "link/ProgramPhase.h"
#include "persistence/Database.h"
#include "persistence/ProfilePage.h"
#include "persistence/ProfileWriter.h"
#include "persistence/SettingsBackups.h"
#include "profile/ProfileDocument.h"
#include "profile/ProfileReader.h"
#include "sheets/Sheets.h"
#include "transfer/FileTransfer.h"
#include "transfer/FileTransferStruct.h"
#include "ui/Controls.h"
#include "ui/Edits.h"
#include "ui/Form.h"
#include "ui/Timer.h"
#include "ui/TrayIcon.h"

namespace orvane {

// Menu tag of the "Profile" entry of the sheet menu.
constexpr int kProfileMenuTag = -256;
// Keys held with Ctrl. Night vision and the brightness steps act in every window of the
// program (the application makes them so); manual control and exit in the main window.
constexpr int kNightVisionKey = 'N';
constexpr int kManualControlKey = 'M';
constexpr int kExitKey = 'Q';
constexpr int kBrighterKey = ui::keys::kUp;
constexpr int kDimmerKey = ui::keys::kDown;

class TMainForm : public ui::Form, public ProfileHost {
 private:
  // First, so that the layout (built before the collaborators below) can reach the backend.
  AppContext& context_;

 public:
  explicit TMainForm(AppContext& context);
  ~TMainForm() override;

  AppContext& context() { return context_; }
  ui::Backend& backend() { return context_.backend; }
  Windows& windows() { return context_.windows; }

  // ---- fixed layout ----
  std::unique_ptr<ui::Shape> Frame;
  std::unique_ptr<ui::Label> Title;
  std::unique_ptr<ui::Label> Subtitle;
  std::unique_ptr<ui::ImageButton> NightVision, BtnMinimize, BtnExit, BtnSchedule, BtnZoom,
      BtnBackground, BtnCredits;
  // Hidden twins holding the untinted pictures.
  std::unique_ptr<ui::ImageButton> NightVision_Ref, BtnMinimize_Ref, BtnExit_Ref, BtnSchedule_Ref,
      BtnZoom_Ref, BtnBackground_Ref, BtnCredits_Ref;
  std::unique_ptr<ui::Shape> SheetFrame;
  std::unique_ptr<ui::Panel> SheetPanel;
  std::unique_ptr<ui::Panel> ProfileMenuPanel;
  std::unique_ptr<ui::Shape> ProfileMenuShape;
  std::unique_ptr<ui::Label> ProfileMenu;

  // Profile page (on SheetPanel).
  std::unique_ptr<ui::Label> ProfileFilesLabel;
  std::unique_ptr<ui::ComboBox> ProfileFiles;
  std::unique_ptr<ui::Shape> LoadProfileShape, ReloadProfileShape, SaveProfileShape,
      DeleteProfileShape;
  std::unique_ptr<ui::Label> LoadProfile, ReloadProfile, SaveProfile, DeleteProfile;
  std::unique_ptr<ui::Label> CurrentProfileStatus;
  std::unique_ptr<ui::Label> ProfileVersionLabel;
  std::unique_ptr<ui::Label> ProfileVersion;
  std::unique_ptr<ui::Label> AutoSaveModeLabel;
  std::unique_ptr<ui::ComboBox> AutoSaveMode;
  std::unique_ptr<ui::Label> SerialPortLabel;
  std::unique_ptr<ui::ComboBox> SerialPort;
  std::unique_ptr<ui::Label> CurrentOrvaneStatus;
  std::unique_ptr<ui::Label> OrvaneVersionLabel;
  std::unique_ptr<ui::Label> OrvaneVersion;
  std::unique_ptr<ui::Label> CacheDelayLabel, TimeOutLabel, UpdateIntervalLabel;
  std::unique_ptr<ui::MaskEdit> CacheDelay, TimeOut, UpdateInterval;
  std::unique_ptr<ui::Shape> SendAllShape, ReceiveAllShape, TogglePrecisionShape;
  std::unique_ptr<ui::Label> SendAll, ReceiveAll, TogglePrecision;
  // Opens the comparison of the sheets with the controller.
  std::unique_ptr<ui::Shape> CompareSettingsShape;
  std::unique_ptr<ui::Label> CompareSettings;
  // Sharing the mount with planetarium programs: the switch and its status line.
  std::unique_ptr<ui::Label> ShareLabel;
  std::unique_ptr<ui::Shape> ShareSwitchShape;
  std::unique_ptr<ui::Label> ShareSwitch, ShareStatus;

  // Status strip.
  std::unique_ptr<ui::Shape> StaticControlsFrame;
  std::unique_ptr<ui::Panel> StaticControlsPanel;
  std::unique_ptr<ui::Label> LocalTimeLabel, ComputerTimeLabel, UTCTimeLabel, RALabel, DecLabel,
      StartimeLabel, DimDisplayLabel, InitialAlignLabel;
  std::unique_ptr<ui::Label> LocalTime, ComputerTime, UTCTime, RA, Dec, Startime, InitialAlign;
  std::unique_ptr<ui::ComboBox> DimDisplay;

  ui::Timer StartupTimer;
  ui::Timer UpdateTimer;
  ui::TrayIcon TrayIcon;

  // ---- state ----
 private:
  ControllerState controller_;
  ProfileDocument document_;
  // The fixed layout is built here, before the collaborators that are handed its widgets.
  bool layoutBuilt_;

 public:
  ControllerState& controllerState() { return controller_; }
  ProfileDocument& profileDocument() { return document_; }
  // Every stored line of the loaded profile.
  std::vector<std::string>& Profile = document_.Profile;
  std::string& LoadedProfile = document_.LoadedProfile;
  bool& ProfileLoading = document_.ProfileLoading;
  int StartScreenWidth = 0;
  int StartScreenHeight = 0;
  bool DragActive = false;
  bool DragMoving = false;
  int DragOriginX = 0;
  int DragOriginY = 0;
  bool TransparentDesktopText = false;
  int& ConnectedPort = controller_.ConnectedPort;
  int& ControllerLevel = controller_.ControllerLevel;
  bool& AlignmentPrompt = controller_.AlignmentPrompt;
  bool& PreviousStatusBit4 = controller_.PreviousStatusBit4;
  bool& CommandBusy = controller_.CommandBusy;
  bool& HighPrecision = controller_.HighPrecision;
  TimeOffset& ClockOffset = controller_.ClockOffset;
  bool& ClockOffsetKnown = controller_.ClockOffsetKnown;
  // The file transfer panels of the loaded profile, in creation order.
  std::vector<std::unique_ptr<FileTransferStruct>> FileTransferPanels;

  // ---- collaborators ----
  Appearance appearance;
  Sheets sheets;
  ProfileReader reader;
  ObjectDatabases databases;
  FileTransfer fileTransfer;
  ProfileWriter writer;
  ProfilePage profilePage;
  Connection connection;
  CommandEngine engine;
  Alignment alignment;
  StatusPolling polling;
  SettingsBackups backups;
  BulkSettings bulk;

  // Chosen on the command line for this run: the profile to open instead of the remembered
  // one, and the port selector's entry to connect with instead of the profile's port (-1:
  // the profile's).
  struct StartChoices {
    std::string profile;
    int portEntry = -1;
  } startChoices;

  // Hands the windows created after this one to the collaborators that reach them (null
  // while a window does not exist).
  struct LaterWindows {
    TCache* cache = nullptr;
    TObserver* observer = nullptr;
    TRestartForm* restart = nullptr;
    TErrorForm* error = nullptr;
    TAlignmentForm* alignment = nullptr;
    TSchedule* schedule = nullptr;
    TTraceForm* trace = nullptr;
  };
  void AttachWindows(const LaterWindows& later);

  // ---- behaviour ----
  void StartUp();
  void FadeInMenus() override;
  void ProfileFilesChanged() override { profilePage.ProfileFilesChange(nullptr); }
  void FadeInMenu(ui::Panel& panel, ui::Label& label);
  void FormShow();
  void DefocusAndMove(ui::Widget* sender, int x, int y);
  void MoveForm(int x, int y);
  void FrameMouseUp();
  void FormKeyDown(int& key, ui::ShiftState shift);
  void FormKeyPress(char& key);
  void BtnZoomClick();
  void BtnBackgroundClick();
  void BtnMinimizeClick();
  void BtnExitMouseDown();
  void BtnScheduleClick();
  void ShowCredits();
  void ExitClick();
  void TrayShowMainClick();
  void TrayShowManualClick();
  // After a controller has been detected: its settings are read (brightness among them);
  // a brightness the observer chose before (remembered from the last run) wins over the
  // controller's and is sent to it, so that finding the controller does not light the
  // screen up.
  void SetOrvaneSettings();
  void FormDestroy();
  void UpdateIntervalChange();
  // Centres the window on the desktop.
  void CenterOnScreen() override;
  // Hooks every drag handler of the window frame onto a widget (content panels too).
  void MakeDraggable(ui::Widget& widget);
  // The index of the last profile line beginning with prefix, or fallback.
  int FindInProfile(std::string_view prefix, int fallback) const {
    return document_.FindInProfile(prefix, fallback);
  }
  // Whether shutdown has begun (waiting loops give up).
  bool shuttingDown() const { return ShuttingDown(StartupTimer); }

 private:
  // Builds the layout; true, for the member that runs it.
  bool BuildLayout();
  void BuildProfilePage();
  void BuildStatusStrip();
  void BuildImageButtons();
  void RegisterStaticControls();
  void Initialize();
  void RevealButtons();
  void GrowStatusStrip();

  bool destroyed_ = false;
  ScheduleSettingsOfWindow scheduleSettings_;
};

}  // namespace orvane

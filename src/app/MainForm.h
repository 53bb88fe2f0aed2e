// TMainForm: the borderless main window. It holds the fixed layout (frame, title, image
// buttons, sheet menu, profile page, status strip), runs start-up with its reveal
// animation, dragging, keyboard shortcuts, zoom, backdrop, minimise to the notification
// area and shutdown, and owns the profile-built sheets through its collaborators: the
// appearance, the profile reader, the sheets and the profile page.
// Created first of the ten windows by the Application.
// Thread: user-interface thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/Appearance.h"
#include "app/Windows.h"
#include "dialogue/Alignment.h"
#include "dialogue/BulkSettings.h"
#include "dialogue/CommandEngine.h"
#include "dialogue/CommandText.h"
#include "dialogue/StatusPolling.h"
#include "link/Connection.h"
#include "persistence/ProfilePage.h"
#include "profile/ProfileReader.h"
#include "sheets/Sheets.h"
#include "transfer/FileTransferStruct.h"
#include "ui/Controls.h"
#include "ui/Edits.h"
#include "ui/Form.h"
#include "ui/Timer.h"
#include "ui/TrayIcon.h"

namespace orvane {

// Start-up phase marker kept in the tag of the start-up timer.
namespace startup_phase {
constexpr int kBeforeStart = 0;
constexpr int kStarted = 1;
constexpr int kShuttingDown = -1;
}  // namespace startup_phase

// Menu tag of the "Profile" entry of the sheet menu.
constexpr int kProfileMenuTag = -256;

class TMainForm : public ui::Form {
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
  std::vector<std::string> Profile;  // every stored line of the loaded profile
  std::string LoadedProfile;
  bool ProfileLoading = false;
  int StartScreenWidth = 0;
  int StartScreenHeight = 0;
  bool DragActive = false;
  bool DragMoving = false;
  int DragOriginX = 0;
  int DragOriginY = 0;
  bool TransparentDesktopText = false;
  int ConnectedPort = -1;
  int ControllerLevel = 1;
  // The alignment dialog may open: set by detection for controllers of level 2 and up and
  // after a restart.
  bool AlignmentPrompt = false;
  // Status bit 4 at the last alignment check.
  bool PreviousStatusBit4 = false;
  // A command of the engine is running (one at a time).
  bool CommandBusy = false;
  // The controller answers positions in high precision.
  bool HighPrecision = false;
  // The controller's clock minus the computer's, known after the first clock read.
  TimeOffset ClockOffset;
  bool ClockOffsetKnown = false;
  // The file transfer panels of the loaded profile, in creation order.
  std::vector<std::unique_ptr<FileTransferStruct>> FileTransferPanels;

  // ---- collaborators ----
  Appearance appearance;
  Sheets sheets;
  ProfileReader reader;
  ProfilePage profilePage;
  Connection connection;
  CommandEngine engine;
  StatusPolling polling;
  BulkSettings bulk;
  Alignment alignment;

  // Saving the settings into the loaded profile at exit, when installed.
  std::function<void()> saveProfileClick;

  // ---- behaviour ----
  void StartUp();
  void FadeInMenus();
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
  void FormDestroy();
  void UpdateIntervalChange();
  // Centres the window on the desktop.
  void CenterOnScreen();
  // Hooks every drag handler of the window frame onto a widget (content panels too).
  void MakeDraggable(ui::Widget& widget);
  // The index of the last profile line beginning with prefix, or fallback.
  int FindInProfile(std::string_view prefix, int fallback) const;
  // Whether shutdown has begun (waiting loops give up).
  bool shuttingDown() const { return StartupTimer.tag() == startup_phase::kShuttingDown; }

 private:
  void BuildLayout();
  void BuildProfilePage();
  void BuildStatusStrip();
  void BuildImageButtons();
  void RegisterStaticControls();
  void Initialize();
  void RevealButtons();
  void GrowStatusStrip();

  AppContext& context_;
  bool destroyed_ = false;
};

}  // namespace orvane

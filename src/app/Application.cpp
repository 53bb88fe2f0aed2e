#include "app/Application.h"

#include "app/CompareForm.h"
#include "app/CreditsForm.h"
#include "app/DummyForm.h"
#include "app/ErrorForm.h"
#include "app/MainForm.h"
#include "app/Observer.h"
#include "dialogue/AlignmentForm.h"
#include "dialogue/RestartForm.h"
#include "link/Cache.h"
#include "link/TraceForm.h"
#include "persistence/SettingsStore.h"
#include "schedule/Schedule.h"
#include "share/AlpacaServer.h"
#include "share/ShareServer.h"
#include "ui/Backend.h"
#include "ui/FocusKeeper.h"

namespace orvane {

Application::Application(ui::Backend& backend, SettingsStore& settings,
                         SerialDeviceFactory& devices, std::filesystem::path programFolder)
    : context_{backend, windows_, settings, devices, std::move(programFolder), 0} {}

Application::~Application() {
  Shutdown();
}

void Application::CreateWindows() {
  ui::Backend& backend = context_.backend;
  main_ = std::make_unique<TMainForm>(context_);
  windows_.main = main_.get();
  TMainForm& m = *main_;
  trace_ = std::make_unique<TTraceForm>(backend);
  windows_.trace = trace_.get();
  cache_ = std::make_unique<TCache>(
      backend, context_.devices, context_.applicationTag, m.controllerState(),
      CacheFields{*m.TimeOut, *m.CacheDelay, *m.UTCTime, *m.ComputerTime, *m.LocalTime, *m.Startime,
                  *m.RA, *m.Dec},
      m.sheets);
  windows_.cache = cache_.get();
  cache_->onLinkLost = [this] { main_->connection.LinkLost(); };
  cache_->onSettingWritten = [this](const std::string& command) {
    main_->sheets.SettingWritten(command);
  };
  AttachWindows();
  observer_ = std::make_unique<TObserver>(context_);
  windows_.observer = observer_.get();
  AttachWindows();
  restart_ = std::make_unique<TRestartForm>(backend, m.controllerState(), m.appearance,
                                            m.StartupTimer, *cache_);
  restart_->exitProgram = [this] { main_->ExitClick(); };
  windows_.restart = restart_.get();
  AttachWindows();
  error_ = std::make_unique<TErrorForm>(context_);
  windows_.error = error_.get();
  AttachWindows();
  dummy_ = std::make_unique<TDummyForm>(context_);
  windows_.dummy = dummy_.get();
  alignment_ =
      std::make_unique<TAlignmentForm>(backend, m.controllerState(), m.appearance, *cache_);
  alignment_->exitProgram = [this] { main_->ExitClick(); };
  windows_.alignment = alignment_.get();
  AttachWindows();
  credits_ = std::make_unique<TCreditsForm>(context_);
  windows_.credits = credits_.get();
  schedule_ =
      std::make_unique<TSchedule>(backend, m, m.appearance, *cache_, m.sheets, m.StartupTimer);
  windows_.schedule = schedule_.get();
  schedule_->disableAdditionalAlignment = [this] { main_->alignment.DisableAdditionalAlignment(); };
  AttachWindows();
  compare_ = std::make_unique<TCompareForm>(backend, m.appearance, m.bulk, m.backups, m.sheets);
  windows_.compare = compare_.get();
  m.CompareSettings->onClick = [this](ui::Widget&) { compare_->Open(); };
  // One key stops the mount from every window, as the stop button of manual control does;
  // the focus stays where it was.
  backend.setGlobalKey(kStopKey, [this] {
    ui::FocusKeeper keep(*schedule_);
    schedule_->StopMouseDown();
    schedule_->StopMouseUp();
  });
  // Night vision and the brightness steps work in every window too, a dialog that opens at
  // start-up included.
  const ui::ShiftState ctrl{false, false, true};
  backend.setGlobalKey(
      kNightVisionKey, [this] { main_->appearance.VisionModeClick(); }, ctrl);
  backend.setGlobalKey(
      kBrighterKey, [this] { main_->appearance.StepBrightness(-1); }, ctrl);
  backend.setGlobalKey(
      kDimmerKey, [this] { main_->appearance.StepBrightness(1); }, ctrl);
  // The dark start: the scheme and brightness chosen last are in force before any window
  // of the program shows.
  m.appearance.ApplyRememberedScheme(context_.settings, nightStart_);
  CreateShareServer();
  main_->bringToFront();
}

void Application::CreateShareServer() {
  TMainForm& m = *main_;
  share_ = std::make_unique<ShareServer>(context_.backend, *cache_, m.controllerState(),
                                         context_.settings, *trace_, m.appearance, m.UpdateTimer,
                                         ShareFields{*m.ShareSwitch, *m.ShareStatus});
  share_->onClientSlew = [this] { main_->alignment.DisableAdditionalAlignment(); };
  CreateAlpacaServer();
  share_->StartFromSettings();
}

void Application::CreateAlpacaServer() {
  TMainForm& m = *main_;
  alpaca_ = std::make_unique<AlpacaServer>(context_.backend, *cache_, m.controllerState(),
                                           m.UpdateTimer, context_.settings, *trace_);
  // A client's stop is the program's stop button; the user's focus stays where it was.
  alpaca_->telescope().stopMount = [this] {
    ui::FocusKeeper keep(*schedule_);
    schedule_->StopMouseDown();
    schedule_->StopMouseUp();
  };
  alpaca_->telescope().slewSent = [this] { main_->alignment.DisableAdditionalAlignment(); };
  m.polling.onPositionRead = [this] {
    share_->PositionRead();
    alpaca_->telescope().PositionRead();
  };
  share_->AddService(*alpaca_);
}

void Application::AttachWindows() {
  if (main_) {
    main_->AttachWindows(TMainForm::LaterWindows{cache_.get(), observer_.get(), restart_.get(),
                                                 error_.get(), alignment_.get(), schedule_.get(),
                                                 trace_.get()});
  }
  if (cache_) cache_->SetTickListener(schedule_.get());
}

void Application::Run() {
  context_.backend.run();
  Shutdown();
}

void Application::Shutdown() {
  context_.backend.setGlobalKey(0, nullptr);
  // No client waits on a program that is going.
  if (main_) main_->polling.onPositionRead = nullptr;
  share_.reset();
  alpaca_.reset();
  if (main_) main_->FormDestroy();
  if (main_) main_->CompareSettings->onClick = nullptr;
  windows_.compare = nullptr;
  compare_.reset();
  // Windows go in reverse order of creation; each is handed out of the others first so that
  // no window reaches one that is already gone.
  windows_.schedule = nullptr;
  release(schedule_);
  windows_.credits = nullptr;
  credits_.reset();
  windows_.alignment = nullptr;
  release(alignment_);
  windows_.dummy = nullptr;
  dummy_.reset();
  windows_.error = nullptr;
  release(error_);
  windows_.restart = nullptr;
  release(restart_);
  windows_.observer = nullptr;
  release(observer_);
  windows_.cache = nullptr;
  release(cache_);
  windows_.trace = nullptr;
  release(trace_);
  windows_.main = nullptr;
  main_.reset();
}

}  // namespace orvane

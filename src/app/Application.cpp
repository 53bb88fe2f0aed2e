#include "app/Application.h"

#include "app/CreditsForm.h"
#include "app/DummyForm.h"
#include "app/ErrorForm.h"
#include "app/MainForm.h"
#include "app/Observer.h"
#include "dialogue/AlignmentForm.h"
#include "dialogue/RestartForm.h"
#include "link/Cache.h"
#include "link/TraceForm.h"
#include "schedule/Schedule.h"
#include "ui/Backend.h"

namespace orvane {

Application::Application(ui::Backend& backend, SettingsStore& settings,
                         SerialDeviceFactory& devices, std::filesystem::path programFolder)
    : context_{backend, windows_, settings, devices, std::move(programFolder), 0} {}

Application::~Application() {
  Shutdown();
}

void Application::CreateWindows() {
  main_ = std::make_unique<TMainForm>(context_);
  windows_.main = main_.get();
  trace_ = std::make_unique<TTraceForm>(context_);
  windows_.trace = trace_.get();
  cache_ = std::make_unique<TCache>(context_);
  windows_.cache = cache_.get();
  cache_->onLinkLost = [this] { main_->connection.LinkLost(); };
  observer_ = std::make_unique<TObserver>(context_);
  windows_.observer = observer_.get();
  restart_ = std::make_unique<TRestartForm>(context_);
  windows_.restart = restart_.get();
  error_ = std::make_unique<TErrorForm>(context_);
  windows_.error = error_.get();
  dummy_ = std::make_unique<TDummyForm>(context_);
  windows_.dummy = dummy_.get();
  alignment_ = std::make_unique<TAlignmentForm>(context_);
  windows_.alignment = alignment_.get();
  credits_ = std::make_unique<TCreditsForm>(context_);
  windows_.credits = credits_.get();
  schedule_ = std::make_unique<TSchedule>(context_);
  windows_.schedule = schedule_.get();
  schedule_->disableAdditionalAlignment = [this] { main_->alignment.DisableAdditionalAlignment(); };
  main_->bringToFront();
}

void Application::Run() {
  context_.backend.run();
  Shutdown();
}

void Application::Shutdown() {
  if (main_) main_->FormDestroy();
  // Windows go in reverse order of creation; each pointer is cleared first so that no
  // window reaches one that is already gone.
  windows_.schedule = nullptr;
  schedule_.reset();
  windows_.credits = nullptr;
  credits_.reset();
  windows_.alignment = nullptr;
  alignment_.reset();
  windows_.dummy = nullptr;
  dummy_.reset();
  windows_.error = nullptr;
  error_.reset();
  windows_.restart = nullptr;
  restart_.reset();
  windows_.observer = nullptr;
  observer_.reset();
  windows_.cache = nullptr;
  cache_.reset();
  windows_.trace = nullptr;
  trace_.reset();
  windows_.main = nullptr;
  main_.reset();
}

}  // namespace orvane

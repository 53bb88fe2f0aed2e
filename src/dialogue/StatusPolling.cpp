#include "dialogue/StatusPolling.h"

#include "app/MainForm.h"
#include "app/Observer.h"
#include "dialogue/AlignmentForm.h"
#include "dialogue/CommandText.h"
#include "dialogue/RestartForm.h"
#include "schedule/Schedule.h"

namespace orvane {

namespace {

constexpr int kTicksPerRound = 10;
constexpr int kSlowReadTick = 2;
constexpr int kOfflineEntry = 6;

}  // namespace

StatusPolling::StatusPolling(TMainForm& main) : main_(main) {}

void StatusPolling::GetOrvaneSettings() {
  TMainForm& m = main_;
  if (depth_ > 0) {
    // A tick of the dialog ticker inside a running tick. While that one waits on a dialog
    // it opened (alignment or restart), one nested tick keeps the strip current and its
    // status read closes the dialog once the controller is aligned or running again. Any
    // other nesting (inside a reply wait) is dropped: it would nest without bound while
    // the controller stays silent.
    const bool dialogOpen =
        (m.windows().alignment != nullptr && m.windows().alignment->visible()) ||
        (m.windows().restart != nullptr && m.windows().restart->visible());
    if (depth_ > 1 || !dialogOpen) return;
  }
  struct Depth {
    int& depth;
    explicit Depth(int& d) : depth(++d) {}
    ~Depth() { --depth; }
  } inTick(depth_);
  // A timer does not tick again inside its own handler, so a second one stands in for the
  // polling timer while this tick waits on a dialog.
  if (depth_ == 1) {
    if (!dialogTicker_) {
      dialogTicker_ = std::make_unique<ui::Timer>(m.backend(), m.UpdateTimer.interval(), false);
      dialogTicker_->onTimer = [this](ui::Timer&) { GetOrvaneSettings(); };
    }
    dialogTicker_->setInterval(m.UpdateTimer.interval());
    dialogTicker_->start();
  }
  struct StopTicker {
    ui::Timer* ticker;
    ~StopTicker() {
      if (ticker != nullptr) ticker->stop();
    }
  } stopTicker{depth_ == 1 ? dialogTicker_.get() : nullptr};
  m.UpdateTimer.setTag((m.UpdateTimer.tag() + 1) % kTicksPerRound);
  m.alignment.DoCheckInitialAlignment();
  if (m.backend().terminated()) return;

  std::string ra = m.shuttingDown() ? std::string() : m.engine.ExecuteCommand(":GR");
  if (!ra.empty()) {
    std::optional<std::string> shown = FormatRightAscension(ra, m.HighPrecision);
    if (shown) {
      showRightAscension(*shown);
    } else {
      reportSwappedCable();
      showRightAscension("");
    }
  } else {
    if (TRestartForm* restart = m.windows().restart) restart->TryRestart();
  }
  if (m.backend().terminated()) return;

  if (TObserver* observer = m.windows().observer) observer->setVisible(!m.visible());

  const std::string dec = m.shuttingDown() ? std::string() : m.engine.ExecuteCommand(":GD");
  if (!dec.empty()) {
    const std::string shown = FormatDeclination(dec, m.HighPrecision);
    m.Dec->setText(shown + "''");
    if (TSchedule* schedule = m.windows().schedule) schedule->CurrentDEC->setText(shown + "''");
    if (TObserver* observer = m.windows().observer) observer->DEC->setText(shown);
  }

  m.engine.ExecuteCommand(":Gv");

  if (m.UpdateTimer.tag() == kSlowReadTick && !m.shuttingDown()) {
    m.engine.ExecuteCommand(":GB");
    // A field the user is typing in is not overwritten. The ":GL" read updates the clock
    // offset itself.
    ControlBinding* local = m.sheets.LocalTimeBinding;
    if (local != nullptr && !local->control->focused()) m.engine.ExecuteCommand(local, "", true);
    ControlBinding* date = m.sheets.DateBinding;
    if (date != nullptr && !date->control->focused()) m.engine.ExecuteCommand(date, "", true);
  }
}

void StatusPolling::showRightAscension(const std::string& text) {
  TMainForm& m = main_;
  m.RA->setText(text);
  if (TSchedule* schedule = m.windows().schedule) schedule->CurrentRA->setText(text);
  if (TObserver* observer = m.windows().observer) observer->RA->setText(text);
}

void StatusPolling::reportSwappedCable() {
  TMainForm& m = main_;
  m.UpdateTimer.stop();
  m.ConnectedPort = 0;
  m.SerialPort->setItemIndex(kOfflineEntry);
  m.connection.SerialPortSelect(&m.UpdateTimer);
  m.OrvaneVersion->setText("Detection failed");
  m.backend().messageBox("You have probably switched the serial and the handcontroller cable !",
                         "Connection error", ui::MessageButtons::Ok);
}

void StatusPolling::CalculateTimeDifference(const std::string& controllerTime,
                                            const std::string& computerTime) {
  std::optional<TimeOffset> offset = orvane::CalculateTimeDifference(controllerTime, computerTime);
  if (!offset) return;
  main_.ClockOffset = *offset;
  main_.ClockOffsetKnown = true;
}

}  // namespace orvane

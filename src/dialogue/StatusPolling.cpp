#include "dialogue/StatusPolling.h"

#include "dialogue/Alignment.h"
#include "dialogue/AlignmentForm.h"
#include "dialogue/CommandEngine.h"
#include "dialogue/CommandText.h"
#include "dialogue/RestartForm.h"
#include "link/Connection.h"
#include "link/ProgramPhase.h"
#include "schedule/Schedule.h"
#include "sheets/Sheets.h"
#include "ui/Backend.h"
#include "ui/NestingLevel.h"

namespace orvane {

namespace {

constexpr int kTicksPerRound = 10;
constexpr int kSlowReadTick = 2;
constexpr int kOfflineEntry = 6;

}  // namespace

StatusPolling::StatusPolling(ui::Backend& backend, ControllerState& controller,
                             PollingFields fields, CommandEngine& engine, Alignment& alignment,
                             Connection& connection, Sheets& sheets)
    : backend_(backend),
      controller_(controller),
      fields_(fields),
      engine_(engine),
      alignment_(alignment),
      connection_(connection),
      sheets_(sheets) {}

bool StatusPolling::shuttingDown() const {
  return ShuttingDown(fields_.startupTimer) || backend_.terminated();
}

void StatusPolling::GetOrvaneSettings() {
  PollingFields& f = fields_;
  if (depth_ > 0) {
    // A tick of the dialog ticker inside a running tick. While that one waits on a dialog
    // it opened (alignment or restart), one nested tick keeps the strip current and its
    // status read closes the dialog once the controller is aligned or running again. Any
    // other nesting (inside a reply wait) is dropped: it would nest without bound while
    // the controller stays silent.
    const bool dialogOpen = (alignmentForm_ != nullptr && alignmentForm_->visible()) ||
                            (restart_ != nullptr && restart_->visible());
    if (depth_ > 1 || !dialogOpen) return;
  }
  const ui::NestingLevel inTick(depth_);
  // A timer does not tick again inside its own handler, so a second one stands in for the
  // polling timer while this tick waits on a dialog.
  if (depth_ == 1) {
    if (!dialogTicker_) {
      dialogTicker_ = std::make_unique<ui::Timer>(backend_, f.updateTimer.interval(), false);
      dialogTicker_->onTimer = [this](ui::Timer&) { GetOrvaneSettings(); };
    }
    dialogTicker_->setInterval(f.updateTimer.interval());
    dialogTicker_->start();
  }
  struct StopTicker {
    ui::Timer* ticker;
    ~StopTicker() {
      if (ticker != nullptr) ticker->stop();
    }
  } stopTicker{depth_ == 1 ? dialogTicker_.get() : nullptr};
  f.updateTimer.setTag((f.updateTimer.tag() + 1) % kTicksPerRound);
  alignment_.DoCheckInitialAlignment();
  if (backend_.terminated()) return;

  // A reply that comes in as the link goes (its wait ended by the port closing) is no
  // current reading: the fields already show that the link is lost.
  std::string ra = shuttingDown() ? std::string() : engine_.ExecuteCommand(":GR");
  if (controller_.ConnectedPort <= 0) ra.clear();
  bool swappedCable = false;
  bool answered = false;
  if (!ra.empty()) {
    std::optional<std::string> shown = FormatRightAscension(ra, controller_.HighPrecision);
    if (!shown) {
      swappedCable = true;
      reportSwappedCable();
      showRightAscension("");
    } else if (!RightAscensionInRange(ra)) {
      ra.clear();  // refused like no reply
    } else {
      showRightAscension(*shown);
      noteReading(controller_.LastRightAscension, ra);
      answered = true;
    }
  }
  // A link lost in the middle of the tick is no silent controller: the connection
  // retries it and has marked the readings already.
  if (ra.empty() && !swappedCable && controller_.ConnectedPort > 0 && !shuttingDown()) {
    if (restart_ != nullptr) restart_->TryRestart();
  }
  if (backend_.terminated()) return;

  if (observer_ != nullptr) observer_->SetStripVisible(!f.window.visible());

  std::string dec = shuttingDown() ? std::string() : engine_.ExecuteCommand(":GD");
  if (controller_.ConnectedPort <= 0) dec.clear();
  if (!dec.empty() && DeclinationInRange(dec)) {
    const std::string shown = FormatDeclination(dec, controller_.HighPrecision);
    f.declination.setText(shown + "''");
    if (schedule_ != nullptr) schedule_->CurrentDEC->setText(shown + "''");
    if (observer_ != nullptr) observer_->ShowDeclination(shown);
    noteReading(controller_.LastDeclination, dec.substr(0, dec.find('#')));
    answered = true;
  }
  // One tick in which the controller answered neither position read is enough to say so:
  // its readings are no longer current.
  if (answered) {
    noteAnswer();
  } else if (!swappedCable && controller_.ConnectedPort > 0 && !shuttingDown()) {
    noteSilentTick();
  }

  engine_.ExecuteCommand(":Gv");

  if (f.updateTimer.tag() == kSlowReadTick && !shuttingDown()) {
    engine_.ExecuteCommand(":GB");
    // A field the user is typing in is not overwritten. The ":GL" read updates the clock
    // offset itself.
    ControlBinding* local = sheets_.LocalTimeBinding;
    if (local != nullptr && !local->control->focused()) engine_.ExecuteCommand(local, "", true);
    ControlBinding* date = sheets_.DateBinding;
    if (date != nullptr && !date->control->focused()) engine_.ExecuteCommand(date, "", true);
  }
}

void StatusPolling::noteReading(ControllerState::PositionReading& reading,
                                const std::string& text) {
  reading.text = text;
  reading.atMs = backend_.ticksMs();
  if (onPositionRead) onPositionRead();
}

void StatusPolling::noteSilentTick() {
  if (++silentTicks_ < kSilentTicksBeforeStale) return;
  const bool first = !controller_.ReadingsStale;
  controller_.ReadingsStale = true;
  // Again on every silent tick: the alignment check of the tick has emptied its field.
  ShowReadingsStale();
  if (first) connection_.ReportSilence();
}

void StatusPolling::noteAnswer() {
  silentTicks_ = 0;
  if (!controller_.ReadingsStale) return;
  controller_.ReadingsStale = false;
  connection_.ReportAnswering();
}

void StatusPolling::ShowReadingsStale() {
  const std::string none(kNoCurrentReading);
  showRightAscension(none);
  fields_.declination.setText(none);
  if (schedule_ != nullptr) schedule_->CurrentDEC->setText(none);
  if (observer_ != nullptr) observer_->ShowDeclination(none);
  if (fields_.initialAlign.visible()) fields_.initialAlign.setText(none);
}

void StatusPolling::showRightAscension(const std::string& text) {
  fields_.rightAscension.setText(text);
  if (schedule_ != nullptr) schedule_->CurrentRA->setText(text);
  if (observer_ != nullptr) observer_->ShowRightAscension(text);
}

void StatusPolling::reportSwappedCable() {
  PollingFields& f = fields_;
  f.updateTimer.stop();
  controller_.ConnectedPort = 0;
  f.serialPort.setItemIndex(kOfflineEntry);
  connection_.SerialPortSelect(&f.updateTimer);
  f.orvaneVersion.setText("Detection failed");
  backend_.messageBox("You have probably switched the serial and the handcontroller cable !",
                      "Connection error", ui::MessageButtons::Ok);
}

void StatusPolling::CalculateTimeDifference(const std::string& controllerTime,
                                            const std::string& computerTime) {
  controller_.TakeClockOffset(controllerTime, computerTime);
}

}  // namespace orvane

// Manual targeting and the slew sequence it shares with the schedule: target right
// ascension, object name, target declination, the J2000.0 precession when chosen, and the
// slew itself. Replies are not examined.
#include "link/Cache.h"
#include "link/ProgramPhase.h"
#include "schedule/Schedule.h"
#include "ui/FocusKeeper.h"
#include "schedule/SlewCommands.h"
#include "ui/Backend.h"

namespace orvane {

namespace {
// The controller needs a moment after the object name before the next target command.
constexpr int kAfterNamePauseMs = 60;
constexpr int kJ2000 = 1;
constexpr int kEquinoxMarkerBase = 253;
constexpr int kMarkerStep = 16;
}  // namespace

std::string TSchedule::SendCommand(const std::string& command, bool wait) {
  return cache_.SendCommand(command, wait);
}

void TSchedule::GoClick() {
  // The slew takes the focus away (no caret stays in a target field); a key that started
  // it finds the focus where it was afterwards.
  ui::FocusKeeper keep(*this);
  scheme_.Blink(*Go);
  SlewTo(SlewTarget{TargetRA->text(), TargetDEC->text(), "unknown"});
}

void TSchedule::J20000LabelClick() {
  SetEquinoxMode(1);
}
void TSchedule::EquinoxLabelClick() {
  SetEquinoxMode(2);
}

void TSchedule::SetEquinoxMode(int mode) {
  Defocus();
  // Every choice of J2000.0 tells the controller again, also when it was chosen already.
  if (mode == kJ2000) SendCommand(":p0#", true);
  if (mode != EquinoxMode) {
    EquinoxMode = mode;
    EquinoxShape->setTop(kEquinoxMarkerBase + kMarkerStep * mode);
  }
}

int TSchedule::ShownEquinoxMode() {
  if (EquinoxMode == 0) SetEquinoxMode(kJ2000);
  return EquinoxMode;
}

void TSchedule::EditDecKeyPress(ui::MaskEdit& field, char key) {
  // A digit typed over the sign: the sign becomes "+" first and the digit goes on to the
  // degrees. Typed over the sign it would be lost, and every later digit land one place
  // late: "052328" would read +52 32' 8x''.
  if (key >= '0' && key <= '9' && field.selStart() == 0) field.typeChar('+');
}

void TSchedule::EditDecChange(ui::MaskEdit& field) {
  std::string withSign = WithDeclinationSign(field.text());
  if (withSign == field.text()) return;
  const size_t caret = field.selStart();
  field.setText(std::move(withSign));
  field.setSelection(caret, 0);
}

bool TSchedule::SlewAbandoned() const {
  if (stopCount_ != slewStopCount_) return true;
  return ShuttingDown(startupTimer_) || backend().terminated();
}

void TSchedule::SlewTo(SlewTarget target) {
  if (slewInProgress_) {
    pendingSlew_ = std::move(target);
    return;
  }
  struct InProgress {
    bool& flag;
    explicit InProgress(bool& f) : flag(f) { flag = true; }
    ~InProgress() { flag = false; }
  } inProgress(slewInProgress_);

  std::optional<SlewTarget> next = std::move(target);
  while (next) {
    const SlewTarget current = std::move(*next);
    next.reset();
    SendSlewSequence(current);
    next.swap(pendingSlew_);
  }
}

void TSchedule::SendSlewSequence(const SlewTarget& target) {
  slewStopCount_ = stopCount_;
  Defocus();
  const bool precess = ShownEquinoxMode() == kJ2000;
  if (SlewAbandoned()) return;
  // One sequence in the queue: no poll or click comes between the target and the slew,
  // and a stop withdraws what has not gone out yet.
  std::vector<CommandStep> steps{
      {RightAscensionCommand(target.rightAscension), true},
      {ObjectNameCommand(target.name), false, kAfterNamePauseMs},
      {DeclinationCommand(target.declination), true},
  };
  if (precess) steps.push_back({":Sp#", true});
  steps.push_back({":MS#", true});
  const std::vector<CommandResult> results = cache_.SendSequence(steps, true);
  if (SlewAbandoned()) return;
  if (!results.back().written) {
    // Not stopped, yet the slew never went out: the link was lost (or there is none).
    SlewStatus->setText("Status: Slew not sent, no connection to the controller");
    scheme_.Blink(*SlewStatus);
    return;
  }
  SlewStatus->setText("");
  if (disableAdditionalAlignment) disableAdditionalAlignment();
}

}  // namespace orvane

#include "dialogue/Alignment.h"

#include "dialogue/AlignmentForm.h"
#include "dialogue/CommandEngine.h"
#include "dialogue/CommandText.h"
#include "dialogue/RestartForm.h"
#include "link/AstroTime.h"
#include "link/Cache.h"
#include "schedule/Schedule.h"
#include "sheets/Sheets.h"
#include "transfer/FileTransferStruct.h"
#include "ui/Backend.h"

namespace orvane {

namespace {

constexpr int kStatusSetting = 99;
constexpr unsigned kAlignedBit = 1u << 0;
constexpr unsigned kWatchedBit = 1u << 4;
constexpr int kNamePauseMs = 60;

enum class AlignAction { GoTo, AdditionalAlign, Synchronize, EmergencyStop, None };

AlignAction actionOf(const std::string& caption) {
  for (size_t i = 0; i < kAlignmentCaptions.size(); ++i) {
    if (caption == kAlignmentCaptions[i]) return static_cast<AlignAction>(i);
  }
  return AlignAction::None;
}

}  // namespace

Alignment::Alignment(ui::Backend& backend, ControllerState& controller, ui::Label& initialAlign,
                     ui::ColorScheme& scheme, CommandEngine& engine,
                     const std::vector<std::unique_ptr<FileTransferStruct>>& panels)
    : backend_(backend),
      controller_(controller),
      initialAlign_(initialAlign),
      scheme_(scheme),
      engine_(engine),
      panels_(panels) {}

bool Alignment::DoCheckInitialAlignment() {
  if (controller_.ConnectedPort == 0) return false;
  if (controller_.ControllerLevel < 2) return true;
  TCache* cache = cache_;
  if (cache == nullptr) return false;
  const std::string reply =
      cache->SendCommand(NativeReadCommand(std::to_string(kStatusSetting)), true);
  if (reply.empty()) {
    // Not known now: shown as every reading that is not current.
    initialAlign_.setText(std::string(kNoCurrentReading));
    return false;
  }
  const unsigned bits = static_cast<unsigned char>(reply[0]);
  const bool watched = (bits & kWatchedBit) != 0;
  if (watched && !controller_.PreviousStatusBit4) {
    backend_.tone(220, 300);
    backend_.tone(330, 550);
  }
  controller_.PreviousStatusBit4 = watched;
  // The controller answers, so it is running: a restart dialog is out of date.
  if (restart_ != nullptr && restart_->visible()) restart_->close();
  TAlignmentForm* dialog = dialog_;
  if ((bits & kAlignedBit) == 0) {
    initialAlign_.setText("Required");
    if (dialog != nullptr && !dialog->visible() && controller_.AlignmentPrompt) dialog->showModal();
    return false;
  }
  initialAlign_.setText("Done");
  if (dialog != nullptr && dialog->visible()) dialog->close();
  return true;
}

void Alignment::refuse(FileTransferStruct& panel, const char* status) {
  DisableAdditionalAlignment();
  panel.statusLabel->setText(status);
  scheme_.Blink(*panel.statusLabel);
}

void Alignment::AdditionalAlign(FileTransferStruct& panel, ui::Button& button) {
  TCache* cache = cache_;
  const AlignAction action = actionOf(button.text());
  // The emergency stop goes out first, whatever the memo holds and whatever the mount's
  // alignment: a stop that waited on a parse or a status read could leave it slewing.
  if (action == AlignAction::EmergencyStop) {
    if (schedule_ != nullptr) schedule_->StopMouseDown();
    // Without a controller on the line nothing has stopped: the user must not be told it has.
    panel.statusLabel->setText(controller_.ConnectedPort > 0
                                   ? "Status: Slewing stopped. Check Orvane display !!"
                                   : "Error: System offline");
    blinkButton(button);
    return;
  }
  // The line under the caret, selected whole so that the user sees which object is meant.
  ui::Memo& memo = *panel.memo;
  const int line = memo.caretLine();
  memo.selectLine(line);
  const std::string text = memo.selectedText();
  std::optional<ObjectLine> object = ParseObjectLine(text);
  if (!object) {
    panel.statusLabel->setText("Error in object definition");
    return;
  }
  blinkButton(button);
  if (action == AlignAction::None || cache == nullptr) return;
  if (controller_.ConnectedPort == 0) {
    refuse(panel, "Error: System offline");
    return;
  }
  if (!DoCheckInitialAlignment()) {
    refuse(panel, "Error: Initial Alignment required");
    return;
  }
  switch (action) {
    case AlignAction::GoTo: {
      const bool precess = schedule_ != nullptr && schedule_->ShownEquinoxMode() == 1;
      // One sequence: nothing comes between the target and the slew; a stop withdraws
      // what has not gone out.
      std::vector<CommandStep> steps{
          {":Sr" + object->rightAscension + "#", true},
          {":ON" + object->name + "#", false, kNamePauseMs},
          {":Sd" + object->declination + "#", true},
      };
      if (precess) steps.push_back({":Sp#", true});
      steps.push_back({":MS#", true});
      if (cache->SendSequence(steps, true).back().outcome == CommandOutcome::Cancelled) break;
      panel.statusLabel->setText("Slewing to " + object->name);
      for (size_t i = 1; i < 4; ++i) {
        if (panel.alignmentButtons[i]) panel.alignmentButtons[i]->show();
      }
      break;
    }
    case AlignAction::AdditionalAlign:
      cache->SendCommand(":Cm#", true);
      panel.statusLabel->setText("Additional alignment performed");
      break;
    case AlignAction::Synchronize:
      cache->SendCommand(":CM#", true);
      panel.statusLabel->setText("Synchronized");
      break;
    case AlignAction::EmergencyStop:
    case AlignAction::None:
      break;
  }
}

void Alignment::blinkButton(ui::Button& button) {
  // Off the button first: a focused control that blinks would hand the focus on when it
  // hides (to the memo, which would hide the buttons just shown).
  scheme_.Defocus();
  scheme_.Blink(button);
}

void Alignment::DisableAdditionalAlignment() {
  // A blink of one of these buttons would show it again at its end.
  scheme_.FinishBlink();
  for (const auto& panel : panels_) {
    if (!panel->hasAlignment()) continue;
    for (size_t i = 1; i < 4; ++i) panel->alignmentButtons[i]->hide();
  }
}

void Alignment::Sync(ControlBinding& binding) {
  if (controller_.ConnectedPort == 0 || binding.control == nullptr) return;
  const ui::DateTime now = backend_.localNow();
  if (binding.command == ":SL") {
    binding.control->setText(ClockText(now));
    engine_.ExecuteCommand(&binding, "", true);
    // Against the clock just set, not the strip's label, which may be a second behind.
    controller_.TakeClockOffset(binding.control->text(), ClockText(now));
  } else if (binding.command == ":SC") {
    binding.control->setText(LZ(now.month) + LZ(now.day) + LZ(now.year % 100));
    engine_.ExecuteCommand(&binding, "", true);
  }
  if (binding.synchroniserLabel) scheme_.Blink(*binding.synchroniserLabel);
}

}  // namespace orvane

#include "dialogue/Alignment.h"

#include "app/MainForm.h"
#include "dialogue/AlignmentForm.h"
#include "dialogue/Checksum.h"
#include "dialogue/CommandText.h"
#include "dialogue/RestartForm.h"
#include "link/AstroTime.h"
#include "link/Cache.h"
#include "schedule/Schedule.h"
#include "transfer/FileTransferStruct.h"

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

Alignment::Alignment(TMainForm& main) : main_(main) {}

bool Alignment::DoCheckInitialAlignment() {
  TMainForm& m = main_;
  if (m.ConnectedPort == 0) return false;
  if (m.ControllerLevel < 2) return true;
  TCache* cache = m.windows().cache;
  if (cache == nullptr) return false;
  const std::string reply =
      cache->SendCommand(NativeReadCommand(std::to_string(kStatusSetting)), true);
  if (reply.empty()) {
    m.InitialAlign->setText("");
    return false;
  }
  const unsigned bits = static_cast<unsigned char>(reply[0]);
  const bool watched = (bits & kWatchedBit) != 0;
  if (watched && !m.PreviousStatusBit4) {
    m.backend().tone(220, 300);
    m.backend().tone(330, 550);
  }
  m.PreviousStatusBit4 = watched;
  // The controller answers, so it is running: a restart dialog is out of date.
  if (TRestartForm* restart = m.windows().restart; restart != nullptr && restart->visible()) {
    restart->close();
  }
  TAlignmentForm* dialog = m.windows().alignment;
  if ((bits & kAlignedBit) == 0) {
    m.InitialAlign->setText("Required");
    if (dialog != nullptr && !dialog->visible() && m.AlignmentPrompt) dialog->showModal();
    return false;
  }
  m.InitialAlign->setText("Done");
  if (dialog != nullptr && dialog->visible()) dialog->close();
  return true;
}

void Alignment::refuse(FileTransferStruct& panel, const char* status) {
  DisableAdditionalAlignment();
  panel.statusLabel->setText(status);
  main_.appearance.Blink(*panel.statusLabel);
}

void Alignment::AdditionalAlign(FileTransferStruct& panel, ui::Button& button) {
  TMainForm& m = main_;
  TCache* cache = m.windows().cache;
  const AlignAction action = actionOf(button.text());
  // The emergency stop goes out first, whatever the memo holds and whatever the mount's
  // alignment: a stop that waited on a parse or a status read could leave it slewing.
  if (action == AlignAction::EmergencyStop) {
    if (TSchedule* schedule = m.windows().schedule) schedule->StopMouseDown();
    panel.statusLabel->setText("Status: Slewing stopped. Check Orvane display !!");
    return;
  }
  ui::Memo& memo = *panel.memo;
  const int line = memo.caretLine();
  const std::string text =
      line >= 0 && static_cast<size_t>(line) < memo.lines().size() ? memo.lines()[line] : "";
  std::optional<ObjectLine> object = ParseObjectLine(text);
  if (!object) {
    panel.statusLabel->setText("Error in object definition");
    return;
  }
  if (action == AlignAction::None || cache == nullptr) return;
  if (m.ConnectedPort == 0) {
    refuse(panel, "Error: System offline");
    return;
  }
  if (!DoCheckInitialAlignment()) {
    refuse(panel, "Error: Initial Alignment required");
    return;
  }
  switch (action) {
    case AlignAction::GoTo: {
      cache->SendCommand(":Sr" + object->rightAscension + "#", true);
      cache->SendCommand(":ON" + object->name + "#", false);
      m.backend().sleep(kNamePauseMs);
      cache->SendCommand(":Sd" + object->declination + "#", true);
      TSchedule* schedule = m.windows().schedule;
      if (schedule != nullptr && schedule->EquinoxMode == 1) cache->SendCommand(":Sp#", true);
      cache->SendCommand(":MS#", true);
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

void Alignment::DisableAdditionalAlignment() {
  for (const auto& panel : main_.FileTransferPanels) {
    if (!panel->hasAlignment()) continue;
    for (size_t i = 1; i < 4; ++i) panel->alignmentButtons[i]->hide();
  }
}

void Alignment::Sync(ControlBinding& binding) {
  TMainForm& m = main_;
  if (m.ConnectedPort == 0 || binding.control == nullptr) return;
  const ui::DateTime now = m.backend().localNow();
  if (binding.command == ":SL") {
    binding.control->setText(ClockText(now));
    m.engine.ExecuteCommand(&binding, "", true);
    m.polling.CalculateTimeDifference(binding.control->text(), m.ComputerTime->text());
  } else if (binding.command == ":SC") {
    binding.control->setText(LZ(now.month) + LZ(now.day) + LZ(now.year % 100));
    m.engine.ExecuteCommand(&binding, "", true);
  }
  if (binding.synchroniserLabel) m.appearance.Blink(*binding.synchroniserLabel);
}

}  // namespace orvane

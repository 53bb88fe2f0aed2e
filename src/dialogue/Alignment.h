// Alignment: the initial-alignment check run on every polling tick, the alignment buttons
// of object panels ("Go to ...", "Additional align", "Synchronize", "Emergency Slew
// Stop"), and "Synchronize to PC" beside a controller clock or date field.
// Owned by the main window; called by polling, the panels' alignment buttons and the
// synchronise buttons of the sheets.
// Thread: user-interface thread only.
#pragma once

#include <memory>
#include <vector>

#include "link/ControllerState.h"
#include "ui/ColorScheme.h"
#include "ui/Controls.h"

namespace orvane {

class CommandEngine;
class TAlignmentForm;
class TCache;
class TRestartForm;
class TSchedule;
struct ControlBinding;
struct FileTransferStruct;

class Alignment {
 public:
  // initialAlign: the status strip's alignment field; panels: the file transfer panels of
  // the loaded profile.
  Alignment(ui::Backend& backend, ControllerState& controller, ui::Label& initialAlign,
            ui::ColorScheme& scheme, CommandEngine& engine,
            const std::vector<std::unique_ptr<FileTransferStruct>>& panels);
  // The windows the alignment actions reach, once they exist.
  void SetCache(TCache* cache) { cache_ = cache; }
  void SetRestartForm(TRestartForm* restart) { restart_ = restart; }
  void SetAlignmentForm(TAlignmentForm* dialog) { dialog_ = dialog; }
  void SetSchedule(TSchedule* schedule) { schedule_ = schedule; }

  // Reads the controller's status: shows "Done" or "Required", sounds the two tones when
  // status bit 4 rises, opens the alignment dialog while alignment is missing (when
  // allowed) and closes it once done. True when actions that need an aligned mount may go
  // on.
  bool DoCheckInitialAlignment();
  // Click on one of a panel's four alignment buttons.
  void AdditionalAlign(FileTransferStruct& panel, ui::Button& button);
  // Hides "Additional align", "Synchronize" and "Emergency Slew Stop" of every panel.
  void DisableAdditionalAlignment();
  // Click on "Synchronize to PC": sets the controller's clock or date from the computer's.
  void Sync(ControlBinding& binding);

 private:
  void refuse(FileTransferStruct& panel, const char* status);
  void blinkButton(ui::Button& button);
  ui::Backend& backend_;
  ControllerState& controller_;
  ui::Label& initialAlign_;
  ui::ColorScheme& scheme_;
  CommandEngine& engine_;
  const std::vector<std::unique_ptr<FileTransferStruct>>& panels_;
  TCache* cache_ = nullptr;
  TRestartForm* restart_ = nullptr;
  TAlignmentForm* dialog_ = nullptr;
  TSchedule* schedule_ = nullptr;
};

}  // namespace orvane

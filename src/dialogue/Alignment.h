// Alignment: the initial-alignment check run on every polling tick, the alignment buttons
// of object panels ("Go to ...", "Additional align", "Synchronize", "Emergency Slew
// Stop"), and "Synchronize to PC" beside a controller clock or date field.
// Owned by the main window.
// Thread: user-interface thread only.
#pragma once

namespace orvane {

class TMainForm;
struct ControlBinding;
struct FileTransferStruct;
namespace ui {
class Button;
}

class Alignment {
 public:
  explicit Alignment(TMainForm& main);

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
  TMainForm& main_;
};

}  // namespace orvane

// TAlignmentForm: the dialog "Initial Alignment required", opened by the alignment check
// while the controller reports that the mount has not been aligned. The observer aligns
// with the hand controller; here a star that the controller's databases lack can be
// defined first ("Add"), the program can go on without alignment ("Proceed"), or end
// ("Quit"). The check closes the dialog by itself once the controller reports alignment.
// Thread: user-interface thread only.
#pragma once

#include <functional>
#include <memory>

#include "link/ControllerState.h"
#include "ui/ColorScheme.h"
#include "ui/Controls.h"
#include "ui/Edits.h"
#include "ui/Form.h"

namespace orvane {

class TCache;

class TAlignmentForm : public ui::Form {
 public:
  TAlignmentForm(ui::Backend& backend, ControllerState& controller, ui::ColorScheme& scheme,
                 TCache& cache);

  // Ends the program ("Quit"), when installed.
  std::function<void()> exitProgram;

  std::unique_ptr<ui::Shape> Frame;
  std::unique_ptr<ui::Label> Title, Message, Request, Note, ProceedNote;
  std::unique_ptr<ui::Label> NameLabel, RALabel, DecLabel;
  std::unique_ptr<ui::MaskEdit> Name, RA, Dec;
  std::unique_ptr<ui::Shape> AddShape, ProceedShape, QuitShape;
  std::unique_ptr<ui::Label> Add, Proceed, Quit;

  void AddClick();
  void ProceedClick();
  void QuitClick();
  void DecChange();
  // Hands the dialog's labels, shapes and fields to the colour scheme.
  void RegisterStaticControls();

 private:
  ControllerState& controller_;
  ui::ColorScheme& scheme_;
  TCache& cache_;
};

}  // namespace orvane

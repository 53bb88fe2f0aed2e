// FocusKeeper: keeps the keyboard focus where it was across an operation that takes it
// away (a slew, a stop, a brightness change recolouring the windows): when the form has no
// focused control at the end, the control that had it gets it back, if it is still there
// and can take it. A focus the user moved meanwhile is left where it is.
// Thread: user-interface thread only.
#pragma once

#include "ui/Form.h"

namespace orvane::ui {

class FocusKeeper {
 public:
  explicit FocusKeeper(Form& form) : form_(form), control_(form.activeControl()) {}
  ~FocusKeeper() {
    if (control_ == nullptr || form_.activeControl() != nullptr) return;
    // Compared, not followed, until it is known to be alive: a profile loaded during the
    // operation may have destroyed it.
    if (form_.holds(control_) && control_->canFocus()) form_.setActiveControl(control_);
  }
  FocusKeeper(const FocusKeeper&) = delete;
  FocusKeeper& operator=(const FocusKeeper&) = delete;

 private:
  Form& form_;
  Widget* control_;
};

}  // namespace orvane::ui

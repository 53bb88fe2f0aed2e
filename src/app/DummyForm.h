// TDummyForm: the black backdrop behind the main window: maximised, disabled, no widgets.
// Thread: user-interface thread only.
#pragma once

#include "app/Windows.h"
#include "ui/Form.h"

namespace orvane {

class TDummyForm : public ui::Form {
 public:
  explicit TDummyForm(AppContext& context);
};

}  // namespace orvane

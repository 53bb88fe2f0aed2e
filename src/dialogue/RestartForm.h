// TRestartForm: the dialog offered when the controller waits to be told its start-up mode
// (cold start, warm start, warm restart).
// Thread: user-interface thread only.
#pragma once

#include <memory>

#include "app/Windows.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace orvane {

class TRestartForm : public ui::Form {
 public:
  explicit TRestartForm(AppContext& context);

  std::unique_ptr<ui::Shape> Frame;
  std::unique_ptr<ui::Label> Title, Question;
};

}  // namespace orvane

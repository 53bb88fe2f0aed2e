// TAlignmentForm: the initial-alignment dialog.
// Thread: user-interface thread only.
#pragma once

#include <memory>

#include "app/Windows.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace orvane {

class TAlignmentForm : public ui::Form {
 public:
  explicit TAlignmentForm(AppContext& context);

  std::unique_ptr<ui::Shape> Frame;
  std::unique_ptr<ui::Label> Title, Question;
};

}  // namespace orvane

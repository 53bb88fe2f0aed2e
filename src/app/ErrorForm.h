// TErrorForm: the range-error box, shown modally when a typed value lies outside the range
// the profile gives for its setting. The same rejected value of the same control is
// reported once only.
// Thread: user-interface thread only.
#pragma once

#include <memory>

#include "app/Windows.h"
#include "sheets/RangeErrorReport.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace orvane {

class TErrorForm : public ui::Form, public RangeErrorReport {
 public:
  explicit TErrorForm(AppContext& context);

  std::unique_ptr<ui::Shape> Frame;
  std::unique_ptr<ui::Label> Error, ErrorType, MinimumLabel, MaximumLabel, Minimum, Maximum;
  std::unique_ptr<ui::Button> OK;

  void RangeError(const ui::Widget* control, double maximum, double minimum, double value) override;
  void ForgetLastReport() override { lastControl_ = nullptr; }

 private:
  AppContext& context_;
  const ui::Widget* lastControl_ = nullptr;
  double lastValue_ = 0;
};

}  // namespace orvane

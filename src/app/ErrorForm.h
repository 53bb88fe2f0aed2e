// TErrorForm: the range-error box, shown modally when a typed value lies outside the range
// the profile gives for its setting. It names the field (its row label) and the refused
// value beside the limits, closes with Enter, Escape or Space as well as its button, and
// puts the field's previous value back, so that the field never shows a value the
// controller does not hold. The same rejected value of the same control is reported once.
// Thread: user-interface thread only.
#pragma once

#include <memory>
#include <string>

#include "app/Windows.h"
#include "sheets/RangeErrorReport.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace orvane {

// The row label of a sheet control: the text of the label beside it that carries the same
// setting number, without its closing colon; empty when there is none.
std::string RowLabelOf(const ui::Widget& control);

class TErrorForm : public ui::Form, public RangeErrorReport {
 public:
  explicit TErrorForm(AppContext& context);

  std::unique_ptr<ui::Shape> Frame;
  std::unique_ptr<ui::Label> Error, ErrorType, FieldName, ValueLabel, Value, MinimumLabel,
      MaximumLabel, Minimum, Maximum;
  std::unique_ptr<ui::Button> OK;

  void RangeError(ui::Widget* control, double maximum, double minimum, double value) override;
  void ForgetLastReport() override { lastControl_ = nullptr; }

 private:
  AppContext& context_;
  const ui::Widget* lastControl_ = nullptr;
  double lastValue_ = 0;
};

}  // namespace orvane

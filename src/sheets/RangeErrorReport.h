// RangeErrorReport: the box that refuses a typed value outside its setting's range and
// shows the limits; the control gets its previous value back. The box lives above the
// sheets and is handed in once it exists.
// Thread: user-interface thread only.
#pragma once

namespace orvane {

namespace ui {
class Widget;
}

class RangeErrorReport {
 public:
  virtual void RangeError(ui::Widget* control, double maximum, double minimum,
                          double value) = 0;
  // The controls of the last report are gone (a profile was removed): a new control at the
  // same address must not be taken for the old one.
  virtual void ForgetLastReport() = 0;

 protected:
  ~RangeErrorReport() = default;
};

}  // namespace orvane

#include "app/DummyForm.h"

namespace orvane {

TDummyForm::TDummyForm(AppContext& context) : ui::Form(context.backend, "DummyForm") {
  setText("DummyForm");
  setBorderStyle(ui::BorderStyle::None);
  setColor(ui::kBlack);
  setEnabled(false);
  // Under a window manager it stays below the program's windows: a click on it must not
  // raise it over them, and it is no window of its own to switch to.
  setBackdrop(true);
  ui::Size screen = context.backend.screenSize();
  setBounds(0, 0, screen.width, screen.height);
  setMaximized(true);
}

}  // namespace orvane

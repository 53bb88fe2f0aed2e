#include "app/DummyForm.h"

namespace orvane {

TDummyForm::TDummyForm(AppContext& context) : ui::Form(context.backend, "DummyForm") {
  setText("DummyForm");
  setBorderStyle(ui::BorderStyle::None);
  setColor(ui::kBlack);
  setEnabled(false);
  ui::Size screen = context.backend.screenSize();
  setBounds(0, 0, screen.width, screen.height);
  setMaximized(true);
}

}  // namespace orvane

#include "app/ErrorForm.h"

#include "app/MainForm.h"
#include "text/NumberText.h"
#include "ui/FlatControls.h"

namespace orvane {

TErrorForm::TErrorForm(AppContext& context)
    : ui::Form(context.backend, "ErrorForm"), context_(context) {
  ui::Backend& b = context.backend;
  setBorderStyle(ui::BorderStyle::None);
  setStayOnTop(true);
  ui::Font font;
  font.pointSize = 10;
  font.color = ui::kWhite;
  setFont(font);
  setBounds(0, 0, 175, 143);
  setRegion(ui::RoundRegion{width() + 2, height() + 2, width() / 4, width() / 4});
  Frame = std::make_unique<ui::Shape>(b, this, "Frame");
  Frame->setBounds(0, 0, 175, 143);
  Frame->setBrushColor(9852172);
  Frame->setPenColor(ui::kWhite);
  Frame->setPenWidth(2);
  Error = ui::MakeCaption(b, this, "Error", "Error !", 62, 12);
  ErrorType = ui::MakeCaption(b, this, "ErrorType", "Invalid value entered", 22, 34);
  MinimumLabel = ui::MakeCaption(b, this, "MinimumLabel", "Minimum:", 22, 60);
  MaximumLabel = ui::MakeCaption(b, this, "MaximumLabel", "Maximum:", 22, 80);
  Minimum = ui::MakeCaption(b, this, "Minimum", "", 100, 60);
  Maximum = ui::MakeCaption(b, this, "Maximum", "", 100, 80);
  OK = std::make_unique<ui::Button>(b, this, "OK");
  OK->setText("OK");
  OK->setBounds(50, 106, 75, 25);
  OK->setModalResult(ui::modal::kOk);
  if (TMainForm* main = context.windows.main) {
    for (ui::Widget* label : {Error.get(), ErrorType.get(), Minimum.get(), MinimumLabel.get(),
                              Maximum.get(), MaximumLabel.get()}) {
      main->appearance.registerControl(label);
    }
  }
}

void TErrorForm::RangeError(const ui::Widget* control, double maximum, double minimum,
                            double value) {
  if (control == lastControl_ && value == lastValue_) return;
  Minimum->setText(CorrectFloatToStr(minimum));
  Maximum->setText(CorrectFloatToStr(maximum));
  if (TMainForm* main = context_.windows.main) {
    setBounds(main->left() + (main->width() - width()) / 2,
              main->top() + (main->height() - height()) / 2, width(), height());
  }
  lastControl_ = control;
  lastValue_ = value;
  showModal();
}

}  // namespace orvane

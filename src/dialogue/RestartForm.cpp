#include "dialogue/RestartForm.h"

namespace orvane {

TRestartForm::TRestartForm(AppContext& context) : ui::Form(context.backend, "RestartForm") {
  ui::Backend& b = context.backend;
  setBorderStyle(ui::BorderStyle::None);
  setStayOnTop(true);
  ui::Font font;
  font.name = "Times New Roman";
  font.pointSize = 10;
  font.color = ui::kWhite;
  setFont(font);
  setBounds(0, 0, 260, 150);
  setRegion(ui::RoundRegion{width() + 1, height() + 1, height() / 4, height() / 4});
  Frame = std::make_unique<ui::Shape>(b, this, "Frame");
  Frame->setBounds(0, 0, 260, 150);
  Frame->setBrushColor(9852172);
  Frame->setPenColor(ui::kWhite);
  Frame->setPenWidth(2);
  Title = std::make_unique<ui::Label>(b, this, "Title");
  Title->setParentFont(true);
  Title->setBounds(20, 16, 0, 0);
  Title->setText("Controller restart");
  Question = std::make_unique<ui::Label>(b, this, "Question");
  Question->setParentFont(true);
  Question->setBounds(20, 44, 0, 0);
  Question->setText("The controller waits for its start-up mode.");
}

}  // namespace orvane

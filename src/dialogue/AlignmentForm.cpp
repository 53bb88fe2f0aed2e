#include "dialogue/AlignmentForm.h"

namespace orvane {

TAlignmentForm::TAlignmentForm(AppContext& context) : ui::Form(context.backend, "AlignmentForm") {
  ui::Backend& b = context.backend;
  setBorderStyle(ui::BorderStyle::None);
  setStayOnTop(true);
  ui::Font font;
  font.name = "Times New Roman";
  font.pointSize = 10;
  font.color = ui::kWhite;
  setFont(font);
  setBounds(0, 0, 300, 160);
  Frame = std::make_unique<ui::Shape>(b, this, "Frame");
  Frame->setBounds(0, 0, 300, 160);
  Frame->setBrushColor(9852172);
  Frame->setPenColor(ui::kWhite);
  Frame->setPenWidth(2);
  Title = std::make_unique<ui::Label>(b, this, "Title");
  Title->setParentFont(true);
  Title->setBounds(20, 16, 0, 0);
  Title->setText("Initial Alignment");
  Question = std::make_unique<ui::Label>(b, this, "Question");
  Question->setParentFont(true);
  Question->setBounds(20, 44, 0, 0);
  Question->setText("The mount has not been aligned yet.");
}

}  // namespace orvane

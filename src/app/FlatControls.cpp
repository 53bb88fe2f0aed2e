#include "app/FlatControls.h"

#include "ui/Backend.h"

namespace orvane {

std::unique_ptr<ui::Label> MakeCaption(ui::Backend& backend, ui::Widget* parent,
                                       const std::string& name, const std::string& caption,
                                       int left, int top) {
  auto label = std::make_unique<ui::Label>(backend, parent, name);
  label->setParentFont(true);
  label->setBounds(left, top, 0, 0);
  label->setText(caption);
  return label;
}

std::unique_ptr<ui::Shape> MakeDialogFrame(ui::Form& form, int width, int height) {
  ui::Backend& b = form.backend();
  const ui::Size screen = b.screenSize();
  form.setBounds((screen.width - width) / 2, (screen.height - height) / 2, width, height);
  form.setRegion(ui::RoundRegion{width + 1, height + 1, height / 4, height / 4});
  auto frame = std::make_unique<ui::Shape>(b, &form, "Frame");
  frame->setBounds(0, 0, width, height);
  frame->setBrushColor(9852172);
  frame->setPenColor(ui::kWhite);
  frame->setPenWidth(2);
  return frame;
}

std::unique_ptr<ui::Label> MakeTitle(ui::Backend& backend, ui::Widget* parent,
                                     const std::string& text, int left, int top, int pointSize) {
  auto title = std::make_unique<ui::Label>(backend, parent, "Title");
  ui::Font font = parent->font();
  font.pointSize = pointSize;
  font.bold = true;
  title->setFont(font);
  title->setBounds(left, top, 0, 0);
  title->setText(text);
  return title;
}

void MakeFlatButton(ui::Backend& backend, ui::Widget* parent, std::unique_ptr<ui::Shape>& shape,
                    std::unique_ptr<ui::Label>& label, const std::string& name,
                    const std::string& caption, int left, int top, int width, int height) {
  shape = std::make_unique<ui::Shape>(backend, parent, name + "Shape");
  shape->setBounds(left, top, width, height);
  label = std::make_unique<ui::Label>(backend, parent, name);
  label->setAutoSize(false);
  label->setParentFont(true);
  label->setAlignment(ui::HorizontalAlign::Center);
  label->setVerticalCenter(true);
  label->setBounds(left, top, width, height);
  label->setText(caption);
}

}  // namespace orvane

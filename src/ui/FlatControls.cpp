#include "ui/FlatControls.h"

#include "ui/Backend.h"

namespace orvane::ui {

std::unique_ptr<Label> MakeCaption(Backend& backend, Widget* parent, const std::string& name,
                                   const std::string& caption, int left, int top) {
  auto label = std::make_unique<Label>(backend, parent, name);
  label->setParentFont(true);
  label->setBounds(left, top, 0, 0);
  label->setText(caption);
  return label;
}

std::unique_ptr<Shape> MakeDialogFrame(Form& form, int width, int height) {
  Backend& b = form.backend();
  const Size screen = b.screenSize();
  form.setBounds((screen.width - width) / 2, (screen.height - height) / 2, width, height);
  form.setRegion(RoundRegion{width + 1, height + 1, height / 4, height / 4});
  auto frame = std::make_unique<Shape>(b, &form, "Frame");
  frame->setBounds(0, 0, width, height);
  frame->setBrushColor(9852172);
  frame->setPenColor(kWhite);
  frame->setPenWidth(2);
  return frame;
}

std::unique_ptr<Label> MakeTitle(Backend& backend, Widget* parent, const std::string& text,
                                 int left, int top, int pointSize) {
  auto title = std::make_unique<Label>(backend, parent, "Title");
  Font font = parent->font();
  font.pointSize = pointSize;
  font.bold = true;
  title->setFont(font);
  title->setBounds(left, top, 0, 0);
  title->setText(text);
  return title;
}

void MakeFlatButton(Backend& backend, Widget* parent, std::unique_ptr<Shape>& shape,
                    std::unique_ptr<Label>& label, const std::string& name,
                    const std::string& caption, int left, int top, int width, int height) {
  shape = std::make_unique<Shape>(backend, parent, name + "Shape");
  shape->setBounds(left, top, width, height);
  label = std::make_unique<Label>(backend, parent, name);
  label->setAutoSize(false);
  label->setParentFont(true);
  label->setAlignment(HorizontalAlign::Center);
  label->setVerticalCenter(true);
  label->setBounds(left, top, width, height);
  label->setText(caption);
  label->setFlatButton(true);
}

}  // namespace orvane::ui

#include "app/FlatControls.h"

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

#include "ui/Controls.h"

#include <algorithm>

#include "ui/Form.h"

namespace orvane::ui {

Panel::Panel(Backend& backend, Widget* parent, std::string name)
    : Widget(backend, WidgetKind::Panel, parent, std::move(name)) {
  attachPeer();
}

void Panel::setBevel(bool bevel) {
  if (bevel == bevel_) return;
  bevel_ = bevel;
  changed(Prop::Style);
}

Label::Label(Backend& backend, Widget* parent, std::string name)
    : Widget(backend, WidgetKind::Label, parent, std::move(name)) {
  setTransparent(true);
  attachPeer();
}

void Label::setAlignment(HorizontalAlign alignment) {
  if (alignment == alignment_) return;
  alignment_ = alignment;
  changed(Prop::Style);
}

void Label::setVerticalCenter(bool center) {
  if (center == verticalCenter_) return;
  verticalCenter_ = center;
  changed(Prop::Style);
}

void Label::setWordWrap(bool wrap) {
  if (wrap == wordWrap_) return;
  wordWrap_ = wrap;
  changed(Prop::Style);
}

void Label::setAutoSize(bool autoSize) {
  autoSize_ = autoSize;
  if (autoSize_) fitToText();
}

void Label::setText(std::string text) {
  Widget::setText(std::move(text));
  if (autoSize_) fitToText();
}

void Label::setFlatButton(bool flat) {
  if (flat == flatButton_) return;
  flatButton_ = flat;
  changed(Prop::Style);
}

void Label::fitToText() {
  // An estimate good enough for layout decisions; the Qt peer draws the real text.
  const Font& f = font();
  int pixel = f.pixelSize > 0 ? f.pixelSize : (f.pointSize * 4 + 2) / 3;
  int width = static_cast<int>(text().size()) * std::max(1, pixel / 2);
  setBounds(left(), top(), width, pixel + pixel / 4 + 1);
}

Shape::Shape(Backend& backend, Widget* parent, std::string name)
    : Widget(backend, WidgetKind::Shape, parent, std::move(name)) {
  attachPeer();
}

void Shape::setShapeType(ShapeType type) {
  if (type == shapeType_) return;
  shapeType_ = type;
  changed(Prop::Style);
}

void Shape::setBrushColor(Color color) {
  if (color == brushColor_) return;
  brushColor_ = color;
  changed(Prop::Style);
}

void Shape::setPenColor(Color color) {
  if (color == penColor_) return;
  penColor_ = color;
  changed(Prop::Style);
}

void Shape::setPenWidth(int width) {
  if (width == penWidth_) return;
  penWidth_ = width;
  changed(Prop::Style);
}

ImageButton::ImageButton(Backend& backend, Widget* parent, std::string name)
    : Widget(backend, WidgetKind::ImageButton, parent, std::move(name)) {
  attachPeer();
}

void ImageButton::setPicture(Image picture) {
  if (picture == picture_) return;
  picture_ = std::move(picture);
  changed(Prop::Picture);
}

Button::Button(Backend& backend, Widget* parent, std::string name)
    : Widget(backend, WidgetKind::Button, parent, std::move(name)) {
  attachPeer();
}

void Button::click() {
  if (modalResult_ != modal::kNone) {
    if (Form* owner = form()) owner->setModalResult(modalResult_);
  }
  Widget::click();
}

}  // namespace orvane::ui

#include "ui/Widget.h"

#include <algorithm>

#include "ui/Backend.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace orvane::ui {

Widget::Widget(Backend& backend, WidgetKind kind, Widget* parent, std::string name)
    : backend_(backend), kind_(kind), parent_(parent), name_(std::move(name)) {
  if (parent_ != nullptr) {
    parent_->children_.push_back(this);
    font_ = parent_->font_;
  }
}

Widget::~Widget() {
  // Forgotten first, while the children are still attached: a focused control on this one
  // leaves the form with it, before the peer goes. Hiding the peer's window part makes the
  // toolkit move its focus on, and the form must not hand an exit event to a control whose
  // own part is already destroyed.
  if (kind_ != WidgetKind::Form) {
    if (Form* owner = form()) owner->forgetControl(this);
  }
  // Then the peer, while parent and children still exist for it to look at.
  peer_.reset();
  for (Widget* child : children_) child->parent_ = nullptr;
  if (parent_ != nullptr) parent_->detachChild(this);
}

void Widget::attachPeer() {
  if (!peer_) peer_ = backend_.createPeer(*this);
}

void Widget::detachChild(Widget* child) {
  children_.erase(std::remove(children_.begin(), children_.end(), child), children_.end());
}

Form* Widget::form() {
  Widget* widget = this;
  while (widget->parent_ != nullptr) widget = widget->parent_;
  return widget->kind_ == WidgetKind::Form ? static_cast<Form*>(widget) : nullptr;
}

void Widget::changed(Prop prop) {
  if (peer_) peer_->apply(prop);
}

void Widget::setText(std::string text) {
  if (text == text_) return;
  text_ = std::move(text);
  changed(Prop::Text);
}

void Widget::setVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  if (!visible) {
    // A hidden control cannot keep the focus.
    if (Form* owner = form(); owner != nullptr && owner != this) {
      if (contains(owner->activeControl())) owner->setActiveControl(nullptr);
    }
  }
  changed(Prop::Visible);
}

bool Widget::contains(const Widget* widget) const {
  for (const Widget* w = widget; w != nullptr; w = w->parent_) {
    if (w == this) return true;
  }
  return false;
}

bool Widget::showing() const {
  for (const Widget* w = this; w != nullptr; w = w->parent_) {
    if (!w->visible_) return false;
  }
  return true;
}

bool Widget::covered() const {
  for (const Widget* w = this; w->parent_ != nullptr; w = w->parent_) {
    const std::vector<Widget*>& siblings = w->parent_->children_;
    auto at = std::find(siblings.begin(), siblings.end(), w);
    if (at == siblings.end()) continue;
    const int middleX = w->left_ + w->width_ / 2;
    const int middleY = w->top_ + w->height_ / 2;
    for (auto above = at + 1; above != siblings.end(); ++above) {
      const Widget& panel = **above;
      if (panel.kind() != WidgetKind::Panel || !panel.visible_) continue;
      const bool inColumn = middleX >= panel.left_ && middleX < panel.left_ + panel.width_;
      const bool inRow = middleY >= panel.top_ && middleY < panel.top_ + panel.height_;
      if (inColumn && inRow) return true;
    }
  }
  return false;
}

void Widget::setEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  changed(Prop::Enabled);
}

void Widget::setBounds(int left, int top, int width, int height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  changed(Prop::Geometry);
}

void Widget::setColor(Color color) {
  if (color == color_) return;
  color_ = color;
  changed(Prop::Color);
}

void Widget::setTransparent(bool transparent) {
  if (transparent == transparent_) return;
  transparent_ = transparent;
  changed(Prop::Color);
}

void Widget::setFont(const Font& font) {
  parentFont_ = false;
  inheritFontFrom(font);
}

void Widget::inheritFontFrom(const Font& font) {
  if (!(font == font_)) {
    font_ = font;
    changed(Prop::Font);
  }
  for (Widget* child : children_) {
    if (child->parentFont_) child->inheritFontFrom(font_);
  }
}

void Widget::setFontColor(Color color) {
  Font font = font_;
  font.color = color;
  setFont(font);
}

void Widget::setFontStyle(bool bold, bool italic) {
  Font font = font_;
  font.bold = bold;
  font.italic = italic;
  setFont(font);
}

void Widget::setParentFont(bool parentFont) {
  parentFont_ = parentFont;
  if (parentFont && parent_ != nullptr) inheritFontFrom(parent_->font_);
}

void Widget::setHint(std::string hint) {
  if (hint == hint_) return;
  hint_ = std::move(hint);
  changed(Prop::Hint);
}

void Widget::setShowHint(bool showHint) {
  if (showHint == showHint_) return;
  showHint_ = showHint;
  changed(Prop::Hint);
}

bool Widget::canFocus() const {
  switch (kind_) {
    case WidgetKind::MaskEdit:
    case WidgetKind::ComboBox:
    case WidgetKind::ListBox:
    case WidgetKind::Memo:
    case WidgetKind::StringGrid:
    case WidgetKind::Button:
      return showing() && enabled_;
    case WidgetKind::Label:
    case WidgetKind::ImageButton:
      return DrawsOwnFocusMark(*this) && showing() && enabled_;
    default:
      return false;
  }
}

bool DrawsOwnFocusMark(const Widget& widget) {
  if (widget.kind() == WidgetKind::ImageButton) return true;
  return widget.kind() == WidgetKind::Label && static_cast<const Label&>(widget).flatButton();
}

bool Widget::focused() const {
  Form* owner = const_cast<Widget*>(this)->form();
  return owner != nullptr && owner->activeControl() == this;
}

void Widget::setFocus() {
  if (Form* owner = form(); owner != nullptr && owner != this) owner->setActiveControl(this);
}

void Widget::repaint() { changed(Prop::Repaint); }

void Widget::bringToFront() { changed(Prop::Order); }

void Widget::click() {
  if (onClick) onClick(*this);
}

void Widget::doubleClick() {
  if (onDblClick) onDblClick(*this);
}

void Widget::change() {
  if (onChange) onChange(*this);
}

void Widget::mouseDown(MouseButton button, ShiftState shift, int x, int y) {
  if (onMouseDown) onMouseDown(*this, button, shift, x, y);
}

void Widget::mouseMove(ShiftState shift, int x, int y) {
  if (onMouseMove) onMouseMove(*this, MouseButton::Left, shift, x, y);
}

void Widget::mouseUp(MouseButton button, ShiftState shift, int x, int y) {
  if (onMouseUp) onMouseUp(*this, button, shift, x, y);
}

void Widget::keyUp(int key, ShiftState shift) {
  if (onKeyUp) onKeyUp(*this, key, shift);
}

}  // namespace orvane::ui

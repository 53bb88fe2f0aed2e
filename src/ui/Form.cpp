#include "ui/Form.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "ui/Backend.h"
#include "ui/Controls.h"
#include "ui/Edits.h"

namespace orvane::ui {

Form::Form(Backend& backend, std::string name)
    : Widget(backend, WidgetKind::Form, nullptr, std::move(name)) {
  Widget::setVisible(false);
  attachPeer();
}

Form::~Form() = default;

void Form::setVisible(bool visible) {
  if (!visible || this->visible()) {
    Widget::setVisible(visible);
    return;
  }
  // The show event runs once the form counts as visible and before its window appears, so
  // that the handler's changes are in place when it does; the handler may hide it again.
  visible_ = true;
  raiseShow();
  if (!visible_) return;
  // A dialog opens with its default button focused, so that Enter answers it at once.
  if (defaultControl_ != nullptr && defaultControl_->canFocus()) setActiveControl(defaultControl_);
  changed(Prop::Visible);
}

void Form::setBackdrop(bool backdrop) {
  if (backdrop == backdrop_) return;
  backdrop_ = backdrop;
  changed(Prop::Style);
}

bool Form::holds(const Widget* control) const {
  if (control == nullptr) return false;
  std::vector<const Widget*> pending{this};
  while (!pending.empty()) {
    const Widget* widget = pending.back();
    pending.pop_back();
    if (widget == control) return true;
    for (const Widget* child : widget->children()) pending.push_back(child);
  }
  return false;
}

void Form::setBorderStyle(BorderStyle style) {
  if (style == borderStyle_) return;
  borderStyle_ = style;
  changed(Prop::Style);
}

void Form::setStayOnTop(bool onTop) {
  if (onTop == stayOnTop_) return;
  stayOnTop_ = onTop;
  changed(Prop::Style);
}

void Form::setMaximized(bool maximized) {
  if (maximized == maximized_) return;
  maximized_ = maximized;
  changed(Prop::Style);
}

void Form::setRegion(std::optional<RoundRegion> region) {
  if (region == region_) return;
  region_ = region;
  changed(Prop::Style);
}

void Form::minimize() {
  if (minimized_) return;
  minimized_ = true;
  changed(Prop::Visible);
}

void Form::restore() {
  if (!minimized_) return;
  minimized_ = false;
  changed(Prop::Visible);
}

void Form::setActiveControl(Widget* control) {
  if (control == activeControl_) return;
  Widget* previous = activeControl_;
  activeControl_ = control;
  changed(Prop::Focus);
  // Controls that draw their own focus mark learn that it moved.
  if (previous != nullptr) previous->changed(Prop::Focus);
  if (control != nullptr) control->changed(Prop::Focus);
  if (previous != nullptr && previous->onExit) previous->onExit(*previous);
  if (control != nullptr && activeControl_ == control && control->onEnter) control->onEnter(*control);
}

void Form::noteFocus(Widget* control) {
  if (control == activeControl_) return;
  Widget* previous = activeControl_;
  activeControl_ = control;
  if (previous != nullptr) previous->changed(Prop::Focus);
  if (control != nullptr) control->changed(Prop::Focus);
  if (previous != nullptr && previous->onExit) previous->onExit(*previous);
  if (control != nullptr && activeControl_ == control && control->onEnter) control->onEnter(*control);
}

void Form::forgetControl(Widget* control) {
  if (control == nullptr) return;
  if (control->contains(activeControl_)) activeControl_ = nullptr;
  if (control->contains(defaultControl_)) defaultControl_ = nullptr;
  if (control->contains(cancelControl_)) cancelControl_ = nullptr;
  if (control->contains(keyPressedButton_)) keyPressedButton_ = nullptr;
  if (control->contains(releasingButton_)) releasingButton_ = nullptr;
}

bool Form::selectNext(Widget* current, bool forward) {
  // Tab order: controls of the same parent by tab position, parents in their own order;
  // flattened depth-first so that the walk crosses panels as the toolkit's does. Every
  // control keeps its place, so that the walk from a control that is no tab stop (a button
  // focused by a click) goes on from where it stands.
  std::vector<Widget*> order;
  std::function<void(Widget*)> collect = [&](Widget* parent) {
    std::vector<Widget*> kids = parent->children();
    std::stable_sort(kids.begin(), kids.end(),
                     [](Widget* a, Widget* b) { return a->tabOrder() < b->tabOrder(); });
    for (Widget* kid : kids) {
      order.push_back(kid);
      collect(kid);
    }
  };
  collect(this);
  auto selectable = [this](Widget* w) {
    if (!w->canFocus() || !w->tabStop() || w->covered()) return false;
    for (Widget* p = w->parent(); p != nullptr && p != this; p = p->parent()) {
      if (!p->enabled()) return false;
    }
    return true;
  };
  const size_t count = order.size();
  if (count == 0) return false;
  auto at = std::find(order.begin(), order.end(), current);
  // Without a current control the walk starts just before the first (or after the last).
  size_t start =
      at != order.end() ? static_cast<size_t>(at - order.begin()) : (forward ? count - 1 : 0);
  for (size_t step = 1; step <= count; ++step) {
    Widget* next = order[forward ? (start + step) % count : (start + count - step) % count];
    if (!selectable(next)) continue;
    if (next == current) return false;
    setActiveControl(next);
    return true;
  }
  return false;
}

int Form::showModal() {
  modalResult_ = modal::kNone;
  return backend().showModal(*this);
}

void Form::setModalResult(int result) {
  modalResult_ = result;
  if (result != modal::kNone) close();
}

void Form::close() {
  setVisible(false);
}

bool Form::previewKeyDown(Widget& target, int key, ShiftState shift) {
  if (backend().runGlobalKey(key, shift)) return true;
  if (!keyPreview_ || !onKeyDown) return false;
  onKeyDown(target, key, shift);
  return key == 0;
}

bool Form::previewKeyPress(Widget& target, char key) {
  if (!keyPreview_ || !onKeyPress) return false;
  onKeyPress(target, key);
  return key == 0;
}

void Form::keyDown(Widget& target, int key, ShiftState shift) {
  if (previewKeyDown(target, key, shift)) return;
  if (&target != this && target.onKeyDown) {
    target.onKeyDown(target, key, shift);
    if (key == 0) return;
  }
  pressFlatButton(target, key, false);
}

bool Form::pressFlatButton(Widget& target, int key, bool repeated) {
  if (key == keys::kEscape && cancelControl_ != nullptr && cancelControl_->canFocus()) {
    if (repeated || keyPressedButton_ != nullptr) return true;
    Widget& cancel = *cancelControl_;
    if (cancel.kind() == WidgetKind::Button) {
      cancel.click();
      return true;
    }
    keyPressedButton_ = &cancel;
    keyPressedKey_ = key;
    cancel.mouseDown(MouseButton::Left, ShiftState{}, 0, 0);
    return true;
  }
  if (!DrawsOwnFocusMark(target)) return false;
  if (key != keys::kSpace && key != keys::kReturn) return false;
  if (repeated || keyPressedButton_ != nullptr) return true;
  keyPressedButton_ = &target;
  keyPressedKey_ = key;
  target.mouseDown(MouseButton::Left, ShiftState{}, 0, 0);
  return true;
}

void Form::keyUp(Widget& target, int key, ShiftState shift) {
  target.keyUp(key, shift);
  if (keyPressedButton_ == nullptr || key != keyPressedKey_) return;
  Widget* button = keyPressedButton_;
  keyPressedButton_ = nullptr;
  releasingButton_ = button;
  button->click();
  if (releasingButton_ != nullptr) button->mouseUp(MouseButton::Left, ShiftState{}, 0, 0);
  // Handlers take the focus away to clear carets; the button keeps it for the next press.
  if (releasingButton_ != nullptr && activeControl_ == nullptr && button->canFocus()) {
    setActiveControl(button);
  }
  releasingButton_ = nullptr;
}

void Form::keyPress(Widget& target, char key) {
  if (previewKeyPress(target, key)) return;
  if (&target == this) return;
  if (target.onKeyPress) {
    target.onKeyPress(target, key);
    if (key == 0) return;
  }
  if (target.kind() == WidgetKind::MaskEdit && static_cast<unsigned char>(key) >= 32) {
    static_cast<MaskEdit&>(target).typeChar(key);
  }
}

void Form::raiseShow() {
  if (onShow) onShow(*this);
}

void Form::keepOnScreen(int bottomReserve) {
  const Size screen = backend().screenSize();
  const int x = std::max(0, std::min(left(), screen.width - width()));
  const int y = std::max(0, std::min(top(), screen.height - height() - bottomReserve));
  setBounds(x, y, width(), height());
}

}  // namespace orvane::ui

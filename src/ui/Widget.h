// Widget: the toolkit-neutral base of every window part the program builds.
//
// A widget is a plain object that holds the properties the program reads and writes
// (name, tag, text, visibility, geometry, colours, font, hint, tab order) and the event
// handlers it calls. The logic works on these objects only. A backend attaches a peer to
// each widget: the Qt peer mirrors every property change to a real Qt widget and turns user
// input into the events below; the headless backend has no peer, so the whole program runs
// without a display. Because the state lives here, both backends behave alike.
//
// Thread: user-interface thread only.
// Layer: ui/, the bottom; it uses nothing of the program (its Qt backend alone uses Qt).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/Types.h"

namespace orvane::ui {

class Backend;
class Form;
class WidgetPeer;

enum class WidgetKind {
  Form,
  Panel,
  Label,
  Shape,
  ImageButton,
  Button,
  MaskEdit,
  ComboBox,
  ListBox,
  Memo,
  StringGrid,
};

// What changed, so that a peer updates only that part of its native widget.
enum class Prop {
  Geometry,
  Visible,
  Enabled,
  Text,
  Color,
  Font,
  Hint,
  Focus,
  Style,      // kind-specific look: borders, alignment, shape type, pen, brush, combo style
  Items,      // list contents of combo boxes, list boxes and memos
  Selection,  // selected item, caret, selected text, grid row
  Cells,      // string grid cells, row and column counts
  Picture,    // image button picture
  Mask,       // edit mask of a masked field
  Order,      // z-order: brought to the front
  Repaint,    // paint now
};

using NotifyHandler = std::function<void(class Widget&)>;
using KeyHandler = std::function<void(class Widget&, int& key, ShiftState)>;
using KeyPressHandler = std::function<void(class Widget&, char& key)>;
using MouseHandler = std::function<void(class Widget&, MouseButton, ShiftState, int x, int y)>;

class Widget {
 public:
  Widget(Backend& backend, WidgetKind kind, Widget* parent, std::string name = {});
  virtual ~Widget();
  Widget(const Widget&) = delete;
  Widget& operator=(const Widget&) = delete;

  WidgetKind kind() const { return kind_; }
  Backend& backend() const { return backend_; }
  const std::string& name() const { return name_; }
  void setName(std::string name) { name_ = std::move(name); }

  Widget* parent() const { return parent_; }
  const std::vector<Widget*>& children() const { return children_; }
  // The window this widget lies on (itself for a form); null when detached.
  Form* form();
  // Whether widget is this one or lies inside it.
  bool contains(const Widget* widget) const;

  std::int64_t tag() const { return tag_; }
  void setTag(std::int64_t tag) { tag_ = tag; }

  // Caption of forms, labels, panels and buttons; text of edits and combo boxes.
  const std::string& text() const { return text_; }
  virtual void setText(std::string text);

  bool visible() const { return visible_; }
  virtual void setVisible(bool visible);
  void show() { setVisible(true); }
  void hide() { setVisible(false); }
  // Visible and every parent visible.
  bool showing() const;
  // Hidden under a visible panel that lies above it or above one of its parents (a later
  // sibling whose area holds the control's middle), as a sheet's page lies over the
  // profile page: the user cannot see it, so the keyboard does not go there.
  bool covered() const;

  bool enabled() const { return enabled_; }
  void setEnabled(bool enabled);

  int left() const { return left_; }
  int top() const { return top_; }
  int width() const { return width_; }
  int height() const { return height_; }
  void setLeft(int left) { setBounds(left, top_, width_, height_); }
  void setTop(int top) { setBounds(left_, top, width_, height_); }
  void setWidth(int width) { setBounds(left_, top_, width, height_); }
  void setHeight(int height) { setBounds(left_, top_, width_, height); }
  void setBounds(int left, int top, int width, int height);

  Color color() const { return color_; }
  void setColor(Color color);
  // Labels: draw no background.
  bool transparent() const { return transparent_; }
  void setTransparent(bool transparent);

  const Font& font() const { return font_; }
  void setFont(const Font& font);
  void setFontColor(Color color);
  void setFontStyle(bool bold, bool italic);
  bool parentFont() const { return parentFont_; }
  // Takes the parent's font now and whenever the parent's font changes.
  void setParentFont(bool parentFont);

  const std::string& hint() const { return hint_; }
  void setHint(std::string hint);
  bool showHint() const { return showHint_; }
  void setShowHint(bool showHint);

  int tabOrder() const { return tabOrder_; }
  void setTabOrder(int order) { tabOrder_ = order; }
  bool tabStop() const { return tabStop_; }
  void setTabStop(bool tabStop) { tabStop_ = tabStop; }
  // Fields, lists, buttons and flat buttons can take the keyboard focus.
  bool canFocus() const;
  bool focused() const;
  void setFocus();

  void repaint();
  void bringToFront();

  // Events the program handles; a backend (or a test) raises them through the methods below.
  NotifyHandler onClick;
  NotifyHandler onDblClick;
  NotifyHandler onChange;
  NotifyHandler onExit;
  // The control got the keyboard focus.
  NotifyHandler onEnter;
  KeyHandler onKeyDown;
  KeyHandler onKeyUp;
  KeyPressHandler onKeyPress;
  MouseHandler onMouseDown;
  MouseHandler onMouseMove;
  MouseHandler onMouseUp;

  virtual void click();
  void doubleClick();
  void change();
  void mouseDown(MouseButton button, ShiftState shift, int x, int y);
  void mouseMove(ShiftState shift, int x, int y);
  void mouseUp(MouseButton button, ShiftState shift, int x, int y);
  void keyUp(int key, ShiftState shift);

  WidgetPeer* peer() const { return peer_.get(); }

 protected:
  // Tells the peer that a property changed.
  void changed(Prop prop);

 private:
  friend class Form;
  void detachChild(Widget* child);
  void inheritFontFrom(const Font& font);

  Backend& backend_;
  WidgetKind kind_;
  Widget* parent_ = nullptr;
  std::vector<Widget*> children_;
  std::string name_;
  std::int64_t tag_ = 0;
  std::string text_;
  bool visible_ = true;
  bool enabled_ = true;
  int left_ = 0;
  int top_ = 0;
  int width_ = 0;
  int height_ = 0;
  Color color_ = 0xF0F0F0;
  bool transparent_ = false;
  Font font_;
  bool parentFont_ = false;
  std::string hint_;
  bool showHint_ = false;
  int tabOrder_ = 0;
  bool tabStop_ = true;
  std::unique_ptr<WidgetPeer> peer_;

 protected:
  // Set once the subclass is fully constructed, so that the peer can read its state.
  void attachPeer();
};

// Flat buttons and image buttons: painted controls that take the focus, draw their own
// focus mark and are pressed with Space or Enter.
bool DrawsOwnFocusMark(const Widget& widget);

// The backend's counterpart of a widget. The peer reads the widget's state on apply().
class WidgetPeer {
 public:
  virtual ~WidgetPeer() = default;
  virtual void apply(Prop prop) = 0;
};

}  // namespace orvane::ui

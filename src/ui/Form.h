// Form: a top-level window. Tracks the focused control, runs modally, and carries the
// window styles the program uses (borderless, stay-on-top, tool window, rounded region).
// Thread: user-interface thread only.
#pragma once

#include <functional>
#include <optional>

#include "ui/Widget.h"

namespace orvane::ui {

enum class BorderStyle { None, Single, ToolWindow };

struct RoundRegion {
  int width = 0;
  int height = 0;
  int ellipseWidth = 0;
  int ellipseHeight = 0;
  bool operator==(const RoundRegion&) const = default;
};

class Form : public Widget {
 public:
  Form(Backend& backend, std::string name);
  ~Form() override;

  // Becoming visible raises onShow, as a window's show event does (here, for every backend).
  void setVisible(bool visible) override;

  BorderStyle borderStyle() const { return borderStyle_; }
  void setBorderStyle(BorderStyle style);
  bool stayOnTop() const { return stayOnTop_; }
  void setStayOnTop(bool onTop);
  // A full-screen window behind the others (the black backdrop).
  bool maximized() const { return maximized_; }
  void setMaximized(bool maximized);
  // A backdrop: under a window manager it stays below every other window of the program,
  // never takes the keyboard focus and has no entry in the task bar or the window switcher
  // (a click on it leaves the windows above it where they are).
  bool backdrop() const { return backdrop_; }
  void setBackdrop(bool backdrop);
  const std::optional<RoundRegion>& region() const { return region_; }
  void setRegion(std::optional<RoundRegion> region);
  bool minimized() const { return minimized_; }
  // Minimise to the task bar (used when no notification area is available).
  void minimize();
  void restore();

  // Pulls the window back inside the screen, keeping bottomReserve pixels free at the bottom
  // for the task bar. The top left corner wins when the window is larger than the screen,
  // so that its title stays reachable.
  void keepOnScreen(int bottomReserve);

  // The form sees keys before its controls (key preview).
  bool keyPreview() const { return keyPreview_; }
  void setKeyPreview(bool preview) { keyPreview_ = preview; }

  // The control that has the focus whenever the form is shown (a dialog's default button);
  // Enter presses it when the focus is on it, as on every button.
  Widget* defaultControl() const { return defaultControl_; }
  void setDefaultControl(Widget* control) { defaultControl_ = control; }
  // The control Escape presses (a dialog's way out); none by default.
  Widget* cancelControl() const { return cancelControl_; }
  void setCancelControl(Widget* control) { cancelControl_ = control; }
  // Whether control still lies on this form. Safe with a pointer to a control that has
  // been destroyed meanwhile (it is compared, never followed).
  bool holds(const Widget* control) const;

  Widget* activeControl() const { return activeControl_; }
  // Moves the focus to control (or away from every control when null); the control
  // that loses it gets its exit event.
  void setActiveControl(Widget* control);
  // Called by a backend when the toolkit moved the focus itself.
  void noteFocus(Widget* control);
  // Focus the next focusable control in tab order after current (one the user can see: not
  // covered by a panel above it); false when none.
  bool selectNext(Widget* current, bool forward = true);

  // Modal run: returns the modal result that closed the form.
  int showModal();
  int modalResult() const { return modalResult_; }
  void setModalResult(int result);
  // Hides the form; a modal run ends.
  void close();

  // Called before the form is shown (after it became visible) and when the user closes it.
  NotifyHandler onShow;
  NotifyHandler onCloseRequest;
  // Key events seen by the form before its controls (when key preview is on); the
  // program's global key (Backend::setGlobalKey) comes before everything else.
  // Returns whether the key was consumed (set to 0).
  bool previewKeyDown(Widget& target, int key, ShiftState shift);
  bool previewKeyPress(Widget& target, char key);
  // A key typed on target as the toolkit delivers it: first the form's preview, then the
  // control's own handler, then what the control does itself (a flat button is pressed);
  // a character that survives reaches a masked field's text.
  void keyDown(Widget& target, int key, ShiftState shift);
  void keyPress(Widget& target, char key);
  // A key released: a flat button pressed with that key is clicked and released now, even
  // when the press moved the focus away from it, and keeps the focus for the next press.
  void keyUp(Widget& target, int key, ShiftState shift);
  // Space or Enter on a flat button or an image button presses it as the left mouse button
  // does; Escape presses the cancel control (anywhere on the form). Returns whether the
  // key was taken; a held key's repeats are taken without pressing again.
  bool pressFlatButton(Widget& target, int key, bool repeated);
  // Whether key holds a flat button down (pressed by it and not released yet).
  bool holdsButtonByKey(int key) const { return keyPressedButton_ != nullptr && keyPressedKey_ == key; }
  // The button a released key is pressing right now (while its click runs), else null.
  Widget* keyReleasingButton() const { return releasingButton_; }

  void raiseShow();
  // A control is going away: the focus is dropped when it lies on or inside it.
  void forgetControl(Widget* control);

 private:
  BorderStyle borderStyle_ = BorderStyle::Single;
  bool stayOnTop_ = false;
  bool maximized_ = false;
  bool backdrop_ = false;
  bool minimized_ = false;
  bool keyPreview_ = false;
  std::optional<RoundRegion> region_;
  Widget* activeControl_ = nullptr;
  Widget* defaultControl_ = nullptr;
  Widget* cancelControl_ = nullptr;
  int modalResult_ = modal::kNone;
  // The flat button held down by a key, and that key.
  Widget* keyPressedButton_ = nullptr;
  int keyPressedKey_ = 0;
  // The flat button being released; cleared when it goes away meanwhile.
  Widget* releasingButton_ = nullptr;
};

}  // namespace orvane::ui

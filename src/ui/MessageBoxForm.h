// MessageBoxForm: the program's own message box. A borderless box with rounded corners in
// the colours the colour scheme gives message boxes (Backend::dialogColors), the caption as
// its title, the message, and flat buttons for the choice asked for. It opens with its
// default button focused ("OK", "Yes"); Enter or Space presses the focused button, Tab
// moves between them, Escape answers "Cancel", "No", or "OK" when that is the only
// button. No window manager draws a title bar on it, so nothing of it escapes the scheme.
// The Qt backend shows every message box as one; built on the widget layer, it also runs
// on the headless backend.
// Thread: user-interface thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ui/Controls.h"
#include "ui/Form.h"

namespace orvane::ui {

class MessageBoxForm : public Form {
 public:
  MessageBoxForm(Backend& backend, const std::string& text, const std::string& caption,
                 MessageButtons buttons);
  ~MessageBoxForm() override;

  // Shows the box modally; the answer (modal::kOk, kCancel, kYes, kNo). A box closed
  // without an answer (the program ends meanwhile) gives the answer Escape would.
  int ask();

  struct Choice {
    std::unique_ptr<Shape> shape;
    std::unique_ptr<Label> label;
    int result;
  };
  std::unique_ptr<Shape> Frame;
  std::unique_ptr<Label> Title;
  std::unique_ptr<Label> Message;
  std::vector<Choice> Choices;

  // The answer Escape gives.
  int escapeResult() const { return escapeResult_; }

 private:
  void applyColors();
  int escapeResult_ = modal::kOk;
};

}  // namespace orvane::ui

// Small builders for the program's fixed layouts: a caption label that takes its parent's
// font, and the flat buttons the windows use (a centred caption over a rounded shape).
// Thread: user-interface thread only.
#pragma once

#include <memory>
#include <string>

#include "ui/Controls.h"
#include "ui/Form.h"

namespace orvane::ui {

std::unique_ptr<Label> MakeCaption(Backend& backend, Widget* parent, const std::string& name,
                                   const std::string& caption, int left, int top);

// The shape is named name + "Shape"; label and shape share the bounds. The label is the
// button: it takes the focus in tab order and Space or Enter presses it.
void MakeFlatButton(Backend& backend, Widget* parent, std::unique_ptr<Shape>& shape,
                    std::unique_ptr<Label>& label, const std::string& name,
                    const std::string& caption, int left, int top, int width, int height = 25);

// A borderless dialog of the given size centred on the screen, its outline with curved
// corners (each cut by an ellipse a quarter of the height across), and the frame shape that
// fills it.
std::unique_ptr<Shape> MakeDialogFrame(Form& form, int width, int height);

// A bold title in the parent's font family at pointSize.
std::unique_ptr<Label> MakeTitle(Backend& backend, Widget* parent, const std::string& text,
                                 int left, int top, int pointSize);

}  // namespace orvane::ui

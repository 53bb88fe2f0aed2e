// Small builders for the program's fixed layouts: a caption label that takes its parent's
// font, and the flat buttons the windows use (a centred caption over a rounded shape).
// Thread: user-interface thread only.
#pragma once

#include <memory>
#include <string>

#include "ui/Controls.h"

namespace orvane {

std::unique_ptr<ui::Label> MakeCaption(ui::Backend& backend, ui::Widget* parent,
                                       const std::string& name, const std::string& caption,
                                       int left, int top);

// The shape is named name + "Shape"; label and shape share the bounds.
void MakeFlatButton(ui::Backend& backend, ui::Widget* parent, std::unique_ptr<ui::Shape>& shape,
                    std::unique_ptr<ui::Label>& label, const std::string& name,
                    const std::string& caption, int left, int top, int width, int height = 25);

}  // namespace orvane

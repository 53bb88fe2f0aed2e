// Marks a top-level window as the desktop for an X11 window manager
// (_NET_WM_WINDOW_TYPE_DESKTOP): it lies below every other window, a click does not raise
// it over them, and neither task bars nor window switchers list it. The black backdrop is
// such a window. Elsewhere (no X11) it does nothing.
// Thread: user-interface thread only.
#pragma once

class QWidget;

namespace orvane::ui {

// Call before the window is first shown: window managers read the type when they take a
// window over.
void MarkAsDesktopWindow(QWidget* window);

}  // namespace orvane::ui

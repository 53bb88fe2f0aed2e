// QtDisplayMode: changes the screen resolution of an X11 session through the RandR
// extension, keeping the rotation and (where the new size offers it) the refresh rate,
// and puts back the mode found before the first change. Nothing is stored in any
// configuration: the change lasts until restore() or the end of the session.
//
// It uses a connection of its own to the display named by DISPLAY, opened only when the
// application runs on X11; elsewhere (Wayland, offscreen, a server without RandR) every
// change fails and restore() does nothing. X errors during a change are caught and count
// as failure.
//
// Thread: user-interface thread only.
#pragma once

#include <optional>

#include "ui/Types.h"

namespace orvane::ui {

class QtDisplayMode {
 public:
  explicit QtDisplayMode(bool x11Session);
  // Puts the original mode back if the program left it changed.
  ~QtDisplayMode();
  QtDisplayMode(const QtDisplayMode&) = delete;
  QtDisplayMode& operator=(const QtDisplayMode&) = delete;

  // Switches to a screen size of width x height; true on success (also when the screen
  // already has that size).
  bool change(int width, int height);
  // Puts back the mode from before the first change; true when it changed the screen.
  bool restore();
  // The screen size as the X server has it now (it may be ahead of what Qt has seen).
  std::optional<Size> currentSize();

 private:
  struct Mode {
    int sizeIndex = 0;
    unsigned short rotation = 0;
    short rate = 0;
  };
  bool setMode(const Mode& mode);

  void* display_ = nullptr;  // Display*, kept opaque so that Xlib's macros stay out of here
  std::optional<Mode> original_;
};

}  // namespace orvane::ui

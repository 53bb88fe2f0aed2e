// HeadlessConsole: the display of the program run without one. It is the headless backend
// on the computer's clock, and what the windows would show the observer goes to a text
// stream (standard error) instead, one line each with a time stamp: the status lines (every
// label that reads "Status: ..." or "Error: ...", the controller's version, the profile's
// version and the initial alignment) whenever they change, the lines of the trace window's
// reports, and every message box. The windows are there as always; only their looks go
// nowhere.
// Created by the headless start (RunHeadless) before the windows.
// Thread: user-interface thread only.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "ui/headless/HeadlessBackend.h"

namespace orvane {

class HeadlessConsole : public ui::HeadlessBackend {
 public:
  explicit HeadlessConsole(std::FILE* out);

  std::unique_ptr<ui::WidgetPeer> createPeer(ui::Widget& widget) override;
  int messageBox(const std::string& text, const std::string& caption,
                 ui::MessageButtons buttons) override;

  // Writes one line: the local time, a blank and the (Latin-1) text.
  void Log(std::string_view text);
  // Status lines are written from now on; the texts the windows are built with are not.
  // (Trace lines are written from the start.)
  void StartShowing() { showing_ = true; }
  bool showing() const { return showing_; }

 private:
  std::FILE* out_;
  bool showing_ = false;
};

// The line a label's new text gives on the console, or nothing to write: the status lines
// ("Status: ..." and "Error: ..." of any label) as they stand, the controller's and the
// profile's version and the initial alignment with a word of what they are.
std::string ConsoleLineOfLabel(std::string_view labelName, std::string_view text);

// A text as one line of the console: line breaks at its end dropped, those inside turned
// into blanks, and every other control character (what a controller or a network client
// may send: NUL, escape sequences of terminals) written as "\xNN", so that a log or a
// terminal shows what came and nothing more.
std::string ConsoleLineText(std::string_view text);

// "YYYY-MM-DD HH:MM:SS.mmm".
std::string ConsoleTimeStamp(const ui::DateTime& local);

}  // namespace orvane

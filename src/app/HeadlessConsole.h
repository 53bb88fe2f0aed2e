// HeadlessConsole: the display of the program run without one. It is the headless backend
// on the computer's clock, and what the windows would show the observer goes to a text
// stream (standard error) instead, one line each with a time stamp (or, when the stream is
// the systemd journal's, with its priority): the status lines (every
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

  // Writes one line: the local time, a blank and the (Latin-1) text. When the stream is
  // the systemd journal's (a service's standard error), the journal keeps the time itself:
  // the line is the text behind its priority instead ("<3>" for an error, see
  // ConsoleLinePriority), so that the journal can tell errors from the rest.
  void Log(std::string_view text);
  // Status lines are written from now on; the texts the windows are built with are not.
  // (Trace lines are written from the start.)
  void StartShowing() { showing_ = true; }
  bool showing() const { return showing_; }

 private:
  std::FILE* out_;
  bool toJournal_ = false;
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

// The syslog priority of a console line for the journal: 3 (error) for the "Error: ..."
// lines, 4 (warning) for message boxes (what a user would have had to read), 6
// (information) for the rest.
int ConsoleLinePriority(std::string_view line);

// Whether a stream is the systemd journal's: JOURNAL_STREAM ("DEVICE:INODE", set by the
// service manager) names the stream's file.
bool IsJournalStream(std::FILE* stream, const char* journalStream);

// "YYYY-MM-DD HH:MM:SS.mmm".
std::string ConsoleTimeStamp(const ui::DateTime& local);

}  // namespace orvane

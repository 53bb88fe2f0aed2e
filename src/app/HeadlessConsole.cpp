#include "app/HeadlessConsole.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>

#include "text/Latin1Text.h"
#include "ui/Controls.h"
#include "ui/Edits.h"
#include "ui/Form.h"
#include "ui/Widget.h"

namespace orvane {

namespace {

constexpr std::string_view kTraceFormName = "TraceForm";

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// A status line of a label, written whenever its text changes.
class LabelLine : public ui::WidgetPeer {
 public:
  LabelLine(HeadlessConsole& console, ui::Widget& label) : console_(console), label_(label) {}
  void apply(ui::Prop prop) override {
    if (prop != ui::Prop::Text || !console_.showing()) return;
    const std::string line = ConsoleLineOfLabel(label_.name(), label_.text());
    if (!line.empty()) console_.Log(line);
  }

 private:
  HeadlessConsole& console_;
  ui::Widget& label_;
};

// One of the trace window's lists: each line added is written.
class TraceLines : public ui::WidgetPeer {
 public:
  TraceLines(HeadlessConsole& console, ui::Memo& memo) : console_(console), memo_(memo) {}
  void apply(ui::Prop prop) override {
    if (prop != ui::Prop::Items) return;
    const std::vector<std::string>& lines = memo_.lines();
    // A list at its length limit drops its oldest line as it takes a new one: a new last
    // line, or a longer list, is a line added.
    const bool added =
        !lines.empty() && (lines.size() > count_ || lines.back() != last_);
    count_ = lines.size();
    if (!added) return;
    last_ = lines.back();
    // The status report is the trace; the other two lists are what went out and came in.
    const std::string list = memo_.name() == "Output" ? "Trace, written: "
                             : memo_.name() == "Input" ? "Trace, read: "
                                                       : "Trace: ";
    console_.Log(list + last_);
  }

 private:
  HeadlessConsole& console_;
  ui::Memo& memo_;
  std::size_t count_ = 0;
  std::string last_;
};

}  // namespace

HeadlessConsole::HeadlessConsole(std::FILE* out)
    : ui::HeadlessBackend(ui::DateTime{}, 0, ui::Size{1024, 768},
                          ui::HeadlessBackend::Clock::Computer),
      out_(out),
      toJournal_(IsJournalStream(out, std::getenv("JOURNAL_STREAM"))) {}

std::unique_ptr<ui::WidgetPeer> HeadlessConsole::createPeer(ui::Widget& widget) {
  if (widget.kind() == ui::WidgetKind::Label) return std::make_unique<LabelLine>(*this, widget);
  if (widget.kind() == ui::WidgetKind::Memo) {
    const ui::Form* form = widget.form();
    if (form != nullptr && form->name() == kTraceFormName) {
      return std::make_unique<TraceLines>(*this, static_cast<ui::Memo&>(widget));
    }
  }
  return nullptr;
}

int HeadlessConsole::messageBox(const std::string& text, const std::string& caption,
                                ui::MessageButtons buttons) {
  Log("Message \"" + caption + "\": " + text);
  return ui::HeadlessBackend::messageBox(text, caption, buttons);
}

void HeadlessConsole::Log(std::string_view text) {
  const std::string shown = Latin1ToUtf8(ConsoleLineText(text));
  const std::string line =
      toJournal_ ? "<" + std::to_string(ConsoleLinePriority(shown)) + ">" + shown + "\n"
                 : ConsoleTimeStamp(localNow()) + " " + shown + "\n";
  std::fputs(line.c_str(), out_);
  std::fflush(out_);
}

std::string ConsoleLineOfLabel(std::string_view labelName, std::string_view text) {
  if (StartsWith(text, "Status: ") || StartsWith(text, "Error: ")) return std::string(text);
  if (text.empty()) return {};
  if (labelName == "OrvaneVersion") return "Controller: " + std::string(text);
  if (labelName == "ProfileVersion") return "Profile written for: " + std::string(text);
  if (labelName == "InitialAlign") return "Initial alignment: " + std::string(text);
  return {};
}

std::string ConsoleLineText(std::string_view text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
  std::string line;
  line.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (text[i] == '\n' || text[i] == '\r') {
      line.push_back(' ');
    } else if (byte < 0x20 || (byte >= 0x7f && byte < 0xa0)) {
      // Also the C1 controls, which a terminal reads in their UTF-8 form as well.
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      line += escaped;
    } else {
      line.push_back(text[i]);
    }
  }
  return line;
}

int ConsoleLinePriority(std::string_view line) {
  if (StartsWith(line, "Error: ") || StartsWith(line, "Error ")) return 3;
  if (StartsWith(line, "Message ")) return 4;
  return 6;
}

bool IsJournalStream(std::FILE* stream, const char* journalStream) {
  if (stream == nullptr || journalStream == nullptr) return false;
  unsigned long long device = 0;
  unsigned long long inode = 0;
  char end = 0;
  if (std::sscanf(journalStream, "%llu:%llu%c", &device, &inode, &end) != 2) return false;
  struct stat status {};
  if (::fstat(::fileno(stream), &status) != 0) return false;
  return static_cast<unsigned long long>(status.st_dev) == device &&
         static_cast<unsigned long long>(status.st_ino) == inode;
}

std::string ConsoleTimeStamp(const ui::DateTime& local) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d.%03d", local.year,
                local.month, local.day, local.hour, local.minute, local.second,
                local.millisecond);
  return buffer;
}

}  // namespace orvane

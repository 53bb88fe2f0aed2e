#include "link/TraceForm.h"

#include "ui/Backend.h"

namespace orvane {

namespace {
// Each list keeps this many lines, so that a long night of reports (a planetarium client
// connecting again and again) does not grow it without end.
constexpr size_t kTraceLines = 1000;
}  // namespace

TTraceForm::TTraceForm(ui::Backend& backend) : ui::Form(backend, "TraceForm") {
  ui::Backend& b = backend;
  setText("Debug Traces");
  setBorderStyle(ui::BorderStyle::Single);
  setStayOnTop(true);
  setColor(ui::kMaroon);
  ui::Size screen = b.screenSize();
  setBounds(screen.width - 204, screen.height - 371 - 10, 204, 371);
  ui::Font heading;
  heading.name = "Times New Roman";
  heading.pixelSize = 16;
  heading.bold = true;
  heading.color = ui::kWhite;
  ui::Font list;
  list.name = "Times New Roman";
  list.pixelSize = 13;
  auto label = [&](const char* name, const char* caption, int top) {
    auto l = std::make_unique<ui::Label>(b, this, name);
    l->setFont(heading);
    l->setBounds(8, top, 0, 0);
    l->setText(caption);
    return l;
  };
  auto memo = [&](const char* name, int top) {
    auto m = std::make_unique<ui::Memo>(b, this, name);
    m->setFont(list);
    m->setBounds(16, top, 180, 89);
    m->setVerticalScrollBar(true);
    // Read-only: a list of lines that keeps no history of its changes.
    m->setReadOnly(true);
    m->setLineLimit(kTraceLines);
    return m;
  };
  StatusLabel = label("StatusLabel", "Status Report", 8);
  Status = memo("Status", 32);
  OutputLabel = label("OutputLabel", "Output", 128);
  Output = memo("Output", 152);
  InputLabel = label("InputLabel", "Input", 248);
  Input = memo("Input", 272);
}

}  // namespace orvane

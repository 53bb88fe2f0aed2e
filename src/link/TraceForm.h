// TTraceForm: a diagnostic window with three lists (status reports, outgoing and incoming
// text). Created hidden; nothing shows it in normal use. Each list keeps a fixed number of
// the latest lines and no history of them, so its memory stays the same however long the
// program runs.
// Thread: user-interface thread only.
#pragma once

#include <memory>
#include <string>

#include "ui/Controls.h"
#include "ui/Edits.h"
#include "ui/Form.h"

namespace orvane {

class TTraceForm : public ui::Form {
 public:
  explicit TTraceForm(ui::Backend& backend);

  std::unique_ptr<ui::Label> StatusLabel, OutputLabel, InputLabel;
  std::unique_ptr<ui::Memo> Status, Output, Input;

  void Report(const std::string& text) { Status->addLine(text); }
  void Send(const std::string& text) { Output->addLine(text); }
  void Receive(const std::string& text) { Input->addLine(text); }
};

}  // namespace orvane

// TObserver: the small always-on-top strip that shows right ascension and declination
// while the main window is hidden. It can be dragged; a double click shows the main window.
// Thread: user-interface thread only.
#pragma once

#include <memory>

#include "app/Windows.h"
#include "dialogue/StatusPolling.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace orvane {

// The strip's own colours, which it shows by day.
constexpr ui::Color kObserverBackground = 4202688;
constexpr ui::Color kObserverText = ui::kWhite;

class TObserver : public ui::Form, public ObserverStrip {
 public:
  explicit TObserver(AppContext& context);

  // The strip's background and the colour of its texts (the colour scheme sets them).
  void SetColors(ui::Color background, ui::Color text);

  std::unique_ptr<ui::Label> RALabel, RA, DECLabel, DEC;

  void MouseDown(int x, int y);
  void MouseMove(int x, int y);
  void MouseUp();
  void FormShow();

  // ---- what polling shows ----
  void SetStripVisible(bool visible) override { setVisible(visible); }
  void ShowRightAscension(const std::string& text) override { RA->setText(text); }
  void ShowDeclination(const std::string& text) override { DEC->setText(text); }

 private:
  void hookDrag(ui::Widget& widget);
  AppContext& context_;
  bool dragging_ = false;
  bool moving_ = false;
  int pressX_ = 0;
  int pressY_ = 0;
};

}  // namespace orvane

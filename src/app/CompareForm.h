// TCompareForm: the sheets against the controller. Opened by "Compare with controller" on
// the profile page, it reads every setting from the controller (its status line counting
// the reads) into a comparison, leaving the sheets as they are, and lists the settings
// whose value on a sheet is not the one the controller holds: sheet, setting, the value
// on the sheet, the value in the controller. For the chosen row, or for all rows, the
// controller's value can be taken onto the sheet or the sheet's value sent to the
// controller; a row done leaves the list. Below, the backups of the controller's settings,
// newest first: "Restore" puts the chosen one's values on the sheets and sends them.
// Worked by mouse or keyboard: Tab walks the list and the buttons, the arrow keys the
// rows, Space or Enter presses a button, Escape closes. Drawn in the colour scheme, dim red
// at night; the frame drags it.
// Created by the Application after the ten windows; lives until exit.
// Thread: user-interface thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dialogue/BulkSettings.h"
#include "ui/ColorScheme.h"
#include "ui/Controls.h"
#include "ui/Edits.h"
#include "ui/Form.h"
#include "ui/Timer.h"

namespace orvane {

class SettingsBackups;
class Sheets;

class TCompareForm : public ui::Form {
 public:
  TCompareForm(ui::Backend& backend, ui::ColorScheme& scheme, BulkSettings& bulk,
               SettingsBackups& backups, const Sheets& sheets);

  std::unique_ptr<ui::Shape> Frame;
  std::unique_ptr<ui::Label> Title, Status;
  std::unique_ptr<ui::StringGrid> Differences;
  std::unique_ptr<ui::Shape> TakeShape, SendShape, ReadShape, TakeAllShape, SendAllShape,
      CloseShape, RestoreShape;
  std::unique_ptr<ui::Label> Take, Send, Read, TakeAll, SendAll, Close, Restore;
  std::unique_ptr<ui::Label> BackupsLabel;
  std::unique_ptr<ui::ComboBox> Backups;

  // Shows the window and reads the controller.
  void Open();
  void ReadClick();
  void TakeClick();
  void SendClick();
  void TakeAllClick();
  void SendAllClick();
  void RestoreClick();
  void CloseClick();
  void SetVisionMode(const ui::Palette& p);

  // The rows shown, in the list's order.
  const std::vector<ComparedSetting>& rows() const { return rows_; }

 private:
  void fill();
  void listBackups();
  // The chosen row's index in rows_, or none.
  int chosen() const;
  void remove(int index);
  bool stillValid();
  void say(const std::string& status);
  void showSelection(bool shown);

  ui::ColorScheme& scheme_;
  BulkSettings& bulk_;
  SettingsBackups& backups_;
  const Sheets& sheets_;
  std::vector<ComparedSetting> rows_;
  ui::Color selectionBackground_ = ui::kBlack;
  ui::Color selectionText_ = ui::kWhite;
  // Tries the read again once a command running now is done.
  ui::Timer retry_;
  unsigned long removals_ = 0;
  bool reading_ = false;
  bool dragging_ = false;
  int dragX_ = 0;
  int dragY_ = 0;
};

}  // namespace orvane

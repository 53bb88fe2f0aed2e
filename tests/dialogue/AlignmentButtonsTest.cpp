// The four alignment buttons of an object panel, acting on the memo line under the caret,
// and a slew reaching its target as polling reads it back.
#include <gtest/gtest.h>

#include "dialogue/DialogueTestSupport.h"
#include "transfer/FileTransferStruct.h"

namespace orvane::testing {
namespace {

class AlignmentButtonsTest : public DialogueTest {
 protected:
  // An object panel as a profile line with align=true makes it.
  FileTransferStruct& MakePanel() {
    auto panel = std::make_unique<FileTransferStruct>();
    ui::Backend& b = backend();
    ui::Widget* parent = main().SheetPanel.get();
    panel->number = "300";
    panel->memo = std::make_unique<ui::Memo>(b, parent, "DynamicFileMemo300");
    panel->statusLabel = std::make_unique<ui::Label>(b, parent, "DynamicLabel300_1");
    panel->statusLabel->setText("Status: Empty");
    FileTransferStruct* raw = panel.get();
    for (size_t k = 0; k < 4; ++k) {
      auto button = std::make_unique<ui::Button>(b, parent, "DynamicAlignButton300" +
                                                                std::to_string(k + 1));
      button->setText(kAlignmentCaptions[k]);
      button->setVisible(k == 0);
      ui::Button* rawButton = button.get();
      button->onClick = [this, raw, rawButton](ui::Widget&) {
        main().alignment.AdditionalAlign(*raw, *rawButton);
      };
      panel->alignmentButtons[k] = std::move(button);
    }
    main().FileTransferPanels.push_back(std::move(panel));
    return *raw;
  }
  void Click(FileTransferStruct& panel, size_t k) {
    mark();
    panel.alignmentButtons[k]->click();
  }
  static bool Shown(const FileTransferStruct& panel, size_t k) {
    return panel.alignmentButtons[k]->visible();
  }
  static void CaretOn(FileTransferStruct& panel, std::vector<std::string> lines, int line) {
    panel.memo->setLines(std::move(lines));
    panel.memo->setCaretLine(line);
  }
};

const std::vector<std::string> kObjects = {"Deneb,20:41:26,+45:16:49#",
                                           "Vega,18:36:56,+38:47:01#", "Altair,19:50:47,+08:52:06#"};

TEST_F(AlignmentButtonsTest, GoToSlewsToTheLineUnderTheCaretAndOffersTheOthers) {
  StartWith({});
  app().windows().schedule->EquinoxMode = 2;  // equinox of date chosen
  FileTransferStruct& panel = MakePanel();
  CaretOn(panel, kObjects, 1);
  Click(panel, 0);
  EXPECT_EQ(sent(), (Commands{":Sr18:36:56#", ":ONVega#", ":Sd+38:47:01#", ":MS#"}));
  EXPECT_EQ(panel.statusLabel->text(), "Slewing to Vega");
  EXPECT_EQ(controller().objectName(), "Vega");
  EXPECT_TRUE(Shown(panel, 1) && Shown(panel, 2) && Shown(panel, 3));

  Click(panel, 1);
  EXPECT_EQ(sent(), (Commands{":Cm#"}));
  EXPECT_EQ(panel.statusLabel->text(), "Additional alignment performed");
  Click(panel, 2);
  EXPECT_EQ(sent(), (Commands{":CM#"}));
  EXPECT_EQ(panel.statusLabel->text(), "Synchronized");

  // In J2000.0 the target is precessed before the slew.
  app().windows().schedule->EquinoxMode = 1;
  CaretOn(panel, kObjects, 2);
  Click(panel, 0);
  EXPECT_EQ(sent(),
            (Commands{":Sr19:50:47#", ":ONAltair#", ":Sd+08:52:06#", ":Sp#", ":MS#"}));

  // A slew from the schedule window hides the three again.
  app().windows().schedule->GoClick();
  EXPECT_TRUE(Shown(panel, 0));
  EXPECT_FALSE(Shown(panel, 1) || Shown(panel, 2) || Shown(panel, 3));
}

TEST_F(AlignmentButtonsTest, ABadLineIsRefusedAndNothingSent) {
  StartWith({});
  FileTransferStruct& panel = MakePanel();
  for (const std::string line : {"Vega 18:36:56", "Vega,18:36:56,+38:47:01", ""}) {
    CaretOn(panel, {line}, 0);
    Click(panel, 0);
    EXPECT_EQ(panel.statusLabel->text(), "Error in object definition") << line;
    EXPECT_TRUE(sent().empty()) << line;
  }
}

TEST_F(AlignmentButtonsTest, OfflineAndUnalignedAreRefused) {
  sim::ControllerOptions options;
  options.aligned = false;
  StartWith({}, options);
  main().AlignmentPrompt = false;  // "Proceed" was chosen
  FileTransferStruct& panel = MakePanel();
  CaretOn(panel, kObjects, 0);
  panel.alignmentButtons[1]->show();
  Click(panel, 0);
  EXPECT_EQ(panel.statusLabel->text(), "Error: Initial Alignment required");
  EXPECT_EQ(sent(), Commands{});
  EXPECT_EQ(count("<99:F#"), 1);
  EXPECT_FALSE(Shown(panel, 1));

  main().SerialPort->userSelect(6);  // "Offline"
  ASSERT_EQ(main().ConnectedPort, 0);
  panel.alignmentButtons[1]->show();
  Click(panel, 0);
  EXPECT_EQ(panel.statusLabel->text(), "Error: System offline");
  EXPECT_FALSE(Shown(panel, 1));
  EXPECT_TRUE(all().empty());
}

TEST_F(AlignmentButtonsTest, EmergencyStopAlwaysStopsTheMount) {
  sim::ControllerOptions options;
  options.level = 1;
  StartWith({}, options);
  FileTransferStruct& panel = MakePanel();
  CaretOn(panel, kObjects, 1);
  Click(panel, 0);
  backend().advance(500);
  ASSERT_TRUE(controller().mount().slewing(static_cast<double>(backend().nowMs())));

  // An empty memo, a controller that stopped answering its status: the stop goes out.
  controller().options().silent = false;
  CaretOn(panel, {}, 0);
  Click(panel, 3);
  EXPECT_EQ(sent().front(), ":Q#");
  EXPECT_EQ(panel.statusLabel->text(), "Status: Slewing stopped. Check Orvane display !!");
  EXPECT_FALSE(controller().mount().slewing(static_cast<double>(backend().nowMs())));
}

TEST_F(AlignmentButtonsTest, EmergencyStopIgnoresAMissingAlignment) {
  sim::ControllerOptions options;
  options.aligned = false;
  StartWith({}, options);
  main().AlignmentPrompt = false;
  FileTransferStruct& panel = MakePanel();
  CaretOn(panel, {"not an object"}, 0);
  Click(panel, 3);
  EXPECT_EQ(sent().front(), ":Q#");
  EXPECT_EQ(count("<99:F#"), 0);
}

TEST_F(DialogueTest, GoReachesTheTargetAsPollingReadsItBack) {
  sim::ControllerOptions options;
  options.level = 1;
  StartWith({}, options);
  TSchedule& schedule = *app().windows().schedule;
  schedule.EquinoxLabelClick();  // the controller's own equinox: no precession on the way
  schedule.TargetRA->setText("18h 36m 56s");
  schedule.TargetDEC->setText("+38\xB0 47' 01''");
  schedule.GoClick();
  const bool arrived = backend().runUntil(
      [&] {
        return main().RA->text() == "18h 36m 56" && main().Dec->text() == "+38\xB0 47' 01''";
      },
      120000);
  EXPECT_TRUE(arrived) << main().RA->text() << " " << main().Dec->text();
  EXPECT_EQ(schedule.CurrentRA->text(), "18h 36m 56");
  const double now = static_cast<double>(backend().nowMs());
  EXPECT_NEAR(controller().rightAscensionHours(now), 18 + 36 / 60.0 + 56 / 3600.0, 1.0 / 3600);
  EXPECT_NEAR(controller().declinationDegrees(now), 38 + 47 / 60.0 + 1 / 3600.0, 1.0 / 3600);
}

}  // namespace
}  // namespace orvane::testing

// Picking an object line in the panel's memo and the alignment buttons acting on it, with
// the commands they send; lines that are no object; when the three follow-up buttons hide.
#include <gtest/gtest.h>

#include "transfer/TransferTestSupport.h"

namespace orvane::testing {
namespace {

using Lines = std::vector<std::string>;

const Lines kObjects = {"Deneb,20:41:26,+45:16:49#", "Vega,18:36:56,+38:47:01#", "no object here",
                        "", "Altair,19:50:47,+08:52:06#"};
constexpr size_t kGoTo = 0, kAdditionalAlign = 1, kSynchronize = 2, kEmergencyStop = 3;

class PanelAlignmentTest : public TransferTest {
 protected:
  void SetUp() override {
    StartWithPanels();
    memo().setLines(kObjects);
  }
  bool followUpsShown() {
    return panel().alignmentButtons[1]->visible() && panel().alignmentButtons[2]->visible() &&
           panel().alignmentButtons[3]->visible();
  }
  bool followUpsHidden() {
    return !panel().alignmentButtons[1]->visible() && !panel().alignmentButtons[2]->visible() &&
           !panel().alignmentButtons[3]->visible();
  }
};

TEST_F(PanelAlignmentTest, APickedLineIsSelectedWholeAndGoToSlewsToIt) {
  ClickInMemo(1, 7);
  EXPECT_EQ(memo().selectedText(), "Vega,18:36:56,+38:47:01#");
  EXPECT_EQ(memo().anchor(), (ui::TextPosition{1, 0}));
  EXPECT_EQ(status(), "Status: Empty");

  // The manual control window shows J2000.0 as chosen, so the first slew tells the controller
  // so and the target is precessed.
  ClickAlign(kGoTo);
  EXPECT_EQ(sent(),
            (Commands{":p0#", ":Sr18:36:56#", ":ONVega#", ":Sd+38:47:01#", ":Sp#", ":MS#"}));
  EXPECT_EQ(status(), "Slewing to Vega");
  EXPECT_TRUE(followUpsShown());
  // The clicked button blinks, and ends shown.
  EXPECT_TRUE(main().appearance.blinker().enabled());
  backend().advance(1500);
  EXPECT_TRUE(panel().alignmentButtons[0]->visible());

  ClickAlign(kSynchronize);
  EXPECT_EQ(sent(), (Commands{":CM#"}));
  EXPECT_EQ(status(), "Synchronized");
  ClickAlign(kAdditionalAlign);
  EXPECT_EQ(sent(), (Commands{":Cm#"}));
  EXPECT_EQ(status(), "Additional alignment performed");
  ClickAlign(kEmergencyStop);
  EXPECT_EQ(sent().front(), ":Q#");
  EXPECT_EQ(status(), "Status: Slewing stopped. Check Orvane display !!");

  // The line under the caret counts, selected or not.
  memo().setCaret({4, 2});
  ClickAlign(kGoTo);
  EXPECT_EQ(sent(), (Commands{":Sr19:50:47#", ":ONAltair#", ":Sd+08:52:06#", ":Sp#", ":MS#"}));
  EXPECT_EQ(memo().selectedText(), "Altair,19:50:47,+08:52:06#");
}

TEST_F(PanelAlignmentTest, ALineThatIsNoObjectIsRefused) {
  ClickInMemo(2, 3);
  EXPECT_EQ(status(), "Error in object definition");
  EXPECT_EQ(memo().selectedText(), "no object here");
  ClickAlign(kGoTo);
  EXPECT_EQ(status(), "Error in object definition");
  EXPECT_TRUE(sent().empty());
  EXPECT_TRUE(followUpsHidden());

  // An empty line selects nothing and says nothing.
  panel().statusLabel->setText("Status: Empty");
  ClickInMemo(3);
  EXPECT_FALSE(memo().hasSelection());
  EXPECT_EQ(status(), "Status: Empty");
}

TEST_F(PanelAlignmentTest, SelectingByHandAndByKeys) {
  // A selection the user is making is left alone.
  memo().setSelection({0, 2}, {1, 4});
  memo().mouseUp(ui::MouseButton::Left, {}, 5, 5);
  EXPECT_EQ(memo().selectedText(), "neb,20:41:26,+45:16:49#\r\nVega");
  // Ctrl+A selects all, without a word in the status line.
  memo().keyUp('A', ui::ShiftState{false, false, true});
  EXPECT_EQ(memo().selectedText(),
            "Deneb,20:41:26,+45:16:49#\r\nVega,18:36:56,+38:47:01#\r\n"
            "no object here\r\n\r\nAltair,19:50:47,+08:52:06#");
  EXPECT_EQ(status(), "Status: Empty");
  // Moving the caret with the keys picks the line it lands on; the same line again nothing.
  memo().setCaret({4, 0});
  memo().keyUp(ui::keys::kDown, {});
  EXPECT_EQ(memo().selectedText(), "Altair,19:50:47,+08:52:06#");
  memo().setCaret({4, 3});
  memo().keyUp(ui::keys::kRight, {});
  EXPECT_FALSE(memo().hasSelection());
}

TEST_F(PanelAlignmentTest, EditingOrEnteringTheMemoHidesTheFollowUps) {
  ClickInMemo(0);
  ClickAlign(kGoTo);
  ASSERT_TRUE(followUpsShown());
  memo().userSetLines({"Deneb,20:41:26,+45:16:49#", "Vega"}, 1);
  EXPECT_TRUE(followUpsHidden());
  EXPECT_TRUE(panel().alignmentButtons[0]->visible());

  ClickInMemo(0);
  ClickAlign(kGoTo);
  ASSERT_TRUE(followUpsShown());
  main().setActiveControl(nullptr);
  memo().setFocus();
  EXPECT_TRUE(followUpsHidden());
}

// With the line lost nothing reaches the mount: the stop does not claim to have stopped it.
TEST_F(TransferTest, EmergencyStopWithoutAConnectionSaysSo) {
  sim::ControllerOptions unplugged;
  unplugged.unplugAtMs = 20000;
  StartWithPanels({kCatalogLine}, unplugged);
  backend().runUntil([&] { return main().ConnectedPort != 1; }, 30000);
  ASSERT_EQ(main().ConnectedPort, -1);
  mark();
  ClickAlign(kEmergencyStop);
  EXPECT_EQ(status(), "Error: System offline");
  EXPECT_TRUE(all().empty());
}

}  // namespace
}  // namespace orvane::testing

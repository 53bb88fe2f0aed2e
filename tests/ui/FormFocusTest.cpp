// Form behaviour on the headless backend: the focused control and its exit events, tab
// order across panels, the way typed keys travel (key preview, the control, the field),
// the show event and modal runs.
#include "ui/Form.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/Controls.h"
#include "ui/Edits.h"
#include "ui/headless/HeadlessBackend.h"

namespace orvane::ui {
namespace {

class FormFocusTest : public ::testing::Test {
 protected:
  FormFocusTest() { form.show(); }
  HeadlessBackend backend;
  Form form{backend, "TestForm"};
};

TEST_F(FormFocusTest, MovingTheFocusRaisesExitOnceOnTheControlThatLostIt) {
  MaskEdit first(backend, &form, "First");
  MaskEdit second(backend, &form, "Second");
  std::vector<std::string> exits;
  first.onExit = [&](Widget& w) { exits.push_back(w.name()); };
  second.onExit = [&](Widget& w) { exits.push_back(w.name()); };

  form.setActiveControl(&first);
  EXPECT_TRUE(exits.empty());
  form.setActiveControl(&first);
  EXPECT_TRUE(exits.empty()) << "focusing the focused control again is no exit";
  second.setFocus();
  EXPECT_EQ(exits, std::vector<std::string>{"First"});
  EXPECT_TRUE(second.focused());
  EXPECT_FALSE(first.focused());
  form.setActiveControl(nullptr);
  EXPECT_EQ(exits, (std::vector<std::string>{"First", "Second"}));
}

TEST_F(FormFocusTest, AnExitHandlerMayTakeTheFocusBack) {
  // A field that refuses to be left pulls the focus back from inside its exit event.
  MaskEdit field(backend, &form);
  MaskEdit other(backend, &form);
  int fieldExits = 0;
  int otherExits = 0;
  field.onExit = [&](Widget& w) {
    ++fieldExits;
    w.setFocus();
  };
  other.onExit = [&](Widget&) { ++otherExits; };
  field.setFocus();
  other.setFocus();
  EXPECT_EQ(fieldExits, 1);
  EXPECT_EQ(otherExits, 1);
  EXPECT_EQ(form.activeControl(), &field);
}

TEST_F(FormFocusTest, NoteFocusRecordsTheToolkitsFocusWithTheSameExitEvents) {
  MaskEdit first(backend, &form);
  MaskEdit second(backend, &form);
  int firstExits = 0;
  first.onExit = [&](Widget&) { ++firstExits; };
  form.noteFocus(&first);
  EXPECT_TRUE(first.focused());
  form.noteFocus(&first);
  form.noteFocus(&second);
  EXPECT_EQ(firstExits, 1);
  EXPECT_EQ(form.activeControl(), &second);
  form.noteFocus(nullptr);
  EXPECT_EQ(form.activeControl(), nullptr);
}

// Tab order over nested panels; names give the expected order.
class TabOrderTest : public FormFocusTest {
 protected:
  TabOrderTest() {
    panelA.setTabOrder(1);
    a2.setTabOrder(1);
    a1.setTabOrder(0);
    top.setTabOrder(0);
    panelB.setTabOrder(2);
    hiddenB.setTabOrder(1);
    hiddenB.hide();
    disabledB.setTabOrder(2);
    disabledB.setEnabled(false);
    noStop.setTabOrder(3);
    noStop.setTabStop(false);
    b2.setTabOrder(4);
    disabledPanel.setTabOrder(3);
    disabledPanel.setEnabled(false);
    hiddenPanel.setTabOrder(4);
    hiddenPanel.hide();
    last.setTabOrder(5);
  }
  std::vector<std::string> walk(Widget* from, bool forward, int steps) {
    std::vector<std::string> names;
    Widget* current = from;
    for (int i = 0; i < steps; ++i) {
      if (!form.selectNext(current, forward)) break;
      current = form.activeControl();
      names.push_back(current->name());
    }
    return names;
  }

  Panel panelA{backend, &form, "panelA"};
  MaskEdit a2{backend, &panelA, "a2"};
  MaskEdit a1{backend, &panelA, "a1"};
  Button top{backend, &form, "top"};
  Panel panelB{backend, &form, "panelB"};
  MaskEdit b1{backend, &panelB, "b1"};
  MaskEdit hiddenB{backend, &panelB, "hiddenB"};
  MaskEdit disabledB{backend, &panelB, "disabledB"};
  Button noStop{backend, &panelB, "noStop"};
  ComboBox b2{backend, &panelB, "b2"};
  Panel disabledPanel{backend, &form, "disabledPanel"};
  MaskEdit insideDisabled{backend, &disabledPanel, "insideDisabled"};
  Panel hiddenPanel{backend, &form, "hiddenPanel"};
  MaskEdit insideHidden{backend, &hiddenPanel, "insideHidden"};
  ListBox last{backend, &form, "last"};
};

TEST_F(TabOrderTest, ForwardCrossesPanelsSkipsWhatCannotTakeTheFocusAndWraps) {
  EXPECT_EQ(walk(nullptr, true, 7),
            (std::vector<std::string>{"top", "a1", "a2", "b1", "b2", "last", "top"}));
}

TEST_F(TabOrderTest, BackwardRunsTheSameOrderReversed) {
  EXPECT_EQ(walk(nullptr, false, 7),
            (std::vector<std::string>{"last", "b2", "b1", "a2", "a1", "top", "last"}));
}

TEST_F(TabOrderTest, AControlThatIsNoTabStopLeadsToTheControlAfterIt) {
  // A button that is no tab stop can still hold the focus after a click; Enter then moves on
  // from its place in the order.
  noStop.setFocus();
  EXPECT_EQ(walk(&noStop, true, 1), std::vector<std::string>{"b2"});
  noStop.setFocus();
  EXPECT_EQ(walk(&noStop, false, 1), std::vector<std::string>{"b1"});
}

TEST_F(TabOrderTest, ControlsShownOrEnabledAgainRejoinTheOrder) {
  hiddenPanel.show();
  disabledB.setEnabled(true);
  b1.setFocus();
  EXPECT_EQ(walk(&b1, true, 3), (std::vector<std::string>{"disabledB", "b2", "insideHidden"}));
}

TEST(FormTabOrderTest, NothingOrOnlyTheCurrentControlToGoToIsAFailure) {
  HeadlessBackend backend;
  Form form(backend, "Lonely");
  form.show();
  Label label(backend, &form);
  EXPECT_FALSE(form.selectNext(nullptr));
  MaskEdit only(backend, &form);
  only.setFocus();
  EXPECT_FALSE(form.selectNext(&only));
  EXPECT_EQ(form.activeControl(), &only);
  form.setActiveControl(nullptr);
  EXPECT_TRUE(form.selectNext(nullptr));
  EXPECT_EQ(form.activeControl(), &only);
}

// ---- typed keys ---------------------------------------------------------------------------

struct KeyRoute {
  const char* name;
  bool preview;
  bool previewConsumes;
  bool controlConsumes;
  char typed;
  std::vector<std::string> seen;  // who saw the key, in order
  std::string text;               // the field's text afterwards
};

TEST_F(FormFocusTest, TypedCharactersPassPreviewThenControlThenField) {
  const KeyRoute routes[] = {
      {"no preview", false, false, false, '7', {"field"}, "7"},
      {"preview passes", true, false, false, '7', {"form", "field"}, "7"},
      {"preview consumes", true, true, false, '7', {"form"}, ""},
      {"control consumes", true, false, true, '7', {"form", "field"}, ""},
      {"preview off ignores handler", false, true, false, '7', {"field"}, "7"},
      {"Latin-1 letter", false, false, false, '\xE9', {"field"}, "\xE9"},
      {"Enter is no character", false, false, false, '\r', {"field"}, ""},
  };
  for (const KeyRoute& route : routes) {
    SCOPED_TRACE(route.name);
    MaskEdit field(backend, &form, "field");
    std::vector<std::string> seen;
    form.setKeyPreview(route.preview);
    form.onKeyPress = [&](Widget& target, char& key) {
      EXPECT_EQ(&target, &field);
      seen.push_back("form");
      if (route.previewConsumes) key = 0;
    };
    field.onKeyPress = [&](Widget&, char& key) {
      EXPECT_EQ(key, route.typed);
      seen.push_back("field");
      if (route.controlConsumes) key = 0;
    };
    form.keyPress(field, route.typed);
    EXPECT_EQ(seen, route.seen);
    EXPECT_EQ(field.text(), route.text);
  }
}

TEST_F(FormFocusTest, ControlCanReplaceTheTypedCharacter) {
  MaskEdit field(backend, &form);
  field.onKeyPress = [](Widget&, char& key) {
    if (key == ',') key = '.';
  };
  for (char ch : std::string("1,5")) form.keyPress(field, ch);
  EXPECT_EQ(field.text(), "1.5");
}

TEST_F(FormFocusTest, MaskedFieldTakesTypedCharactersThroughItsMask) {
  MaskEdit field(backend, &form);
  field.setEditMask("00:00;1;_");
  for (char ch : std::string("1x234")) form.keyPress(field, ch);
  EXPECT_EQ(field.displayText(), "12:34");
}

TEST_F(FormFocusTest, KeyDownGoesThroughPreviewToTheControl) {
  MaskEdit field(backend, &form);
  std::vector<int> controlKeys;
  field.onKeyDown = [&](Widget&, int& key, ShiftState) { controlKeys.push_back(key); };
  form.onKeyDown = [](Widget&, int& key, ShiftState shift) {
    if (shift.onlyAlt()) key = 0;
  };
  form.keyDown(field, 'P', ShiftState{});
  EXPECT_EQ(controlKeys, std::vector<int>{'P'}) << "without key preview the form sees nothing";
  form.setKeyPreview(true);
  form.keyDown(field, 'P', ShiftState{false, true, false});
  form.keyDown(field, 'Q', ShiftState{});
  EXPECT_EQ(controlKeys, (std::vector<int>{'P', 'Q'}));
  EXPECT_TRUE(form.previewKeyDown(field, 'P', ShiftState{false, true, false}));
  EXPECT_FALSE(form.previewKeyDown(field, 'P', ShiftState{}));
}

// ---- showing and modal runs ----------------------------------------------------------------

TEST(FormShowTest, BecomingVisibleRaisesShowOnce) {
  HeadlessBackend backend;
  Form form(backend, "Shown");
  int shows = 0;
  form.onShow = [&](Widget&) { ++shows; };
  EXPECT_FALSE(form.visible());
  form.show();
  form.show();
  EXPECT_EQ(shows, 1);
  form.close();
  EXPECT_FALSE(form.visible());
  form.setVisible(true);
  EXPECT_EQ(shows, 2);
}

TEST(FormShowTest, ModalRunGoesThroughTheBackendsHandler) {
  HeadlessBackend backend;
  Form dialog(backend, "TDialog");
  int shows = 0;
  bool visibleDuringRun = false;
  dialog.onShow = [&](Widget&) { ++shows; };
  backend.modalHandler = [&](Form& form) {
    EXPECT_EQ(&form, &dialog);
    visibleDuringRun = form.visible();
    return modal::kCancel;
  };
  EXPECT_EQ(dialog.showModal(), modal::kCancel);
  EXPECT_TRUE(visibleDuringRun);
  EXPECT_EQ(shows, 1);
  EXPECT_FALSE(dialog.visible());
  EXPECT_EQ(backend.modalForms, std::vector<std::string>{"TDialog"});

  // A modal result set on the form wins over the handler's answer.
  backend.modalHandler = [](Form& form) {
    form.setModalResult(modal::kYes);
    EXPECT_FALSE(form.visible());
    return modal::kNo;
  };
  EXPECT_EQ(dialog.showModal(), modal::kYes);
  EXPECT_EQ(shows, 2);

  backend.modalHandler = nullptr;
  EXPECT_EQ(dialog.showModal(), modal::kOk);
  EXPECT_EQ(backend.modalForms.size(), 3u);
}

TEST(FormShowTest, AButtonWithAModalResultClosesItsForm) {
  HeadlessBackend backend;
  Form dialog(backend, "TDialog");
  Panel panel(backend, &dialog);
  Button ok(backend, &panel, "OK");
  Button help(backend, &panel, "Help");
  ok.setModalResult(modal::kOk);
  int okClicks = 0;
  ok.onClick = [&](Widget&) { ++okClicks; };
  backend.modalHandler = [&](Form& form) {
    help.click();
    EXPECT_TRUE(form.visible()) << "a button without a modal result leaves the form open";
    ok.click();
    EXPECT_FALSE(form.visible());
    return modal::kCancel;
  };
  EXPECT_EQ(dialog.showModal(), modal::kOk);
  EXPECT_EQ(okClicks, 1);

  // Outside a modal run the button still hides its form and leaves the result on it.
  dialog.show();
  ok.click();
  EXPECT_FALSE(dialog.visible());
  EXPECT_EQ(dialog.modalResult(), modal::kOk);
}

}  // namespace
}  // namespace orvane::ui

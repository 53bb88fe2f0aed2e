// Widget bookkeeping on the headless backend: parents and children, font inheritance,
// visibility through parents, and the focus a hidden or destroyed control must give up.
#include "ui/Widget.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ui/Controls.h"
#include "ui/Edits.h"
#include "ui/Form.h"
#include "ui/headless/HeadlessBackend.h"

namespace orvane::ui {
namespace {

class WidgetTest : public ::testing::Test {
 protected:
  HeadlessBackend backend;
  Form form{backend, "TestForm"};
};

TEST_F(WidgetTest, ChildrenAreListedInCreationOrderAndFindTheirForm) {
  Panel panel(backend, &form, "Panel");
  Label first(backend, &panel, "First");
  MaskEdit second(backend, &panel, "Second");

  EXPECT_EQ(form.children(), std::vector<Widget*>{&panel});
  EXPECT_EQ(panel.children(), (std::vector<Widget*>{&first, &second}));
  EXPECT_EQ(second.parent(), &panel);
  EXPECT_EQ(second.form(), &form);
  EXPECT_EQ(form.form(), &form);

  Panel detached(backend, nullptr, "Detached");
  EXPECT_EQ(detached.form(), nullptr);
}

TEST_F(WidgetTest, DestroyingAChildFirstRemovesItFromItsParent) {
  Panel panel(backend, &form);
  auto child = std::make_unique<MaskEdit>(backend, &panel);
  Label sibling(backend, &panel);
  child->setFocus();
  ASSERT_EQ(form.activeControl(), child.get());

  child.reset();
  EXPECT_EQ(panel.children(), std::vector<Widget*>{&sibling});
  EXPECT_EQ(form.activeControl(), nullptr);
  // The form must not reach the destroyed control when the focus moves on.
  MaskEdit next(backend, &panel);
  next.setFocus();
  EXPECT_EQ(form.activeControl(), &next);
}

TEST_F(WidgetTest, DestroyingAParentFirstDetachesItsChildren) {
  auto panel = std::make_unique<Panel>(backend, &form);
  auto inner = std::make_unique<Panel>(backend, panel.get());
  auto field = std::make_unique<MaskEdit>(backend, inner.get());
  int exits = 0;
  field->onExit = [&](Widget&) { ++exits; };
  field->setFocus();
  ASSERT_TRUE(field->focused());

  panel.reset();
  EXPECT_TRUE(form.children().empty());
  EXPECT_EQ(inner->parent(), nullptr);
  EXPECT_EQ(inner->form(), nullptr);
  EXPECT_EQ(field->form(), nullptr);
  // The focused control left the form with its panel.
  EXPECT_EQ(form.activeControl(), nullptr);
  EXPECT_FALSE(field->focused());

  field.reset();
  inner.reset();
  // Moving the focus now must not call into the destroyed field (ASan watches this).
  MaskEdit other(backend, &form);
  other.setFocus();
  EXPECT_EQ(form.activeControl(), &other);
  EXPECT_EQ(exits, 0);
}

TEST_F(WidgetTest, DestroyingTheFormFirstLeavesItsControlsDetached) {
  auto owner = std::make_unique<Form>(backend, "Owner");
  auto panel = std::make_unique<Panel>(backend, owner.get());
  auto field = std::make_unique<MaskEdit>(backend, panel.get());
  field->setFocus();

  owner.reset();
  EXPECT_EQ(panel->parent(), nullptr);
  EXPECT_EQ(field->form(), nullptr);
  EXPECT_FALSE(field->focused());
  field->setFocus();  // no form: nothing to focus on
  field.reset();
  EXPECT_TRUE(panel->children().empty());
}

TEST_F(WidgetTest, NewChildrenStartWithTheParentsFont) {
  Font font;
  font.name = "Arial";
  font.pixelSize = 13;
  form.setFont(font);
  Panel panel(backend, &form);
  Label label(backend, &panel);
  EXPECT_EQ(panel.font(), font);
  EXPECT_EQ(label.font(), font);
  EXPECT_FALSE(label.parentFont());
}

TEST_F(WidgetTest, ParentFontFollowsTheParentDownTheChain) {
  Panel panel(backend, &form);
  Panel inner(backend, &panel);
  Label following(backend, &inner);
  Label own(backend, &inner);
  inner.setParentFont(true);
  following.setParentFont(true);
  Font ownFont;
  ownFont.name = "Courier New";
  own.setFont(ownFont);

  panel.setFontColor(kMaroon);
  EXPECT_EQ(inner.font().color, kMaroon);
  EXPECT_EQ(following.font().color, kMaroon);
  EXPECT_EQ(own.font(), ownFont);

  panel.setFontStyle(true, false);
  EXPECT_TRUE(following.font().bold);
  EXPECT_FALSE(own.font().bold);

  // A control that sets its own font stops following; its own followers follow it.
  inner.setFontColor(kWhite);
  EXPECT_FALSE(inner.parentFont());
  EXPECT_EQ(following.font().color, kWhite);
  panel.setFontColor(kBlack);
  EXPECT_EQ(inner.font().color, kWhite);
  EXPECT_EQ(following.font().color, kWhite);

  // Turning it back on takes the parent's font at once.
  inner.setParentFont(true);
  EXPECT_EQ(inner.font(), panel.font());
  EXPECT_EQ(following.font(), panel.font());
}

TEST_F(WidgetTest, ParentFontOfADetachedWidgetKeepsItsFont) {
  Panel panel(backend, nullptr);
  Font font = panel.font();
  panel.setParentFont(true);
  EXPECT_TRUE(panel.parentFont());
  EXPECT_EQ(panel.font(), font);
}

TEST_F(WidgetTest, ShowingNeedsEveryParentVisible) {
  Panel outer(backend, &form);
  Panel inner(backend, &outer);
  Label label(backend, &inner);
  struct Case {
    bool form, outer, inner, label, showing;
  };
  const Case cases[] = {
      {true, true, true, true, true},     {false, true, true, true, false},
      {true, false, true, true, false},   {true, true, false, true, false},
      {true, true, true, false, false},   {false, false, false, false, false},
  };
  for (const Case& c : cases) {
    form.setVisible(c.form);
    outer.setVisible(c.outer);
    inner.setVisible(c.inner);
    label.setVisible(c.label);
    SCOPED_TRACE(::testing::Message() << c.form << c.outer << c.inner << c.label);
    EXPECT_EQ(label.showing(), c.showing);
  }
}

TEST_F(WidgetTest, HidingAFocusedControlOrItsParentDropsTheFocus) {
  form.show();
  Panel outer(backend, &form);
  Panel inner(backend, &outer);
  MaskEdit field(backend, &inner);
  Panel elsewhere(backend, &form);
  int exits = 0;
  field.onExit = [&](Widget&) { ++exits; };

  field.setFocus();
  elsewhere.hide();
  EXPECT_TRUE(field.focused()) << "hiding an unrelated panel keeps the focus";

  outer.hide();
  EXPECT_EQ(form.activeControl(), nullptr);
  EXPECT_EQ(exits, 1);
  EXPECT_FALSE(field.canFocus());

  outer.show();
  field.setFocus();
  field.hide();
  EXPECT_EQ(form.activeControl(), nullptr);
  EXPECT_EQ(exits, 2);
}

TEST_F(WidgetTest, OnlyShowingEnabledInputControlsCanFocus) {
  form.show();
  Panel panel(backend, &form);
  Label label(backend, &panel);
  Button button(backend, &panel);
  ListBox list(backend, &panel);
  EXPECT_FALSE(panel.canFocus());
  EXPECT_FALSE(label.canFocus());
  EXPECT_TRUE(button.canFocus());
  list.setEnabled(false);
  EXPECT_FALSE(list.canFocus());
  form.hide();
  EXPECT_FALSE(button.canFocus());
}

}  // namespace
}  // namespace orvane::ui

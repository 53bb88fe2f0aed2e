// The whole program, headless in virtual time: start-up, the main window's own behaviour
// and shutdown with the settings store.
#include <gtest/gtest.h>

#include <fstream>

#include "app/CreditsForm.h"
#include "app/DummyForm.h"
#include "link/Cache.h"
#include "schedule/Schedule.h"
#include "support/HeadlessApp.h"

namespace orvane {
namespace {

using testing::HeadlessApp;
using testing::WriteFile;

std::string fileText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(StartupTest, OpensTheDefaultProfileCentredWithEverythingRevealed) {
  HeadlessApp app;
  app.Start();
  TMainForm& main = app.main();
  EXPECT_TRUE(main.visible());
  EXPECT_EQ(main.left(), 112);
  EXPECT_EQ(main.top(), 84);
  EXPECT_EQ(main.width(), 800);
  EXPECT_EQ(main.height(), 600);
  EXPECT_EQ(main.CurrentProfileStatus->text(), "Status: Profile loaded");
  EXPECT_EQ(main.LoadedProfile, "Marovell Standard.ocf");
  EXPECT_EQ(main.ProfileFiles->text(), "Marovell Standard.ocf");
  EXPECT_EQ(main.StartupTimer.tag(), startup_phase::kStarted);
  EXPECT_FALSE(main.StartupTimer.enabled());
  for (ui::Widget* button : {static_cast<ui::Widget*>(main.NightVision.get()),
                             static_cast<ui::Widget*>(main.BtnCredits.get()),
                             static_cast<ui::Widget*>(main.BtnExit.get()),
                             static_cast<ui::Widget*>(main.BtnMinimize.get()),
                             static_cast<ui::Widget*>(main.BtnBackground.get()),
                             static_cast<ui::Widget*>(main.BtnSchedule.get()),
                             static_cast<ui::Widget*>(main.BtnZoom.get()),
                             static_cast<ui::Widget*>(main.SheetPanel.get())}) {
    EXPECT_TRUE(button->visible()) << button->name();
  }
  // The menu grew in and the status strip reached its full width.
  EXPECT_EQ(main.ProfileMenuPanel->width(), 150);
  EXPECT_EQ(main.ProfileMenu->width(), 144);
  ASSERT_FALSE(main.sheets.sheets().empty());
  for (const auto& sheet : main.sheets.sheets()) {
    EXPECT_TRUE(sheet->menuPanel->visible());
    EXPECT_EQ(sheet->menuPanel->width(), 150);
    EXPECT_EQ(sheet->menuPanel->top(), 120 + 45 * sheet->number);
  }
  EXPECT_EQ(main.StaticControlsPanel->width(), 665);
  EXPECT_EQ(main.StaticControlsFrame->width(), 681);
  EXPECT_TRUE(main.StaticControlsPanel->visible());
  // The rounded region and the backdrop came with the first show.
  ASSERT_TRUE(main.region().has_value());
  EXPECT_EQ(*main.region(), (ui::RoundRegion{801, 601, 150, 150}));
  EXPECT_TRUE(app.windows().dummy->visible());
  EXPECT_FALSE(app.windows().cache->visible());
}

TEST(StartupTest, CreatesTheTenWindowsAndLeavesTheHelpersHidden) {
  HeadlessApp app;
  app.Start();
  Windows& w = app.windows();
  for (const void* window : {static_cast<const void*>(w.main), static_cast<const void*>(w.trace),
                             static_cast<const void*>(w.cache), static_cast<const void*>(w.observer),
                             static_cast<const void*>(w.restart), static_cast<const void*>(w.error),
                             static_cast<const void*>(w.dummy), static_cast<const void*>(w.alignment),
                             static_cast<const void*>(w.credits),
                             static_cast<const void*>(w.schedule)}) {
    EXPECT_NE(window, nullptr);
  }
  EXPECT_FALSE(w.schedule->visible());
  EXPECT_FALSE(w.credits->visible());
}

TEST(StartupTest, RemembersTheProfileAtExitAndOpensItNextTime) {
  HeadlessApp first;
  WriteFile(first.programFolder() / "Night.ocf", "Sheet \"Only\"\n10 \"Heading\"\n");
  first.Start();
  first.main().ProfileFiles->setText("night");
  first.main().profilePage.LoadProfileClick();
  EXPECT_EQ(first.main().LoadedProfile, "Night.ocf");
  first.Exit();
  EXPECT_NE(fileText(first.environment().configFile()).find("LastProfile=Night.ocf"),
            std::string::npos);

  // A second run in the same folders opens it again.
  HeadlessApp second(ui::Size{1024, 768}, first.programFolder());
  second.settings().write("LastProfile", "Night.ocf");
  second.Start();
  EXPECT_EQ(second.main().LoadedProfile, "Night.ocf");
  ASSERT_EQ(second.main().sheets.sheets().size(), 1u);
  EXPECT_EQ(second.main().sheets.sheets()[0]->name, "Only");
}

TEST(StartupTest, ForgottenOrMissingProfileFallsBackToTheDefault) {
  HeadlessApp app;
  app.settings().write("LastProfile", "Deleted Meanwhile.ocf");
  app.Start();
  EXPECT_EQ(app.main().LoadedProfile, "Marovell Standard.ocf");
}

TEST(StartupTest, UnreadableFirstProfileStillShowsTheWindow) {
  HeadlessApp app;
  std::filesystem::remove(app.programFolder() / "Marovell Standard.ocf");
  app.Start();
  TMainForm& main = app.main();
  EXPECT_TRUE(main.visible());
  EXPECT_EQ(main.CurrentProfileStatus->text(), "Status: Unable to load Profile");
  EXPECT_TRUE(main.LoadedProfile.empty());
  app.Exit();
  EXPECT_NE(fileText(app.environment().configFile()).find("LastProfile=\n"), std::string::npos);
}

TEST(StartupTest, DraggingPastTheEdgesSnapsBack) {
  HeadlessApp app;
  app.Start();
  TMainForm& main = app.main();
  main.Frame->mouseDown(ui::MouseButton::Left, {}, 10, 10);
  main.Frame->mouseMove({}, 10 + 500, 10 + 400);
  EXPECT_EQ(main.left(), 612);
  EXPECT_EQ(main.top(), 484);
  main.Frame->mouseUp(ui::MouseButton::Left, {}, 0, 0);
  EXPECT_EQ(main.left(), 1024 - 800);
  EXPECT_EQ(main.top(), 768 - 600 - 24);

  main.Title->mouseDown(ui::MouseButton::Left, {}, 5, 5);
  main.Title->mouseMove({}, 5 - 1000, 5 - 1000);
  char escape = ui::keys::kEscape;
  main.FormKeyPress(escape);
  EXPECT_EQ(main.left(), 0);
  EXPECT_EQ(main.top(), 0);
  EXPECT_FALSE(main.DragActive);
  // Without a press nothing moves.
  main.Frame->mouseMove({}, 300, 300);
  EXPECT_EQ(main.left(), 0);
}

TEST(StartupTest, ZoomSwitchesTo800x600AndBack) {
  HeadlessApp app;
  app.backend().setSupportedModes({ui::Size{800, 600}});
  app.Start();
  TMainForm& main = app.main();
  main.BtnZoom->click();
  EXPECT_EQ(app.backend().screenSize().width, 800);
  EXPECT_EQ(main.left(), 0);
  EXPECT_EQ(main.top(), 0);
  main.BtnZoom->click();
  EXPECT_EQ(app.backend().screenSize().width, 1024);
  EXPECT_EQ(main.left(), 112);
  EXPECT_EQ(main.top(), 84);
}

TEST(StartupTest, ZoomThatTheDisplayRefusesLeavesTheWindowAlone) {
  HeadlessApp app;
  app.Start();
  app.main().BtnZoom->click();
  EXPECT_EQ(app.backend().screenSize().width, 1024);
  EXPECT_EQ(app.main().left(), 112);
}

TEST(StartupTest, StartedAt800x600ShortensTheRevealAndZoomRestoresThatSize) {
  HeadlessApp small(ui::Size{800, 600});
  small.Start();
  const long long smallStartMs = small.backend().nowMs();
  EXPECT_EQ(small.main().BtnZoom->tag(), -1);
  small.main().BtnZoom->click();
  EXPECT_EQ(small.backend().screenSize().width, 800);
  EXPECT_EQ(small.main().left(), 0);
  EXPECT_EQ(small.main().top(), 0);

  // The reveal plays 91 steps instead of 106: 15 ms less of the fixed sleeps.
  HeadlessApp large;
  large.Start();
  EXPECT_EQ(large.backend().nowMs() - smallStartMs, 15);
}

TEST(StartupTest, AltLetterOpensSheetsAndTheProfilePage) {
  HeadlessApp app;
  WriteFile(app.programFolder() / "Keys.ocf",
            "Sheet \"Alpha\"\n10 \"A\"\nSheet \"Park\"\n10 \"B\"\nSheet \"Pier\"\n10 \"C\"\n");
  app.settings().write("LastProfile", "Keys.ocf");
  app.Start();
  TMainForm& main = app.main();
  const auto& sheets = main.sheets.sheets();
  ASSERT_EQ(sheets.size(), 3u);
  ui::ShiftState alt{false, true, false};

  // On the profile page Alt+P opens the first sheet beginning with P.
  main.keyDown(main, 'P', alt);
  EXPECT_TRUE(sheets[1]->contentPanel->visible());
  EXPECT_TRUE(sheets[1]->menuLabel->font().italic);
  EXPECT_FALSE(main.ProfileMenu->font().italic);
  // On a sheet Alt+P opens the profile page.
  main.keyDown(main, 'P', alt);
  EXPECT_FALSE(sheets[1]->contentPanel->visible());
  EXPECT_TRUE(main.ProfileMenu->font().italic);
  // Only capital letters match; other modifiers do nothing.
  main.keyDown(main, 'A', ui::ShiftState{true, true, false});
  EXPECT_FALSE(sheets[0]->contentPanel->visible());
  main.keyDown(main, 'A', alt);
  EXPECT_TRUE(sheets[0]->contentPanel->visible());
}

TEST(StartupTest, SignFieldsTakeTheSignFirstAndEnterCommitsAndMovesOn) {
  HeadlessApp app;
  WriteFile(app.programFolder() / "Sign.ocf",
            "Sheet \"Site\"\n"
            "201 \"Offset\" -99:99 mask=\"#99;1;_\"\n"
            "202 \"Other\" 0:50\n");
  app.settings().write("LastProfile", "Sign.ocf");
  app.Start();
  TMainForm& main = app.main();
  auto& fields = main.sheets.sheets()[0]->fields;
  ASSERT_EQ(fields.size(), 2u);
  ui::MaskEdit& sign = *fields[0];
  main.sheets.Callback(*main.sheets.sheets()[0]->menuLabel);
  sign.setFocus();
  sign.setSelection(0, 0);
  main.keyPress(sign, '5');
  EXPECT_EQ(sign.text(), "+00");
  main.keyPress(sign, '-');
  main.keyPress(sign, '4');
  main.keyPress(sign, '2');
  EXPECT_EQ(sign.text(), "-42");

  main.keyPress(sign, '\r');
  EXPECT_EQ(main.activeControl(), fields[1].get());
  ASSERT_EQ(app.windows().cache->OutCache->items().size(), 1u);
  EXPECT_EQ(app.windows().cache->OutCache->items()[0].substr(0, 8), ">201:-42");
}

TEST(StartupTest, MinimiseHidesToTheTrayAndTheTrayBringsItBack) {
  HeadlessApp app;
  app.Start();
  TMainForm& main = app.main();
  const int cacheTop = app.windows().cache->top();
  main.BtnMinimize->click();
  EXPECT_FALSE(main.visible());
  EXPECT_FALSE(app.windows().dummy->visible());
  EXPECT_EQ(app.windows().cache->top(), cacheTop + 2000);
  main.TrayIcon.mouseDown(ui::MouseButton::Left);
  EXPECT_TRUE(main.visible());
  main.TrayIcon.mouseDown(ui::MouseButton::Right);
  ASSERT_EQ(app.backend().popupMenus.size(), 1u);
  EXPECT_EQ(app.backend().popupMenus[0], "Show Mainscreen");
  EXPECT_TRUE(main.TrayIcon.menu().choose("Show Manual Control"));
  EXPECT_TRUE(app.windows().schedule->visible());
  EXPECT_TRUE(main.TrayIcon.menu().choose("Exit OrvaneControl"));
  EXPECT_TRUE(app.backend().terminated());
}

TEST(StartupTest, WithoutANotificationAreaMinimiseKeepsATaskBarEntry) {
  HeadlessApp app;
  app.backend().setTrayAvailable(false);
  app.Start();
  app.main().BtnMinimize->click();
  EXPECT_TRUE(app.main().visible());
  EXPECT_TRUE(app.main().minimized());
}

TEST(StartupTest, BackgroundCreditsAndScheduleButtons) {
  HeadlessApp app;
  app.Start();
  TMainForm& main = app.main();
  main.BtnBackground->click();
  EXPECT_FALSE(app.windows().dummy->visible());
  main.BtnBackground->click();
  EXPECT_TRUE(app.windows().dummy->visible());
  main.BtnCredits->click();
  ASSERT_EQ(app.backend().modalForms.size(), 1u);
  EXPECT_EQ(app.backend().modalForms[0], "CreditsForm");
  main.BtnSchedule->click();
  EXPECT_TRUE(app.windows().schedule->visible());
}

TEST(StartupTest, ExitButtonEndsTheProgramAndShutdownClearsTheSheets) {
  HeadlessApp app;
  app.Start();
  app.main().BtnExit->mouseDown(ui::MouseButton::Left, {}, 1, 1);
  EXPECT_TRUE(app.backend().terminated());
  app.app().Shutdown();
  EXPECT_EQ(app.app().windows().main, nullptr);
}

TEST(StartupTest, ShutdownWithAutoSaveOffLeavesTheProfileUntouched) {
  HeadlessApp app;
  const auto profile = app.programFolder() / "Marovell Standard.ocf";
  const std::string before = fileText(profile);
  app.Start();
  app.Exit();
  EXPECT_EQ(fileText(profile), before);
}

TEST(StartupTest, ClockTickShowsComputerTimesAndFlushCountdown) {
  HeadlessApp app;
  app.Start();
  app.Advance(2000);
  TMainForm& main = app.main();
  const std::string local = main.ComputerTime->text();
  const std::string utc = main.UTCTime->text();
  ASSERT_EQ(local.size(), 8u);
  EXPECT_EQ(local.substr(0, 6), "21:00:");
  EXPECT_EQ(utc.substr(0, 6), "20:00:");
  // The cache delay field's "1   " reloads the countdown to one tick.
  EXPECT_EQ(app.windows().cache->Timer.tag(), CacheDelayTicks(main.CacheDelay->text()));
}

// An open sheet covers the profile page with its content panel; a profile page control that
// reaches outside that panel would show around every sheet.
TEST(StartupTest, ProfilePageLiesUnderEverySheetsContentPanel) {
  HeadlessApp app;
  app.Start();
  TMainForm& main = app.main();
  const auto& sheets = main.sheets.sheets();
  ASSERT_FALSE(sheets.empty());
  const ui::Widget& cover = *sheets.front()->contentPanel;
  for (const ui::Widget* child : main.SheetPanel->children()) {
    bool isSheet = false;
    for (const auto& sheet : sheets) isSheet = isSheet || child == sheet->contentPanel.get();
    if (isSheet) continue;
    SCOPED_TRACE(child->name());
    EXPECT_GE(child->left(), cover.left());
    EXPECT_GE(child->top(), cover.top());
    EXPECT_LE(child->left() + child->width(), cover.left() + cover.width());
    EXPECT_LE(child->top() + child->height(), cover.top() + cover.height());
  }
}

}  // namespace
}  // namespace orvane

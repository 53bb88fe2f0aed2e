// Colour schemes: brightness, tinting and switching between day and night.
#include <gtest/gtest.h>

#include "app/CreditsForm.h"
#include "app/Observer.h"
#include "dialogue/RestartForm.h"
#include "schedule/Schedule.h"
#include "support/HeadlessApp.h"

namespace orvane {
namespace {

using testing::HeadlessApp;

TEST(AppearanceTest, BrightnessScalesEachChannelAndFactorOneKeepsTheColour) {
  EXPECT_EQ(GetBrightness(0x0000B2, 0.5), 0x000059u);
  EXPECT_EQ(GetBrightness(0xFFFFFF, 0.4), 0x666666u);
  EXPECT_EQ(GetBrightness(0x96550C, 1), 0x96550Cu);
  EXPECT_DOUBLE_EQ(BrightnessFactorOf("100   %"), 1.0);
  EXPECT_DOUBLE_EQ(BrightnessFactorOf("  27   %"), 0.27);
  EXPECT_DOUBLE_EQ(BrightnessFactorOf("    6.6%"), 0.066);
  EXPECT_DOUBLE_EQ(BrightnessFactorOf("dim"), 0.0);
}

TEST(AppearanceTest, TintFollowsTheLightnessOfThePictureAndKeepsTransparency) {
  ui::Image picture{2, 1, {ui::kWhite, ui::Image::kTransparent}};
  ui::Image tinted = ColorizeImage(picture, 0x0000FF, 1);
  // sqrt(765 / 768) of full red, truncated.
  EXPECT_EQ(tinted.pixels[0], 0x0000FEu);
  EXPECT_EQ(tinted.pixels[1], ui::Image::kTransparent);
}

TEST(AppearanceTest, NightVisionDimsToAtLeastFortyPercentAndTogglingTwiceRestoresTheDay) {
  HeadlessApp app;
  app.Start();
  TMainForm& main = app.main();
  const ui::Color dayFrame = main.Frame->brushColor();
  const ui::Color dayField = main.CacheDelay->color();
  main.DimDisplay->userSelect(3);  // "  27   %"
  main.NightVision->click();
  EXPECT_EQ(main.NightVision->tag(), 1);
  EXPECT_DOUBLE_EQ(main.appearance.colorFactor(), 0.4);
  EXPECT_EQ(main.Frame->penColor(), GetBrightness(0x00008C, 0.4));
  EXPECT_EQ(main.CacheDelay->font().color, GetBrightness(0x0000FF, 0.4));
  main.NightVision->click();
  EXPECT_EQ(main.Frame->brushColor(), dayFrame);
  EXPECT_EQ(main.CacheDelay->color(), dayField);
  EXPECT_EQ(main.CacheDelay->font().color, ui::kBlack);
}

// Every switch takes its colours from the scheme being applied: the schedule grid (which
// copies the name field's font), the sheets' content panels whatever scheme the profile was
// loaded in, the dialogs' texts and the position strip.
TEST(AppearanceTest, EverythingTakesTheColoursOfTheSchemeBeingApplied) {
  HeadlessApp app;
  app.Start();
  TMainForm& main = app.main();
  TSchedule& schedule = *app.windows().schedule;
  const ui::StringGrid& grid = *schedule.Objects;
  const ui::Panel& content = *main.sheets.sheets().front()->contentPanel;
  const ui::Color dayContent = content.color();
  main.DimDisplay->userSelect(5);  // "  13   %": dimmed to 40 %
  for (int round = 0; round < 2; ++round) {
    main.NightVision->click();
    const ui::Color red = GetBrightness(0x0000FF, 0.4);
    EXPECT_EQ(grid.font().color, red);
    EXPECT_EQ(grid.color(), ui::kBlack);
    EXPECT_EQ(grid.selectionColor(), GetBrightness(0x0000B2, 0.4));
    EXPECT_EQ(grid.selectionFontColor(), ui::kBlack);
    EXPECT_EQ(content.color(), ui::kBlack);
    EXPECT_EQ(app.windows().restart->Title->font().color, red);
    EXPECT_EQ(app.windows().restart->Message->font().color, GetBrightness(0x0000B2, 0.4));
    EXPECT_EQ(app.windows().credits->Disclaimer->font().color, red);
    EXPECT_EQ(app.windows().observer->RA->font().color, red);
    EXPECT_EQ(app.windows().observer->color(), ui::kBlack);
    main.NightVision->click();
    // By day: black text on the frame colour, the selected row white like a field.
    EXPECT_EQ(grid.font().color, ui::kBlack);
    EXPECT_EQ(grid.color(), 0x96550Cu);
    EXPECT_EQ(grid.selectionColor(), ui::kWhite);
    EXPECT_EQ(grid.selectionFontColor(), ui::kBlack);
    EXPECT_EQ(content.color(), dayContent);
    EXPECT_EQ(app.windows().observer->color(), kObserverBackground);
    EXPECT_EQ(app.windows().credits->Disclaimer->font().color, ui::kWhite);
  }
  // A profile loaded at night shows its sheets in the day colours once it is day again.
  main.NightVision->click();
  main.profilePage.ReloadProfileNow();
  main.NightVision->click();
  EXPECT_EQ(main.sheets.sheets().front()->contentPanel->color(), dayContent);
}

// The system colours are the program's own: hidden in the notification area at night, what
// stays on the screen (the position strip, the icon's menu, a dialog the controller calls
// up) keeps the night scheme; by day the saved colours come back as the program hides.
TEST(AppearanceTest, HiddenAtNightTheSchemeStaysAndByDayTheSavedColoursReturn) {
  HeadlessApp app;
  ui::SystemPalette desktop;
  for (size_t i = 0; i < desktop.size(); ++i) desktop[i] = 0x101010 * static_cast<ui::Color>(i);
  app.backend().setSystemColors(desktop);
  app.Start();
  TMainForm& main = app.main();
  main.NightVision->click();
  const ui::SystemPalette night = app.backend().systemColors();
  ASSERT_NE(night, desktop);
  main.BtnMinimizeClick();
  ASSERT_FALSE(main.visible());
  EXPECT_EQ(app.backend().systemColors(), night);
  main.TrayShowMainClick();
  main.NightVision->click();
  main.BtnMinimizeClick();
  EXPECT_EQ(app.backend().systemColors(), desktop);
}

TEST(AppearanceTest, SecondBlinkFinishesTheFirstAndEndsVisible) {
  HeadlessApp app;
  app.Start();
  TMainForm& main = app.main();
  app.Advance(2000);
  main.appearance.Blink(*main.Title);
  app.Advance(200);
  EXPECT_FALSE(main.Title->visible());
  main.appearance.Blink(*main.Subtitle);
  EXPECT_TRUE(main.Title->visible());
  app.Advance(1200);
  EXPECT_TRUE(main.Subtitle->visible());
  EXPECT_FALSE(main.appearance.blinker().enabled());
}

}  // namespace
}  // namespace orvane

// The profile reader end to end: profiles written into the program's folder and read by the
// real reader of a started program in virtual time.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "profile/ProfileTestSupport.h"

namespace orvane::testing {
namespace {

using Lines = std::vector<std::string>;

class ProfileReaderTest : public ProfileTest {};

TEST_F(ProfileReaderTest, CommentsAndBlankLinesOnly) {
  ASSERT_TRUE(Load("# first\n\n\n# second\n\n#\n"));
  EXPECT_EQ(status(), kStatusLoaded);
  EXPECT_TRUE(sheets().sheets().empty());
  EXPECT_EQ(main().Profile, (Lines{"# first", "# second", "#"}));
  EXPECT_EQ(main().LoadedProfile, "test.ocf");
  EXPECT_EQ(main().ProfileFiles->text(), "test.ocf");
  EXPECT_FALSE(main().ProfileLoading);
  EXPECT_TRUE(main().visible());
}

TEST_F(ProfileReaderTest, EmptyFileLoads) {
  ASSERT_TRUE(Load(""));
  EXPECT_EQ(status(), kStatusLoaded);
  EXPECT_TRUE(main().Profile.empty());
}

// A line holds at most 254 characters, line end not counted, whatever the line end is.
TEST_F(ProfileReaderTest, LineLengthLimit) {
  struct Case {
    size_t length;
    const char* ending;
    const char* after;  // text that follows the long line
    bool accepted;
  };
  const Case cases[] = {
      {254, "\n", "# after\n", true},    {255, "\n", "# after\n", false},
      {254, "\r\n", "# after\n", true},  {255, "\r\n", "# after\n", false},
      {254, "", "", true},               {255, "", "", false},
      {300, "\n", "# after\n", false},   {253, "\n", "# after\n", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.length) + (c.ending[0] == '\r' ? " CR LF" : ""));
    backend().messageBoxes.clear();
    const std::string longLine = "#" + std::string(c.length - 1, 'x');
    const bool result = Load("Sheet \"A\"\n" + longLine + c.ending + c.after);
    EXPECT_EQ(result, c.accepted);
    if (c.accepted) {
      EXPECT_EQ(status(), kStatusLoaded);
      ASSERT_GE(main().Profile.size(), 2u);
      EXPECT_EQ(main().Profile[1], longLine);
      EXPECT_TRUE(backend().messageBoxes.empty());
    } else {
      EXPECT_EQ(status(), kStatusCorrupted);
      ASSERT_EQ(backend().messageBoxes.size(), 1u);
      EXPECT_EQ(backend().messageBoxes[0].text, "Profile corrupted !");
      EXPECT_EQ(backend().messageBoxes[0].caption, "Orvane");
      // Lines before the long one were read; nothing after it.
      EXPECT_EQ(main().Profile, (Lines{"Sheet \"A\""}));
      EXPECT_EQ(sheets().sheets().size(), 1u);
      EXPECT_TRUE(main().visible());
    }
  }
}

TEST_F(ProfileReaderTest, HandheldMarkerOnLineFiveStopsAfterFourLines) {
  const bool result = Load(Join({"Sheet \"A\"", "10 \"Heading\"", "CacheDelay \"3000\"",
                                  "# four", "[Orvane for PDA]", "Sheet \"B\"",
                                  "TimeOut \"4000\""}));
  EXPECT_FALSE(result);
  EXPECT_EQ(status(), kStatusInvalidFormat);
  EXPECT_EQ(main().Profile,
            (Lines{"Sheet \"A\"", "10 \"Heading\"", "CacheDelay \"3000\"", "# four"}));
  // Lines one to four were dispatched, the rest not.
  ASSERT_EQ(sheets().sheets().size(), 1u);
  EXPECT_EQ(sheet(0).labels.size(), 1u);
  EXPECT_EQ(Digits(*main().CacheDelay), "3000");
  EXPECT_EQ(Digits(*main().TimeOut), "1000");
  EXPECT_TRUE(main().visible());
  EXPECT_TRUE(backend().messageBoxes.empty());
}

TEST_F(ProfileReaderTest, HandheldMarkerVariantsAreControlLines) {
  for (const char* line : {"[Orvane for PDA] ", " [Orvane for PDA]", "[orvane for pda]"}) {
    SCOPED_TRACE(line);
    EXPECT_TRUE(Load(Join({"Sheet \"A\"", line, "20 \"Later\""})));
    EXPECT_EQ(status(), kStatusErrors);
    EXPECT_EQ(main().Profile.size(), 3u);
    EXPECT_EQ(texts(sheet(0).labels), (Lines{"Later:"}));
  }
}

TEST_F(ProfileReaderTest, CarriageReturnLineFeedReadsLikeLineFeed) {
  const Lines lines = {"# profile",     "Sheet \"A\"",  "10 \"Heading\"", "11 \"Hour\" 0:23",
                       "20 \"Mode\"",   "21 \"On\"",    "22 \"Off\"",     "Value 11=\"7\"",
                       "TimeOut \"1500\""};
  std::string lf;
  std::string crlf;
  for (const std::string& line : lines) {
    lf += line + "\n";
    crlf += line + "\r\n";
  }
  ASSERT_TRUE(Load(lf, "lf.ocf"));
  const Lines fromLf = main().Profile;
  const Lines labelsFromLf = texts(sheet(0).labels);
  ASSERT_TRUE(Load(crlf, "crlf.ocf"));
  EXPECT_EQ(main().Profile, fromLf);
  EXPECT_EQ(main().Profile, lines);
  EXPECT_EQ(texts(sheet(0).labels), labelsFromLf);
  EXPECT_EQ(sheet(0).fields.at(0)->text(), "7");
  EXPECT_EQ(sheet(0).lists.at(0)->items(), (Lines{"On", "Off"}));
  EXPECT_EQ(Digits(*main().TimeOut), "1500");
  EXPECT_EQ(status(), kStatusLoaded);
}

TEST_F(ProfileReaderTest, LastLineNeedsNoLineFeed) {
  ASSERT_TRUE(Load("Sheet \"A\"\n10 \"Last\""));
  EXPECT_EQ(main().Profile, (Lines{"Sheet \"A\"", "10 \"Last\""}));
  EXPECT_EQ(texts(sheet(0).labels), (Lines{"Last:"}));
}

TEST_F(ProfileReaderTest, MissingFile) {
  ASSERT_TRUE(Load(Join({"Sheet \"A\"", "10 \"Heading\""})));
  ASSERT_FALSE(main().Profile.empty());
  schedule().show();
  main().setBounds(3, 7, main().width(), main().height());

  sheets().RemoveAllComponents();
  EXPECT_FALSE(main().reader.ReadIniFile("missing.ocf"));
  EXPECT_EQ(status(), kStatusUnable);
  EXPECT_TRUE(main().appearance.blinker().enabled());
  EXPECT_TRUE(main().Profile.empty());
  EXPECT_TRUE(main().LoadedProfile.empty());
  EXPECT_FALSE(main().ProfileLoading);
  EXPECT_EQ(main().ProfileVersion->text(), "Detection failed");
  const ui::Size screen = backend().screenSize();
  EXPECT_EQ(main().left(), (screen.width - main().width()) / 2);
  EXPECT_EQ(main().top(), (screen.height - main().height()) / 2);
  EXPECT_TRUE(main().visible());
  EXPECT_FALSE(schedule().visible());
  // The blinking ends with the label shown.
  backend().advance(5000);
  EXPECT_FALSE(main().appearance.blinker().enabled());
  EXPECT_TRUE(main().CurrentProfileStatus->visible());
}

// A profile name that is a folder cannot be read: it is refused like a missing file (reading
// it would fail on every character).
TEST_F(ProfileReaderTest, FolderInsteadOfFile) {
  ASSERT_TRUE(Load(Join({"Sheet \"A\""})));
  std::filesystem::create_directory(app().programFolder() / "Folder.ocf");
  sheets().RemoveAllComponents();
  EXPECT_FALSE(main().reader.ReadIniFile("Folder.ocf"));
  EXPECT_EQ(status(), kStatusUnable);
  EXPECT_TRUE(main().Profile.empty());
  EXPECT_TRUE(main().LoadedProfile.empty());
  EXPECT_FALSE(main().ProfileLoading);
  EXPECT_TRUE(main().visible());
  EXPECT_TRUE(main().appearance.blinker().enabled());
}

// A faulty line is reported; the lines after it still build.
TEST_F(ProfileReaderTest, ErrorsMidFileDoNotStopReading) {
  ASSERT_TRUE(Load(Join({
      "10 \"Before any sheet\"",
      "Sheet \"A\"",
      "x1 \"Not a number\"",
      "Sheet\"NoBlank\"",
      " Sheet \"Leading blank\"",
      "12 \"Option without list\"",
      "11 \"Hour\" 0:23",
      "Dataset \"lower case\"",
      "20 \"Label\"",
      "21 \"On\"",
      "CacheDelay \"4000\"",
  })));
  EXPECT_EQ(status(), kStatusErrors);
  ASSERT_EQ(sheets().sheets().size(), 1u);
  EXPECT_EQ(texts(sheet(0).labels), (Lines{"Hour:", "Label:"}));
  EXPECT_EQ(sheet(0).fields.size(), 1u);
  EXPECT_EQ(sheet(0).lists.size(), 1u);
  EXPECT_EQ(Digits(*main().CacheDelay), "4000");
  EXPECT_EQ(main().Profile.size(), 11u);
}

// The error status is not overwritten by later good lines, and a fresh load starts clean.
TEST_F(ProfileReaderTest, ErrorStatusIsPerLoad) {
  ASSERT_TRUE(Load(Join({"Sheet \"A\"", "bad \"line\"", "10 \"Good\""})));
  EXPECT_EQ(status(), kStatusErrors);
  ASSERT_TRUE(Load(Join({"Sheet \"A\"", "10 \"Good\""})));
  EXPECT_EQ(status(), kStatusLoaded);
}

TEST_F(ProfileReaderTest, DataSetLinesAreKeptAndBuildNothing) {
  ASSERT_TRUE(Load(Join({"Sheet \"A\"", "DataSet \"User\" properties=\"140, 150\"",
                          "DataSetUser", "DataSet", "DataSets and more"})));
  EXPECT_EQ(status(), kStatusLoaded);
  EXPECT_EQ(main().Profile.size(), 5u);
  EXPECT_TRUE(sheet(0).labels.empty());
  EXPECT_TRUE(sheets().events().empty());
}

// A keyword counts only at the first character and with its trailing blank.
TEST_F(ProfileReaderTest, KeywordsNeedTheirBlankAndTheStartOfTheLine) {
  const char* lines[] = {
      "Sheet\"B\"",         " Sheet \"B\"",        "CacheDelay\"3000\"", "TimeOut\t\"3000\"",
      " Update \"3000\"",   "x Port \"COM3\"",     "Value\"1\"",         "Colors\"Day\" 000000",
  };
  const std::string cacheDelay = Digits(*main().CacheDelay);
  const std::string timeOut = Digits(*main().TimeOut);
  const std::string update = Digits(*main().UpdateInterval);
  const std::string port = main().SerialPort->text();
  const ColorTable day = main().appearance.dayColors;
  for (const char* line : lines) {
    SCOPED_TRACE(line);
    EXPECT_TRUE(Load(Join({"Sheet \"A\"", line})));
    EXPECT_EQ(status(), kStatusErrors);
    EXPECT_EQ(sheets().sheets().size(), 1u);
    EXPECT_EQ(Digits(*main().CacheDelay), cacheDelay);
    EXPECT_EQ(Digits(*main().TimeOut), timeOut);
    EXPECT_EQ(Digits(*main().UpdateInterval), update);
    EXPECT_EQ(main().SerialPort->text(), port);
    EXPECT_EQ(main().appearance.dayColors, day);
  }
}

TEST_F(ProfileReaderTest, ControlLineBeforeTheFirstSheetFails) {
  ASSERT_TRUE(Load(Join({"10 \"Heading\"", "11 \"Hour\" 0:23"})));
  EXPECT_EQ(status(), kStatusErrors);
  EXPECT_TRUE(sheets().sheets().empty());
  EXPECT_TRUE(sheets().events().empty());
}

// While lines are dispatched the windows are hidden, commands are silenced and the status
// says so; afterwards everything is back.
TEST_F(ProfileReaderTest, StateWhileReading) {
  struct Seen {
    bool loading = false;
    bool mainVisible = true;
    bool scheduleVisible = true;
    std::string status;
    std::string loaded;
  } seen;
  main().reader.compareVersions = [&] {
    seen.loading = main().ProfileLoading;
    seen.mainVisible = main().visible();
    seen.scheduleVisible = schedule().visible();
    seen.status = status();
    seen.loaded = main().LoadedProfile;
  };
  schedule().show();
  ASSERT_TRUE(Load(Join({"Sheet \"A\"", "Version \"1124\""}), "watched.ocf"));
  EXPECT_TRUE(seen.loading);
  EXPECT_FALSE(seen.mainVisible);
  EXPECT_FALSE(seen.scheduleVisible);
  EXPECT_EQ(seen.status, "Status: Loading Profile ...");
  EXPECT_EQ(seen.loaded, "watched.ocf");
  EXPECT_FALSE(main().ProfileLoading);
  EXPECT_TRUE(main().visible());
  EXPECT_TRUE(schedule().visible());
}

TEST_F(ProfileReaderTest, EveryLoadStartsFresh) {
  ASSERT_TRUE(Load(Join({"Version \"1124\"", "Schedule Time=\"20:00:00\" Name=\"M 31\" "
                                              "RA=\"00h 42m 44s\" Dec=\"+41\xB0 16' 09''\"",
                          "# kept"})));
  EXPECT_EQ(main().ProfileVersion->text(), "Level 1, Version 124");
  EXPECT_EQ(schedule().Objects->cell(1, 1), "M 31");
  schedule().ToggleScheduleClick();
  ASSERT_TRUE(schedule().ScheduleActive);

  ASSERT_TRUE(Load(Join({"# other"}), "other.ocf"));
  EXPECT_EQ(main().ProfileVersion->text(), "Detection failed");
  EXPECT_EQ(main().Profile, (Lines{"# other"}));
  EXPECT_EQ(schedule().Objects->rowCount(), 2);
  EXPECT_EQ(schedule().Objects->cell(1, 1), "");
  EXPECT_FALSE(schedule().ScheduleActive);
  EXPECT_EQ(main().LoadedProfile, "other.ocf");
}

// The profile page's "Load": the name typed in the selector, ".ocf" added when missing.
TEST_F(ProfileReaderTest, LoadThroughTheProfilePage) {
  Write("Page.ocf", Join({"Sheet \"Typed\"", "10 \"Heading\""}));
  main().profilePage.ProfilesChange();
  main().ProfileFiles->setText("Page");
  main().profilePage.LoadProfileClick();
  EXPECT_EQ(status(), kStatusLoaded);
  EXPECT_EQ(main().LoadedProfile, "Page.ocf");
  ASSERT_EQ(sheets().sheets().size(), 1u);
  EXPECT_EQ(sheet(0).name, "Typed");
  EXPECT_TRUE(main().ReloadProfile->visible());

  // Reload reads the same file again, after the file changed.
  Write("Page.ocf", Join({"Sheet \"One\"", "Sheet \"Two\""}));
  main().profilePage.ReloadProfileNow();
  ASSERT_EQ(sheets().sheets().size(), 2u);
  EXPECT_EQ(sheet(1).name, "Two");
}

// The sheet menu grows in after a load once start-up has finished.
TEST_F(ProfileReaderTest, SheetMenusGrowInAfterLoad) {
  ASSERT_TRUE(Load(Join({"Sheet \"A\"", "Sheet \"B\""})));
  for (const auto& record : sheets().sheets()) {
    EXPECT_TRUE(record->menuPanel->visible());
    EXPECT_EQ(record->menuPanel->width(), 150);
    EXPECT_EQ(record->menuLabel->width(), 144);
    EXPECT_FALSE(record->contentPanel->visible());
  }
}

TEST_F(ProfileReaderTest, ShippedProfileLoads) {
  // Start-up opened the default profile already.
  EXPECT_EQ(main().LoadedProfile, "Marovell Standard.ocf");
  EXPECT_EQ(status(), kStatusLoaded);

  sheets().RemoveAllComponents();
  ASSERT_TRUE(main().reader.ReadIniFile("Marovell Standard.ocf"));
  EXPECT_EQ(status(), kStatusLoaded);
  EXPECT_FALSE(sheets().sheets().empty());
  EXPECT_FALSE(sheets().events().empty());
  EXPECT_EQ(main().FindInProfile("Schedule ", -1), -1);
  EXPECT_GT(schedule().Objects->rowCount(), 1);
  EXPECT_NE(main().ProfileVersion->text(), "Detection failed");
}

// A name that is no regular file is refused at once, at start-up and by "Load": a named
// pipe would block the program until a writer came, a device might act on being opened.
TEST(ProfileOpeningTest, NamesThatAreNoRegularFilesAreRefused) {
  HeadlessApp app;
  ASSERT_EQ(::mkfifo((app.programFolder() / "Pipe.ocf").c_str(), 0600), 0);
  app.settings().write("LastProfile", "Pipe.ocf");
  app.Start();
  TMainForm& main = app.main();
  EXPECT_EQ(main.CurrentProfileStatus->text(), "Status: Unable to load Profile");
  EXPECT_TRUE(main.LoadedProfile.empty());
  EXPECT_TRUE(main.visible());

  main.ProfileFiles->setText("Pipe");
  main.profilePage.LoadProfileClick();
  EXPECT_EQ(main.CurrentProfileStatus->text(), "Status: Unable to load Profile");
  for (const char* name : {"/dev/null", "/dev/zero"}) {
    main.sheets.RemoveAllComponents();
    EXPECT_FALSE(main.reader.ReadIniFile(name));
    EXPECT_EQ(main.CurrentProfileStatus->text(), "Status: Unable to load Profile") << name;
  }
}

}  // namespace
}  // namespace orvane::testing

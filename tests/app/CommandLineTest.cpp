// The command line of orvane-control, read before any window exists.
#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace orvane {
namespace {

using Action = CommandLine::Action;
using Arguments = std::vector<std::string>;

TEST(CommandLineTest, NoArgumentsRunTheProgram) {
  const CommandLine parsed = ParseCommandLine({});
  EXPECT_EQ(parsed.action, Action::Run);
  EXPECT_TRUE(parsed.screenshotPath.empty());
  EXPECT_TRUE(parsed.error.empty());
}

TEST(CommandLineTest, ScreenshotTakesItsFileInEitherForm) {
  for (const Arguments& arguments : {Arguments{"--screenshot", "/tmp/shot one.png"},
                                     Arguments{"--screenshot=/tmp/shot one.png"}}) {
    const CommandLine parsed = ParseCommandLine(arguments);
    EXPECT_EQ(parsed.action, Action::Run) << arguments[0];
    EXPECT_EQ(parsed.screenshotPath, "/tmp/shot one.png") << arguments[0];
  }
  // The last one counts, as with most programs.
  EXPECT_EQ(ParseCommandLine({"--screenshot", "a.png", "--screenshot=b.png"}).screenshotPath,
            "b.png");
}

TEST(CommandLineTest, HelpAndVersionEndTheReading) {
  for (const Arguments& arguments :
       {Arguments{"--help"}, Arguments{"-h"}, Arguments{"--screenshot", "x.png", "--help"},
        Arguments{"--help", "--bogus"}, Arguments{"--help", "--version"}}) {
    EXPECT_EQ(ParseCommandLine(arguments).action, Action::ShowHelp) << arguments.back();
  }
  for (const Arguments& arguments :
       {Arguments{"--version"}, Arguments{"--version", "--bogus"}, Arguments{"--version", "-h"}}) {
    EXPECT_EQ(ParseCommandLine(arguments).action, Action::ShowVersion) << arguments.back();
  }
}

TEST(CommandLineTest, HelpNamesEveryOptionAndVersionTheRelease) {
  const std::string usage = UsageText();
  for (const char* option : {"--screenshot FILE", "--help", "--version"}) {
    EXPECT_NE(usage.find(option), std::string::npos) << option;
  }
  EXPECT_EQ(usage.rfind("Usage: orvane-control", 0), 0u);
  EXPECT_EQ(usage.back(), '\n');
  EXPECT_EQ(VersionText(), std::string("orvane-control ") + ORVANE_VERSION + "\n");
}

TEST(CommandLineTest, HeadlessProfileAndPortChooseHowTheProgramRuns) {
  const CommandLine parsed =
      ParseCommandLine({"--headless", "--profile", "Night Sky", "--port=com3"});
  EXPECT_EQ(parsed.action, Action::Run);
  EXPECT_TRUE(parsed.headless);
  EXPECT_EQ(parsed.profile, "Night Sky");
  EXPECT_EQ(parsed.portEntry, 3);
  EXPECT_FALSE(ParseCommandLine({}).headless);
  EXPECT_EQ(ParseCommandLine({}).portEntry, -1);
  EXPECT_EQ(ParseCommandLine({"--port", "Auto-detect"}).portEntry, 0);
  EXPECT_EQ(ParseCommandLine({"--port", "OFFLINE"}).portEntry, 6);
  EXPECT_EQ(ParseCommandLine({"--profile=Marovell Standard.ocf"}).profile,
            "Marovell Standard.ocf");
  for (const char* option : {"--headless", "--profile NAME", "--port PORT"}) {
    EXPECT_NE(UsageText().find(option), std::string::npos) << option;
  }
}

TEST(CommandLineTest, WrongArgumentsAreRefusedWithTheReason) {
  struct Case {
    Arguments arguments;
    std::string error;
  };
  const std::vector<Case> cases = {
      {{"--bogus"}, "unknown option --bogus"},
      {{"-x"}, "unknown option -x"},
      {{"--screenshot", "a.png", "--verbose"}, "unknown option --verbose"},
      {{"--screenshot"}, "--screenshot needs the name of a PNG file"},
      {{"--screenshot="}, "--screenshot needs the name of a PNG file"},
      {{"--screenshot", ""}, "--screenshot needs the name of a PNG file"},
      // A forgotten file name: the next option is not taken for one.
      {{"--screenshot", "--help"}, "--screenshot needs the name of a PNG file"},
      {{"--version=2"}, "--version takes no value"},
      {{"--help=all"}, "--help takes no value"},
      {{"Night.ocf"}, "unexpected argument \"Night.ocf\" (the program takes no files)"},
      {{"--profile"}, "--profile needs the name of a profile"},
      {{"--profile", "--headless"}, "--profile needs the name of a profile"},
      {{"--port"}, "--port needs a port: COM1 to COM5, Auto-detect or Offline"},
      {{"--port", "COM6"}, "--port COM6 is no port: COM1 to COM5, Auto-detect or Offline"},
      {{"--port=/dev/ttyUSB0"},
       "--port /dev/ttyUSB0 is no port: COM1 to COM5, Auto-detect or Offline"},
      {{"--headless", "--screenshot", "a.png"},
       "--screenshot needs a display; it cannot go with --headless"},
  };
  for (const Case& c : cases) {
    const CommandLine parsed = ParseCommandLine(c.arguments);
    EXPECT_EQ(parsed.action, Action::Refuse) << c.error;
    EXPECT_EQ(parsed.error, c.error);
  }
  EXPECT_EQ(kExitUsageError, 2);
}

}  // namespace
}  // namespace orvane

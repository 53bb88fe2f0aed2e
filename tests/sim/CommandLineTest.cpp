// orvane-sim's arguments and its device link.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "CommandLine.h"
#include "DeviceLink.h"
#include "support/HeadlessApp.h"

namespace orvane::sim {
namespace {

namespace fs = std::filesystem;

TEST(CommandLine, DefaultsServeAPacedLevelThreeController) {
  CommandLineResult result = parseCommandLine({});
  ASSERT_TRUE(result.settings);
  const ControllerOptions& options = result.settings->controller;
  EXPECT_EQ(options.level, 3);
  EXPECT_EQ(options.version, "24");
  EXPECT_TRUE(options.highPrecision);
  EXPECT_TRUE(options.paceAtLineRate);
  EXPECT_FALSE(options.startInBootMode);
  EXPECT_TRUE(result.settings->linkPath.empty());
  EXPECT_FALSE(result.settings->log);
}

TEST(CommandLine, EveryOptionReachesItsSetting) {
  CommandLineResult result = parseCommandLine({"--link",
                                               "/tmp/ttyOrvane",
                                               "--level",
                                               "2",
                                               "--version=31",
                                               "--low-precision",
                                               "--boot-mode",
                                               "--unaligned",
                                               "--silent",
                                               "--echo",
                                               "--garbage",
                                               "--split",
                                               "3",
                                               "--late=250",
                                               "--unplug-after",
                                               "5000",
                                               "--announce-every",
                                               "700",
                                               "--replug-after=1500",
                                               "--no-pacing",
                                               "--strict",
                                               "--log"});
  ASSERT_TRUE(result.settings) << result.error;
  const SimulatorSettings& settings = *result.settings;
  const ControllerOptions& options = settings.controller;
  EXPECT_EQ(settings.linkPath, "/tmp/ttyOrvane");
  EXPECT_EQ(options.level, 2);
  EXPECT_EQ(options.version, "31");
  EXPECT_FALSE(options.highPrecision);
  EXPECT_TRUE(options.startInBootMode);
  EXPECT_FALSE(options.aligned);
  EXPECT_TRUE(options.silent);
  EXPECT_TRUE(options.echo);
  EXPECT_TRUE(options.garbage);
  EXPECT_EQ(options.splitPieces, 3);
  EXPECT_DOUBLE_EQ(options.lateReplyMs, 250);
  EXPECT_DOUBLE_EQ(options.unplugAtMs, 5000);
  EXPECT_DOUBLE_EQ(options.replugAtMs(), 6500);
  EXPECT_TRUE(options.strict);
  EXPECT_DOUBLE_EQ(options.announceEveryMs, 700);
  EXPECT_FALSE(options.paceAtLineRate);
  EXPECT_TRUE(settings.log);
}

TEST(CommandLine, HelpStopsTheParse) {
  CommandLineResult result = parseCommandLine({"--level", "2", "--help", "--bogus"});
  EXPECT_TRUE(result.helpRequested);
  EXPECT_FALSE(result.settings);
  EXPECT_NE(usageText().find("--unplug-after"), std::string::npos);
}

TEST(CommandLine, VersionAloneAsksForTheSimulatorsOwnVersion) {
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"--version"}, std::vector<std::string>{"--log", "--version"},
        std::vector<std::string>{"--version", "--log"},
        std::vector<std::string>{"--version", "-h"}}) {
    CommandLineResult result = parseCommandLine(arguments);
    EXPECT_TRUE(result.versionRequested) << arguments.size();
    EXPECT_FALSE(result.settings);
  }
  EXPECT_EQ(versionText(), std::string("orvane-sim ") + ORVANE_VERSION + "\n");
  // With digits it stays the simulated controller's version.
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"--version", "17", "--log"},
        std::vector<std::string>{"--version=17"}}) {
    CommandLineResult result = parseCommandLine(arguments);
    ASSERT_TRUE(result.settings) << result.error;
    EXPECT_FALSE(result.versionRequested);
    EXPECT_EQ(result.settings->controller.version, "17");
  }
}

class BadArguments : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(BadArguments, AreRefusedWithAReason) {
  CommandLineResult result = parseCommandLine(GetParam());
  EXPECT_FALSE(result.settings);
  EXPECT_FALSE(result.helpRequested);
  EXPECT_FALSE(result.error.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadArguments,
    ::testing::Values(
        std::vector<std::string>{"--bogus"}, std::vector<std::string>{"--level"},
        std::vector<std::string>{"--level", "10"}, std::vector<std::string>{"--level", "x"},
        std::vector<std::string>{"--version", "324"}, std::vector<std::string>{"--version", "2x"},
        std::vector<std::string>{"--split", "0"}, std::vector<std::string>{"--late", "-5"},
        std::vector<std::string>{"--late", "12ms"},
        std::vector<std::string>{"--announce-every", "0"}, std::vector<std::string>{"--link"},
        std::vector<std::string>{"--link="}, std::vector<std::string>{"--log=yes"},
        std::vector<std::string>{"--replug-after", "100"}, std::vector<std::string>{"--strict=1"},
        std::vector<std::string>{"stray"}));

TEST(DeviceLink, ReplacesAnOldLinkAndRemovesItsOwnAtTheEnd) {
  orvane::testing::TempEnvironment environment;
  fs::path link = environment.root() / "ttyOrvane";
  fs::create_symlink("/nonexistent/old", link);
  std::string error;
  {
    auto made = DeviceLink::create(link.string(), "/dev/null", error);
    ASSERT_TRUE(made) << error;
    EXPECT_EQ(fs::read_symlink(link), "/dev/null");
  }
  EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
}

TEST(DeviceLink, LeavesALinkThatWasReplacedMeanwhile) {
  orvane::testing::TempEnvironment environment;
  fs::path link = environment.root() / "ttyOrvane";
  std::string error;
  {
    auto made = DeviceLink::create(link.string(), "/dev/null", error);
    ASSERT_TRUE(made) << error;
    fs::remove(link);
    fs::create_symlink("/dev/zero", link);
  }
  EXPECT_EQ(fs::read_symlink(link), "/dev/zero");
}

TEST(DeviceLink, RefusesToReplaceARegularFile) {
  orvane::testing::TempEnvironment environment;
  fs::path file = environment.root() / "notes.txt";
  std::ofstream(file) << "keep me";
  std::string error;
  EXPECT_FALSE(DeviceLink::create(file.string(), "/dev/null", error));
  EXPECT_NE(error.find("not a symbolic link"), std::string::npos);
  std::ifstream in(file);
  std::string text;
  std::getline(in, text);
  EXPECT_EQ(text, "keep me");
}

TEST(DeviceLink, ReportsAFolderThatDoesNotExist) {
  std::string error;
  EXPECT_FALSE(DeviceLink::create("/nonexistent-folder/ttyOrvane", "/dev/null", error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace orvane::sim

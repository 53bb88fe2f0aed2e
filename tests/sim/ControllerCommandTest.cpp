// Every command of the catalogue against a fresh controller, and what set commands change.
#include <gtest/gtest.h>

#include "SimTestSupport.h"

namespace orvane::sim {
namespace {

using testing::ask;
using testing::fixedOptions;
using testing::nativeRead;
using testing::nativeReply;
using testing::nativeWrite;

struct CommandCase {
  std::string command;
  std::string reply;
};

class FreshControllerReply : public ::testing::TestWithParam<CommandCase> {};

TEST_P(FreshControllerReply, AnswersAsTheDeviceDoes) {
  SimulatedController controller(fixedOptions());
  EXPECT_EQ(ask(controller, GetParam().command), GetParam().reply) << GetParam().command;
}

const std::string kPlanetaryReply = "1Updating Planetary Data #";

INSTANTIATE_TEST_SUITE_P(
    Catalogue, FreshControllerReply,
    ::testing::Values(
        // reads
        CommandCase{":GV#", "324#"}, CommandCase{":GR#", "00:00:00#"},
        CommandCase{":GD#", "+90:00:00#"}, CommandCase{":GL#", "21:00:01#"},
        CommandCase{":GC#", "12/07/26#"}, CommandCase{":GG#", "-01.0#"},
        CommandCase{":Gg#",
                    "+349\xDF"
                    "46#"},
        CommandCase{":Gt#",
                    "+53\xDF"
                    "29#"},
        CommandCase{":GB#", "0#"}, CommandCase{":Gv#", "C#"}, CommandCase{":GE#", "00:00:00#"},
        CommandCase{":P#", "HIGH PRECISION"}, CommandCase{":U#", ""},
        // sets the program waits on
        CommandCase{":SC12/06/02#", kPlanetaryReply}, CommandCase{":SC13/06/02#", "0#"},
        CommandCase{":SC02/30/04#", "0#"}, CommandCase{":SB3#", "1#"},
        CommandCase{":SB3\xDF#", "1#"}, CommandCase{":SB9#", "0#"},
        CommandCase{":Sr12:03:45#", "1#"}, CommandCase{":Sr12:34.5#", "1#"},
        CommandCase{":Sr24:00:00#", "0#"}, CommandCase{":Sr12:60:00#", "0#"},
        CommandCase{":Sd-05:10:20#", "1#"},
        CommandCase{":Sd+45\xDF"
                    "30#",
                    "1#"},
        CommandCase{":Sd+91:00:00#", "0#"}, CommandCase{":Sdabc#", "0#"}, CommandCase{":Sp#", "1#"},
        CommandCase{":MS#", "0#"}, CommandCase{":p0#", "1#"},
        CommandCase{":Cm#", std::string(kCoordinatesMatched)},
        CommandCase{":CM#", std::string(kCoordinatesMatched)}, CommandCase{":RG#", "1#"},
        CommandCase{":RC#", "1#"}, CommandCase{":RS#", "1#"},
        // sets and moves sent without waiting: no answer
        CommandCase{":SG-1#", ""}, CommandCase{":SL21:30:00#", ""},
        CommandCase{":Sg-010\xDF"
                    "14#",
                    ""},
        CommandCase{":St+53\xDF"
                    "29#",
                    ""},
        CommandCase{":SE123456#", ""}, CommandCase{":Sw5#", ""}, CommandCase{":ONVega#", ""},
        CommandCase{":Mn#", ""}, CommandCase{":Ms#", ""}, CommandCase{":Me#", ""},
        CommandCase{":Mw#", ""}, CommandCase{":Qn#", ""}, CommandCase{":Qs#", ""},
        CommandCase{":Qe#", ""}, CommandCase{":Qw#", ""}, CommandCase{":Q#", ""},
        // object memory (empty at start)
        CommandCase{":OS#", ""}, CommandCase{":Os#", ""}, CommandCase{":OR#", "END#"},
        CommandCase{":Or#", "END#"}, CommandCase{":OdVega,18:36:56,+38:47:01#", ""},
        CommandCase{"END#", ""}, CommandCase{":Oc#", ""}, CommandCase{":OC#", ""},
        // handshake while running
        CommandCase{"\x06", "P#"}, CommandCase{"bC#", ""}, CommandCase{"bW#", ""},
        CommandCase{"bR#", ""},
        // native reads and writes
        CommandCase{nativeRead("99"), nativeReply("A")},
        CommandCase{nativeRead("20"), nativeReply("21")},
        CommandCase{nativeRead("120"), nativeReply("5")},
        CommandCase{nativeRead("777"), nativeReply("0")}, CommandCase{"<99:G#", ""},
        CommandCase{"<99#", ""}, CommandCase{"<:F#", ""}, CommandCase{nativeWrite("201", "90"), ""},
        // anything else is ignored
        CommandCase{":GVX#", ""}, CommandCase{":XY#", ""}, CommandCase{"GV#", ""},
        CommandCase{":#", ""}, CommandCase{"#", ""}));

struct EffectCase {
  std::vector<std::string> setup;
  std::string query;
  std::string reply;
};

class SetCommandEffect : public ::testing::TestWithParam<EffectCase> {};

TEST_P(SetCommandEffect, ShowsInTheNextRead) {
  SimulatedController controller(fixedOptions());
  for (const std::string& command : GetParam().setup) ask(controller, command);
  EXPECT_EQ(ask(controller, GetParam().query), GetParam().reply);
}

INSTANTIATE_TEST_SUITE_P(
    Catalogue, SetCommandEffect,
    ::testing::Values(
        EffectCase{{":SG5#"}, ":GG#", "+05.0#"}, EffectCase{{":SG-3#"}, ":GG#", "-03.0#"},
        EffectCase{{":SG13x#"}, ":GG#", "-01.0#"},
        EffectCase{{":Sg+270\xDF"
                    "30#"},
                   ":Gg#",
                   "+270\xDF"
                   "30#"},
        EffectCase{{":Sg-045\xDF"
                    "12#"},
                   ":Gg#",
                   "+314\xDF"
                   "48#"},
        EffectCase{{":Sg+400\xDF"
                    "00#"},
                   ":Gg#",
                   "+349\xDF"
                   "46#"},
        EffectCase{{":St-33\xDF"
                    "52#"},
                   ":Gt#",
                   "-33\xDF"
                   "52#"},
        EffectCase{{":St+95\xDF"
                    "00#"},
                   ":Gt#",
                   "+53\xDF"
                   "29#"},
        EffectCase{{":SL22:15:30#"}, ":GL#", "22:15:30#"},
        EffectCase{{":SL221530#"}, ":GL#", "22:15:30#"},
        EffectCase{{":SL25:00:00#"}, ":GL#", "21:00:01#"},
        EffectCase{{":SC03/07/03#"}, ":GC#", "03/07/03#"},
        EffectCase{{":SC02/29/28#"}, ":GC#", "02/29/28#"},
        EffectCase{{":SC02/29/27#"}, ":GC#", "12/07/26#"}, EffectCase{{":SB6#"}, ":GB#", "6#"},
        EffectCase{{":SE12:34:56#"}, ":GE#", "12:34:56#"},
        EffectCase{{":U#"}, ":P#", "LOW  PRECISION"},
        EffectCase{{":U#", ":U#"}, ":P#", "HIGH PRECISION"},
        EffectCase{{":U#"}, ":GR#", "00:00.0#"},
        EffectCase{{":U#"},
                   ":GD#",
                   "+90\xDF"
                   "00#"},
        EffectCase{{":RG#"}, ":Gv#", "G#"}, EffectCase{{":RS#"}, ":Gv#", "S#"},
        EffectCase{{":RS#", ":RC#"}, ":Gv#", "C#"},
        EffectCase{{":Sr12:03:45#", ":Sd-05:10:20#", ":CM#"}, ":GR#", "12:03:45#"},
        EffectCase{{":Sr12:03:45#", ":Sd-05:10:20#", ":Cm#"}, ":GD#", "-05:10:20#"},
        EffectCase{{":Sr12:03:45#", ":U#", ":CM#"}, ":GR#", "12:03.8#"},
        // native settings: values, options (no value: the list's setting takes the number)
        EffectCase{{nativeWrite("201", "90")}, nativeRead("201"), testing::nativeReply("90")},
        EffectCase{{nativeWrite("022", "")}, nativeRead("20"), testing::nativeReply("22")},
        EffectCase{{nativeWrite("233", "")}, nativeRead("230"), testing::nativeReply("233")},
        EffectCase{{nativeWrite("055", "0012")}, nativeRead("55"), testing::nativeReply("0012")},
        EffectCase{{">201:90A#"}, nativeRead("201"), testing::nativeReply("180")},
        EffectCase{{nativeWrite("99", "0")}, nativeRead("99"), testing::nativeReply("A")}));

TEST(ControllerCommands, NativeWriteThenReadRoundTripsForManyNumbersAndValues) {
  SimulatedController controller(fixedOptions());
  for (int number : {0, 1, 12, 98, 100, 120, 251, 503, 999, 12345}) {
    for (std::string value : {"0", "7", "-9999", "+004244", "1/16"}) {
      std::string text = std::to_string(number);
      ask(controller, testing::nativeWrite(text.size() < 3 ? "0" + text : text, value));
      std::string reply = ask(controller, testing::nativeRead(text));
      ASSERT_TRUE(checkChecksum(reply)) << number << " " << value;
      EXPECT_EQ(reply.substr(0, reply.size() - 2), value) << number;
    }
  }
}

TEST(ControllerCommands, StatusSettingShowsAlignmentAndBitFour) {
  ControllerOptions options = fixedOptions();
  options.aligned = false;
  SimulatedController controller(options);
  auto status = [&] { return static_cast<unsigned char>(ask(controller, nativeRead("99"))[0]); };
  EXPECT_EQ(status(), 0x40);
  ask(controller, ":Cm#");
  EXPECT_EQ(status(), 0x41);
  controller.setStatusBit4(true);
  EXPECT_EQ(status(), 0x51);
  controller.setStatusBit4(false);
  EXPECT_EQ(status(), 0x41);

  SimulatedController other(options);
  ask(other, ":CM#");
  EXPECT_EQ(other.statusBits(), SimulatedController::kStatusAligned);
  SimulatedController third(options);
  third.completeInitialAlignment();
  EXPECT_EQ(ask(third, nativeRead("99")), testing::nativeReply("A"));
}

TEST(ControllerCommands, ObjectMemoryUploadsAndDownloadsLineByLine) {
  SimulatedController controller(fixedOptions());
  for (const char* command :
       {":OdVega,18:36:56,+38:47:01#", ":OdDeneb,20:41:26,+45:16:49#", "END#"}) {
    EXPECT_EQ(ask(controller, command), "");
  }
  ASSERT_EQ(controller.objectMemory().size(), 2u);
  ask(controller, ":OS#");
  EXPECT_EQ(ask(controller, ":OR#"), "Vega,18:36:56,+38:47:01#");
  EXPECT_EQ(ask(controller, ":OR#"), "Deneb,20:41:26,+45:16:49#");
  EXPECT_EQ(ask(controller, ":OR#"), "END#");
  EXPECT_EQ(ask(controller, ":OR#"), "END#");
  // The other pair of letters reads the same memory from its start again.
  ask(controller, ":Os#");
  EXPECT_EQ(ask(controller, ":Or#"), "Vega,18:36:56,+38:47:01#");
  // A second upload adds to the memory; clearing empties it.
  ask(controller, ":OdAltair,19:50:47,+08:52:06#");
  EXPECT_EQ(controller.objectMemory().size(), 3u);
  ask(controller, ":Oc#");
  ask(controller, ":OS#");
  EXPECT_EQ(ask(controller, ":OR#"), "END#");
  ask(controller, ":OdA#");
  ask(controller, ":OC#");
  EXPECT_TRUE(controller.objectMemory().empty());
}

TEST(ControllerCommands, ObjectNameAndEquinoxAreKept) {
  SimulatedController controller(fixedOptions());
  ask(controller, ":ONunknown#");
  ask(controller, ":p0#");
  EXPECT_EQ(controller.objectName(), "unknown");
  EXPECT_TRUE(controller.j2000());
}

TEST(ControllerCommands, CommandsSplitOverSeveralWritesAndRunTogetherAreFramedByHash) {
  SimulatedController controller(fixedOptions());
  EXPECT_EQ(ask(controller, ":G"), "");
  EXPECT_EQ(ask(controller, "V#:GB"), "324#");
  EXPECT_EQ(ask(controller, "#:Gv#"), "0#C#");
  EXPECT_EQ(controller.commandLog(), (std::vector<std::string>{":GV#", ":GB#", ":Gv#"}));
}

TEST(ControllerCommands, AcknowledgeByteStandsAloneAndDropsAPartialCommand) {
  SimulatedController controller(fixedOptions());
  EXPECT_EQ(ask(controller, std::string(":G") + '\x06' + "V#:GV#"), "P#324#");
}

TEST(ControllerCommands, NoiseBeforeACommandIsDropped) {
  SimulatedController controller(fixedOptions());
  ask(controller, std::string(2000, 'x'));
  EXPECT_EQ(ask(controller, ":GV#"), "324#");
  EXPECT_EQ(ask(controller, "\xFF\x01:GB#"), "0#");
  // Inside a text command a colon is part of its argument.
  EXPECT_EQ(ask(controller, ":Sr12:03:45#"), "1#");
}

TEST(ControllerCommands, ObserverSeesEveryCommand) {
  SimulatedController controller(fixedOptions());
  std::vector<std::string> seen;
  controller.setCommandObserver([&](const std::string& command) { seen.push_back(command); });
  ask(controller, std::string(":GV#") + '\x06' + "bW#");
  EXPECT_EQ(seen, (std::vector<std::string>{":GV#", "\x06", "bW#"}));
}

TEST(ControllerCommands, LevelAndVersionComeFromTheOptions) {
  ControllerOptions options = fixedOptions();
  options.level = 1;
  options.version = "30";
  SimulatedController controller(options);
  EXPECT_EQ(ask(controller, ":GV#"), "130#");
}

}  // namespace
}  // namespace orvane::sim

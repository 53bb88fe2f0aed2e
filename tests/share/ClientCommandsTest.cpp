// The text protocol as the sharing server speaks it: how bytes become commands, which
// commands are refused, answered by the program or rewritten for the controller, and how
// replies are shaped for the clients; and Stellarium's binary messages.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "share/ClientCommands.h"
#include "share/StellariumProtocol.h"

namespace orvane {
namespace {

using Kind = ClientCommand::Kind;

TEST(TextCommandFramerTest, CutsCommandsAtTheirEndAndKeepsAnUnfinishedOne) {
  TextCommandFramer framer;
  std::vector<std::string> commands;
  // A lone "#" clears the line; the acknowledge byte stands alone between commands.
  ASSERT_TRUE(framer.Feed("#\x06:GR#:Sr 05:3", commands));
  EXPECT_EQ(commands, (std::vector<std::string>{"\x06", ":GR#"}));
  EXPECT_TRUE(framer.midCommand());
  ASSERT_TRUE(framer.Feed("0:00#", commands));
  EXPECT_EQ(commands.back(), ":Sr 05:30:00#");
  EXPECT_FALSE(framer.midCommand());
}

TEST(TextCommandFramerTest, ACommandLongerThanSixtyFourBytesEndsTheReading) {
  TextCommandFramer framer;
  std::vector<std::string> commands;
  EXPECT_TRUE(framer.Feed(":" + std::string(62, 'A') + "#", commands));  // 64 bytes
  EXPECT_FALSE(framer.Feed(":" + std::string(64, 'A'), commands));       // 65 without end
  EXPECT_EQ(commands.size(), 1u);
  TextCommandFramer exact;
  EXPECT_FALSE(exact.Feed(":" + std::string(63, 'A') + "#", commands));  // 65 with its end
  EXPECT_EQ(commands.size(), 1u);
}

TEST(TextCommandFramerTest, LineEndsAndBlanksBetweenCommandsAreIgnored) {
  TextCommandFramer framer;
  std::vector<std::string> commands;
  ASSERT_TRUE(framer.Feed(":GR#\r\n :GD#\n\t\r:Sr 05:30:00#\r", commands));
  EXPECT_EQ(commands, (std::vector<std::string>{":GR#", ":GD#", ":Sr 05:30:00#"}));
  EXPECT_FALSE(framer.midCommand());
}

struct Rewritten {
  const char* command;
  const char* wire;
  bool waits;
  ClientAnswer answer;
};

TEST(ClientCommandsTest, ControllerCommandsGoOutInTheProgramsOwnForms) {
  const Rewritten cases[] = {
      {":Sr 05:30:00#", ":Sr05:30:00#", true, ClientAnswer::StatusDigit},
      {":Sr05:30.5#", ":Sr05:30:30#", true, ClientAnswer::StatusDigit},   // low precision
      // Fractions of a second are rounded, as far as the next day or degree.
      {":Sr 23:59:59.87#", ":Sr00:00:00#", true, ClientAnswer::StatusDigit},
      {":Sr 05:30:59.5#", ":Sr05:31:00#", true, ClientAnswer::StatusDigit},
      {":Sr 05:30:10.4#", ":Sr05:30:10#", true, ClientAnswer::StatusDigit},
      {":Sd -10*59:59.5#", ":Sd-11:00:00#", true, ClientAnswer::StatusDigit},
      {":Sd +89*59:59.6#", ":Sd+90:00:00#", true, ClientAnswer::StatusDigit},
      {":Sd +20*00:00#", ":Sd+20:00:00#", true, ClientAnswer::StatusDigit},
      {":Sd -05\xDF" "10:20#", ":Sd-05:10:20#", true, ClientAnswer::StatusDigit},
      {":Sd-45*30#", ":Sd-45:30:00#", true, ClientAnswer::StatusDigit},
      {":MS#", ":MS#", true, ClientAnswer::Slew},
      {":CM#", ":CM#", true, ClientAnswer::AsReplied},
      {":GV#", ":GV#", true, ClientAnswer::AsReplied},
      {":Mw#", ":Mw#", false, ClientAnswer::None},
      {":RS#", ":RS#", true, ClientAnswer::None},
      {":Sw 4#", ":Sw4#", false, ClientAnswer::Accepted},
      {":SL 21:05:09#", ":SL21:05:09#", false, ClientAnswer::Accepted},
      {":SG +01.0#", ":SG1#", false, ClientAnswer::Accepted},
      {":St-33*52:31#", ":St-33\xDF" "53#", false, ClientAnswer::Accepted},
      {":Sg359*59:30#", ":Sg+360\xDF" "00#", false, ClientAnswer::Accepted},
      {":SC 02/29/28#", ":SC02/29/28#", true, ClientAnswer::Date},
      {":SG -05#", ":SG-5#", false, ClientAnswer::Accepted},
      {":Sg010:30#", ":Sg+010\xDF" "30#", false, ClientAnswer::Accepted},
      {":St+48:12:30#", ":St+48\xDF" "13#", false, ClientAnswer::Accepted},  // rounded
      {":SC 12/07/26#", ":SC12/07/26#", true, ClientAnswer::Date},
  };
  for (const Rewritten& c : cases) {
    const ClientCommand command = ClassifyClientCommand(c.command);
    EXPECT_EQ(command.kind, Kind::Controller) << c.command;
    EXPECT_EQ(command.wire, c.wire) << c.command;
    EXPECT_EQ(command.waitsForReply, c.waits) << c.command;
    EXPECT_EQ(command.answer, c.answer) << c.command;
  }
}

TEST(ClientCommandsTest, WhatAPlanetariumHasNoBusinessWithIsRefused) {
  // Refused with nothing for the client, or with the clients' "0" for a bad argument.
  const std::pair<const char*, const char*> cases[] = {
      {">120:4A#", ""},  {"<99:F#", "0"},       {":OS#", ""},          {":Od M31#", ""},
      {"bC#", ""},       {"bW#", ""},           {":U#", ""},           {":GVP#", "0"},
      {":Mgn0100#", ""}, {":RM#", ""},          {":Sr 25:00:00#", "0"}, {":Sr 5:3#", "0"},
      {":Sd +91*00:00#", "0"}, {":Sw9#", "0"},  {":SG +13#", "0"},     {":SC 13/01/26#", "0"},
      {":Sg 400:00#", "0"},    {":St+95:00#", "0"},
      // What the controller does not have: an answer at once where the command has one.
      {":ST060.2#", "0"}, {":SMABC#", "0"}, {":OR#", "0"}, {":hP#", ""}, {":W1#", ""},
      // Dates and zones the controller would take wrongly.
      {":SC 02/31/26#", "0"}, {":SC 02/29/27#", "0"}, {":SG+12.9#", "0"}, {":SG+05.5#", "0"},
      {":Sd+90*00:00.6#", "0"},
  };
  for (const auto& [text, reply] : cases) {
    const ClientCommand command = ClassifyClientCommand(text);
    EXPECT_EQ(command.kind, Kind::Refused) << text;
    EXPECT_FALSE(command.garbage) << text;
    EXPECT_EQ(command.reply, reply) << text;
    EXPECT_TRUE(command.wire.empty()) << text;
  }
  EXPECT_TRUE(ClassifyClientCommand(":hP#").park);
  for (const char* noise : {"\x01\x02#", "abc#", ":\x7F#", "#", ":#"}) {
    const ClientCommand command = ClassifyClientCommand(noise);
    EXPECT_EQ(command.kind, Kind::Refused) << noise;
    EXPECT_TRUE(command.garbage) << noise;
  }
}

TEST(ClientCommandsTest, TheProgramAnswersWhatTheControllerHasNoCommandFor) {
  EXPECT_EQ(ClassifyClientCommand("\x06").reply, "P");
  EXPECT_EQ(ClassifyClientCommand(":Gc#").reply, "24#");
  EXPECT_EQ(ClassifyClientCommand(":GM#").reply, "Orvane#");
  EXPECT_EQ(ClassifyClientCommand(":GT#").reply, "60.1#");
  EXPECT_EQ(ClassifyClientCommand(":D#").kind, Kind::SlewProgress);
  EXPECT_EQ(ClassifyClientCommand(":GR#").kind, Kind::Position);
  EXPECT_EQ(ClassifyClientCommand(":GD#").axis, PositionAxis::Declination);
  for (const char* stop : {":Q#", ":Qn#", ":Qw#"}) {
    const ClientCommand command = ClassifyClientCommand(stop);
    EXPECT_EQ(command.kind, Kind::Stop);
    EXPECT_EQ(command.wire, stop);
  }
}

TEST(ClientCommandsTest, RepliesAreShapedAsTheClientsExpectThem) {
  const CommandResult one{"1#", CommandOutcome::Replied};
  const CommandResult zero{"0#", CommandOutcome::Replied};
  const CommandResult sent{"", CommandOutcome::Sent};
  const CommandResult silent{"", CommandOutcome::NoReply};
  const CommandResult withdrawn{"", CommandOutcome::Cancelled};
  EXPECT_EQ(AnswerForClient(ClientAnswer::StatusDigit, one), "1");
  EXPECT_EQ(AnswerForClient(ClientAnswer::StatusDigit, zero), "0");
  EXPECT_EQ(AnswerForClient(ClientAnswer::StatusDigit, silent), "0");
  EXPECT_EQ(AnswerForClient(ClientAnswer::Accepted, sent), "1");
  EXPECT_EQ(AnswerForClient(ClientAnswer::Accepted, withdrawn), "0");
  EXPECT_EQ(AnswerForClient(ClientAnswer::Slew, zero), "0");
  EXPECT_EQ(AnswerForClient(ClientAnswer::Slew, CommandResult{"1Below#", CommandOutcome::Replied}),
            "1Below#");
  EXPECT_EQ(AnswerForClient(ClientAnswer::Slew, withdrawn), "1Stopped#");
  EXPECT_EQ(AnswerForClient(ClientAnswer::Slew, silent), "1No answer from the controller#");
  EXPECT_EQ(AnswerForClient(ClientAnswer::AsReplied, one), "1#");
  EXPECT_EQ(AnswerForClient(ClientAnswer::AsReplied, silent), "");
  EXPECT_EQ(AnswerForClient(ClientAnswer::AsReplied, withdrawn), "0");
  EXPECT_EQ(AnswerForClient(ClientAnswer::None, one), "");
  // The date's announcement takes the place of the controller's reply.
  EXPECT_EQ(AnswerForClient(ClientAnswer::Date, silent).substr(0, 25), "1Updating Planetary Data#");
  EXPECT_EQ(AnswerForClient(ClientAnswer::Date, zero), "0");
  EXPECT_EQ(PrintableCommand(std::string("\x01:A\\#", 5)), "\\x01:A\\x5C#");
}

TEST(StellariumProtocolTest, GotoAndPositionMessagesRoundTrip) {
  StellariumFramer framer;
  std::vector<StellariumGoto> gotos;
  const std::string message = EncodeStellariumGoto(18.6156, -38.7836, 1234567);
  ASSERT_EQ(message.size(), StellariumFramer::kGotoLength);
  // In two pieces, as TCP may deliver it.
  ASSERT_TRUE(framer.Feed(message.substr(0, 7), gotos));
  EXPECT_TRUE(gotos.empty());
  ASSERT_TRUE(framer.Feed(message.substr(7) + message, gotos));
  ASSERT_EQ(gotos.size(), 2u);
  EXPECT_EQ(gotos[0].clientMicros, 1234567);
  EXPECT_NEAR(gotos[0].rightAscensionHours, 18.6156, 1e-6);
  EXPECT_NEAR(gotos[0].declinationDegrees, -38.7836, 1e-6);

  const std::string position = EncodeStellariumPosition(23.99, 90.0, 42, -1);
  const auto decoded = DecodeStellariumPosition(position);
  ASSERT_TRUE(decoded);
  EXPECT_NEAR(decoded->rightAscensionHours, 23.99, 1e-6);
  EXPECT_NEAR(decoded->declinationDegrees, 90.0, 1e-6);
  EXPECT_EQ(decoded->status, -1);
  EXPECT_EQ(decoded->micros, 42);
}

TEST(StellariumProtocolTest, AMessageOfAnotherLengthOrTypeIsRefused) {
  StellariumFramer framer;
  std::vector<StellariumGoto> gotos;
  std::string wrong = EncodeStellariumGoto(1, 1, 0);
  wrong[0] = 21;
  EXPECT_FALSE(framer.Feed(wrong, gotos));
  EXPECT_EQ(framer.refusedLength(), 21);
  StellariumFramer other;
  std::string typed = EncodeStellariumGoto(1, 1, 0);
  typed[2] = 3;
  EXPECT_FALSE(other.Feed(typed, gotos));
  EXPECT_EQ(other.refusedType(), 3);
  EXPECT_TRUE(gotos.empty());
}

TEST(StellariumProtocolTest, ReadingsAndTargetFields) {
  EXPECT_NEAR(*HoursOfReading("12:34:56"), 12 + 34 / 60.0 + 56 / 3600.0, 1e-9);
  EXPECT_NEAR(*HoursOfReading("12:34.5"), 12 + 34.5 / 60.0, 1e-9);
  EXPECT_FALSE(HoursOfReading("24:00:00"));
  EXPECT_FALSE(HoursOfReading("12:34"));
  EXPECT_NEAR(*DegreesOfReading("-05:10:20"), -(5 + 10 / 60.0 + 20 / 3600.0), 1e-9);
  EXPECT_NEAR(*DegreesOfReading("+45\xDF" "30"), 45.5, 1e-9);
  EXPECT_FALSE(DegreesOfReading("+95:00:00"));
  EXPECT_EQ(RightAscensionFieldText(18.6156), "18h 36m 56s");
  EXPECT_EQ(RightAscensionFieldText(23.99999), "00h 00m 00s");
  EXPECT_EQ(DeclinationFieldText(-38.7836), "-38\xB0 47' 01''");
  EXPECT_EQ(DeclinationFieldText(-0.00001), "+00\xB0 00' 00''");
}

}  // namespace
}  // namespace orvane

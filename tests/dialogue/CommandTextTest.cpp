// The text side of the controller dialogue: set commands built from control texts, reply
// rewriting, position formats, the clock offset and object lines.
#include <gtest/gtest.h>

#include "text/Checksum.h"
#include "dialogue/CommandText.h"
#include "link/AstroTime.h"

namespace orvane {
namespace {

const std::string kDeg(1, kControllerDegree);

TEST(ChecksumTest, FollowsTheSignedXorRule) {
  EXPECT_EQ(CalculateChecksum("<99:"), 'F');
  EXPECT_EQ(CalculateChecksum(""), '@');
  // Above 127 the XOR is negative as a signed byte, and so is the remainder.
  const std::string high = "\xE9";  // -23 as signed: -23 % 128 = -23, + 64 = 41
  EXPECT_EQ(CalculateChecksum(high), static_cast<char>(41));
  const std::string two = "\xC8\x01";  // -56 ^ 1 = -55 -> 9
  EXPECT_EQ(CalculateChecksum(two), static_cast<char>(9));
}

TEST(ChecksumTest, CheckChecksumRefusesShortUnterminatedAndWrongReplies) {
  std::string good = "15";
  good += CalculateChecksum(good);
  good += '#';
  EXPECT_TRUE(CheckChecksum(good));
  std::string wrong = good;
  wrong[2] = static_cast<char>(wrong[2] + 1);
  EXPECT_FALSE(CheckChecksum(wrong));
  EXPECT_FALSE(CheckChecksum(good.substr(0, good.size() - 1)));
  EXPECT_FALSE(CheckChecksum("@#"));
  EXPECT_FALSE(CheckChecksum("#"));
  EXPECT_FALSE(CheckChecksum(""));
  EXPECT_EQ(NativeReplyValue(good), "15");
  EXPECT_FALSE(NativeReplyValue(wrong));
  EXPECT_FALSE(NativeReplyValue("#"));
  EXPECT_EQ(NativeReadCommand("99"), "<99:F#");
}

TEST(SetCommandTest, BuildsTheWireForms) {
  EXPECT_EQ(SetDateCommand("120602"), ":SC12/06/02#");
  EXPECT_EQ(SetDateCommand("12 602"), ":SC12/06/02#");
  EXPECT_EQ(SetUtcOffsetCommand(1), ":SG-1#");
  EXPECT_EQ(SetUtcOffsetCommand(-5), ":SG5#");
  EXPECT_EQ(SetUtcOffsetCommand(0), ":SG0#");
  EXPECT_EQ(SetLongitudeCommand("-00830"), ":Sg-008" + kDeg + "30#");
  EXPECT_EQ(SetLongitudeCommand("+01 30"), ":Sg+010" + kDeg + "30#");
  EXPECT_EQ(SetLatitudeCommand("+4530"), ":St+45" + kDeg + "30#");
  EXPECT_EQ(SetBrightnessTextCommand("1234"), ":SB1234" + kDeg + "#");
  EXPECT_EQ(SetBrightnessTextCommand("123456"), ":SB1234" + kDeg + "56#");
  EXPECT_EQ(UploadLineCommand("Vega,18:36:56,+38:47:01#"), ":OdVega,18:36:56,+38:47:01#");
  EXPECT_EQ(UploadLineCommand("Vega"), ":OdVega#");
  EXPECT_EQ(UploadLineCommand(""), ":Od#");
}

TEST(SetCommandTest, IntegerOrReadsWholeIntegersOnly) {
  EXPECT_EQ(IntegerOr("12", -1000), 12);
  EXPECT_EQ(IntegerOr(" -5 ", -1000), -5);
  EXPECT_EQ(IntegerOr("+07", -1000), 7);
  EXPECT_EQ(IntegerOr("1.5", -1000), -1000);
  EXPECT_EQ(IntegerOr("", -1000), -1000);
  EXPECT_EQ(IntegerOr("-", -1000), -1000);
  EXPECT_EQ(IntegerOr("99999999999999999999", -1000), -1000);
}

struct Rewrite {
  std::string reply;
  std::string shown;
};

TEST(ReplyRewriteTest, LongitudeFoldsEasternDegreesIntoTheWest) {
  const Rewrite cases[] = {
      {"+270" + kDeg + "30#", "-08930"},
      {"+270" + kDeg + "00#", "-09000"},
      {"+359" + kDeg + "30#", "-00030"},
      {"+045" + kDeg + "12#", "+04512"},
      {"-045" + kDeg + "12#", "-04512"},
      {"045" + kDeg + "12#", "+04512"},
      {"+180" + kDeg + "00#", "-18000"},
      {"+179" + kDeg + "59#", "+17959"},
      {"+200\xB0"
       "15#",
       "-15945"},
      {"#", "+"},
      {"+270" + kDeg + "xx#", "+270xx"},
  };
  for (const Rewrite& c : cases) EXPECT_EQ(RewriteLongitudeReply(c.reply), c.shown) << c.reply;
}

TEST(ReplyRewriteTest, DatesTimesOffsetsAndLatitude) {
  EXPECT_EQ(RewriteDateReply("12/06/02#"), "120602");
  EXPECT_EQ(RewriteDateReply("12 06 02#"), "");
  EXPECT_EQ(RewriteDateReply("12/06/02"), "");
  EXPECT_EQ(RewriteDateReply("120602#"), "");
  EXPECT_EQ(RewriteDateReply("2026/12/07/01#"), "26120701");
  EXPECT_EQ(RewriteHourOffsetReply("+05.0#"), "-05");
  EXPECT_EQ(RewriteHourOffsetReply("-03#"), "+03");
  EXPECT_EQ(RewriteHourOffsetReply("03#"), "03#");
  EXPECT_EQ(RewriteHourOffsetReply(""), "");
  EXPECT_EQ(RewriteVersionReply("324#"), "324#");
  EXPECT_EQ(RewriteVersionReply("32#"), "32#");
  EXPECT_EQ(RewriteClockReply("21:30:05#"), "21:30:05");
  EXPECT_EQ(RewriteClockReply("xx21:30:05#"), "21:30:05");
  EXPECT_EQ(RewriteClockReply("21:30:05"), "");
  EXPECT_EQ(RewriteLatitudeReply("+45" + kDeg + "30#"), "+4530");
  EXPECT_EQ(CutAtHash("12:34:56#junk"), "12:34:56");
  EXPECT_EQ(CutAtHash("12:34:56"), "12:34:56");
}

TEST(ReplyRewriteTest, PrecisionBrightnessAndDownloads) {
  EXPECT_EQ(ReadPrecisionReply("HIGH PRECISION"), PrecisionReply::High);
  EXPECT_EQ(ReadPrecisionReply("LOW  PRECISION"), PrecisionReply::Low);
  EXPECT_EQ(ReadPrecisionReply("LOW PRECISION"), PrecisionReply::Other);
  EXPECT_EQ(ReadPrecisionReply("HIGH PRECISION#"), PrecisionReply::Other);
  EXPECT_EQ(BrightnessIndexFromReply("3#"), 3);
  EXPECT_EQ(BrightnessIndexFromReply("x#"), -1);
  EXPECT_EQ(BrightnessIndexFromReply(""), -1);
  EXPECT_EQ(BreakDownloadedLines("A#B#"), "A#\r\nB#");
  EXPECT_EQ(BreakDownloadedLines("A#B"), "A#\r\nB");
  EXPECT_EQ(BreakDownloadedLines(""), "");
}

TEST(PositionFormatTest, RightAscensionInBothPrecisions) {
  EXPECT_EQ(FormatRightAscension("12:34:56", true), "12h 34m 56");
  EXPECT_EQ(FormatRightAscension("12:34.5", false), "12h 34m 30");
  EXPECT_EQ(FormatRightAscension("12:34.0", false), "12h 34m 00");
  EXPECT_EQ(FormatRightAscension("12:34.9", false), "12h 34m 54");
  // A reply that does not end in a digit is the hand controller speaking.
  EXPECT_FALSE(FormatRightAscension("12:34.5x", false));
  EXPECT_FALSE(FormatRightAscension("", false));
  EXPECT_EQ(FormatRightAscension("garbage", true), "garbage");
}

TEST(PositionFormatTest, DeclinationInBothPrecisions) {
  EXPECT_EQ(FormatDeclination("-05:10:20", true), "-05\xB0 10' 20");
  EXPECT_EQ(FormatDeclination("+45" + kDeg + "30", false), "+45\xB0 30' 00");
  EXPECT_EQ(FormatDeclination("+45" + kDeg + "30#", false), "+45\xB0 30' 00");
}

TEST(ReplyRangeTest, FieldsOutsideTheirRangesAreRefused) {
  struct Case {
    const char* command;
    std::string rewritten;
    bool shown;
  };
  const Case cases[] = {
      {":Gg", "-08930", true},
      {":Gg", "+17959", true},
      {":Gg", "-18000", true},
      // Minutes above 59 folded into "-17865535" before these checks existed.
      {":Gg", "+17865", false},
      {":Gg", "-17865535", false},
      {":Gg", "+270xx", false},
      {":Gg", "-18001", false},
      {":Gg", "+", false},
      {":Gt", "+4530", true},
      {":Gt", "-9000", true},
      {":Gt", "+9001", false},
      {":Gt", "+4560", false},
      {":Gt", "4530", false},
      {":GC", "120726", true},
      {":GC", "130726", false},
      {":GC", "120026", false},
      {":GC", "26120701", false},
      {":GL", "23:59:59", true},
      {":GL", "24:00:00", false},
      {":GL", "12:60:00", false},
      {":GL", "12:00", false},
      {":GG", "-05", true},
      {":GG", "+15", false},
      {":GG", "03#", false},
      {":GV", "anything", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadReplyInRange(c.command, c.rewritten), c.shown) << c.command << c.rewritten;
  }
  EXPECT_TRUE(RightAscensionInRange("12:34:56#"));
  EXPECT_TRUE(RightAscensionInRange("12:34.5"));
  EXPECT_FALSE(RightAscensionInRange("24:00:00"));
  EXPECT_FALSE(RightAscensionInRange("12:61:00"));
  EXPECT_FALSE(RightAscensionInRange("garbage"));
  EXPECT_FALSE(RightAscensionInRange("12:34:5x"));
  EXPECT_TRUE(DeclinationInRange("-05:10:20#"));
  EXPECT_TRUE(DeclinationInRange("+45" + kDeg + "30"));
  EXPECT_TRUE(DeclinationInRange("+90:00:00"));
  EXPECT_FALSE(DeclinationInRange("+90:00:01"));
  EXPECT_FALSE(DeclinationInRange("+45" + kDeg + "75"));
  EXPECT_FALSE(DeclinationInRange("+-45:00:00"));
}

TEST(ClockOffsetTest, TakesTheControllerForwardAcrossMidnight) {
  auto offset = CalculateTimeDifference("23:59:50", "00:00:10");
  ASSERT_TRUE(offset);
  EXPECT_EQ(offset->hours, 23);
  EXPECT_EQ(offset->minutes, 59);
  EXPECT_EQ(offset->seconds, 40);
  offset = CalculateTimeDifference("00:00:10", "23:59:50");
  ASSERT_TRUE(offset);
  EXPECT_EQ(offset->hours, 0);
  EXPECT_EQ(offset->minutes, 0);
  EXPECT_EQ(offset->seconds, 20);
  offset = CalculateTimeDifference("12:00:00", "12:00:00");
  ASSERT_TRUE(offset);
  EXPECT_EQ(offset->hours + offset->minutes + offset->seconds, 0);
  EXPECT_FALSE(CalculateTimeDifference("", "12:00:00"));
  EXPECT_FALSE(CalculateTimeDifference("ab:cd:ef", "12:00:00"));
  EXPECT_FALSE(CalculateTimeDifference("-1:00:00", "12:00:00"));

  // Shifting the computer clock by the offset gives the controller clock back.
  EXPECT_EQ(ShiftedClockText(0, 0, 10, TimeOffset{23, 59, 40}), "23:59:50");
  EXPECT_EQ(ShiftedClockText(23, 59, 50, TimeOffset{0, 0, 20}), "00:00:10");
  EXPECT_EQ(ShiftedClockText(10, 59, 59, TimeOffset{0, 0, 1}), "11:00:00");
}

TEST(ObjectLineTest, ParsesNameCoordinatesAndRefusesBadLines) {
  auto vega = ParseObjectLine("Vega,18:36:56,+38:47:01#");
  ASSERT_TRUE(vega);
  EXPECT_EQ(vega->name, "Vega");
  EXPECT_EQ(vega->rightAscension, "18:36:56");
  EXPECT_EQ(vega->declination, "+38:47:01");
  auto trailing = ParseObjectLine("M 31,00:42:44,+41:16:09# Andromeda, galaxy");
  ASSERT_TRUE(trailing);
  EXPECT_EQ(trailing->declination, "+41:16:09");
  EXPECT_FALSE(ParseObjectLine("Vega 18:36:56"));
  EXPECT_FALSE(ParseObjectLine("Vega,18:36:56,+38:47:01"));
  EXPECT_FALSE(ParseObjectLine("Vega,18:36:56#,+38"));
  EXPECT_FALSE(ParseObjectLine(""));
}

}  // namespace
}  // namespace orvane

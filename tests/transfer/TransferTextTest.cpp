// The panels' texts as pure functions: endings, file lines, object lines, status lines.
#include <gtest/gtest.h>

#include "transfer/TransferText.h"

namespace orvane {
namespace {

using Lines = std::vector<std::string>;

TEST(TransferTextTest, EndingsAndForbiddenNames) {
  EXPECT_EQ(FileTypeEnding("*.txt"), ".txt");
  EXPECT_EQ(FileTypeEnding("data.*.cat"), ".cat");
  EXPECT_EQ(FileTypeEnding("*"), "");
  for (const char* name : {"a\\b", "a/b", "a:b", "a*", "a?", "a\"b", "<a", "a>", "a|b"}) {
    EXPECT_TRUE(HasForbiddenFileCharacter(name)) << name;
  }
  EXPECT_FALSE(HasForbiddenFileCharacter("Bright Stars.txt"));
}

TEST(TransferTextTest, FileTextAndLines) {
  EXPECT_EQ(LinesOfFile("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(LinesOfFile("a\r\n\r\n"), (Lines{"a", ""}));
  EXPECT_EQ(LinesOfFile(""), Lines{});
  EXPECT_EQ(LinesOfFile("\xB0\xDF"), (Lines{"\xB0\xDF"}));
  EXPECT_EQ(FileOfLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
  EXPECT_EQ(LinesOfFile(FileOfLines({"x", "y"})), (Lines{"x", "y"}));
}

TEST(TransferTextTest, StatusLines) {
  EXPECT_TRUE(IsObjectDefinition("Vega,18:36:56,+38:47:01#"));
  EXPECT_FALSE(IsObjectDefinition("Vega 18:36:56#"));
  EXPECT_FALSE(IsObjectDefinition("Vega,18:36:56"));

  const TransferReport done{TransferEnd::Complete, 3, 3};
  EXPECT_EQ(TransferStatusText(":OS", done), "Status: File transferred");
  EXPECT_EQ(TransferStatusText(":Od", done), "Status: File transferred");
  EXPECT_EQ(TransferStatusText(":Oc", done), "Status: Memory cleared");
  EXPECT_EQ(TransferStatusText(":OC", done), std::nullopt);
  EXPECT_EQ(TransferStatusText(":GR", done), std::nullopt);
  EXPECT_EQ(TransferStatusText(":Os", {TransferEnd::Failed, 1, 0}),
            "Status: Transfer failed after 1 line");
  EXPECT_EQ(TransferStatusText(":Od", {TransferEnd::Failed, 12, 40}),
            "Status: Transfer failed, 12 of 40 sent");
  EXPECT_EQ(TransferStatusText(":Oc", {TransferEnd::Failed, 0, 0}), "Status: Memory not cleared");
}

}  // namespace
}  // namespace orvane
